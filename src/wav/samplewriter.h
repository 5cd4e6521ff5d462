// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
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
    // Full-scale 32-bit frames, cut to the written bits (the top ones, no dither);
    // not while held.
    bool write(const qint32 *samples, qint64 frames);
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

// A loop in frames of the written file, its end one past the last looped frame.
struct WrittenLoop {
    quint32 type = 0; // 0 forward, 1 alternating, 2 backward
    qint64 start = 0, end = 0;
    quint32 count = 0;
};

// The sampler chunk ("smpl") of a file at rate: its unity note, cents above it
// (below: the note under it), and its loops.
QByteArray samplerChunk(int unityNote, int cents, const std::vector<WrittenLoop> &loops, int rate);

// Samples from -1 to 1 as full-scale 32-bit frames, rounded, clipped at both ends.
std::vector<qint32> fullScaleFrames(const float *samples, size_t count);

// A whole PCM file at path, written atomically: the canonical header, the
// interleaved full-scale frames cut to bits (16 or 24), then sampler, if any.
// Empty when written, else the system's reason.
QString writePcmFile(const QString &path, const std::vector<qint32> &frames, int channels, int rate, int bits,
                     const QByteArray &sampler = {});

} // namespace tamo::wav
