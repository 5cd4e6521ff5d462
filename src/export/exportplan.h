// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "msp/msprecord.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace tamo::exporter {

// One WAV of the set: the sound it holds and the slots that play it.
struct PlannedWav {
    QString fileName; // "KICK.WAV"
    SlotSource source;
    QList<int> slots;
    bool onStick = false; // written by an earlier set of the job (FolderSounds): named, not written
};

// Sounds a job has written into one folder, each with its file name there, so
// that a later set of the job names the file instead of writing a copy. A sound
// is its source and cut; the sampler chunk's root is left out, a shared file
// saying only its first slot's (the MSP's KEY is what the keyboard plays).
struct FolderSounds {
    QList<std::pair<SlotSource, QString>> files;
    // The file name of the sound, empty when the folder has none.
    QString fileOf(const SlotSource &source) const;
};

// What an export writes, decided before anything is written.
struct ExportPlan {
    msp::MspRecord record;  // as written: the names below, the rest as requested
    QList<PlannedWav> wavs; // in the order of their first slot
    QStringList notes;      // names the plan changed, and keys where slots overlap; one line each
    QString overlap;        // that last line, when slots overlap
    QStringList loops;      // with findLoops: one line per WAV (ExportResult::loops)
    QStringList replaced;   // files of the target folder that the export replaces
    QString error;          // a sentence naming the files when the export is refused
};

// Decides the set's names and files:
// - slots with the same name and the same source (the same file, whatever link or
//   case led to it, and the same cut) share one WAV; different sources on one name
//   are refused;
// - a made-up (hashed) name gets a readable one from its source's name and, when
//   the sound has a root, the key it plays at (PNO_C2, KICK), unique in the set;
//   names that fit are kept;
// - a WAV another MSP of the target folder names is never replaced: the sample
//   takes a free name, and a note says so;
// - the request's options change each WAV's cut after the sharing is decided, so
//   shared sounds stay shared: trimming plays the sound's bounds, a found loop goes
//   in as Forward (a source's own loop is kept, a one-shot keeps none), and
//   normalising multiplies every gain by one factor;
// - a sound an earlier set of the job wrote into the folder (sounds),
//   with the same cut once the options are applied, is named, not written again;
// - a target file that is one of the sources is refused unless it would be copied
//   onto itself unchanged.
ExportPlan planExport(const ExportRequest &request, const FolderSounds *sounds = nullptr);

// exportForKeyboard for one of the sets a job writes into one folder: the sounds
// earlier sets wrote are named, not written again; a Done export adds its own.
ExportResult exportSharingFolder(const ExportRequest &request, FolderSounds &sounds);

// The sound of source as FolderSounds compares it: without the sampler chunk's root.
SlotSource soundOf(SlotSource source);

// Whether a and b are one file (links followed; the file system's own case rule).
bool isSameFile(const QString &a, const QString &b);

// Whether storedName was made up from the long name of sourcePath ("PIA~4RMF"
// for "Piano C2.wav") rather than being that file's own name.
bool isMadeUpName(const QString &storedName, const QString &sourcePath);

// baseName without a note at its end ("Piano C2" and "PIANOFS2" give "Piano" and
// "PIANO").
QString nameWithoutNote(const QString &baseName);

// A name a player can read for a sample: its source's name without a note in it,
// shortened to fit, then "_" and the root with "S" for sharp ("PNO_FS2"); the name
// alone when there is no root ("KICK"). At most 8 short-name characters.
QString readableSampleName(const QString &sourcePath, std::optional<int> root, qsizetype stemLength = 8);

// Names for samples played at keys: prefix, shortened to leave room for the
// longest note, "_" and each key's note ("STR_C2", "STR_FS2"), each distinct from
// the upper-case names in taken and from one another (a number before the note).
QStringList namesWithNotes(const QString &prefix, const QList<int> &keys, QSet<QString> taken);

} // namespace tamo::exporter
