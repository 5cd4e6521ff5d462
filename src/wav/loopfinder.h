// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace tamo::wav {

// A loop for a held note in the source's own frames, or why the sample gets none.
// It maps onto SourceCut: loop = Forward, loopStart = start, loopEnd = end.
struct FoundLoop {
    bool found = false;
    // Without a loop: "silent", "too short", "percussive decay, no sustain",
    // "no steady pitch", "samples not finite" or "unreadable: <libsndfile's reason>".
    QString reason;
    qint64 start = 0;     // the first looped frame
    qint64 end = 0;       // one past the last looped frame
    qint64 crossfade = 0; // frames just before end to blend (applyCrossfade); 0: a clean loop
    double period = 0;    // the tone's period in frames, rarely whole
    int periods = 0;      // end - start lies within half a frame of periods * period

    // The loop in frames counted from origin (a cut's start) and resampled by
    // ratio (new rate / source rate), for applyCrossfade on converted frames. The
    // length is rounded from the periods, not from the two ends, so it stays within
    // half a frame of a whole number of periods and the held note stays in tune.
    FoundLoop resampled(double ratio, qint64 origin = 0) const;
    // "loop 5512-77175", "loop 5512-77175, crossfade 441" or "no loop: <reason>".
    QString description() const;
};

// Finds the sustain (after the attack, before the release), the tone's period, and
// the longest loop of whole periods whose ends match in value and slope; when no
// pair matches cleanly, the best one with a crossfade. One-shots (a percussive
// decay, speech, noise) get none. The finder does not look at a loop the source
// already carries: the caller keeps such a loop (SourceCut::Loop::Keep after
// SoundFile::instrument reports one) and asks only for sources without.
FoundLoop findLoop(const float *samples, qint64 frames, int channels, int rate);

// The same for a file any format libsndfile reads.
FoundLoop findLoopInFile(const QString &path);

// Blends the loop's crossfade frames [end - crossfade, end) of interleaved samples
// with the frames one loop length earlier, rising linearly, so that the frame
// before end becomes the one before start. Use the loop resampled to the rate of
// the frames at hand. Frames outside that span stay as they are.
void applyCrossfade(float *samples, qint64 frames, int channels, const FoundLoop &loop);

} // namespace tamo::wav
