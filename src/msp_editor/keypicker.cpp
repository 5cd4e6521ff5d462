// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/keypicker.h"

#include "msp_editor/mspeditorwindow.h"
#include "ui/fonts.h"
#include "ui/platform.h"
#include "ui/textfit.h"
#include "ui/twips.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <array>
#include <cmath>

namespace tamo::msp_editor {

namespace {

using ui::place;
using ui::twips;

// Design geometry in twips.
constexpr double kClientWidth = 9810;
constexpr double kClientHeight = 1485;
constexpr double kViewportWidth = 9760;
constexpr double kCanvasDesignWidth = 9735;
constexpr double kCanvasHeight = 1215;
constexpr double kScrollTop = 1200;
constexpr double kScrollWidth = 9735;
constexpr double kScrollHeight = 255;
constexpr int kStartScroll = 2500;

constexpr double kWhiteKey = 200;
constexpr double kOctave = 7 * kWhiteKey;
constexpr double kBlackHalfWidth = 60;
constexpr int kSemitones = 129;
// 129 semitones at 7/12 of a white key each.
constexpr double kCanvasWidth = 903.0 / 12.0 * kWhiteKey;
constexpr int kSeparators = 75;

bool hasBlackKeyAt(int i)
{
    const int m = i % 7;
    return m == 1 || m == 2 || m == 4 || m == 5 || m == 6;
}

// Pitch class under position r (0..1399, twips) within an octave. A boundary
// belongs to the key on its left.
int pitchClassAt(int r, bool blackKeyBand)
{
    if (blackKeyBand) {
        static constexpr std::array<int, 11> upTo = {140, 260, 340, 460, 600, 740,
                                                     860, 940, 1060, 1140, 1260};
        for (int k = 0; k < int(upTo.size()); ++k)
            if (r <= upTo[k])
                return k;
        return 11;
    }
    static constexpr std::array<int, 6> upTo = {200, 400, 600, 800, 1000, 1200};
    static constexpr std::array<int, 6> key = {0, 2, 4, 5, 7, 9};
    for (int i = 0; i < int(upTo.size()); ++i)
        if (r <= upTo[i])
            return key[i];
    return 11;
}

bool isBlackKey(int note)
{
    const int pitch = note % 12;
    return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

// The left and right edges (twips) of the drawn key of a note from 0 up.
std::pair<double, double> keySpan(int note)
{
    if (isBlackKey(note)) {
        const double b = std::floor(note * 7.0 / 12) + 1;
        return {kWhiteKey * b - kBlackHalfWidth, kWhiteKey * b + kBlackHalfWidth};
    }
    const double k = std::floor((note + 0.5) * 7 / 12);
    return {kWhiteKey * k, kWhiteKey * k + kWhiteKey};
}

} // namespace

// Picture2: the keyboard, drawn once into an image that survives repaints.
class KeyboardCanvas : public QWidget {
public:
    explicit KeyboardCanvas(KeyPicker *form, QWidget *parent) : QWidget(parent), m_form(form) {}

    void draw(int note)
    {
        m_image = QImage(size(), QImage::Format_RGB32);
        m_image.fill(Qt::white);
        QPainter p(&m_image);
        p.setRenderHint(QPainter::Antialiasing, false);

        const double H = kCanvasHeight;
        const double blackBottom = 2 * H / 3;
        const int pitch = note % 12; // keeps the sign of note: a negative note marks no key

        p.save();
        p.scale(1.0 / ui::kTwipsPerPixel, 1.0 / ui::kTwipsPerPixel);
        p.setPen(QPen(Qt::black, 0));
        for (int i = 1; i <= kSeparators; ++i)
            p.drawLine(QLineF(kWhiteKey * i, 0, kWhiteKey * i, H));

        const QColor blue(0, 0, 255);
        const bool marked = pitch >= 0;
        if (marked && !isBlackKey(note)) {
            const auto [left, right] = keySpan(note);
            p.fillRect(QRectF(left, 0, right - left, H), blue);
        }
        for (int i = 1; i <= kSeparators; ++i)
            if (hasBlackKeyAt(i))
                p.fillRect(QRectF(kWhiteKey * i - kBlackHalfWidth, 0, 2 * kBlackHalfWidth, blackBottom),
                           Qt::black);
        if (marked && isBlackKey(note)) {
            const auto [left, right] = keySpan(note);
            p.fillRect(QRectF(left, 0, right - left, blackBottom), blue);
        }
        p.restore();

        // Octave labels C-2 .. C8 in red, top-left at the left edge of each C.
        p.setFont(ui::designFont(QStringLiteral("MS Sans Serif"), 8.25));
        p.setPen(QColor(255, 0, 0));
        for (int i = 1; i <= kSemitones; i += 12) {
            const double x = 7.0 / 12 * (i - 1) * kWhiteKey / ui::kTwipsPerPixel;
            const double y = 4 * H / 5 / ui::kTwipsPerPixel;
            const QString label = QStringLiteral("C") + QString::number((i - 1) / 12 - 2);
            p.drawText(QRectF(x, y, 1000, 1000), Qt::AlignLeft | Qt::AlignTop, label);
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.drawImage(event->rect(), m_image, event->rect());
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        event->accept();
        m_form->pick(event->position());
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override { mousePressEvent(event); }

private:
    KeyPicker *m_form;
    QImage m_image;
};

KeyPicker::KeyPicker(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    setFixedSize(windowSize());
    setFont(ui::designFont(QStringLiteral("Tahoma"), 8.25));
    ui::keepTextsFitted(this);

    m_viewport = new QWidget(this);
    m_viewport->setObjectName(QStringLiteral("Picture1"));
    place(m_viewport, 0, 0, kViewportWidth, kClientHeight);
    m_viewport->setAutoFillBackground(true);
    QPalette viewportPal = m_viewport->palette();
    viewportPal.setColor(QPalette::Window, viewportPal.color(QPalette::Base));
    m_viewport->setPalette(viewportPal);

    m_canvas = new KeyboardCanvas(this, m_viewport);
    m_canvas->setObjectName(QStringLiteral("Picture2"));
    place(m_canvas, 0, 0, kCanvasDesignWidth, kCanvasHeight);

    m_scroll = new QScrollBar(Qt::Horizontal, m_viewport);
    m_scroll->setObjectName(QStringLiteral("HScroll1"));
    place(m_scroll, 0, kScrollTop, kScrollWidth, kScrollHeight);
    m_scroll->setSingleStep(int(kWhiteKey));
    m_scroll->setPageStep(int(kOctave));
    m_scroll->raise();
    // The arrow keys move the blue key, not the scroll bar.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    connect(m_scroll, &QScrollBar::valueChanged, this, &KeyPicker::scrollTo);
}

KeyPicker::~KeyPicker() = default;

QSize KeyPicker::windowSize()
{
    return {twips(kClientWidth), twips(kClientHeight)};
}

void KeyPicker::showEvent(QShowEvent *event)
{
    load();
    QDialog::showEvent(event);
}

void KeyPicker::load()
{
    m_picked = false;
    place(m_canvas, 0, 0, kCanvasWidth, kCanvasHeight);
    m_scroll->setRange(0, int(std::nearbyint(kCanvasWidth - kViewportWidth)));
    m_current = m_note;
    m_canvas->draw(m_current);
    m_scroll->setValue(kStartScroll);
    scrollTo(m_scroll->value());
    if (m_current >= 0 && m_current < kSemitones)
        scrollIntoView(m_current);
}

void KeyPicker::scrollIntoView(int note)
{
    const auto [left, right] = keySpan(note);
    const int start = m_scroll->value();
    const double shown = kViewportWidth;
    if (left < start)
        m_scroll->setValue(int(std::floor(left)));
    else if (std::min(right, kCanvasWidth) > start + shown)
        m_scroll->setValue(int(std::ceil(std::min(right, kCanvasWidth) - shown)));
}

void KeyPicker::keyPressEvent(QKeyEvent *event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Down: step = -12; break;
    case Qt::Key_Up: step = 12; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A note no key marks cannot be picked from the keyboard.
        if (m_current >= 0 && m_current < kSemitones)
            choose(m_current);
        return;
    default:
        QDialog::keyPressEvent(event);
        return;
    }
    // From a note off the keyboard the first step lands on its nearest end.
    const int from = qBound(0, m_current, kSemitones - 1);
    m_current = qBound(0, m_current < 0 || m_current >= kSemitones ? from : from + step, kSemitones - 1);
    m_canvas->draw(m_current);
    scrollIntoView(m_current);
}

void KeyPicker::scrollTo(int value)
{
    m_canvas->move(-twips(value), 0);
}

void KeyPicker::pick(QPointF pixelPos)
{
    const double X = pixelPos.x() * ui::kTwipsPerPixel;
    const double Y = pixelPos.y() * ui::kTwipsPerPixel;
    const int r = int(std::nearbyint(X)) % int(kOctave);
    const int k = pitchClassAt(r, Y <= 2 * kCanvasHeight / 3);
    choose(int(std::floor(X / kOctave)) * 12 + k);
}

void KeyPicker::choose(int note)
{
    m_note = note;
    m_picked = true;
    accept();
}

void KeyPicker::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the bare strip right of the viewport reacts.
    if (m_viewport->geometry().contains(event->position().toPoint())) {
        QDialog::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    // Ending the program asks about unsaved work first; Cancel keeps the picker open.
    if (auto *editor = qobject_cast<MspEditorWindow *>(parentWidget())) {
        if (!editor->requestQuit())
            return;
    } else {
        ui::quitProgram();
    }
    reject();
}

} // namespace tamo::msp_editor
