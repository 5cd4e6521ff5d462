// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/layermix.h"

#include "wav/heldloop.h"
#include "wav/levels.h"
#include "wav/loopfinder.h"
#include "wav/resample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tamo::wav {

namespace {

double envelopeGain(const std::vector<std::pair<double, double>> &points, double at)
{
    if (points.empty())
        return 1.0;
    const auto after = std::upper_bound(points.begin(), points.end(), at, [](double t, const auto &p) { return t < p.first; });
    double db = after == points.end() ? points.back().second : after->second;
    if (after != points.begin() && after != points.end()) {
        const auto &a = *(after - 1), &b = *after;
        db = b.first > a.first ? a.second + (b.second - a.second) * (at - a.first) / (b.first - a.first) : b.second;
    }
    return std::pow(10.0, db / 20);
}

} // namespace

LayerMix mixLayers(const std::vector<MixPart> &parts, int rate, qint64 longestFrames)
{
    LayerMix mix;
    if (parts.empty() || rate <= 0)
        return mix;
    const bool stereo = std::any_of(parts.begin(), parts.end(), [&](const MixPart &p) { return p.channels == 2 || p.pan != parts.front().pan; });
    mix.loopSought = std::any_of(parts.begin(), parts.end(), [](const MixPart &p) { return p.looped; });
    qint64 frames = 0, settled = 0; // settled: every envelope steady from there on
    for (const MixPart &p : parts) {
        if (p.channels < 1 || p.channels > 2 || !(p.ratio > 0))
            return mix;
        const qint64 length = p.looped ? p.loopEnd : qint64(p.samples.size()) / p.channels;
        frames = std::max(frames, qint64(std::ceil(double(length) / p.ratio)));
        if (!p.envelope.empty() && std::isfinite(p.envelope.back().first))
            settled = std::max(settled, qint64(std::ceil(std::clamp(p.envelope.back().first, 0.0, 3600.0) * rate)));
    }
    settled = std::min(settled, std::max<qint64>(longestFrames - 2 * qint64(rate), 0));
    if (mix.loopSought)
        frames = std::max(frames, settled) + 2 * qint64(rate); // two seconds of the held mix for the loop finder
    frames = std::clamp<qint64>(frames, 0, std::max<qint64>(longestFrames, 0));
    const int channels = stereo ? 2 : 1;
    std::vector<float> &out = mix.samples;
    out.assign(size_t(frames) * size_t(channels), 0.0f);
    for (const MixPart &p : parts) {
        const int from = p.channels;
        const qint64 need = qint64(std::ceil(double(frames) * p.ratio)) + 64;
        std::vector<float> held = heldFrames(p.samples.data(), qint64(p.samples.size()) / from, from, p.looped ? p.loopStart : 0,
                                             p.looped ? p.loopEnd : 0, need);
        held.resize(size_t(need) * size_t(from), 0.0f);
        const std::vector<float> played = p.ratio == 1.0 ? std::move(held) : resampleBy(held.data(), need, from, p.ratio);
        if (played.empty())
            return mix;
        const double angle = (std::clamp(p.pan, -1.0, 1.0) + 1) / 4 * std::numbers::pi;
        const std::array<double, 2> side{std::sqrt(2.0) * std::cos(angle), std::sqrt(2.0) * std::sin(angle)};
        const qint64 available = std::min(frames, qint64(played.size()) / from);
        for (qint64 i = 0; i < available; ++i) {
            for (int c = 0; c < channels; ++c) {
                const float value = played[size_t(i * from + std::min(c, from - 1))];
                const double pan = stereo && from == 1 ? side[size_t(c)] : 1.0;
                out[size_t(i * channels + c)] += float(p.gain * envelopeGain(p.envelope, double(i) / rate) * pan * double(value));
            }
        }
    }
    const float peak = peakOf(out.data(), frames, channels);
    mix.scale = peak > 0.999f ? 0.999 / double(peak) : 1.0;
    if (mix.scale != 1.0)
        for (float &value : out)
            value = float(double(value) * mix.scale);
    mix.channels = channels;
    mix.ok = true;
    if (!mix.loopSought)
        return mix;
    settled = std::min(settled, frames);
    FoundLoop loop = findLoop(out.data() + settled * channels, frames - settled, channels, rate);
    loop.start += settled, loop.end += settled;
    if (!loop.found || loop.end > frames || loop.start >= loop.end)
        return mix;
    applyCrossfade(out.data(), frames, channels, loop);
    out.resize(size_t(loop.end) * size_t(channels));
    mix.looped = true;
    mix.loopStart = loop.start;
    mix.loopEnd = loop.end;
    return mix;
}

} // namespace tamo::wav
