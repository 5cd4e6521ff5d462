// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Short WAV files built in memory, for the WAV tests here and of the MSP editor.

#include <QByteArray>
#include <QtEndian>

#include <cmath>

namespace tamo::test::wavgen {

template <class T> QByteArray littleEndian(qint64 v)
{
    QByteArray b(sizeof(T), '\0');
    qToLittleEndian(T(v), b.data());
    return b;
}
inline QByteArray le32(qint64 v) { return littleEndian<quint32>(v); }
inline QByteArray le16(qint64 v) { return littleEndian<quint16>(v); }

inline qint32 int32At(const QByteArray &b, qsizetype at) { return qFromLittleEndian<qint32>(b.constData() + at); }

// A RIFF chunk, padded to an even length.
inline QByteArray chunk(const char *id, const QByteArray &body)
{
    const QByteArray c = QByteArray(id, 4) + le32(body.size()) + body;
    return body.size() % 2 ? c + '\0' : c;
}

// A format chunk body; tag 0xFFFE gets the extensible part with `subFormat`.
inline QByteArray fmtBody(int tag, int channels, int bits, int subFormat = 1, int rate = 44100)
{
    const int align = channels * ((bits + 7) / 8);
    QByteArray body = le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
    if (tag == 0xFFFE) // the speaker mask, then the GUID's tail
        body += le16(22) + le16(bits) + le32(channels == 1 ? 4 : 3) + le16(subFormat)
                + QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    return body;
}

// 16-bit PCM.
inline QByteArray fmtChunk(int channels = 1, int rate = 44100) { return chunk("fmt ", fmtBody(1, channels, 16, 1, rate)); }

// A sample of `bytes` bytes at a level from -1 to 1 (tag 3: float).
inline QByteArray sampleAt(double level, int tag, int bytes)
{
    QByteArray s(bytes, '\0');
    if (tag == 3 && bytes == 4)
        qToLittleEndian(float(level), s.data());
    else if (tag == 3)
        qToLittleEndian(level, s.data());
    else if (bytes == 1)
        s[0] = char(qRound(level * 127) + 128);
    else
        for (int i = 0; i < bytes; ++i) // signed, scaled to the width, little-endian
            s[i] = char(qint64(std::ldexp(level, 8 * bytes - 1)) >> (8 * i));
    return s;
}

inline QByteArray riff(const QByteArray &chunks) { return "RIFF" + le32(chunks.size() + 4) + "WAVE" + chunks; }

// Varied bytes that never spell "data".
inline QByteArray payload(qsizetype n)
{
    QByteArray p(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        p[i] = char((i * 37 + 11) % 251);
    return p;
}

// A mono 44.1 kHz file: the format chunk, any extra chunks, the data chunk
// (unpadded, so the header is 44 bytes without extras), then raw trailing bytes.
inline QByteArray wavFile(const QByteArray &data, const QByteArray &trailer = {}, const QByteArray &extra = {})
{
    return riff(fmtChunk() + extra + "data" + le32(data.size()) + data) + trailer;
}

// The 68-byte "smpl" chunk CleanUp appends for S data bytes, field by field: MIDI
// maker code 26 hex, a period of 26666 ns, unity note 60, one forward loop from S / 2
// to S / 2 + 15, each half rounded to the even neighbour.
inline QByteArray cleanUpSampler(qint64 S)
{
    const auto half = [](qint64 n) { return n / 2 + (n % 2 && (n / 2) % 2); };
    return "smpl" + le32(60) + le32(0x01000026) + le32(0) + le32(26666) + le32(60) + QByteArray(12, '\0') + le32(1)
           + QByteArray(12, '\0') + le32(half(S)) + le32(half(S + 30)) + QByteArray(8, '\0');
}

} // namespace tamo::test::wavgen
