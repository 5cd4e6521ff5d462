// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/filestamp.h"
#include "wav/wavwaveform.h"

#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <memory>

namespace tamo::msp_editor {

// The waveform canvas (Picture2): one pixel column per column of the waveform,
// each from its lowest to its highest level. It keeps the file's summary while
// the file stays the same, and works out only the columns it paints, so a zoom,
// pan or uncovering reads little whatever the file size.
class WaveCanvas : public QWidget {
public:
    explicit WaveCanvas(QWidget *parent);
    ~WaveCanvas() override;

    void clearPlot();
    // Draws the data chunk of the file at path, as far as drawLength bytes of it.
    void showFile(const QString &path, double drawLength);

    static inline const QColor kForeground{0, 0, 128};
    static inline const QColor kReference{128, 128, 128};

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Makes columns [first, last) known.
    void computeColumns(int first, int last);

    bool m_shown = false;
    double m_drawLength = 0;
    QString m_path;
    util::FileStamp m_stamp;
    std::unique_ptr<wav::FileSource> m_source;
    wav::WaveformSummary m_summary;
    QList<wav::WaveformColumn> m_columns; // at the current width
    QList<bool> m_known;                  // which of them are worked out
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
