// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "wav/keyboardformat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tamo::exporter {

struct ExportProgress {
    qint64 doneBytes = 0;  // source bytes handled so far
    qint64 totalBytes = 0; // all source bytes of the set
    QString fileName;      // the file being written, e.g. "PIANOC3.WAV"
    bool placing = false;  // the files are taking their names: too late to cancel
    bool analysing = false; // the sources are being measured (loops, levels) before any file is written
};

// The sound a slot plays: a file, and what of it.
struct SlotSource {
    SlotSource() = default;
    SlotSource(const QString &sourcePath, const wav::SourceCut &sourceCut = {}) // NOLINT: a path alone is the whole file
        : path(sourcePath), cut(sourceCut)
    {
    }
    QString path; // empty when none
    wav::SourceCut cut;
    friend bool operator==(const SlotSource &, const SlotSource &) = default;
};

// What the export does to the copies it writes; the sources are never changed.
struct ExportOptions {
    bool findLoops = false;   // a loop for each sample that has none, or why not
    bool normalize = false;   // one gain for the set: its loudest sample peaks at -1 dBFS
    bool trimSilence = false; // leading and trailing frames below -60 dBFS dropped
    // SoundFont or SFZ layers sounding together on a key: the first only, the others left as
    // overlapping slots (otherwise mixed into one sample).
    bool firstLayer = false;
    bool any() const { return findLoops || normalize || trimSilence; }
};

struct ExportRequest {
    msp::MspRecord record;
    QString mspFileName;  // the MSP's name in the target folder, e.g. "PIANO.MSP"
    QString targetFolder; // must exist
    // The sound file of the sample in slot k (1..SampleCount); empty when none.
    std::function<SlotSource(int slot)> sourceFor;
    // Called before each file and between blocks, and after each source analysed
    // (one call at a time, from any thread); may be empty.
    std::function<void(const ExportProgress &)> progress;
    // Set from any thread to stop; the folder is then left as it was.
    const std::atomic_bool *cancel = nullptr;
    ExportOptions options;
};

enum class ExportStatus { Done, Cancelled, Failed };

struct ExportResult {
    ExportStatus status = ExportStatus::Failed;
    QString message;     // one line naming the file, when Failed
    QStringList written; // full paths of the files written, each WAV once in slot order, then the MSP
    QStringList replaced; // full paths of older files now replaced
    QStringList notes;    // names the export chose otherwise than the record, one line each
    QString overlap;      // of notes, the one on keys where slots overlap
    QString systemReason; // when Failed writing: the system's reason ("No space left on device")
    // With findLoops, one line per WAV in frames of the written file:
    // "PNO_C3.WAV: loop 5512-77175, crossfade 441", "...: its own loop, kept" or "...: no loop: <reason>".
    QStringList loops;
    int copied = 0;      // WAVs copied byte for byte
    int converted = 0;   // WAVs converted to the keyboard's format
};

// Writes the set the keyboard reads into the target folder: for every used slot
// its sound file as keyboardFileName(name), copied byte for byte when it is
// already 16-bit PCM 44100 Hz mono or stereo WAV, converted otherwise, and the MSP
// record itself. Slots playing one sound under one name share its file; the names
// and the files are decided as planExport says (exportplan.h), and the MSP names
// what was written. Two sources on one name, a name no file can carry, a missing
// or unreadable source, a source in the way of a target, a failed write (a full
// disk) stop it with a message naming the file. Every file is first written complete
// to a staging file of its own in the target folder (see AtomicFileSet), several
// at once; only when all are there and on the disk does each take its final name
// by one rename. On failure or cancel no staging file is left and the folder is as
// it was; what an interrupted export left there is removed first.
// The free space of the target folder, before anything is read or written, must
// hold every file at its largest.
ExportResult exportForKeyboard(const ExportRequest &request);

// Empty when the target folder has room for the set at its largest, else a
// sentence saying how much it needs and how much is free.
QString spaceShortage(const ExportRequest &request);

} // namespace tamo::exporter
