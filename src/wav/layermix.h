// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

namespace tamo::wav {

// One layer of a mix: interleaved samples from -1 to 1 (mono or stereo) with its
// loop, and how it joins the mix.
struct MixPart {
    std::vector<float> samples;
    int channels = 1;
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0; // the end one past the last looped frame
    double ratio = 1.0; // played faster by: its rate and pitch against the mix's
    double gain = 1.0;
    double pan = 0;     // -1 left .. 1 right, for a mono layer
    // Its level against the mix's own envelope: (seconds, dB) points, straight in dB
    // between them, the last one held. Empty: level.
    std::vector<std::pair<double, double>> envelope;
};

struct LayerMix {
    bool ok = false;    // false when a layer could not be resampled
    std::vector<float> samples; // interleaved
    int channels = 1;
    double scale = 1.0; // the gain taken so that the mix stays below full scale
    // Some layer held a loop, so one was sought again on the mix (found or not).
    bool loopSought = false;
    bool looped = false; // found: the mix ends at the loop end, crossfaded where needed
    qint64 loopStart = 0, loopEnd = 0;
};

// Layers sounding together as one sound at rate: each held through its loop and
// resampled by its ratio, at its gain, mono layers panned at constant power (the
// middle keeps its level) when the pans differ or a layer is stereo; the whole
// scaled below full scale. Held layers give two more seconds of the held mix after
// every envelope has settled, in which the loop is sought again. At most longestFrames long.
LayerMix mixLayers(const std::vector<MixPart> &parts, int rate, qint64 longestFrames);

} // namespace tamo::wav
