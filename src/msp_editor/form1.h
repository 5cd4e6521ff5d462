#pragma once

#include "msp/msprecord.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tamo::msp_editor {

class ParameterEditor;
class WavPanel;

// The MSP editor window. It owns one MSP document (the record with its two paths),
// lists its samples, shows the global parameters and those of the selected sample,
// and carries the document commands, WAV import and removal. Parameter editing
// (ParameterEditor) and the WAV panel (WavPanel) live in their own classes and
// reach the window through the public members below.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The document.
    msp::MspRecord &record() { return m_record; }
    const msp::MspRecord &record() const { return m_record; }
    // The MSP file the document was last read from or saved to; empty when untitled.
    QString CurrentMspPath;
    // The WAV file the panel shows: the last selected sample's file that was found.
    QString CurrentWavPath;

    // Rebuilds the whole view from the record; leaves no line of List1 selected
    // and the sample fields empty.
    void RefreshMspView();
    // Fills the sample fields from the line selected in List1 and points
    // CurrentWavPath at its WAV file when that exists.
    void showSelectedSample();
    // The selected List1 line as a slot number 1..64; 0 when none is selected.
    int selectedSlot() const;
    // Selects List1's line of the slot (0 or out of range: none) and shows it, as a
    // user's selection would, without loading the WAV.
    void selectSlot(int slot);
    // The window's client area (15240 x 10830 twips) that holds every control.
    QWidget *clientArea() const { return m_client; }
    WavPanel *wavPanel() const { return m_wavPanel; }

    // The WAV file of a List1 line beside the MSP file: the line without its end
    // spaces, then ".wav", found whatever the case of its name; a short name finds
    // the long-named file it stands for. Empty when there is none.
    QString wavFileFor(const QString &line) const;

    // Document commands, as the menu runs them.
    void MnuNew_Click();
    void MnuOuvrir_Click();
    // Open's load step without its prompt and dialog: the document becomes the file
    // at path. False (document unchanged) when it cannot be read.
    bool openMspFile(const QString &path);
    void MnuSave_Click();
    void MnuSaveAs_Click();
    void MnuEnd_Click();
    void MnuAbout_Click();
    // Asks whether to save unsaved changes and saves on Yes; there is no cancel.
    void AskSaveModified();

    // "Add Wav Sample" and "Remove Selected Sample".
    void Command9_Click();
    void Command10_Click();
    // Adds the files named by a file dialog answer (one full path, or the folder
    // then "\0" + name for each file) as new samples at the end of the list.
    void AddWavFile(const QString &Fichiers);

Q_SIGNALS:
    // A sample's WAV file was opened in the panel by a mouse release on List1,
    // and, with Auto Play ticked, played.
    void wavOpened(const QString &path);
    void wavPlayed(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildControls();
    void List1_MouseUp();
    // Writes the record to path; reports a failure and keeps the document modified.
    bool saveTo(const QString &path);
    QLineEdit *field(int number) const;

    msp::MspRecord m_record;
    QWidget *m_client = nullptr;
    WavPanel *m_wavPanel = nullptr;
    QLabel *m_label25 = nullptr;
    QListWidget *m_list1 = nullptr;
    QPushButton *m_command9 = nullptr;
    QPushButton *m_command10 = nullptr;
    QCheckBox *m_check1 = nullptr;
    QLabel *m_label33 = nullptr;
    // Text15..Text37 by number - 15.
    std::array<QLineEdit *, 23> m_fields{};
    // Captions of the effect amount fields Text25..Text27.
    std::array<QLabel *, 3> m_amountLabels{};
    std::unique_ptr<ParameterEditor> m_parameterEditor;
};

} // namespace tamo::msp_editor
