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

inline QByteArray usdImage(int kits, bool goodChecksum = true)
{
    QList<QByteArray> entries;
    for (int i = 0; i < kits; ++i)
        entries << bankEntry("Kit " + QByteArray::number(i + 1), 460, i + 1);
    return bankImage("KUSD", 3, entries, goodChecksum);
}

// Voices, the tag, then tagged entries.
inline QByteArray usvImage(int voices, int tagged, QByteArrayView tag = "KORG1  ", bool goodChecksum = true)
{
    QList<QByteArray> parts;
    for (int i = 0; i < voices; ++i)
        parts << bankEntry("Voice " + QByteArray::number(i + 1), 48, i + 1);
    parts << tag.toByteArray();
    for (int j = 0; j < tagged; ++j)
        parts << bankEntry("Entry " + QByteArray::number(j + 1), 32, 100 + j);
    return bankImage("KUSV", 0, parts, goodChecksum);
}

} // namespace tamo::test
