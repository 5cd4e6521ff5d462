// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTextStream>

namespace tamo::app {

struct RenderOptions {
    QString midiPath; // empty: the test phrase
    int bits = 16;    // 16 or 24
    QString preset;   // BANK:PROGRAM of a SoundFont input
};

// `TAMO render SET OUT.wav [--midi FILE.mid] [--bits 16|24] [--preset BANK:PROGRAM]`:
// exports SET (whatever `export` takes) into a temporary folder and plays the set
// written there through the voice engine, into a 44.1 kHz stereo WAV. A SoundFont
// with several presets plays its first unless one is chosen. Prints what it wrote
// (and the export's notes) to out; on failure one line "TAMO render: <reason>" to
// err and returns 1.
int runRenderCommand(const QString &input, const QString &output, const RenderOptions &options, QTextStream &out,
                     QTextStream &err);

} // namespace tamo::app
