// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/exportcommand.h"
#include "export/keyboardexport.h"
#include "sf2/soundfont.h"
#include "sfz/sfzimport.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <memory>

namespace tamo::exporter {

// One MSP made from a preset (or one velocity layer of it).
struct PresetSet {
    sfz::SfzImport import; // samples point into the files' folder
    QString mspFileName;   // 8.3, e.g. "PIANO1.MSP"
};

// A preset turned into sets: its zones resolved, its samples written as WAVs at
// their own rate (stereo pairs as one stereo file, window, loop and root in each)
// into a temporary folder, and imported as an SFZ instrument would be.
struct PresetImport {
    QString error; // set: nothing usable
    QList<PresetSet> sets;
    QStringList report; // the SoundFont's own notes, then each set's import report
    std::shared_ptr<QTemporaryDir> files;
    bool ok() const { return error.isEmpty(); }
};

// velocityLayers: one set per velocity layer; otherwise one set, the layer that
// plays at velocity 100 kept. baseName: the 8.3 base of the MSP (empty: from the
// preset's name).
// cancel, when set, stops it as a failure. mixLayers: zones sounding together on a
// key become one mixed sample; otherwise they stay overlapping slots, and the
// report says where.
PresetImport importPreset(const sf2::SoundFont &font, int presetIndex, bool velocityLayers,
                          const QString &baseName = {}, const std::atomic_bool *cancel = nullptr, bool mixLayers = true);

// Empty when the preset's zones read without fault (SF2: windows and loops inside
// their samples; SF3's are checked on import, once decoded), else why not.
QString checkPreset(const sf2::SoundFont &font, int presetIndex, const std::atomic_bool *cancel = nullptr);

// A preset into folder (created when missing), as `export` writes it: importPreset,
// then each set. The error, when not ok, is importPreset's or the first failed
// set's ("cancelled..." when stopped); a failed set takes away what the preset's
// earlier sets made anew.
InstrumentExport exportPreset(const sf2::SoundFont &font, int presetIndex, const QString &folder, bool velocityLayers,
                              const QString &baseName, const ExportOptions &options, const std::atomic_bool *cancel);

// The short names given so far.
struct ShortNames {
    QSet<QString> names;
};

// Up to 8 characters a short name may hold, made from name and unique among taken
// (which it joins); never a device name such as CON.
QString uniqueShortBase(const QString &name, ShortNames &taken);

// `TAMO presets FILE`: "BANK:PROGRAM NAME" per preset.
int runPresetsCommand(const QString &path, QTextStream &out, QTextStream &err);

// `TAMO export FILE.sf2 FOLDER [--preset BANK:PROGRAM] [--velocity-layers]`, and
// `TAMO export FOLDER-OF-LIBRARIES OUT` (.sfz, .sf2, .sf3 files, one subfolder per
// instrument). Several presets are exported on every core; nothing is left written
// when one fails. With options.findLoops each instrument's summary is followed by
// its WAVs' loop lines ("PIANO1/PNO_C3.WAV: loop ...").
int runSoundFontExport(const QString &input, const QString &folder, const QString &preset, bool velocityLayers,
                       QTextStream &out, QTextStream &err, const ExportOptions &options = {});

// The input is a SoundFont, or a folder holding SFZ or SoundFont files.
bool isSoundFontExportInput(const QString &input);

} // namespace tamo::exporter
