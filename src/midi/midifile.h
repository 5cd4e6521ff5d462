// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

namespace tamo::midi {

// A channel message of the file, at its time in seconds.
struct MidiEvent {
    double seconds = 0;
    quint8 status = 0; // 0x80..0xEF: the kind in the high nibble, the channel in the low
    quint8 data1 = 0, data2 = 0;
    int kind() const { return status & 0xf0; }
    int channel() const { return status & 0x0f; }
};

// What a file may hold before it is refused; a hostile file ends within these.
struct MidiLimits {
    qint64 maxBytes = 16 * 1024 * 1024;
    qsizetype maxEvents = 1'000'000; // channel messages kept, every track together
    int maxTracks = 4096;
    double maxSeconds = 4 * 3600.0; // the time of the last event
};

struct MidiSong {
    int format = 0; // 0, 1 (2 is read as 1: the tracks mixed)
    int tracks = 0;
    std::vector<MidiEvent> events; // note on/off, controllers, pitch bend; in time order
    double seconds = 0;            // the last event's time, meta events included
    int programChanges = 0;        // read and ignored
    QString error;                 // set: nothing usable
    bool ok() const { return error.isEmpty(); }
};

// Reads a Standard MIDI File (format 0 or 1, running status, tempo changes, SMPTE
// time division) from memory. Channel pressure, key pressure, system exclusive and
// meta events other than tempo are read past.
MidiSong readMidi(QByteArrayView bytes, const MidiLimits &limits = {});
MidiSong readMidiFile(const QString &path, const MidiLimits &limits = {});

} // namespace tamo::midi
