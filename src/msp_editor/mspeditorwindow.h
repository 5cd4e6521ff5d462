// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/keyboardexport.h"
#include "msp/msprecord.h"
#include "msp_editor/mspdocument.h"
#include "msp_editor/parametereditor.h"
#include "msp_editor/parametertable.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QListWidget;
class QUndoStack;
class QMenu;
class QAction;

namespace tamo::msp_editor {

class KeyboardTools;
class MspForm;

class WavPanel;

// The MSP editor window. It shows one MSP document (MspDocument),
// lists its samples, shows the global parameters and those of the selected sample,
// and carries the document commands, WAV import and removal. Parameter editing
// (ParameterEditor) and the WAV panel (WavPanel) live in their own classes and
// reach the window through the members below.
class MspEditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MspEditorWindow(QWidget *parent = nullptr);
    ~MspEditorWindow() override;

    // The document; changed only by commands on its stack.
    MspDocument &document() const { return *m_document; }
    const msp::MspRecord &record() const { return m_document->record(); }

    // Rebuilds the whole view from the record; leaves no line of List1 selected
    // and the sample fields empty.
    void RefreshMspView();
    // Fills the sample fields from the line selected in List1 and points
    // the WAV panel at its WAV file when that exists.
    void showSelectedSample();
    // The selected List1 line as a slot number 1..64; 0 when none is selected.
    // With several selected (Ctrl or Shift and a click), the current one if it is
    // among them, else the first.
    int selectedSlot() const;
    // Every selected line as a slot number, in list order.
    QList<int> selectedSlots() const;
    // Selects List1's line of the slot (0 or out of range: none) and shows it, as a
    // user's selection would, without loading the WAV.
    void selectSlot(int slot);
    WavPanel *wavPanel() const { return m_wavPanel; }


    // Document commands, as the menu runs them.
    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    void quit();
    void showAbout();
    // Asks whether to save unsaved changes and saves on Yes. False when the work
    // would be lost: the user cancelled, or the save did not happen.
    bool askSaveModified();
    // Quit after the unsaved-changes question; false when the user kept the program.
    bool requestQuit();
    // Reads path into the window as Open does after its dialog; false when unreadable.
    bool openFile(const QString &path);

    // A new untitled document built elsewhere (an imported instrument), unsaved.
    void loadImportedDocument(const MspContent &content);
    // MspDocument::soundFile of a listed sample.
    QString sampleSourceFile(int slot) const;
    QListWidget *sampleList() const { return m_sampleList; }
    KeyboardTools *keyboardTools() const { return m_keyboardTools; }
    QUndoStack *undoStack() const;
    // Rebuilds the File menu's list of recent documents.
    void refreshRecentDocuments();

    // "Add Wav Sample" and "Remove Selected Sample".
    void addSamples();
    void removeSelectedSample();
    // Adds the files as new samples at the end of the list, in order, as one change.
    void addWavFiles(const QStringList &paths);

Q_SIGNALS:
    // A sample's WAV file was opened in the panel by a mouse release on List1,
    // and, with Auto Play ticked, played.
    void wavOpened(const QString &path);
    void wavPlayed(const QString &path);
    // The view was rebuilt from the record.
    void viewRefreshed();
    // The sample fields were filled from List1's selection (also when none is
    // selected), after the selection itself changed.
    void sampleShown(int slot);
    // Slots first..last were filled by added files.
    void samplesAdded(int first, int last);
    // An SFZ or SoundFont file was dropped on the window.
    void sfzDropped(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    // The Keyboard menu's shortcuts, set here with the window's other keys.
    void setKeyboardMenuKeys();
    void refreshViewContents();
    // The WAV panel lets go of the file of the document shown before.
    void forgetWav();
    void openSelectedWav();
    // Shows the document's content after a command, keeping the selected slot.
    void contentChanged();
    // Puts a write of the WAV panel on the undo stack and says so in the status bar.
    void recordFileWrite(const QString &tool, const QString &path, const std::optional<QByteArray> &before);
    void updateTitle();
    // The files of a drop this window takes: an MSP or SFZ file, or sound files.
    QStringList acceptedDrop(const QDropEvent *event, bool *isMsp) const;
    // Writes the record to path, over a file that is not a multisample only once the
    // user agrees (unless replacing it was agreed to already); reports a failure and
    // keeps the document modified.
    bool saveTo(const QString &path, bool replaceConfirmed = false);
    bool save();

    MspDocument *m_document = nullptr;
    // Whether a change of the content selects again the slot that was selected.
    bool m_keepSelection = true;
    KeyboardTools *m_keyboardTools = nullptr;
    QMenu *m_fileMenu = nullptr;
    QAction *m_quitAction = nullptr;
    QList<QAction *> m_recentActions;
    MspForm *m_form = nullptr;
    WavPanel *m_wavPanel = nullptr;     // the form's
    QListWidget *m_sampleList = nullptr; // the form's List1
    std::unique_ptr<ParameterEditor> m_parameterEditor;
};

} // namespace tamo::msp_editor
