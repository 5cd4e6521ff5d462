// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "sfz/sfzparser.h"
#include "wav/keyboardformat.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace tamo::sfz {

// One region turned into one MSP sample.
struct ImportedSample {
    QString sourcePath; // absolute path of the sound file (WAV, FLAC, OGG, AIFF, ...)
    // The 8 stored bytes, readable and made from the file's name: samples of one file
    // and cut share it, any other source has its own.
    QByteArray name;
    // The bytes the import sets; every other field keeps the slot default.
    QMap<msp::SampleField, quint8> fields;
    int lowKey = 0;  // the zone as MIDI notes, merges included
    int highKey = 127;
    SourcePlace place; // the <region> header
    wav::SourceCut cut; // the region's window and loop, in frames of its file
};

struct SfzImport {
    QList<ImportedSample> samples; // in key order, at most 64
    // What the user should read after the import: what was left out, merged,
    // approximated or not expressed. One line each; detail lines start with spaces.
    QStringList report;
    // Set when the import must stop (syntax, missing include or sample, include loop):
    // the samples are then empty.
    SfzError error;
    // Files the import wrote (stereo pairs, mixed layers), kept while the import is.
    std::shared_ptr<QTemporaryDir> files;
    bool ok() const { return !error.isSet(); }
};

// Regions sounding together on one key at the kept velocity (sides of a stereo
// pair aside), where the keyboard sounds one sample a key.
enum class Layers {
    Mix,     // each run of keys they share plays one sample mixing them, said in the report
    First,   // kept as overlapping samples, the keyboard sounding the first, with a warning
    AsGiven, // kept without a word: the caller has dealt with them
};

// Reads the SFZ file and maps its regions to at most 64 samples.
SfzImport importSfz(const QString &path, Layers layers = Layers::Mix);
// The same for a parsed document (its folder is where relative samples start).
SfzImport importSfz(const SfzDocument &document, Layers layers = Layers::Mix);

// One region as numbers, for a caller whose zones are not SFZ text: each value is
// held to the same limits as its opcode. Unset ones play as SFZ's defaults.
struct RegionValues {
    SourcePlace place; // what the report names it by
    QString sample;    // relative to the folder given with it, or absolute
    int lowKey = 0, highKey = 127; // MIDI numbers
    int lowVelocity = 0, highVelocity = 127;
    int keyCenter = 60;
    double transpose = 0; // semitones
    double tune = 0;      // cents
    std::optional<double> keyTrack; // cents a key
    std::optional<double> volume;   // dB
    double pan = 0; // -100 (left) .. 100 (right)
    std::optional<double> attack, decay, release; // seconds
    std::optional<double> sustain;                // percent
};

// The import of regions given as numbers, from the choice of velocity layer on.
SfzImport importRegions(const QList<RegionValues> &regions, const QString &folder, Layers layers = Layers::Mix);

// A new document holding the imported samples in slots 1..n. False, and the record
// untouched, when the import failed.
bool fillMspRecord(const SfzImport &import, msp::MspRecord &record);

} // namespace tamo::sfz
