#pragma once

#include "msp/wavinfo.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tamo::msp_editor {

class ByteTextBox;
class WaveCanvas;

// The WAV inspection panel on the right of Form1, with its file tools. It shows,
// draws and plays the file named by the editor's CurrentWavPath, and its tools may
// point CurrentWavPath at the file they made.
//
// The panel is a transparent child of the form covering just its own controls;
// each control sits at its design place in twips of the form's client area.
class WavPanel : public QWidget {
    Q_OBJECT
public:
    // form: the client area of Form1 (the panel places itself and its controls in
    // twips relative to it). currentWavPath: Form1's CurrentWavPath, outliving the panel.
    WavPanel(QWidget *form, QString *currentWavPath);
    ~WavPanel() override;

    // Fills the fields from the file at CurrentWavPath.
    void ShowWavInfo();
    void ClearWavInfo();
    // Draws the data chunk of the file at CurrentWavPath into the canvas.
    void DrawWaveform();
    void Play();

    // What the buttons and bars run.
    void Command1_Click(); // "creer bruit"
    void Command3_Click(); // "Ecrire une entete"
    void Command5_Click(); // "Ecrire les infos"
    void Command7_Click(); // "CleanUp"
    void Command8_Click(); // "Command8"
    void HScroll1_Change(); // zoom
    void HScroll2_Change(); // pan

    // The fixed files of the tools: "creer bruit" writes and plays the noise file;
    // "Ecrire une entete" stamps the test file. Both live in msp::wavToolFolder().
    static QString noiseFilePath();
    static QString testHeaderFilePath();

    // The panel's bounding box in twips of the form's client area.
    static constexpr int kLeft = 5520, kTop = 240, kRight = 15135, kBottom = 10575;

private:
    void showReadout(QLineEdit *box);
    void showLimitNote(QLabel *note, const QByteArray &shown, qint64 total, bool cut);
    msp::WavFieldTexts fieldTexts() const;

    QString *m_currentWavPath;
    msp::WavView m_view; // the file as ShowWavInfo last read it

    std::array<QLineEdit *, 15> m_text{}; // Text1..Text14 at their numbers
    ByteTextBox *m_text14 = nullptr;
    ByteTextBox *m_text38 = nullptr;
    QLabel *m_label16 = nullptr, *m_label17 = nullptr, *m_label18 = nullptr, *m_label50 = nullptr;
    QLabel *m_note14 = nullptr, *m_note38 = nullptr;
    QWidget *m_picture1 = nullptr;
    WaveCanvas *m_picture2 = nullptr;
    QScrollBar *m_hscroll1 = nullptr, *m_hscroll2 = nullptr;
};

} // namespace tamo::msp_editor
