// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <vector>

namespace tamo::wav {

// Where a held note reads a sample with a forward loop: from the first frame to the
// loop end, then from the loop start again while it is held; let go, it plays on
// through the loop end to the last frame (the release tail).
struct HeldLoop {
    qint64 frames = 0;                 // of the sample
    qint64 loopStart = 0, loopEnd = 0; // the end one past the last looped frame; none unless 0 <= start < end <= frames
    qint64 position = 0;               // the next frame read
    bool held = true;

    bool loops() const { return loopStart >= 0 && loopStart < loopEnd && loopEnd <= frames; }
};

// A stretch of consecutive frames of the sample.
struct FrameRun {
    qint64 from = 0, count = 0;
};

// The next frames to play, at most maxFrames of them in one stretch, and moves past
// them; a count of 0 once the sample has ended.
FrameRun nextHeldRun(HeldLoop &state, qint64 maxFrames);

// The first count frames a held note plays of interleaved samples (through the loop
// while it lasts, none past the end of a sample without one): fewer when it ends first.
std::vector<float> heldFrames(const float *samples, qint64 frames, int channels, qint64 loopStart, qint64 loopEnd, qint64 count);

} // namespace tamo::wav
