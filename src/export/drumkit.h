// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "msp/msprecord.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tamo::exporter {

// One instrument of a kit: the one sound of it the set plays.
struct KitPiece {
    QString name;      // the instrument's name ("Closed HH"), or its files' common stem
    QString path;      // the sound file
    double gain = 1.0; // the kit's own level for it (gains and volume of drumkit.xml)
    int key = -1;      // set by placeKit
    bool pitched = false; // its sound holds a pitch (holdsPitch), read for a folder taken for a kit
};

struct DrumKit {
    QList<KitPiece> pieces; // in the kit's order; after placeKit in key order, at most 64
    QStringList report;     // what was grouped, skipped or left out, one line each
    bool declared = false;  // read from drumkit.xml: every piece is a drum by the kit's word
};

// The General MIDI drum keys an instrument's name asks for, best first ("Kick" 36,
// 35; "Hi-Hat Open" 46; "Tom 2" 48, 47, ...); empty when the name names none.
QList<int> gmDrumKeys(QStringView name);

// folder/drumkit.xml (a Hydrogen kit): one piece per instrument that has a sound,
// the layer that plays at velocity 100, with the instrument's and the layer's gains
// and the instrument's volume. None when there is no such file; when it cannot be
// read, none and the reason in error.
std::optional<DrumKit> readHydrogenKit(const QString &folder, QString *error = nullptr);

// A folder of one-shots as a kit: files that are velocity layers of one instrument
// ("snare_v1".."snare_v4", "_01".."_04", "soft"/"hard", "(L)"/"(R)") become one
// piece, the layer nearest velocity 100 kept and the others reported.
DrumKit kitFromFiles(const QStringList &paths);

// Whether sound files are a drum kit rather than notes of an instrument: most of
// them hold no pitch (holdsPitch; when it cannot tell, a file without a root counts
// as a drum), so that one name such as "trimo-c3" does not make a kit an instrument
// nor a folder of unnamed notes a kit. roots[i] is that of paths[i].
// What was read of each file goes into heard, by path, when given.
bool isDrumKit(const QStringList &paths, const QList<std::optional<int>> &roots,
               QHash<QString, std::optional<bool>> *heard = nullptr);

// Whether the sound holds a pitch: periodic at two moments of its sustain with the
// same period (a note), not a decaying noise or a click (a drum). None when it is
// too short to tell (under 0.45 s after its peak) or unreadable.
std::optional<bool> holdsPitch(const QString &path);

// Silent placeholders and missing files out, then at most 64 pieces placed: each on
// the first free General MIDI key its name asks for, those first when there are
// more than 64, the others from the first free key upward from C1 in the kit's
// order; the rest reported. A kit louder than full scale with its gains is lowered
// as a whole. Pieces end in key order.
void placeKit(DrumKit &kit);

// A new record of the placed kit: one slot per piece on its key alone, named from
// the piece's name (unique, stick rules; pieces playing one file at one gain share
// a name and so its WAV), and each slot's source.
void fillKitRecord(const DrumKit &kit, msp::MspRecord &record, QList<SlotSource> &sources);

// The kit a folder is, placed: its drumkit.xml, else its sound files (paths) when
// isDrumKit says so; none for an instrument. What the user should know (the keys,
// what was grouped or left out, an unreadable drumkit.xml) is added to report.
std::optional<DrumKit> drumKitOfFolder(const QString &folder, const QStringList &paths, QStringList &report);

// Keys for sounds added to a set that is a kit (see isDrumKit): for each name, the
// General MIDI key it asks for, else the first free one from C1, none in taken.
QList<int> drumKeysFor(const QStringList &names, QList<int> taken = {});

} // namespace tamo::exporter
