// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamo::util {

// The file part of a path: everything after the last native separator, or the
// whole text when it holds none. Empty when the path ends with a separator.
QString fileNameExtract(const QString &path);

// The folder part of a path up to and including its last native separator;
// empty when the path holds no separator.
QString pathNameExtract(const QString &path);

// Makes the folder, whose parent must exist; on failure false, with the system's
// reason ("Permission denied", "Read-only file system") in *error.
bool makeFolder(const QString &path, QString *error);

// Makes the folder and any missing parents; *made gets the folders made, deepest
// first, for removeEmptyFolders when nothing is written in them. On failure nothing
// made stays.
bool makeFolders(const QString &path, QStringList *made, QString *error);

// Removes each of the folders that is empty, in their order.
void removeEmptyFolders(const QStringList &folders);

} // namespace tamo::util
