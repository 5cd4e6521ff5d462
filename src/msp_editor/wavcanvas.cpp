#include "msp_editor/wavcanvas.h"

#include "ui/twips.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace tamo::msp_editor {

WaveCanvas::WaveCanvas(QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base)); // the system window colour
    pal.setColor(QPalette::WindowText, kForeground);
    setPalette(pal);
}

void WaveCanvas::clearPlot()
{
    m_plot = {};
    update();
}

void WaveCanvas::setPlot(wav::WaveformPlot plot)
{
    m_plot = std::move(plot);
    update();
}

void WaveCanvas::paintEvent(QPaintEvent *event)
{
    if (!m_plot.drawn)
        return;
    QPainter painter(this);
    // The plot is in twips; draw it in them.
    const double unit = 1.0 / ui::kTwipsPerPixel;
    painter.scale(unit, unit);
    const double W = width() * ui::kTwipsPerPixel;
    const double H = height() * ui::kTwipsPerPixel;

    const QList<QPointF> &pts = m_plot.points;
    QPen pen(kForeground, 0); // cosmetic: one pixel whatever the scale
    painter.setPen(pen);
    if (pts.size() == 1) {
        painter.drawPoint(pts.first());
    } else if (pts.size() > 1) {
        // Only the points of the exposed strip, plus one on each side.
        const double left = event->rect().left() * ui::kTwipsPerPixel;
        const double right = (event->rect().right() + 1) * ui::kTwipsPerPixel;
        auto byX = [](const QPointF &p, double x) { return p.x() < x; };
        auto first = std::lower_bound(pts.cbegin(), pts.cend(), left, byX);
        auto last = std::lower_bound(first, pts.cend(), right, byX);
        if (first != pts.cbegin())
            --first;
        if (last != pts.cend())
            ++last;
        const qsizetype n = last - first;
        if (n > 1)
            painter.drawPolyline(&*first, int(n));
    }
    painter.setPen(QPen(kReference, 0));
    painter.drawLine(QPointF(0, H / 4), QPointF(W, H / 4));
    painter.drawLine(QPointF(0, 3 * H / 4), QPointF(W, 3 * H / 4));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(QPointF(0, H / 2), QPointF(W, H / 2));
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
