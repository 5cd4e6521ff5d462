// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/wavbytes.h"
#include "wav/wavformat.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace tamo::wav {

// The lowest and highest level (-1 to 1) of the frames that fall in one pixel
// column of the drawing; low > high when none does.
struct WaveformColumn {
    float low = 1, high = -1;
    bool isEmpty() const { return low > high; }
    void add(float level)
    {
        low = std::min(low, level);
        high = std::max(high, level);
    }
    void add(WaveformColumn other)
    {
        low = std::min(low, other.low);
        high = std::max(high, other.high);
    }
    friend bool operator==(const WaveformColumn &, const WaveformColumn &) = default;
};

// The waveform of a file's data chunk. Samples are read as the format chunk says
// (PCM of 8 to 32 bits, float, A-law, mu-law; 16-bit mono when it says nothing a
// reader knows), the first channel of every frame. On a canvas `count` columns
// wide, the frame at byte offset o of the payload falls in column
// floor(count * o / S); frames past the source's end are silence. The summary
// keeps the low and high of every block of frames, read once in large blocks
// whatever the file size, so that any column is the union of whole blocks plus
// at most two partial blocks read directly: a redraw at any zoom reads little.
class WaveformSummary {
public:
    WaveformSummary() = default;
    explicit WaveformSummary(ByteSource &source);

    // False when there is nothing to draw at all (empty file, or the "data" tag at
    // offset 0): the canvas stays clear, without even the reference lines.
    bool isDrawn() const { return m_drawn; }
    qint32 dataSize() const { return m_dataSize; } // S

    // Columns [first, last) of a canvas `count` columns wide, drawing the frames
    // that end within `drawLength` bytes of payload (the number in the data size
    // field, which may differ from the file's; the first frame always). All empty
    // when S <= 0. `source` is the one the summary was built from.
    QList<WaveformColumn> columns(ByteSource &source, qint64 count, qint64 first, qint64 last,
                                  double drawLength) const;

    qint64 blockFrames() const { return m_blockFrames; }

private:
    struct BlockCache {
        qint64 block = -1;
        QByteArray bytes;
    };
    // Adds the levels of frames [a, b) (all inside the source) read from it.
    void addFrames(ByteSource &source, qint64 a, qint64 b, WaveformColumn &column, BlockCache &cache) const;

    bool m_drawn = false;
    qint32 m_dataSize = 0;
    qint64 m_payload = 0;   // file offset of the first frame
    qint64 m_fileFrames = 0; // frames on the canvas that start inside the source
    qint64 m_blockFrames = 1;
    SampleFormat m_format;
    QList<WaveformColumn> m_blocks;
};

// A sound file other than a WAV (FLAC, AIFF, Ogg) as libsndfile decodes it: its
// first channel as a canonical 16-bit mono WAV in memory, to draw as one. Empty
// for a WAV or when it cannot be read.
QByteArray decodedForDrawing(const QString &path);

// All `count` columns at once, for a file read a single time.
QList<WaveformColumn> computeWaveform(ByteSource &source, qint64 count, double drawLength);
QList<WaveformColumn> computeWaveform(QByteArrayView bytes, qint64 count, double drawLength);

} // namespace tamo::wav
