// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace tamo::wav {

// Where a sound is louder than the silence threshold: frames [start, end) of
// the source. Both 0 when every frame is below it.
struct SoundBounds {
    qint64 start = 0;
    qint64 end = 0;
    bool isSilent() const { return end <= start; }
    friend bool operator==(const SoundBounds &, const SoundBounds &) = default;
};

constexpr double kSilenceDb = -60.0; // dBFS below which a leading or trailing frame is silence
constexpr double kNormalizeDb = -1.0; // where a normalised set's loudest sample peaks

double decibelsToGain(double db);

// The largest magnitude of any channel in frames [from, to) of interleaved samples
// (full scale 1.0); to < 0 means the last frame.
float peakOf(const float *samples, qint64 frames, int channels, qint64 from = 0, qint64 to = -1);

// The first and one past the last frame where any channel reaches thresholdDb.
SoundBounds soundBoundsOf(const float *samples, qint64 frames, int channels, double thresholdDb = kSilenceDb);

// One gain for a whole set (SourceCut::gain) so that its loudest peak reaches
// targetDb; the balance between samples stays. 1.0 for a silent set.
double setGain(const std::vector<float> &peaks, double targetDb = kNormalizeDb);

} // namespace tamo::wav
