// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/resample.h"

#include <soxr.h>

#include <cmath>

namespace tamo::wav {

std::vector<float> resampleBy(const float *frames, qint64 count, int channels, double ratio)
{
    if (!(ratio > 0) || !std::isfinite(ratio) || count <= 0 || channels < 1)
        return {};
    const auto out = std::size_t(std::llround(double(count) / ratio));
    std::vector<float> result(out * std::size_t(channels));
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    std::size_t done = 0;
    if (soxr_oneshot(ratio, 1.0, unsigned(channels), frames, std::size_t(count), nullptr, result.data(), out, &done, &io,
                     &quality, nullptr))
        return {};
    result.resize(done * std::size_t(channels)); // the last frames may be short of a whole filter
    result.resize(out * std::size_t(channels), 0.0f);
    return result;
}

} // namespace tamo::wav
