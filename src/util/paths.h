// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

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

} // namespace tamo::util
