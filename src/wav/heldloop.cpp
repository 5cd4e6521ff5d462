// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/heldloop.h"

#include <algorithm>

namespace tamo::wav {

FrameRun nextHeldRun(HeldLoop &state, qint64 maxFrames)
{
    if (state.held && state.loops() && state.position >= state.loopEnd)
        state.position = state.loopStart; // the seam: the frame after the last looped one is the first
    // Held inside the loop, a stretch stops at its end; otherwise at the sample's.
    const qint64 stop = state.held && state.loops() && state.position < state.loopEnd ? state.loopEnd : state.frames;
    const FrameRun run{state.position, std::clamp<qint64>(stop - state.position, 0, std::max<qint64>(maxFrames, 0))};
    state.position += run.count;
    return run;
}

std::vector<float> heldFrames(const float *samples, qint64 frames, int channels, qint64 loopStart, qint64 loopEnd, qint64 count)
{
    std::vector<float> out;
    if (channels < 1 || frames < 1 || count < 1)
        return out;
    HeldLoop state;
    state.frames = frames;
    state.loopStart = loopStart;
    state.loopEnd = loopEnd;
    out.reserve(size_t(count) * size_t(channels));
    while (qint64(out.size()) < count * channels) {
        const FrameRun run = nextHeldRun(state, count - qint64(out.size()) / channels);
        if (run.count == 0)
            break;
        out.insert(out.end(), samples + run.from * channels, samples + (run.from + run.count) * channels);
    }
    return out;
}

} // namespace tamo::wav
