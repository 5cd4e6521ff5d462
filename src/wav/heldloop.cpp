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

} // namespace tamo::wav
