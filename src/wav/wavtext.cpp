// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/wavtext.h"

#include "util/replacechar.h"

#include <array>

namespace tamo::wav {

namespace {

constexpr quint8 kZeroShownAs = 176; // the degree sign

// 0x80..0x9F of Windows-1252; its five unassigned codes map to the C1 control of
// the same number, as the system's own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar cp1252Char(quint8 byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHighControls[byte - 0x80]);
    return QChar(char16_t(byte));
}

std::optional<quint8> cp1252Byte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return quint8(u);
    for (size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == u)
            return quint8(0x80 + i);
    return std::nullopt;
}

QString byteText(QByteArrayView bytes)
{
    // ReplaceChar only fails for codes outside 0..255, never for these two.
    const QByteArray shown = util::ReplaceChar(bytes, 0, kZeroShownAs).value_or(bytes.toByteArray());
    QString text(shown.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : shown)
        *out++ = cp1252Char(quint8(b));
    return text;
}

QByteArray textBytes(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const quint8 b = cp1252Byte(c).value_or(quint8('?'));
        *out++ = char(b == kZeroShownAs ? 0 : b);
    }
    return bytes;
}

QByteArray writeBackBytes(QStringView text, QByteArrayView shownBytes)
{
    if (text == byteText(shownBytes))
        return shownBytes.toByteArray();
    return textBytes(text);
}

std::optional<qint64> parseFieldNumber(QStringView text, int bits)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > (qint64(1) << 40)) // far beyond any field; stops overflow
            return std::nullopt;
    }
    if (negative)
        value = -value;
    const qint64 lo = -(qint64(1) << (bits - 1));
    const qint64 hi = (qint64(1) << (bits - 1)) - 1;
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    double value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (i < text.size() && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            value += (text[i].unicode() - u'0') * scale;
            scale /= 10;
        }
    }
    return negative ? -value : value;
}

} // namespace tamo::wav
