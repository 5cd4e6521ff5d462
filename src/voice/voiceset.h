// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tamo::voice {

// Frames kept before a sample's first frame and after its last (or after its loop
// end, filled with the loop again), so that the interpolator never reads outside.
constexpr int kSamplePad = 80;

// One WAV decoded to float, channel by channel, padded by kSamplePad frames.
struct SampleData {
    int channels = 0; // 1 or 2
    double rate = 0;
    qint64 frames = 0; // frames that play: the whole file, or up to the loop end
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0; // frames; the end one past the last looped one
    std::array<std::vector<float>, 2> data;
    qint64 bytes() const { return qint64(data[0].size() + data[1].size()) * qint64(sizeof(float)); }
};

// What a key plays: one used slot of the record, read through the model.
struct Zone {
    int slot = 0;
    int rootKey = 60;
    double fineCents = 0;
    bool fixedPitch = false;
    double gain = 1.0; // VOLUME and LEVEL
    double attack = 0, decay = 0, release = 0; // seconds
    double sustain = 1.0;                      // share of full level
    std::shared_ptr<const SampleData> sample;
};

// A set ready to play: the zones of the used slots and, for each key, the zone that
// plays it (the lowest slot whose START..END holds it).
struct VoiceSet {
    std::vector<Zone> zones;
    std::array<int, 128> zoneOfKey{}; // index into zones, -1 for a silent key
    double tuneSemitones = 0;         // OCTAVE and FINE TUNE
    QStringList problems;             // one line per slot that cannot play, and why
    const Zone *zoneFor(int key) const;
    qint64 bytes() const; // sample memory
};

// A loop that plays instead of the sound file's own: one the set keeps for a file not
// in the keyboard's format, which the export writes into its copy. end <= start: none.
struct LoopInstead {
    qint64 start = 0, end = 0; // frames, the end one past the last looped one
};

// The set a record plays. wavFor gives the sound file of slot k (empty: none); each
// file is decoded once, however many slots play it. Slots whose file is missing or
// unreadable stay silent and are named in problems. loopFor, where it gives one,
// overrides the file's own loop.
VoiceSet loadVoiceSet(const msp::MspRecord &record, const std::function<QString(int slot)> &wavFor,
                      const std::function<std::optional<LoopInstead>(int slot)> &loopFor = {});

// A sample from frames already decoded (interleaved, 1 or 2 channels); loopEnd <= loopStart: none.
std::shared_ptr<SampleData> makeSample(const float *interleaved, qint64 frames, int channels, double rate,
                                       qint64 loopStart, qint64 loopEnd);

} // namespace tamo::voice
