// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "msp/msprecord.h"
#include "export/sampleloops.h"

#include <QObject>
#include <QString>

#include <array>

class QUndoStack;

namespace tamo::msp_editor {

using exporter::SampleLoop;
using exporter::SampleLoops;

// What undo keeps of the document: the record, and the sound each sample was
// added or imported from, with its window and loop (where its WAV is looked for
// until the document has a file of its own, and what the export reads of a sound
// that is not beside the MSP file), and the loops kept for sound files not in the
// keyboard's format (saved beside the MSP file).
struct MspContent {
    msp::MspRecord record;
    std::array<exporter::SlotSource, msp::kMaxSamples> sources;
    SampleLoops loops;

    friend bool operator==(const MspContent &, const MspContent &) = default;
};

// One MSP document: its content, its file and its undo stack. Every change is a
// command on the stack whose redo() applies it; "modified" is derived from the
// stack alone.
class MspDocument final : public QObject {
    Q_OBJECT
public:
    // Commands with this id change files beside the document, not the document.
    static constexpr int kOutsideCommandId = 0x57415646; // "WAVF"

    explicit MspDocument(QObject *parent = nullptr);

    const MspContent &content() const { return m_content; }
    const msp::MspRecord &record() const { return m_content.record; }
    // The source of slot 1..64; empty outside.
    exporter::SlotSource source(int slot) const;
    // The MSP file the document was last read from or saved to; empty when untitled.
    const QString &path() const { return m_path; }
    QUndoStack *undoStack() const { return m_undoStack; }
    bool isModified() const { return m_modified; }

    // The WAV file of a listed sample beside the document's file (or, untitled, beside
    // the file it was added from), as exporter::soundFileBeside finds it; empty when
    // there is none. Relative to the current folder when neither is known.
    QString wavFile(int slot) const;
    // The sound file of a listed sample: wavFile(), else the file it was added or
    // imported from while that exists; empty when none.
    QString soundFile(int slot) const;
    // What the export reads for a listed sample: soundFile(), with the window and loop
    // it was imported with while that is the file it came from, and the loop kept for
    // it when the file is not in the keyboard's format.
    exporter::SlotSource exportSource(int slot) const;

    // Renames slot's sample in after (a copy of the content): its sound stays the file it
    // plays now, and the loop kept for that file goes with it.
    void renameSample(MspContent &after, int slot, const QByteArray &name) const;
    // The loop kept for a listed sample's sound file (by its name); Keep when none.
    SampleLoop keptLoop(int slot) const;
    // Keeps loop for the sample's sound file (Keep: forgets it), as one change named text.
    void keepLoop(int slot, const QString &text, const SampleLoop &loop);
    // The first listed sample whose WAV (wavFile) or sound file is path; 0 when none.
    int slotOfFile(const QString &path, int first = 1) const;

    // Replaces the content with after, as one change that undo reverts. Pushed also
    // when nothing changes: every command of the editor marks the document modified.
    void change(const QString &text, const MspContent &after);
    // Starts afresh with no history: a document read from path (or a new one) is
    // clean; an imported or converted one (onDisk false) is not until saved.
    void reset(const MspContent &content, const QString &path, bool onDisk = true);
    // The content is now in path.
    void markSaved(const QString &path);

Q_SIGNALS:
    // The content changed by a command, its undo or its redo.
    void contentChanged();
    void modifiedChanged(bool modified);

private:
    friend class ContentCommand;
    bool listed(int slot) const;
    exporter::SlotSource storedSource(int slot) const; // exportSource() without the kept loop
    void apply(const MspContent &content);
    void updateModified();

    MspContent m_content;
    QString m_path;
    QUndoStack *m_undoStack = nullptr;
    bool m_modified = false;
};

} // namespace tamo::msp_editor
