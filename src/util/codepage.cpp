// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/codepage.h"

namespace tamo::util {

QChar windows1252DisplayChar(quint8 byte)
{
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0x20 marks the unassigned codes.
    static constexpr char16_t k80to9F[32] = {
        0x20AC, 0x0020, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x0020, 0x017D, 0x0020,
        0x0020, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0020, 0x017E, 0x0178};
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(k80to9F[byte - 0x80]);
    return QChar(char16_t(byte));
}

QString windows1252DisplayText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text += windows1252DisplayChar(quint8(c));
    return text;
}

} // namespace tamo::util
