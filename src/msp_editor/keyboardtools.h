// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sfz/sfzimport.h"
#include "wav/keyboardformat.h"
#include "wav/rootnote.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

class QListWidget;
class QWidget;
class QMenu;

namespace tamo::msp_editor {

class KeyMapWindow;
class PitchTools;
class MspDocument;
struct MspContent;

// What the tools need of the window that shows the document.
struct EditorHooks {
    QWidget *window = nullptr;         // the parent of their dialogs
    QListWidget *sampleList = nullptr; // List1, decorated with each sample's facts
    std::function<int()> selectedSlot;
    std::function<QList<int>()> selectedSlots;
    // The unsaved-work question before an import replaces the document; false: keep it.
    std::function<bool()> askSaveModified;
    // An imported instrument becomes the untitled, unsaved document.
    std::function<void(const MspContent &content)> loadImported;
};

// The road from sound files to a set the keyboard plays: the editor's Keyboard
// menu (map keys from the samples' roots, the key map, renaming a sample, the
// export for the keyboard, SFZ import), and the marks in the sample list that say
// where each root came from and which files the keyboard would refuse.
class LivePlay;

class KeyboardTools : public QObject {
    Q_OBJECT
public:
    KeyboardTools(MspDocument &document, EditorHooks hooks, QObject *parent = nullptr);
    ~KeyboardTools() override;

    // The Keyboard menu, for the window's menu bar.
    QMenu *menu() const { return m_menu; }

    // The menu commands.
    void mapKeys();
    void showKeyMap();
    void renameSelectedSample();
    void exportForKeyboard();
    void importSfz(const QString &path = {});
    // Keyboard > Import SoundFont: a preset of a .sf2/.sf3 file, chosen in a list.
    void importSoundFont(const QString &path = {});
    // Keyboard > Play: the key map, played through the voice engine from the mouse
    // (Shift holds a chord), the computer keyboard and the MIDI input chosen in
    // Keyboard > MIDI input.
    void play();
    LivePlay *livePlay() const { return m_live; }

    KeyMapWindow *keyMap() const;
    // The temporary folder of the imported SoundFont preset's WAVs; empty when none.
    QString soundFontFolder() const;
    // Plays the sample mapped to key at that key's pitch; false when none is.
    bool playKey(int key);
    // Where the root of the sample in slot came from, as the list's tooltip tells.
    wav::RootNote rootOf(int slot);

    // What the window tells: the view was rebuilt, samples were added, an SFZ or a
    // SoundFont was dropped on it, the selection changed.
    void viewRefreshed();
    void samplesAdded(int first, int last);
    void importDropped(const QString &path);
    void updateKeyMap();

Q_SIGNALS:
    // The user chose that sample (in the key map, or by renaming it).
    void sampleChosen(int slot);
    // A tool rewrote the file at path, whose bytes were before (undoable).
    void fileWritten(const QString &tool, const QString &path, const std::optional<QByteArray> &before);
    // Find loop proposes a loop for the file at path (end one past the last looped
    // frame); told again with end <= start once the user has answered.
    void loopProposed(const QString &path, qint64 start, qint64 end, qint64 crossfade);

private:
    // The file an import reads, asked in the folder instruments were last imported from.
    QString askInstrumentFile(const QString &title, const QString &filter);
    void loadImport(const sfz::SfzImport &imported, const QString &name, const QString &heading, const QStringList &report);

    struct FileFacts {
        QDateTime modified;
        qint64 size = -1;
        wav::RootNote root;
        wav::FormatCheck format;
    };
    const FileFacts &factsFor(const QString &path);
    void decorateList();
    QString slotLine(int slot) const;
    bool mapFromRoots(bool quiet);
    // Samples first..last just added to a set that is a drum kit go on keys of their
    // own as the command line places them (exporter::drumKeysFor); false for notes.
    bool mapAddedDrums(int first, int last);
    // Names several samples at once: a common start and each one's KEY.
    void renameSamples(const QList<int> &slots);
    // The MSP file name to export as into folder, asked for an untitled document;
    // empty when the user stops. replaceAgreed: the user agreed to replace that instrument.
    QString mspNameForExport(const QString &folder, bool *replaceAgreed);

    MspDocument &m_document;
    EditorHooks m_hooks;
    QMenu *m_menu = nullptr;
    QPointer<KeyMapWindow> m_keyMap;
    LivePlay *m_live = nullptr;
    QByteArray m_liveSet;     // the record and sources the live set was made from
    QList<int> m_mouseNotes;  // notes the mouse holds (Shift-clicked ones stay until a plain click)
    void refreshLiveSet();
    void fillMidiMenu(QMenu *menu);
    PitchTools *m_pitch = nullptr;
    QHash<QString, FileFacts> m_facts;
    QString m_importedSfz; // the base name of the SFZ last imported, and its first sample's file
    QString m_importedFirstSource;
    std::shared_ptr<QTemporaryDir> m_soundFontFiles; // the imported preset's WAVs, while it is open
    std::shared_ptr<QTemporaryDir> m_importFiles;    // files the last import wrote (stereo pairs)
};

} // namespace tamo::msp_editor
