// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "export/pitchcheck.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <memory>

namespace tamo::exporter {

// A set as `export` reads it from an MSP, a folder of sound files or an SFZ file.
struct ExportSet {
    msp::MspRecord record;
    QString mspFileName;
    QList<SlotSource> sources;  // slot k at k - 1
    QList<RootOrigin> origins;  // slot k at k - 1: where its root came from
    std::shared_ptr<QTemporaryDir> files; // sources an import wrote, kept until the export is done
};

// What exporting one instrument came to: the command line prints it, the runner of
// a library folder gathers it.
enum class ExportFault {
    None,
    Input,     // the source or its set was refused
    Folder,    // a folder could not be made (systemReason says why)
    Write,     // a file could not be written (systemReason says why)
    Cancelled, // stopped by a signal
};
struct InstrumentExport {
    ExportFault fault = ExportFault::None;
    QString error;        // one line, when not ok
    QString systemReason; // Folder, Write: the system's reason ("No space left on device")
    bool imported = false; // the source was read and its sets made
    QStringList report;   // the import's report, when imported
    QStringList written, replaced, loops, notes;
    QString overlap;      // of notes, the line on keys played by more than one sample
    qsizetype sets = 0, samples = 0;
    bool ok() const { return fault == ExportFault::None; }
};

// An SFZ instrument into folder (created when missing, its parent must exist), as
// `export` writes it; cancel, when set, stops it.
InstrumentExport exportSfzInstrument(const QString &sfzPath, const QString &folder, const ExportOptions &options,
                                     const std::atomic_bool *cancel);

// Reads input into set as `export` does (its messages to out; options.firstLayer
// keeps an SFZ's layers apart); empty when the set is ready, else the reason.
QString resolveExportSet(const QString &input, ExportSet &set, QTextStream &out, const ExportOptions &options = {});

// `TAMO export <input> <folder>`: writes the set the keyboard reads into folder
// (created when missing, its parent must exist). input is an MSP file, whose
// samples' WAVs are looked up beside it as the editor does, or a folder of sound
// files (.wav, .aif, .aiff, .flac, .ogg, in name order), added as the editor adds
// them, mapped across the keyboard when a root was found, and saved as "<folder
// name, up to 8 characters>.MSP". An input ending in .sfz is an SFZ instrument:
// imported (its report printed to out) and saved as "<its name in short-name
// characters, up to 8>.MSP". Prints one line per file written to out (with
// options.findLoops first one line per WAV on its loop, into loops instead when
// given); on any failure prints one line "TAMO export: <reason>" to err and returns 1.
int runExportCommand(const QString &input, const QString &folder, QTextStream &out, QTextStream &err,
                     const ExportOptions &options = {}, QStringList *loops = nullptr);

} // namespace tamo::exporter
