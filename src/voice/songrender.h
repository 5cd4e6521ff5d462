// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "midi/midifile.h"
#include "voice/engine.h"

#include <QString>

#include <functional>
#include <vector>

namespace tamo::voice {

// Seconds a set may still sound after its last event: its longest release down to
// silence, at most 10 s.
double tailSeconds(const VoiceSet &set);

// A short phrase that shows how a set sounds: each zone's root, a scale, a chord and
// a held note. *seconds gets the time of its last event.
std::vector<midi::MidiEvent> testPhrase(const VoiceSet &set, double *seconds);

// Passes events (in time order) to the engine at their frames and hands the frames
// rendered, totalFrames in all, to sink in blocks; stops when sink returns false.
// Memory stays one block, however long the song.
bool renderEvents(Engine &engine, const std::vector<midi::MidiEvent> &events, qint64 totalFrames,
                  const std::function<bool(const float *stereo, int frames)> &sink);

// The same into a 44.1 kHz stereo WAV of 16 or 24 bits, written atomically. Empty
// when done, else why not.
QString renderToWav(Engine &engine, const std::vector<midi::MidiEvent> &events, qint64 totalFrames,
                    const QString &path, int bits);

} // namespace tamo::voice
