#pragma once
// Short WAV files built in memory, for the WAV tests here and of the MSP editor.

#include <QByteArray>
#include <QtEndian>

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

// 16-bit PCM.
inline QByteArray fmtChunk(int channels = 1, int rate = 44100)
{
    return chunk("fmt ", le16(1) + le16(channels) + le32(rate) + le32(rate * channels * 2) + le16(channels * 2)
                             + le16(16));
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

} // namespace tamo::test::wavgen
