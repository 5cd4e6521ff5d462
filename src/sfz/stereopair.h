// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/keyboardformat.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace tamo::sfz {

// The channel a sample's base name marks: -1 for left ("Piano_L", "Piano (L)",
// "Piano-left"), 1 for right, 0 for none.
int channelOfName(QStringView baseName);
// baseName without that mark ("Piano_L" gives "Piano").
QString nameWithoutChannel(const QString &baseName);

// The window (cut start..end) of a sound file, interleaved from -1 to 1.
struct SoundWindow {
    std::vector<float> samples;
    int channels = 0;
    int rate = 0;
};
// False when the file cannot be read.
bool readWindow(const QString &path, const wav::SourceCut &cut, SoundWindow &out);

// Interleaved frames as a 32-bit float WAV at path: the import's own sounds (stereo
// pairs, mixed layers). Empty when written, else why not.
QString writeFloatWav(const QString &path, const std::vector<float> &samples, int channels, int rate);

// Writes the windows (cut start..end) of two mono files as one stereo WAV at path,
// left then right, at the left one's rate (the right resampled when its rate
// differs), the shorter side ending in silence. Empty when written, else why not
// (not mono, unreadable, unwritable). rates, when given, gets the left's
// rate and the right's before it was brought to it.
struct PairRates {
    int left = 0, right = 0;
};
QString writeStereoPair(const QString &left, const wav::SourceCut &leftCut, const QString &right,
                        const wav::SourceCut &rightCut, const QString &path, PairRates *rates = nullptr);

} // namespace tamo::sfz
