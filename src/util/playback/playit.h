// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

namespace tamo::util {

// Starts playing the WAV file at path and returns at once. A sound still playing
// from an earlier call is replaced. A missing or unplayable file plays nothing and
// reports nothing. Call from the GUI thread of a Q(Gui)Application.
void PlayIt(const QString &path);
// The same for decoded sound: interleaved samples from -1 to 1. Plays nothing
// beyond playback's limits (8 channels, 384 kHz, 1 GiB).
void PlayFrames(const std::vector<float> &samples, int channels, int rate);

// Whether the system offers an audio output at all; without one nothing plays.
bool HasAudioOutput();

// Stops the sound now playing, if any (a key let go). From the GUI thread.
void StopPlaying();

} // namespace tamo::util
