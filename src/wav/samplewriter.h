// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace tamo {
class AtomicFileWriter;
}

namespace tamo::wav {

// Two uniform values per sample give triangular noise of +-1 step.
class TpdfDither {
public:
    float next()
    {
        const float a = float(step() >> 8) * (1.0f / 16777216.0f);
        const float b = float(step() >> 8) * (1.0f / 16777216.0f);
        return a - b;
    }

private:
    quint32 step()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    quint32 m_state = 0x9e3779b9u;
};

// The program's one writer of PCM samples: quantises interleaved float frames to
// 16- or 24-bit little-endian bytes (TPDF dither when asked) and appends them to
// out, after the header the caller wrote (canonicalHeader). Exactly `frames` frames
// go out: more are dropped, fewer are padded by padToEnd().
class SampleWriter {
public:
    SampleWriter(AtomicFileWriter &out, int channels, qint64 frames, bool dither, int bits = 16);
    // False when the file could not take them.
    bool write(const float *samples, qint64 frames);
    bool padToEnd();
    qint64 left() const { return m_left; }
    // Frames written from now on are kept until release(), which lets change work
    // on all of them before they are quantised.
    void hold() { m_hold = true; }
    bool release(const std::function<void(float *, qint64)> &change);

private:
    bool m_hold = false;
    std::vector<float> m_held;
    AtomicFileWriter &m_out;
    int m_channels;
    qint64 m_left;
    bool m_dither;
    int m_bytesPerSample;
    TpdfDither m_noise;
    QByteArray m_bytes;
};

} // namespace tamo::wav
