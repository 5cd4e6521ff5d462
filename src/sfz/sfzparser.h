// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamo::sfz {

// Where an opcode or header was written: the file and its 1-based line.
struct SourcePlace {
    QString file; // absolute path, or the name of a place that is no file's line (line 0)
    int line = 0;
    // "piano.sfz, line 12"; the name alone for line 0
    QString text() const;
};

// name=value as written, after #define substitution. Key opcodes (key, lokey, hikey,
// pitch_keycenter, sw_*) already hold MIDI numbers with octave_offset and note_offset
// applied; sample already holds default_path in front and "/" for "\".
struct Opcode {
    QString name;
    QString value;
    SourcePlace place;
};

struct Region {
    // The opcodes in force: those of <global>, <master> and <group>, then the
    // region's own, each in file order, so the last one of a name wins.
    QList<Opcode> opcodes;
    SourcePlace place; // the <region> header
    const Opcode *find(QStringView name) const;
};

struct SfzError {
    QString message;
    SourcePlace place;
    bool isSet() const { return !message.isEmpty(); }
    // "piano.sfz, line 12: message"
    QString text() const;
};

struct SfzDocument {
    QList<Region> regions;
    // Opcodes that belong to no region: those of <control> other than default_path,
    // octave_offset and note_offset.
    QList<Opcode> controlOpcodes;
    // What was read past: headers (<curve>, <effect>, <midi>, ...), once each, and
    // opcodes without a usable value ("piano.sfz, line 12: ...").
    QStringList notes;
    SfzError error; // set: the document is incomplete and must not be used
    QString folder; // the top file's folder, where relative sample paths start
};

// The SFZ file at path, its #includes followed (relative to the including file's
// folder). Paths of included files are made absolute.
SfzDocument parseSfzFile(const QString &path);
// The same from bytes in memory; path names the text in messages and is where its
// folder (for #include and samples) comes from. The file need not exist.
SfzDocument parseSfzText(QByteArrayView text, const QString &path);

// A MIDI note number from "60", "-1", "c4" (60), "C#4", "db4", "c-1" (0): SFZ's own
// convention, where c4 is 60. No offset applied; nullopt when the text is no note.
std::optional<int> parseNote(QStringView text);

// A value as a message quotes it: cut after 40 characters.
QString shownValue(const QString &value);

} // namespace tamo::sfz
