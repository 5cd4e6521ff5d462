#pragma once

#include <QString>

namespace tamo::util {

// Starts playing the WAV file at path and returns at once. A sound still playing
// from an earlier call is replaced. A missing or unplayable file plays nothing and
// reports nothing. Call from the GUI thread of a Q(Gui)Application.
void PlayIt(const QString &path);

// Stops the sound now playing, if any (a key let go). From the GUI thread.
void StopPlaying();

} // namespace tamo::util
