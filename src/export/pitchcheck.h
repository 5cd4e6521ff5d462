// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/msprecord.h"
#include "sfz/sfzimport.h"
#include "wav/keyboardformat.h"
#include "wav/pitchdetector.h"
#include "wav/rootnote.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cmath>
#include <optional>

namespace tamo::exporter {

// Where a sample's root came from, as the check tells it.
enum class RootOrigin {
    None,
    SamplerChunk,
    FileName,
    ShiftedName, // the name's note, its octave moved to match the sound
    Sound,       // the detected pitch
    Set,         // an MSP's KEY and FINE, set by hand
    Sfz,
    SoundFont,
};

// "the sampler chunk", "the name", "the sound", ...: for "root C3 from the name".
QString rootOriginText(RootOrigin origin);

// "C4 −12 cents", "C4" when within half a cent.
QString pitchText(double note);

// The part of a source the detector measures: its window and loop.
wav::PitchWindow pitchWindowOf(const wav::SourceCut &cut);

// The detector's reading of a file's part, kept per file (its size and time of
// change) and part, so that asking again costs nothing. Safe from any thread.
wav::PitchReading cachedPitch(const QString &path, const wav::PitchWindow &window);

// The reading cachedPitch keeps, when it has measured it already.
std::optional<wav::PitchReading> knownPitch(const QString &path, const wav::PitchWindow &window);

// cachedPitch of every source, on every core.
QList<wav::PitchReading> measurePitches(const QList<wav::PitchWindow> &windows, const QStringList &paths);

// One sample of a set against its sound.
struct SampleCheck {
    int slot = 0;
    QString name;               // its file's name, or the stored name
    std::optional<double> root; // the note it plays unshifted: KEY - FINE / 100
    RootOrigin origin = RootOrigin::None;
    bool notCompared = false;   // one key or a fixed pitch: it plays as recorded
    int lowKey = 0, highKey = 127; // the keys it plays
    // Cents above a layer in tune over the same keys, when an octave or a fifth (and
    // octaves) above it, or less than a semitone either way: a stop the set adds
    // (4-foot, quint, celeste), not a wrong root. Such a sample is no alarm.
    std::optional<double> registration;
    wav::PitchReading pitch;
    // The note heard: the reading's, or the octave above when the sound leaves that
    // open and it lies nearer the root.
    double heard() const
    {
        const double up = pitch.note + 12;
        return pitch.octaveUpToo && root && std::abs(up - *root) < std::abs(pitch.note - *root) ? up : pitch.note;
    }
    double cents() const { return root ? (heard() - *root) * 100 : 0; }
    // A confident pitch 50 cents or more from its root.
    bool disagrees() const;
    // KEY and FINE that put it in tune.
    wav::KeyAndFine proposal() const { return wav::keyAndFineFor(heard()); }
};

// "root C3 from the name; sounds like C4 −12 cents", or "...; no held pitch: <why>".
QString sampleCheckText(const SampleCheck &check);

// Slot of record against the reading of its sound (path empty: none), its root
// from origin.
SampleCheck checkOfSlot(const msp::MspRecord &record, int slot, const QString &path, RootOrigin origin,
                        const wav::PitchReading &reading);

// The used slots of record, each against its source (sources[k - 1] for slot k),
// roots as KEY - FINE / 100. origins[k - 1] says where each root came from
// (missing: origin). A SoundFont's sample is held against its own root (the
// sampler chunk its WAV was written with) or the root as its zone plays it,
// whichever is nearer its sound: a zone's tuning is a bank's choice (a preset a
// fifth above) as often as a correction.
QList<SampleCheck> checkRecord(const msp::MspRecord &record, const QList<wav::SourceCut> &cuts,
                               const QStringList &paths, RootOrigin origin, const QList<RootOrigin> &origins = {});

// Sets registration of the checks of one set that stand for such stops (layers:
// samples playing the same keys).
void findRegistrations(QList<SampleCheck> &checks);

// The checks of one set a SoundFont preset imports to; nullopt when it maps no sample.
std::optional<QList<SampleCheck>> checkSoundFontSet(const sfz::SfzImport &import);

// The roots a folder's sound files get, one per sample in order.
struct FolderRoots {
    msp::SlotRoots roots;
    QList<int> fines; // FINE cents upwards, with the root
    QList<RootOrigin> origins;
    QStringList notes; // which samples changed and why, and what the set as a whole showed
};

// The roots found in the files, checked against their sound (pitches, one per
// file; names for the messages):
// - names that are all off the sound by the same whole octaves (another naming of
//   octaves) are moved by those octaves;
// - sampler chunks that all say one note while the sound disagrees for half of the
//   samples or more stand for nothing: the name's note takes over, with its octave
//   matched to the sound, else the detected pitch;
// - a sample without a root, or whose confident pitch lies 50 cents or more from
//   its root (not by whole octaves), takes the detected pitch, KEY and FINE;
// - a sampler chunk whole octaves off its sound is kept and warned about: an
//   octave is where detectors err.
FolderRoots decideRoots(const QStringList &names, const QList<wav::RootNote> &found,
                        const QList<wav::PitchReading> &pitches);

// decideRoots for added sound files, their pitches measured on every core.
FolderRoots rootsBySound(const QList<AddedSample> &samples);

// FINE of slot k set to fines[k - 1] cents upwards.
void setFines(msp::MspRecord &record, const QList<int> &fines);

// `TAMO check SET`: SET is an MSP file, a folder of sound files, an SFZ file, a
// SoundFont, or a folder holding MSP, SFZ or SoundFont files. One line per sample,
// then a summary. Returns 1 when a sample's confident pitch disagrees with its
// root by 50 cents or more, 0 when none does, 2 when the set cannot be read.
int runCheckCommand(const QString &input, QTextStream &out, QTextStream &err);

} // namespace tamo::exporter
