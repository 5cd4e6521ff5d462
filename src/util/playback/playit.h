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
// beyond playback's limits (8 channels, 384 kHz, 1 GiB). Held as PlayHeld when
// loopStart..loopEnd (frames) lies inside the sound.
void PlayFrames(const std::vector<float> &samples, int channels, int rate, qint64 loopStart = 0, qint64 loopEnd = 0);

// Plays the WAV at path as a held note (from the GUI thread): its frames loopStart
// up to loopEnd (one past the last looped frame) again and again until ReleaseHeld(),
// then on to its end. A loop outside the data plays the file once, as PlayIt.
void PlayHeld(const QString &path, qint64 loopStart, qint64 loopEnd);
// The held sound now playing stops looping and plays on to its end.
void ReleaseHeld();

// Whether the system offers an audio output at all; without one nothing plays.
bool HasAudioOutput();

// Stops the sound now playing, if any (a key let go). From the GUI thread.
void StopPlaying();

} // namespace tamo::util
