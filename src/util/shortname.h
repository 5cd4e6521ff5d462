// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace tamo::util {

// The path of an existing file with its last component in 8.3 form (base of at
// most 8 characters, at most one ".", extension of at most 3). Empty when the file
// does not exist. On Windows this is the system's short path; elsewhere a name not
// already in 8.3 form gets one made from that name (shortFormOf), or, when another
// entry of the folder holds that, the next free one: two entries never share one,
// and the same folder contents give the same names.
QString ShortFileName(const QString &longName);
// ShortFileName of each path.
QStringList ShortFileNames(const QStringList &longNames);
// The characters of text a short name may hold, in upper case; the others dropped.
QString shortNameCharacters(QStringView text);

// The 8.3 form a file name takes first where the system has none: the name itself
// when it is already in 8.3 form, else one made from the name alone ("PIA~4RMF.WAV").
QString shortFormOf(const QString &fileName);

// The existing file of folder that shortName stands for (its own name, or the long
// name whose short form it is), as a file name without folder; empty if none, or if
// two files share that short form.
QString longNameForShort(const QString &folder, const QString &shortName);

// The other entries of longName's folder whose short form equals that of longName
// (ignoring case), so that a sample name would not tell them apart: only names
// already in 8.3 form that differ in case alone.
QStringList shortNameClashes(const QString &longName);

// The file of folder named name: the exact match first, else the one file whose
// name equals it ignoring case. A file name without folder; empty if none.
QString findFileCaseInsensitive(const QString &folder, const QString &name);
// The file at relative below folder, each component matched ignoring case when the
// exact one is missing (libraries made on Windows); its path, empty when none exists.
QString findPathCaseInsensitive(const QString &folder, const QString &relative);

} // namespace tamo::util
