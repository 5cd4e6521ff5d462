// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "util/atomicfile.h"
#include "export/keyboardexport.h"
#include "wav/keyboardformat.h"

#include <QByteArray>
#include <QMap>
#include <QString>

namespace tamo::exporter {

// A loop the document keeps for a sample whose sound file is not in the keyboard's
// format: that file never changes, the export loops its copy.
struct SampleLoop {
    using Kind = wav::SourceCut::Loop;
    Kind kind = Kind::Keep;     // Keep: none kept, the file's own loop counts; None: a one-shot
    qint64 start = 0, end = 0;  // Forward: frames of the sound file, end one past the last looped one
    qint64 crossfade = 0;       // Forward: frames before the end the export blends
    double length = 0;          // Forward: a found loop's exact length in frames; 0: end - start

    // Asks the export's cut of source for this loop, unless it is Keep or the
    // source's file is in the keyboard's format (that file carries its loop itself).
    void applyTo(SlotSource &source) const;
    friend bool operator==(const SampleLoop &, const SampleLoop &) = default;
};

// By sample name, without its outer spaces: the name finds the file the loop is of.
using SampleLoops = QMap<QByteArray, SampleLoop>;

QByteArray loopKey(const QByteArray &storedName);

// The loops of a document live beside its MSP file (whose 2644 bytes have no room
// for them) in "<MSP file name>.loops", e.g. PIANO.MSP.loops.
QString loopsFilePath(const QString &mspPath);
// The file's text: a line per sample of the record that has a kept loop; empty when none has.
QByteArray loopsFileBytes(const SampleLoops &loops, const msp::MspRecord &record);
// What of a loops file can be read: lines that do not make sense are passed over.
SampleLoops parseLoopsFile(const QByteArray &bytes);
// Reads the file beside mspPath (none, or unreadable: no loops).
SampleLoops readLoopsBeside(const QString &mspPath);
// Writes the file beside mspPath atomically, or removes it when no sample has a loop.
SaveResult saveLoopsBeside(const QString &mspPath, const SampleLoops &loops, const msp::MspRecord &record);

} // namespace tamo::exporter
