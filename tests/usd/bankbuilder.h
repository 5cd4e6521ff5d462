#pragma once

// Builds bank images byte by byte for the tests of both bank formats.

#include "usd/usdfile.h"

#include <QByteArray>
#include <QList>

namespace tamo::test {

// An entry of size bytes: the name padded with spaces to 12 bytes, then data that
// differs from entry to entry.
inline QByteArray bankEntry(QByteArrayView name, qsizetype size, int seed)
{
    QByteArray bytes = name.first(qMin<qsizetype>(name.size(), 12)).toByteArray().leftJustified(12, ' ');
    for (qsizetype i = bytes.size(); i < size; ++i)
        bytes += char((seed * 37 + i * 11) & 0xFF);
    return bytes;
}

// Stores the right checksum of image in its bytes 5 and 6.
inline void fixChecksum(QByteArray &image)
{
    const bank::Checksum sum = bank::HeaderChecksum(QByteArrayView(image).sliced(7));
    image[5] = char(sum.high);
    image[6] = char(sum.low);
}

// Appends bytes to image and fixes its checksum.
inline QByteArray withTail(QByteArray image, const QByteArray &bytes)
{
    image += bytes;
    fixChecksum(image);
    return image;
}

inline QByteArray bankImage(QByteArrayView magic, char version, const QList<QByteArray> &parts, bool goodChecksum = true)
{
    QByteArray image = withTail(magic.toByteArray() + version + QByteArray(2, '\0'), parts.join());
    image[6] = char(quint8(image[6]) ^ (goodChecksum ? 0 : 0x5A));
    return image;
}

// Kits named P1, P2...; or voices named P1..., the tag, and tagged entries PT1...
inline QByteArray bankImage(bool usd, QByteArray prefix, int entries, int tagged, QByteArrayView tag = "KORG1  ", bool goodChecksum = true)
{
    QList<QByteArray> parts;
    for (int i = 1; i <= entries; ++i)
        parts << bankEntry(prefix + QByteArray::number(i), usd ? 460 : 48, prefix[0] + i);
    if (!usd)
        parts << tag.toByteArray();
    for (int j = 1; j <= tagged; ++j)
        parts << bankEntry(prefix + 'T' + QByteArray::number(j), 32, prefix[0] + 50 + j);
    return bankImage(usd ? "KUSD" : "KUSV", usd ? 3 : 0, parts, goodChecksum);
}

inline QByteArray usdImage(int kits) { return bankImage(true, "K", kits, 0); }
inline QByteArray usvImage(int voices, int tagged, QByteArrayView tag = "KORG1  ", bool goodChecksum = true)
{
    return bankImage(false, "V", voices, tagged, tag, goodChecksum);
}

} // namespace tamo::test
