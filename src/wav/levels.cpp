// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/levels.h"


#include <algorithm>
#include <cmath>

namespace tamo::wav {

double decibelsToGain(double db) { return std::pow(10.0, db / 20.0); }


float peakOf(const float *samples, qint64 frames, int channels, qint64 from, qint64 to)
{
    to = to < 0 ? frames : std::min(to, frames);
    float peak = 0;
    // An infinite sample is written at full scale whatever the gain, so it cannot set one.
    for (qint64 i = std::max<qint64>(from, 0) * channels; i < to * channels; ++i) {
        if (std::isfinite(samples[i]))
            peak = std::max(peak, std::fabs(samples[i]));
    }
    return peak;
}

SoundBounds soundBoundsOf(const float *samples, qint64 frames, int channels, double thresholdDb)
{
    const float threshold = float(decibelsToGain(thresholdDb));
    auto loud = [&](qint64 frame) {
        for (int c = 0; c < channels; ++c)
            if (std::fabs(samples[frame * channels + c]) >= threshold)
                return true;
        return false;
    };
    qint64 start = 0;
    while (start < frames && !loud(start))
        ++start;
    if (start == frames)
        return {};
    qint64 end = frames;
    while (!loud(end - 1))
        --end;
    return {start, end};
}

double setGain(const std::vector<float> &peaks, double targetDb)
{
    const float loudest = peaks.empty() ? 0.0f : *std::max_element(peaks.begin(), peaks.end());
    return loudest > 0 ? decibelsToGain(targetDb) / double(loudest) : 1.0;
}

} // namespace tamo::wav
