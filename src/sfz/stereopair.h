// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/keyboardformat.h"

#include <QString>
#include <QStringView>

namespace tamo::sfz {

// The channel a sample's base name marks: -1 for left ("Piano_L", "Piano (L)",
// "Piano-left"), 1 for right, 0 for none.
int channelOfName(QStringView baseName);
// baseName without that mark ("Piano_L" gives "Piano").
QString nameWithoutChannel(const QString &baseName);

// Writes the windows (cut start..end) of two mono files of one rate as one stereo
// WAV at path, left then right, the shorter side ending in silence. Empty when
// written, else why not (not mono, rates differ, unreadable, unwritable).
QString writeStereoPair(const QString &left, const wav::SourceCut &leftCut, const QString &right,
                        const wav::SourceCut &rightCut, const QString &path);

} // namespace tamo::sfz
