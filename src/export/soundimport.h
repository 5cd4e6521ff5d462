// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "wav/rootnote.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tamo::exporter {

// The 8-character sample name a sound file gets when added: its short (8.3) file
// name up to the first ".", cut to 8 characters, in upper case, in Windows-1252 (a character it
// cannot hold becomes "_"). Empty when the file has no short name (it does not
// exist) or its short name has no ".", as adding then skips it.
QByteArray sampleNameFor(const QString &path);

struct AddedSample {
    int slot = 0;
    QString path;       // as given
    wav::RootNote root; // where its root key was found, if anywhere
};

struct AddResult {
    QList<AddedSample> added;
    QStringList skipped;      // files that have no sample name (see sampleNameFor)
    bool limitReached = false; // the record was full before every file was added
};

// What a drum folder's export and Map keys say when no sample has a root.
inline const QString kOneKeyPerSound = QStringLiteral("No root keys found: one key per sound from C1");

// "Kick C3.wav: root C2 from the sampler chunk; the name's C3 is overruled." for a
// sample whose file's name names another note than its sampler chunk.
QString sampleRootText(const AddedSample &sample);

// Adds the files, in order, as new samples at the end of the record, as "Add Wav
// Sample" does: the name from the short path and the slot defaults. Stops at 64
// samples. Each added file's root is detected; the record's keys are not changed
// (see msp::mapKeys).
AddResult addSoundFiles(msp::MspRecord &record, const QStringList &paths);

// The file the editor finds for a stored sample name beside an MSP file: the
// name without its outer spaces plus ".wav", matched ignoring case, else the long
// name whose short form it is. Empty when there is none or the name cannot be a
// file name.
QString soundFileBeside(const QString &mspPath, const QByteArray &storedName);

// "NAME.WAV" for a stored sample name: the name without its outer spaces, as the
// editor's WAV lookup looks for it. Empty when no file can carry the name (empty,
// a path separator, NUL, "." or "..").
QString keyboardFileName(const QByteArray &storedName);

// Whether text can be a stored sample name: 1 to 8 of the characters short file
// names allow (letters, digits and ! # $ % & ' ( ) - @ ^ _ ` { } ~).
bool isSampleName(QStringView text);

// An 8.3-safe MSP file name made from name (a folder's, an SFZ file's): the
// letters, digits, "_", "-" and "~" of it, in upper case, up to 8 ("Grand Piano.v2" gives
// "GRANDPIA.MSP", "Flute:1" "FLUTE1.MSP"), "_" when none is left.
QString mspNameFor(QStringView name);

// The MSP file name of a set made from folder: mspNameFor its name.
QString mspNameForFolder(const QString &folder);

// A stored name as text (Windows-1252), without its outer spaces.
QString sampleNameText(const QByteArray &storedName);

} // namespace tamo::exporter
