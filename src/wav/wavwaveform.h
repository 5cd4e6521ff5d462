#pragma once

#include "wav/wavbytes.h"

#include <QList>
#include <QPointF>

namespace tamo::wav {

// The waveform of a file's data chunk in canvas units (twips): one point per
// plotted sample, joined by lines from the first to the last.
struct WaveformPlot {
    // False when there is nothing to draw at all (empty file, or the "data" tag at
    // offset 0): the canvas stays clear, without even the reference lines.
    bool drawn = false;
    // The plotted samples; empty when the data size is 0 or negative, so that
    // only the reference and centre lines are drawn.
    QList<QPointF> points;
    qint64 dataOffset = -1; // d; the source length when there is no tag
    qint32 dataSize = 0;    // S
    qint64 step = 0;        // bytes between plotted samples
    qint64 frameBytes = 2;  // bytes of one sample frame (all channels)
};

// Plots the samples of the data chunk on a canvas of width x height units, reading
// `drawLength` bytes of payload (the number in the data size field, which may
// differ from the file's). Samples are read as the format chunk says (PCM of 8 to
// 32 bits, float, A-law, mu-law; 16-bit mono when it says nothing a reader knows),
// the first channel of every plotted frame. The frame at byte offset o in the
// payload lands at x = width * o / S; full scale at the top, negative full scale
// at the bottom, silence on the centre line. At most about one sample per unit of
// width is read, whatever the file size; samples past the end of the source are
// silence.
WaveformPlot computeWaveform(ByteSource &source, double width, double height, double drawLength);
WaveformPlot computeWaveform(QByteArrayView bytes, double width, double height, double drawLength);

} // namespace tamo::wav
