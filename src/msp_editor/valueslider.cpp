// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/valueslider.h"

#include "ui/fonts.h"
#include "ui/textfit.h"
#include "ui/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace tamo::msp_editor {

namespace {

using ui::place;
using ui::twips;

const QColor kLightGrey(224, 224, 224);
const QColor kLightRed(255, 192, 192);

// Design geometry in twips.
constexpr double kClientWidth = 1470;
constexpr double kClientHeight = 3975;
constexpr double kFrameWidth = 1455;
constexpr double kTrackDesignLeft = 600;
constexpr double kTrackTop = 360;
constexpr double kTrackWidth = 240;
constexpr double kTrackHeight = 2925;
constexpr double kKnobDesignTop = 1560;
constexpr double kKnobWidth = 195;
constexpr double kKnobHeight = 270;
constexpr double kTickRight = 925;
constexpr double kValueWidth = 675;
constexpr double kValueHeight = 315;

QFont tahomaBold(double points)
{
    return ui::designFont(QStringLiteral("Tahoma"), points, true);
}

// The dark groove the knob runs along.
class Groove : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, QColor(96, 96, 96));
        const int mid = r.width() / 2;
        p.fillRect(QRect(mid - 2, 2, 4, r.height() - 4), QColor(32, 32, 32));
        p.setPen(QColor(160, 160, 160));
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }
};

// The light knob; it wears a thin border while a button is held on the track.
class Knob : public QWidget {
public:
    using QWidget::QWidget;

    void setBordered(bool on)
    {
        if (m_bordered != on) {
            m_bordered = on;
            update();
        }
    }
    bool bordered() const { return m_bordered; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, QColor(236, 236, 236));
        p.setPen(Qt::white);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(QColor(128, 128, 128));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        const int mid = r.height() / 2;
        p.drawLine(2, mid, r.width() - 3, mid);
        if (m_bordered) {
            p.setPen(Qt::black);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }

private:
    bool m_bordered = false;
};

QWidget *makeTick(QWidget *parent, const QString &name, int index)
{
    auto *line = new QWidget(parent);
    line->setObjectName(name);
    if (index >= 0)
        line->setProperty("index", index);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, Qt::black);
    line->setPalette(pal);
    return line;
}

QLabel *makeBoxLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(tahomaBold(11.25));
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

ValueSlider::ValueSlider(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FrmSlider"));
    setWindowTitle(tr("Slider"));
    setModal(true);
    setFixedSize(windowSize());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kLightGrey);
    setPalette(pal);
    ui::keepTextsFitted(this);

    m_track = new Groove(this);
    m_track->setObjectName(QStringLiteral("Picture2"));
    place(m_track, kTrackDesignLeft, kTrackTop, kTrackWidth, kTrackHeight);
    m_track->installEventFilter(this);

    m_knob = new Knob(this);
    m_knob->setObjectName(QStringLiteral("Picture1"));
    place(m_knob, 960, kKnobDesignTop, kKnobWidth, kKnobHeight);
    // The pointer drives the track even where the knob covers it.
    m_knob->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_ticks[0] = makeTick(this, QStringLiteral("Line1"), 0);
    m_ticks[1] = makeTick(this, QStringLiteral("Line2"), -1);
    m_ticks[2] = makeTick(this, QStringLiteral("Line1"), 1);

    for (int i = 0; i < 3; ++i) {
        m_scale[i] = new QLabel(this);
        m_scale[i]->setObjectName(QStringLiteral("Label1"));
        m_scale[i]->setProperty("index", i);
        m_scale[i]->setFont(tahomaBold(8.25));
        m_scale[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    m_value = makeBoxLabel(this, QStringLiteral("Text1"), QString());
    m_value->setAutoFillBackground(true);
    QPalette valuePal = m_value->palette();
    valuePal.setColor(QPalette::Window, kLightRed);
    m_value->setPalette(valuePal);
    place(m_value, 360, 3480, kValueWidth, kValueHeight);
    m_value->installEventFilter(this);

    m_close = makeBoxLabel(this, QStringLiteral("Label2"), QStringLiteral("X"));
    place(m_close, 1155, 0, 300, 300);
    m_close->installEventFilter(this);
}

ValueSlider::~ValueSlider() = default;

QSize ValueSlider::windowSize()
{
    return {twips(kClientWidth), twips(kClientHeight)};
}

void ValueSlider::showEvent(QShowEvent *event)
{
    // Every opening starts afresh from value(), minimum and maximum.
    layOut();
    QDialog::showEvent(event);
}

void ValueSlider::layOut()
{
    // The knob sits 20 twips into the track, then the track moves to 10 twips left
    // of the knob.
    m_knobLeft = kTrackDesignLeft + 20;
    m_trackLeft = m_knobLeft - 10;
    m_trackTop = kTrackTop;
    m_trackHeight = kTrackHeight;
    m_knobHeight = kKnobHeight;
    place(m_track, m_trackLeft, m_trackTop, kTrackWidth, m_trackHeight);

    const double T = m_trackTop;
    const double H = m_trackHeight;
    const double tickY[3] = {T, T + H / 2, T + H};
    const double tickLeft = m_knobLeft - 100;
    for (int i = 0; i < 3; ++i)
        place(m_ticks[i], tickLeft, tickY[i], kTickRight - tickLeft, 15);

    place(m_value, m_knobLeft - 220, T + H + 200, kValueWidth, kValueHeight);

    const int captions[3] = {maximum, (int(minimum) + int(maximum)) / 2, minimum};
    for (int i = 0; i < 3; ++i) {
        QLabel *label = m_scale[i];
        label->setText(QString::number(captions[i]));
        label->adjustSize();
        const double width = label->width() * ui::kTwipsPerPixel;
        const double height = label->height() * ui::kTwipsPerPixel;
        place(label, m_knobLeft - 200 - width, tickY[i] - 110, width, height);
    }

    // The knob's centre marks the start value: maximum at the top end of the
    // track, minimum at the bottom, even when the value lies outside the range.
    m_typed.clear();
    const int start = m_picked;
    const int span = int(minimum) - int(maximum);
    const double offset = span == 0 ? 0.0 : double(start - maximum) * H / span;
    placeKnob(offset + T - m_knobHeight / 2);
    showValue(start);
}

void ValueSlider::moveTo(int value)
{
    value = qBound(int(minimum), value, int(maximum));
    const int span = int(minimum) - int(maximum);
    const double offset = span == 0 ? 0.0 : double(value - maximum) * m_trackHeight / span;
    placeKnob(offset + m_trackTop - m_knobHeight / 2);
    showValue(value);
}

void ValueSlider::keyPressEvent(QKeyEvent *event)
{
    const int shown = m_value->text().toInt();
    const QString text = event->text();
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up: step = 1; break;
    case Qt::Key_Down: step = -1; break;
    case Qt::Key_PageUp: step = 10; break;
    case Qt::Key_PageDown: step = -10; break;
    case Qt::Key_Home:
        m_typed.clear();
        moveTo(minimum);
        return;
    case Qt::Key_End:
        m_typed.clear();
        moveTo(maximum);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    default:
        break;
    }
    if (step != 0) {
        m_typed.clear();
        moveTo(shown + step);
        return;
    }
    if (text.size() == 1 && ((text.at(0) >= u'0' && text.at(0) <= u'9') || text.at(0) == u'-')) {
        // A minus starts a new negative entry; a digit extends the entry in progress.
        if (text.at(0) == u'-') {
            if (minimum >= 0)
                return;
            m_typed = text;
            m_value->setText(m_typed); // closing on a lone minus gives 0
            return;
        }
        m_typed += text.at(0);
        const int typed = m_typed.toInt(); // a few digits: the entry is held inside the range
        moveTo(typed);
        // Past the range the entry starts again from the value it was held at.
        if (typed < minimum || typed > maximum)
            m_typed = m_value->text();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ValueSlider::placeKnob(double top)
{
    place(m_knob, m_knobLeft, top, kKnobWidth, m_knobHeight);
}

void ValueSlider::showValue(int value)
{
    m_value->setText(QString::number(value));
}

bool ValueSlider::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_track) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            trackMouse(event);
            return true;
        default:
            break;
        }
    } else if (watched == m_value || watched == m_close) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            auto *label = static_cast<QWidget *>(watched);
            if (me->button() == Qt::LeftButton && label->rect().contains(me->position().toPoint())) {
                accept();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ValueSlider::trackMouse(QEvent *event)
{
    auto *me = static_cast<QMouseEvent *>(event);
    auto *knob = static_cast<Knob *>(m_knob);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        knob->setBordered(true);
        return;
    case QEvent::MouseButtonRelease:
        knob->setBordered(false);
        return;
    default:
        break;
    }

    // Only the left button alone drags, and only while the pointer is level
    // with the track; the horizontal position does not matter.
    if (me->buttons() != Qt::LeftButton)
        return;
    const double y = me->position().y() * ui::kTwipsPerPixel;
    const double H = m_trackHeight;
    if (y < 0 || y > H)
        return;
    m_typed.clear();
    placeKnob(m_trackTop + y - m_knobHeight / 2);
    const double exact = maximum + double(int(minimum) - int(maximum)) * y / H;
    showValue(int(std::trunc(exact)));
}

void ValueSlider::done(int result)
{
    // However the window closes, the value shown is the value picked.
    m_picked = qint16(m_value->text().toInt());
    QDialog::done(result);
}

void ValueSlider::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    // Shape1: the outline around the window.
    QPainter p(this);
    p.setPen(Qt::black);
    p.drawRect(QRect(0, 0, twips(kFrameWidth) - 1, twips(kClientHeight) - 1));
}

} // namespace tamo::msp_editor
