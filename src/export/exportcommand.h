// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "export/pitchcheck.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

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
