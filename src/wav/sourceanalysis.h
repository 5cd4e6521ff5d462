// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/levels.h"
#include "wav/loopfinder.h"

#include <QString>
#include <QtGlobal>

namespace tamo::wav {

// What an export asks of one source for --find-loops, --normalize and
// --trim-silence. Frames count in the source's own rate, as SourceCut's do.
struct AnalysisRequest {
    qint64 from = 0; // the window the set plays (SourceCut::start/end); to < 0: the end
    qint64 to = -1;
    bool findLoop = false;
    double silenceDb = kSilenceDb;
};

struct SourceAnalysis {
    bool ok = false;
    QString error; // libsndfile's reason when the source cannot be read
    int rate = 0;
    qint64 frames = 0;
    bool hasOwnLoop = false; // its sampler data loops: keep that (SourceCut::Loop::Keep); none is sought
    qint64 ownLoopStart = 0, ownLoopEnd = 0; // that loop's first and one past its last frame
    float peak = 0;          // within the window, for setGain over the set
    SoundBounds sound;       // within the window: what --trim-silence keeps
    FoundLoop loop;          // sought within the sound, when asked and the source has no loop
};

// Reads the source in blocks and measures what the request asks for.
SourceAnalysis analyseSource(const QString &path, const AnalysisRequest &request = {});

} // namespace tamo::wav
