#pragma once

#include <QWidget>

namespace tamo::msp_editor {

// The WAV inspection panel on the right of Form1, with its file tools. It shows,
// draws and plays the file named by the editor's CurrentWavPath, and its tools may
// point CurrentWavPath at the file they made.
class WavPanel : public QWidget {
    Q_OBJECT
public:
    // form: the client area of Form1 (the panel places itself and its controls in
    // twips relative to it). currentWavPath: Form1's CurrentWavPath, outliving the panel.
    WavPanel(QWidget *form, QString *currentWavPath);
    ~WavPanel() override;

    void ShowWavInfo();
    void ClearWavInfo();
    void DrawWaveform();
    void Play();

private:
    QString *m_currentWavPath;
};

} // namespace tamo::msp_editor
