#pragma once

#include <QString>
#include <QStringList>

namespace tamo::util {

// The path of an existing file with its last component in 8.3 form (base of at
// most 8 characters, at most one ".", extension of at most 3). Empty when the file
// does not exist. On Windows this is the system's short path.
QString ShortFileName(const QString &longName);
// ShortFileName of each path, each folder read once: for many files of a large folder.
QStringList ShortFileNames(const QStringList &longNames);
// The characters of text a short name may hold, in upper case; the others dropped.
QString shortNameCharacters(QStringView text);

// The existing file of folder that shortName stands for (its own name, or the long
// name whose short form it is), as a file name without folder; empty if none.
QString longNameForShort(const QString &folder, const QString &shortName);

// The file of folder named name: the exact match first, else the one file whose
// name equals it ignoring case. A file name without folder; empty if none.
QString findFileCaseInsensitive(const QString &folder, const QString &name);

} // namespace tamo::util
