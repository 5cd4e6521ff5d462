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
    // Draws the data chunk of the file at path, as far as drawLength bytes of it; a
    // file of another format (FLAC, AIFF, Ogg) whole, as decoded.
    void showFile(const QString &path, double drawLength);

    // The loop to mark, in frames of the drawn file: end is one past the last looped
    // frame, the crossfade the frames before end that are blended; none when start >= end.
    void setLoop(qint64 start, qint64 end, qint64 crossfade, int blockAlign);
    // Told the frame a loop marker was dragged to (isEnd: the end marker).
    std::function<void(bool isEnd, qint64 frame)> onLoopDragged;

    static inline const QColor kForeground{0, 0, 128};
    static inline const QColor kReference{128, 128, 128};
    static inline const QColor kLoopStart{0, 150, 0};
    static inline const QColor kLoopEnd{200, 0, 0};
    static inline const QColor kCrossfade{255, 160, 0, 90};

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool hasLoop() const { return m_loopEnd > m_loopStart && blockAlign() > 0 && m_drawLength > 0; }
    // A decoded file is drawn as 16-bit mono whatever its header says.
    int blockAlign() const { return m_decoded.isEmpty() ? m_blockAlign : 2; }
    double xOf(qint64 frame) const;
    qint64 frameAt(double x) const;
    void paintLoop(QPainter &painter);

    // Makes columns [first, last) known.
    void computeColumns(int first, int last);

    bool m_shown = false;
    double m_drawLength = 0;
    QString m_path;
    util::FileStamp m_stamp;
    QByteArray m_decoded; // the drawn file as decodedForDrawing gave it, or empty
    std::unique_ptr<wav::ByteSource> m_source;
    wav::WaveformSummary m_summary;
    QList<wav::WaveformColumn> m_columns; // at the current width
    QList<bool> m_known;                  // which of them are worked out
    qint64 m_loopStart = 0, m_loopEnd = 0, m_crossfade = 0;
    int m_blockAlign = 0;
    int m_dragging = -1;   // the marker held: 0 start, 1 end; -1 none
    double m_dragX = 0;    // where it is while held
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
