// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/samplewriter.h"

#include "util/atomicfile.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace tamo::wav {

namespace {
constexpr qint64 kSilenceFrames = 16384;
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

} // namespace tamo::wav
