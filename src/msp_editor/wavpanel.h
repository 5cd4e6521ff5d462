// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp_editor/mspdocument.h"
#include "util/filestamp.h"
#include "wav/wavinfo.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tamo::msp_editor {

class ByteTextBox;
class WaveCanvas;

// The WAV inspection panel on the right of MspEditorWindow, with its file tools. It shows,
// draws and plays the file it is given (wavPath), and its tools may point it at
// the file they made; fileWritten tells what they wrote.
//
// The panel is a transparent child of the form covering just its own controls;
// each control sits at its design place in twips of the form's client area.
class WavPanel : public QWidget {
    Q_OBJECT
public:
    // form: the client area of MspEditorWindow (the panel places itself and its controls in
    // twips relative to it).
    explicit WavPanel(QWidget *form);
    ~WavPanel() override;

    // The WAV file the panel works on: the last selected sample's file that was found.
    const QString &wavPath() const { return m_wavPath; }
    void setWavPath(const QString &path) { m_wavPath = path; }
    // Fills the fields from the file at wavPath().
    void showWavInfo();
    void clearWavInfo();
    // Draws the data chunk of the file at wavPath() into the canvas.
    void drawWaveform();
    void Play();
    // The play button held: the sample, its loop again and again while held (the loop
    // shown), then on to its end once let go.
    void startAudition();
    void releaseAudition();

    // What the buttons and bars run.
    void createNoiseFile(); // "creer bruit"
    void writeTestHeader(); // "Ecrire une entete"
    void writeHeaderFields(); // "Ecrire les infos"
    void cleanUpWav(); // "CleanUp"
    void removeBlockHeaders(); // "Command8"
    // The loop of a WAV in the keyboard's format, written into its sampler chunk.
    void setLoopFromFields(); // "Set loop": the typed start and end
    void snapLoopToZeroCrossings(); // both ends to the nearest rising zero crossing
    void removeLoop();
    // A file not in the keyboard's format is never written: its loop is the one the
    // document keeps for it (asked of keptLoop), and a change is told by loopKept.
    void setKeptLoops(std::function<SampleLoop(const QString &path)> keptLoop) { m_keptLoops = std::move(keptLoop); }
    // Shows the document's loop again (after a change or its undo) for such a file.
    void showKeptLoop();
    // Marks a proposed loop (Find loop's) on the waveform and in the fields before it is written.
    void showProposedLoop(qint64 start, qint64 end, qint64 crossfade);
    void zoomChanged(); // zoom
    void panChanged(); // pan

    // The fixed files of the tools: "creer bruit" writes and plays the noise file;
    // "Ecrire une entete" stamps the test file. Both live in msp::wavToolFolder().
    static QString noiseFilePath();
    static QString testHeaderFilePath();

    // The panel's bounding box in twips of the form's client area.
    static constexpr int kLeft = 5520, kTop = 240, kRight = 15135, kBottom = 10575;

    // After a file was put back or written again (an undo of a tool's write).
    void reloadIfCurrent(const QString &written);

Q_SIGNALS:
    // A tool wrote path; before is what the file held (nullopt: there was none).
    void fileWritten(const QString &tool, const QString &path, const std::optional<QByteArray> &before);
    // tool set loop for the file at path, not in the keyboard's format, for the document to keep.
    void loopKept(const QString &tool, const QString &path, const tamo::exporter::SampleLoop &loop);
    // The play button pressed: path plays, looping loopStart..loopEnd while held (none: end <= start).
    void auditionStarted(const QString &path, qint64 loopStart, qint64 loopEnd);
    void auditionReleased();

private:
    void showReadout(QLineEdit *box);
    void showLimitNote(QLabel *note, const QByteArray &shown, qint64 total, bool cut);
    // Whether the fields show the file at wavPath() as it is now; a message otherwise.
    bool isWavFile();
    bool showsCurrentFile();
    wav::WavFieldTexts fieldTexts() const;
    // The typed loop, or a message and nullopt when it does not fit the file.
    std::optional<std::pair<qint64, qint64>> typedLoop();
    // Rewrites the file with loop (nullopt: none) in its sampler chunk, on the undo stack as tool.
    void writeLoop(const QString &tool, std::optional<std::pair<qint64, qint64>> loop);
    void showLoopOnCanvas();
    void showLoop(); // the kept loop, else the file's own, in the fields and on the canvas

    QString m_wavPath;
    wav::WavView m_view; // the file as showWavInfo last read it
    QString m_shownPath; // which file that was, and its state then
    util::FileStamp m_shownStamp;

    std::array<QLineEdit *, 15> m_fieldBoxes{}; // Text1..Text14 at their numbers
    ByteTextBox *m_trailerBox = nullptr;
    ByteTextBox *m_extraChunksBox = nullptr;
    QLabel *m_dataOffsetLabel = nullptr, *m_byteCodeLabel = nullptr, *m_trailerLengthLabel = nullptr, *m_extraLengthLabel = nullptr;
    QLabel *m_trailerNote = nullptr, *m_extraChunksNote = nullptr;
    QLabel *m_fileNameLabel = nullptr; // the name of the file shown
    QLineEdit *m_loopStartBox = nullptr, *m_loopEndBox = nullptr;
    QPushButton *m_setLoopButton = nullptr; // its tip says where the loop goes
    qint64 m_loopStart = 0, m_loopEnd = 0, m_crossfade = 0; // the loop shown; none: start >= end
    qint64 m_frames = 0; // of the file shown
    bool m_keyboardFormat = true; // the file shown is: its loop goes into its sampler chunk
    std::optional<std::pair<qint64, qint64>> m_ownLoop; // the file's sampler chunk's
    std::function<SampleLoop(const QString &path)> m_keptLoops;
    QWidget *m_waveFrame = nullptr;
    WaveCanvas *m_waveCanvas = nullptr;
    QScrollBar *m_zoomBar = nullptr, *m_panBar = nullptr;
};

} // namespace tamo::msp_editor
