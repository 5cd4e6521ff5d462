// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace tamo::wav {

// Raw file bytes as the WAV panel shows them: one character per byte in the
// Windows-1252 code page, each zero byte shown as the degree sign (byte 176).
QString byteText(QByteArrayView bytes);
// The bytes a panel text stands for: Windows-1252, the degree sign written as the
// zero byte it stands for, a character outside the code page as "?".
QByteArray textBytes(QStringView text);
// What to write back for a byte text that was shown for `shownBytes`: those very
// bytes while the text is unchanged (a real byte 176 and a zero byte look alike),
// otherwise textBytes(text).
QByteArray writeBackBytes(QStringView text, QByteArrayView shownBytes);

// One character of the code page, and back (nullopt outside it).
QChar cp1252Char(quint8 byte);
std::optional<quint8> cp1252Byte(QChar c);

// A whole number written in a panel field (optional sign, digits, surrounding
// spaces allowed) that fits a signed field of `bits` bits; nullopt otherwise.
std::optional<qint64> parseFieldNumber(QStringView text, int bits);

// The number a text starts with, as a lenient conversion reads it: leading
// spaces, an optional sign, digits with an optional fraction; 0 when none.
double leadingNumber(QStringView text);

} // namespace tamo::wav
