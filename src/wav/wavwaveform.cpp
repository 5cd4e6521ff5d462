// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/wavwaveform.h"

#include "wav/soundfile.h"
#include "wav/wavinfo.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tamo::wav {

namespace {

// A block's edge costs one small read: about 2 KiB of frames. Reads while
// building go in 1 MiB pieces.
constexpr qint64 kBlockBytes = 2048;
constexpr qint64 kReadBytes = 1 << 20;

// Adds the first-channel levels of the n frames in `bytes`.
void addLevels(const char *bytes, qint64 n, qint64 frame, SampleEncoding encoding, WaveformColumn &column)
{
    if (n <= 0)
        return;
    if (encoding == SampleEncoding::Signed16) {
        // The level grows with the value: the extremes of the values give those of the levels.
        qint16 low = qFromLittleEndian<qint16>(bytes), high = low;
        auto scan = [&](qint64 stride) {
            for (qint64 i = 1; i < n; ++i) {
                const qint16 v = qFromLittleEndian<qint16>(bytes + i * stride);
                low = std::min(low, v);
                high = std::max(high, v);
            }
        };
        if (frame == 2)
            scan(2); // mono: a constant stride the compiler can vectorise
        else
            scan(frame);
        column.add(float(low / 32768.0));
        column.add(float(high / 32768.0));
        return;
    }
    for (qint64 i = 0; i < n; ++i)
        column.add(float(sampleLevel(bytes + i * frame, encoding)));
}

qint64 ceilDiv(qint64 a, qint64 b) { return a / b + (a % b > 0 ? 1 : 0); }

} // namespace

WaveformSummary::WaveformSummary(ByteSource &source)
{
    const qint64 length = source.size();
    qint64 d = findDataTag(source);
    if (d < 0)
        d = length;
    if (d == 0 || length == 0)
        return;
    m_drawn = true;
    m_dataSize = source.int32At(d + 4);
    if (m_dataSize <= 0)
        return;
    m_format = fileSampleFormat(source).format.value_or(SampleFormat{});
    const qint64 frame = m_format.frameBytes();
    m_payload = d + 8;
    m_fileFrames = std::clamp<qint64>(ceilDiv(length - m_payload, frame), 0, ceilDiv(m_dataSize, frame));
    m_blockFrames = std::max<qint64>(1, kBlockBytes / frame);

    // One pass over the payload, a whole number of blocks per read.
    const qint64 perRead = std::max<qint64>(1, kReadBytes / (m_blockFrames * frame)) * m_blockFrames;
    QByteArray buffer(qsizetype(std::min(perRead, m_fileFrames) * frame), Qt::Uninitialized);
    m_blocks.reserve(qsizetype(ceilDiv(m_fileFrames, m_blockFrames)));
    for (qint64 k = 0; k < m_fileFrames; k += perRead) {
        const qint64 n = std::min(perRead, m_fileFrames - k);
        source.readPadded(m_payload + k * frame, buffer.data(), n * frame);
        for (qint64 b = 0; b < n; b += m_blockFrames) {
            WaveformColumn block;
            addLevels(buffer.constData() + b * frame, std::min(m_blockFrames, n - b), frame, m_format.encoding, block);
            m_blocks.append(block);
        }
    }
}

void WaveformSummary::addFrames(ByteSource &source, qint64 a, qint64 b, WaveformColumn &column,
                                BlockCache &cache) const
{
    // Block by block through the cache: the edge between two columns lies in one
    // block, read once for both.
    const qint64 frame = m_format.frameBytes();
    const qint64 B = m_blockFrames;
    if (cache.bytes.size() != B * frame)
        cache.bytes.resize(qsizetype(B * frame));
    for (qint64 k = a; k < b;) {
        const qint64 block = k / B, start = block * B, end = std::min(b, start + B);
        if (cache.block != block) {
            source.readPadded(m_payload + start * frame, cache.bytes.data(),
                              std::min(B, m_fileFrames - start) * frame);
            cache.block = block;
        }
        addLevels(cache.bytes.constData() + (k - start) * frame, end - k, frame, m_format.encoding, column);
        k = end;
    }
}

QList<WaveformColumn> WaveformSummary::columns(ByteSource &source, qint64 count, qint64 first, qint64 last,
                                               double drawLength) const
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, count);
    QList<WaveformColumn> out(qsizetype(std::max<qint64>(last - first, 0)));
    if (m_dataSize <= 0 || count <= 0)
        return out;
    const qint64 frame = m_format.frameBytes();
    const qint64 canvasFrames = ceilDiv(m_dataSize, frame);
    // Frames that end within drawLength; the first one always.
    qint64 drawnFrames = 1;
    if (drawLength >= double(canvasFrames * frame))
        drawnFrames = canvasFrames;
    else if (drawLength >= double(frame))
        drawnFrames = qint64(std::floor(drawLength / double(frame)));
    const qint64 fileFrames = std::min(m_fileFrames, drawnFrames);
    const qint64 perColumn = count * frame; // frame k is in column floor(k * perColumn / S)
    const qint64 B = m_blockFrames;
    BlockCache cache;
    for (qint64 c = first; c < last; ++c) {
        WaveformColumn &column = out[qsizetype(c - first)];
        const qint64 a = ceilDiv(c * m_dataSize, perColumn);
        const qint64 b = std::min(ceilDiv((c + 1) * m_dataSize, perColumn), drawnFrames);
        if (a >= b)
            continue;
        if (b > fileFrames)
            column.add(0.0f); // past the end of the source: silence
        const qint64 end = std::min(b, fileFrames);
        if (a >= end)
            continue;
        const qint64 firstBlock = ceilDiv(a, B), lastBlock = end / B;
        if (firstBlock >= lastBlock) {
            addFrames(source, a, end, column, cache);
            continue;
        }
        addFrames(source, a, firstBlock * B, column, cache);
        for (qint64 i = firstBlock; i < lastBlock; ++i)
            column.add(m_blocks[qsizetype(i)]);
        addFrames(source, lastBlock * B, end, column, cache);
    }
    return out;
}

QList<WaveformColumn> computeWaveform(ByteSource &source, qint64 count, double drawLength)
{
    return WaveformSummary(source).columns(source, count, 0, count, drawLength);
}

QList<WaveformColumn> computeWaveform(QByteArrayView bytes, qint64 count, double drawLength)
{
    MemorySource source(bytes);
    return computeWaveform(source, count, drawLength);
}

QByteArray decodedForDrawing(const QString &path)
{
    const SoundFile file(path);
    const int channels = file.isOpen() ? file.info().channels : 0;
    const int type = file.info().format & SF_FORMAT_TYPEMASK;
    if (channels < 1 || file.info().frames <= 0 || type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX)
        return {}; // a WAV is drawn from its own bytes
    // Two bytes a frame, as many as a data size can count.
    const qint64 frames = std::min<qint64>(file.info().frames, (std::numeric_limits<qint32>::max() - qint64(wavhdr::kSize)) / 2);
    QByteArray out = canonicalHeader(qint32(wavhdr::kSize - 8 + 2 * frames), 1, file.info().samplerate, qint32(2 * frames));
    const qint64 headerBytes = out.size();
    out.resize(qsizetype(headerBytes + 2 * frames), '\0');
    constexpr qint64 kBlock = 65536;
    std::vector<float> block(std::size_t(kBlock * channels));
    for (qint64 at = 0; at < frames;) {
        const qint64 got = sf_readf_float(file.handle(), block.data(), std::min(kBlock, frames - at));
        if (got <= 0)
            break; // the rest stays silent
        for (qint64 i = 0; i < got; ++i) {
            const auto level = qint16(std::clamp(std::lround(double(block[std::size_t(i * channels)]) * 32768.0), -32768L, 32767L));
            qToLittleEndian(level, out.data() + headerBytes + 2 * (at + i));
        }
        at += got;
    }
    return out;
}

} // namespace tamo::wav
