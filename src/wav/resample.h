// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

namespace tamo::wav {

// Interleaved frames played faster by ratio (2: an octave up, half as many frames),
// through libsoxr: round(count / ratio) frames; empty when ratio is not positive or
// the resampler fails.
std::vector<float> resampleBy(const float *frames, qint64 count, int channels, double ratio);

} // namespace tamo::wav
