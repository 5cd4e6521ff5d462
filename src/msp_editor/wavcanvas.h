#pragma once

#include "wav/wavwaveform.h"

#include <QLineEdit>
#include <QWidget>

#include <functional>

namespace tamo::msp_editor {

// The waveform canvas (Picture2): keeps the last plot and paints it, so the
// drawing survives being covered and uncovered.
class WaveCanvas : public QWidget {
public:
    explicit WaveCanvas(QWidget *parent);

    void clearPlot();
    void setPlot(wav::WaveformPlot plot);
    const wav::WaveformPlot &plot() const { return m_plot; }

    static inline const QColor kForeground{0, 0, 128};
    static inline const QColor kReference{128, 128, 128};

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    wav::WaveformPlot m_plot;
};

// A text box of raw bytes (Text14, Text38) that reports a mouse press or a key
// release once the box has handled it, for the byte-code readout.
class ByteTextBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onCaretEvent;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

} // namespace tamo::msp_editor
