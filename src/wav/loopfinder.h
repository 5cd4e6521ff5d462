// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tamo::wav {

// A loop for a held note in the source's own frames, or why the sample gets none.
// It maps onto SourceCut: loop = Forward, loopStart = start, loopEnd = end.
struct FoundLoop {
    bool found = false;
    bool own = false; // the source's own loop (its sampler chunk), kept as it is
    // Without a loop: "silent", "too short", "decays to silence, no held part",
    // "no held part", "no steady sound", "no steady pitch", "samples not finite" or
    // "unreadable: <libsndfile's reason>".
    QString reason;
    qint64 start = 0;     // the first looped frame
    qint64 end = 0;       // one past the last looped frame
    qint64 crossfade = 0; // frames just before end to blend (applyCrossfade); 0: a clean loop
    double period = 0;    // the tone's period in frames, rarely whole; 0: no single period
    int periods = 0;      // periods * period: the loop's exact length, within half a frame of end - start

    // The loop in frames counted from origin (a cut's start) and resampled by
    // ratio (new rate / source rate), for applyCrossfade on converted frames. The
    // length is rounded from the periods, not from the two ends, so it stays within
    // half a frame of a whole number of periods and the held note stays in tune.
    FoundLoop resampled(double ratio, qint64 origin = 0) const;
    // "loop 5512-77175", "loop 5512-77175, crossfade 441" or "no loop: <reason>".
    QString description() const;
};

// Finds the held part of a sound (after the attack, before the release, or to
// the end of a sample cut while it sounds) and in it the longest loop whose ends
// match: the waveform over several milliseconds around both ends and the
// spectral envelope. Where the sound has one period the length is a whole number
// of periods. An ensemble or a pad has none: its best-matching long span gets an
// equal-power crossfade when no clean pair of ends exists. Sounds that decay to
// silence or never hold (drums, plucks, speech) get none. The finder does not
// look at a loop the source carries: the caller keeps such a loop and asks only
// for sources without (findLoopInFile reports a file's own loop as own).
// Memory stays bounded whatever the length: the levels are kept per 10 ms and
// only the last seconds of the held part are analysed.
FoundLoop findLoop(const float *samples, qint64 frames, int channels, int rate);

// The same over frames read on demand: read(from, count, out) fills out with
// count interleaved frames from frame from and returns how many it read.
using FrameReader = std::function<qint64(qint64 from, qint64 count, float *out)>;
FoundLoop findLoop(const FrameReader &read, qint64 frames, int channels, int rate);

// The same for a file any format libsndfile reads; a loop of its own is kept.
FoundLoop findLoopInFile(const QString &path);

// Blends the loop's crossfade frames [end - crossfade, end) of interleaved samples
// with the frames one loop length earlier at equal power, so that the frame
// before end becomes the one before start. Use the loop resampled to the rate of
// the frames at hand. Frames outside that span stay as they are.
void applyCrossfade(float *samples, qint64 frames, int channels, const FoundLoop &loop);

} // namespace tamo::wav
