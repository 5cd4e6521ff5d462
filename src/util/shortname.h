// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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

// The name a file takes on a keyboard's stick, made from any text by every road
// alike: upper case, only A-Z, 0-9, "_" and "-" ("#" read as "S"), the words joined
// by "_" where that fits in length, else run together, else shortened (inner vowels
// dropped, then the longest words cut, each keeping a letter): "pad_F#2" gives
// "PAD_FS2", "Ride2(R)" "RIDE2_R", "Kick Drum" "KICKDRUM". "_" when nothing is left,
// "_" before a device name ("_CON").
QString stickName(QStringView text, qsizetype length = 8);
// stem + tail when isFree accepts it, else the stem cut to make room for a number
// before the tail ("SNARE2", "PIAN2_C3"), the first one isFree accepts.
QString freeStickName(const QString &stem, const QString &tail, const std::function<bool(const QString &)> &isFree);
// Whether name (without extension) is one a stick holds as it is: 1 to 8 of A-Z,
// 0-9, "_", "-" and "~".
bool isStickName(QStringView name);

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
