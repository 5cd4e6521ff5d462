// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/samplewriter.h"

#include "util/atomicfile.h"
#include "wav/wavinfo.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace tamo::wav {

namespace {
constexpr qint64 kSilenceFrames = 16384;

// The sampler chunk: 36 bytes after its 8-byte chunk header, then 24 per loop.
constexpr qsizetype kSmplPeriodAt = 16;
constexpr qsizetype kSmplUnityNoteAt = 20;
constexpr qsizetype kSmplPitchFractionAt = 24;
constexpr qsizetype kSmplLoopCountAt = 36;
constexpr qsizetype kSmplLoopsAt = 44;
constexpr qsizetype kSmplLoopSize = 24;
constexpr qsizetype kLoopTypeAt = 4;
constexpr qsizetype kLoopStartAt = 8;
constexpr qsizetype kLoopEndAt = 12;
constexpr qsizetype kLoopPlayCountAt = 20;

void put32(QByteArray &b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }

} // namespace

// Loop ends here are one past the last looped frame; the chunk stores the last.
QByteArray samplerChunk(int unityNote, int cents, const std::vector<WrittenLoop> &loops, int rate)
{
    if (cents < 0 && unityNote > 0) { // the fraction only goes upwards
        --unityNote;
        cents += 100;
    }
    QByteArray c(kSmplLoopsAt + qsizetype(loops.size()) * kSmplLoopSize, '\0');
    std::copy_n("smpl", 4, c.data());
    put32(c, 4, quint32(c.size() - 8));
    put32(c, kSmplPeriodAt, rate > 0 ? quint32(std::lround(1e9 / rate)) : 0u);
    put32(c, kSmplUnityNoteAt, quint32(std::clamp(unityNote, 0, 127)));
    if (cents > 0) // cents above the unity note, as a fraction of a semitone
        put32(c, kSmplPitchFractionAt, quint32(double(std::min(cents, 99)) / 100.0 * 4294967296.0));
    put32(c, kSmplLoopCountAt, quint32(loops.size()));
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const qsizetype at = kSmplLoopsAt + qsizetype(i) * kSmplLoopSize;
        put32(c, at, quint32(i));
        put32(c, at + kLoopTypeAt, loops[i].type);
        put32(c, at + kLoopStartAt, quint32(loops[i].start));
        put32(c, at + kLoopEndAt, quint32(loops[i].end - 1));
        put32(c, at + kLoopPlayCountAt, loops[i].count);
    }
    return c;
}

SampleWriter::SampleWriter(AtomicFileWriter &out, int channels, qint64 frames, bool dither, int bits)
    : m_out(out), m_channels(channels), m_left(frames), m_dither(dither), m_bytesPerSample(bits == 24 ? 3 : 2)
{
}

bool SampleWriter::write(const float *samples, qint64 frames)
{
    frames = std::min(frames, m_left);
    if (m_hold) {
        m_held.insert(m_held.end(), samples, samples + std::size_t(frames) * std::size_t(m_channels));
        m_left -= frames;
        return true;
    }
    const qsizetype count = qsizetype(frames) * m_channels;
    m_bytes.resize(count * m_bytesPerSample);
    char *dst = m_bytes.data();
    const float full = m_bytesPerSample == 3 ? 8388608.0f : 32768.0f;
    for (qsizetype i = 0; i < count; ++i) {
        // Clamped before rounding: lrint of a value past a long is undefined.
        const float scaled = samples[i] * full + (m_dither ? m_noise.next() : 0.0f);
        const long v = std::lrint(std::isnan(scaled) ? 0.0f : std::clamp(scaled, -full, full - 1.0f));
        if (m_bytesPerSample == 2) {
            qToLittleEndian(qint16(v), dst + 2 * i);
        } else {
            const quint32 u = quint32(qint32(v));
            dst[3 * i] = char(u & 0xff);
            dst[3 * i + 1] = char((u >> 8) & 0xff);
            dst[3 * i + 2] = char((u >> 16) & 0xff);
        }
    }
    m_left -= frames;
    return m_out.write(m_bytes);
}

bool SampleWriter::write(const qint32 *samples, qint64 frames)
{
    frames = std::min(frames, m_left);
    const qsizetype count = qsizetype(frames) * m_channels;
    m_bytes.resize(count * m_bytesPerSample);
    char *dst = m_bytes.data();
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 u = quint32(samples[i]);
        if (m_bytesPerSample == 2) {
            dst[2 * i] = char((u >> 16) & 0xff);
            dst[2 * i + 1] = char((u >> 24) & 0xff);
        } else {
            dst[3 * i] = char((u >> 8) & 0xff);
            dst[3 * i + 1] = char((u >> 16) & 0xff);
            dst[3 * i + 2] = char((u >> 24) & 0xff);
        }
    }
    m_left -= frames;
    return m_out.write(m_bytes);
}

bool SampleWriter::padToEnd()
{
    const std::vector<float> silence(std::size_t(kSilenceFrames) * std::size_t(m_channels), 0.0f);
    const bool dither = m_dither;
    m_dither = false;
    while (m_left > 0) {
        if (!write(silence.data(), std::min<qint64>(m_left, kSilenceFrames)))
            return false;
    }
    m_dither = dither;
    return true;
}

bool SampleWriter::release(const std::function<void(float *, qint64)> &change)
{
    m_hold = false;
    const qint64 frames = qint64(m_held.size()) / m_channels;
    change(m_held.data(), frames);
    m_left += frames;
    return write(m_held.data(), frames);
}

std::vector<qint32> fullScaleFrames(const float *samples, size_t count)
{
    std::vector<qint32> frames(count);
    for (size_t i = 0; i < count; ++i)
        frames[i] = qint32(std::clamp(std::lround(double(samples[i]) * 2147483648.0), -2147483648L, 2147483647L));
    return frames;
}

QString writePcmFile(const QString &path, const std::vector<qint32> &frames, int channels, int rate, int bits,
                     const QByteArray &sampler)
{
    const qint64 count = qint64(frames.size()) / std::max(channels, 1);
    const qint64 dataSize = count * channels * (bits == 24 ? 3 : 2);
    const qint64 pad = dataSize & 1; // a chunk after odd data starts on an even byte
    if (wavhdr::kSize + dataSize + pad + sampler.size() > qint64(0xffffffffu))
        return QStringLiteral("too long for a WAV file");
    AtomicFileWriter out(path);
    SampleWriter writer(out, channels, count, false, bits);
    const bool written = out.open()
                      && out.write(canonicalHeader(qint32(quint32(wavhdr::kSize - 8 + dataSize + pad + sampler.size())), channels,
                                                   rate, qint32(quint32(dataSize)), bits))
                      && writer.write(frames.data(), count) && (pad == 0 || out.write(QByteArray(pad, '\0')))
                      && (sampler.isEmpty() || out.write(sampler))
                      && out.commit();
    return written ? QString() : out.errorString();
}

} // namespace tamo::wav
