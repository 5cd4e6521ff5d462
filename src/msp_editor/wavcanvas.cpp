// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/wavcanvas.h"

#include "wav/wavinfo.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tamo::msp_editor {

WaveCanvas::WaveCanvas(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base)); // the system window colour
    pal.setColor(QPalette::WindowText, kForeground);
    setPalette(pal);
}

WaveCanvas::~WaveCanvas() = default;

void WaveCanvas::clearPlot()
{
    m_shown = false;
    update();
}

void WaveCanvas::showFile(const QString &path, double drawLength)
{
    const util::FileStamp stamp = util::fileStamp(path);
    auto source = std::make_unique<wav::FileSource>(path);
    if (!source->open()) {
        clearPlot();
        return;
    }
    // The summary reads the whole file: only again when it changed.
    if (path != m_path || stamp != m_stamp || !stamp.exists) {
        m_decoded = wav::decodedForDrawing(path);
        if (!m_decoded.isEmpty())
            m_source = std::make_unique<wav::MemorySource>(m_decoded);
        m_summary = wav::WaveformSummary(m_decoded.isEmpty() ? static_cast<wav::ByteSource &>(*source) : *m_source);
        m_path = path;
        m_stamp = stamp;
    }
    if (m_decoded.isEmpty())
        m_source = std::move(source);
    m_drawLength = m_decoded.isEmpty() ? drawLength : double(m_decoded.size() - wav::wavhdr::kSize);
    m_columns.clear();
    m_known.clear();
    m_shown = true;
    update();
}

void WaveCanvas::computeColumns(int first, int last)
{
    for (int c = first; c < last;) {
        if (m_known[c]) {
            ++c;
            continue;
        }
        int end = c;
        while (end < last && !m_known[end])
            ++end;
        const QList<wav::WaveformColumn> got = m_summary.columns(*m_source, width(), c, end, m_drawLength);
        for (int i = c; i < end; ++i) {
            m_columns[i] = got[i - c];
            m_known[i] = true;
        }
        c = end;
    }
}

void WaveCanvas::paintEvent(QPaintEvent *event)
{
    if (!m_shown || !m_summary.isDrawn())
        return;
    QPainter painter(this);
    const int w = width();
    const double H = height();
    if (m_columns.size() != w) {
        m_columns = QList<wav::WaveformColumn>(w);
        m_known = QList<bool>(w, false);
    }
    // The exposed columns, widened to the nearest drawn column on each side so
    // that the joins across the edges are drawn too.
    int left = std::max(0, event->rect().left());
    int right = std::min(w, event->rect().right() + 1);
    computeColumns(left, right);
    constexpr int kStep = 64;
    for (bool found = false; left > 0 && !found;) {
        const int from = std::max(0, left - kStep);
        computeColumns(from, left);
        for (found = false; left > from && !found;)
            found = !m_columns[--left].isEmpty();
    }
    for (bool found = false; right < w && !found;) {
        const int to = std::min(w, right + kStep);
        computeColumns(right, to);
        for (found = false; right < to && !found;)
            found = !m_columns[right++].isEmpty();
    }

    painter.setPen(QPen(kForeground, 0)); // cosmetic: one pixel
    auto y = [H](double level) { return H * (1.0 - level) / 2.0; };
    int previous = -1;
    for (int c = left; c < right; ++c) {
        const wav::WaveformColumn &column = m_columns[c];
        if (column.isEmpty())
            continue;
        double low = column.low, high = column.high;
        const double x = c + 0.5;
        if (previous >= 0 && previous == c - 1) { // reach the neighbour's range: one unbroken trace
            low = std::min(low, double(m_columns[previous].high));
            high = std::max(high, double(m_columns[previous].low));
        } else if (previous >= 0) { // columns without frames between: a straight line across
            const wav::WaveformColumn &before = m_columns[previous];
            painter.drawLine(QPointF(previous + 0.5, y((before.low + before.high) / 2.0)),
                             QPointF(x, y((low + high) / 2.0)));
        }
        if (low == high)
            painter.drawPoint(QPointF(x, y(low)));
        else
            painter.drawLine(QPointF(x, y(high)), QPointF(x, y(low)));
        previous = c;
    }
    painter.setPen(QPen(kReference, 0));
    painter.drawLine(QPointF(0, H / 4), QPointF(w, H / 4));
    painter.drawLine(QPointF(0, 3 * H / 4), QPointF(w, 3 * H / 4));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(0, H / 2), QPointF(w, H / 2));
    paintLoop(painter);
}

void WaveCanvas::setLoop(qint64 start, qint64 end, qint64 crossfade, int blockAlign)
{
    m_loopStart = start;
    m_loopEnd = end;
    m_crossfade = std::clamp<qint64>(crossfade, 0, std::max<qint64>(0, end - start));
    m_blockAlign = blockAlign;
    m_dragging = -1;
    update();
}

// A frame falls in column floor(width * offset / drawLength), as the summary draws it.
double WaveCanvas::xOf(qint64 frame) const { return double(width()) * double(frame) * blockAlign() / m_drawLength; }

qint64 WaveCanvas::frameAt(double x) const
{
    if (width() <= 0)
        return 0;
    return std::max<qint64>(0, std::llround(x * m_drawLength / (double(width()) * blockAlign())));
}

void WaveCanvas::paintLoop(QPainter &painter)
{
    if (!m_shown || !hasLoop())
        return;
    const double H = height();
    const double start = m_dragging == 0 ? m_dragX : xOf(m_loopStart);
    const double end = m_dragging == 1 ? m_dragX : xOf(m_loopEnd);
    if (m_crossfade > 0) {
        const double from = end - (xOf(m_loopEnd) - xOf(m_loopEnd - m_crossfade));
        painter.fillRect(QRectF(from, 0, std::max(1.0, end - from), H), kCrossfade);
    }
    painter.setPen(QPen(kLoopStart, 2));
    painter.drawLine(QPointF(start, 0), QPointF(start, H));
    painter.setPen(QPen(kLoopEnd, 2));
    painter.drawLine(QPointF(end, 0), QPointF(end, H));
}

void WaveCanvas::mousePressEvent(QMouseEvent *event)
{
    constexpr double kGrip = 4; // pixels either side of a marker
    const double x = event->position().x();
    if (m_shown && hasLoop() && event->button() == Qt::LeftButton) {
        const double toStart = std::abs(x - xOf(m_loopStart)), toEnd = std::abs(x - xOf(m_loopEnd));
        if (std::min(toStart, toEnd) <= kGrip) {
            m_dragging = toEnd < toStart ? 1 : 0;
            m_dragX = x;
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void WaveCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging < 0)
        return QWidget::mouseMoveEvent(event);
    m_dragX = std::clamp(event->position().x(), 0.0, double(width()));
    update();
}

void WaveCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging < 0)
        return QWidget::mouseReleaseEvent(event);
    const bool isEnd = m_dragging == 1;
    m_dragging = -1;
    update();
    if (onLoopDragged)
        onLoopDragged(isEnd, frameAt(std::clamp(event->position().x(), 0.0, double(width()))));
}

void ByteTextBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (onCaretEvent)
        onCaretEvent();
}

void ByteTextBox::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (onCaretEvent)
        onCaretEvent();
}

} // namespace tamo::msp_editor
