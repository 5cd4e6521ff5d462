// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/keymapwindow.h"

#include "msp/keymapping.h"
#include "export/soundimport.h"
#include "msp/valueformats.h"
#include "util/playback/playit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <utility>

#include <algorithm>

namespace tamo::msp_editor {

namespace {

constexpr int kKeys = 128;
constexpr int kTopKey = kKeys - 1;
constexpr int kMinKeyWidth = 8;
constexpr int kNameWidth = 64;
constexpr int kLabelWidth = 200; // the sample name, then its file's name
constexpr int kMinRowHeight = 14;
constexpr int kMaxRowHeight = 26;
constexpr int kKeyHeight = 40;
constexpr int kNoteLabelHeight = 14;
constexpr int kGapAboveKeys = 4;
// A frame and title bar the window manager adds, kept inside the screen too.
constexpr int kFrameAllowance = 48;

bool isBlackKey(int key)
{
    const int n = key % 12;
    return n == 1 || n == 3 || n == 6 || n == 8 || n == 10;
}

const QColor kGap(220, 40, 40);
const QColor kOverlap(240, 150, 0);
const QColor kZone(90, 140, 210);
const QColor kSelectedZone(30, 80, 180);
const QColor kWhiteKey(250, 250, 250);
const QColor kBlackKey(40, 40, 40);
const QColor kKeyOutline(120, 120, 120);
const QColor kPressedKey(60, 170, 90);

} // namespace

class KeyMapCanvas : public QWidget {
public:
    explicit KeyMapCanvas(KeyMapWindow *window)
        : QWidget(window)
        , m_window(window)
    {
        setObjectName(QStringLiteral("KeyMapCanvas"));
    }

    void setRecord(const msp::MspRecord &record, int selected, const QStringList &sourceNames)
    {
        m_record = record;
        m_selected = selected;
        m_sourceNames = sourceNames;
        m_coverage = msp::keyCoverage(record);
        setMinimumSize(kLabelWidth + kKeys * kMinKeyWidth,
                       rows() * kMinRowHeight + kGapAboveKeys + kKeyHeight + kNoteLabelHeight);
        update();
    }

    // The keys and rows share out the room the window gives.
    int keyWidth() const { return std::max(kMinKeyWidth, (width() - kLabelWidth) / kKeys); }
    int rowHeight() const
    {
        const int free = height() - kGapAboveKeys - kKeyHeight - kNoteLabelHeight;
        return std::clamp(free / std::max(1, rows()), kMinRowHeight, kMaxRowHeight);
    }
    int rows() const { return m_record.usedSlotCount(); }
    int keyboardTop() const { return rows() * rowHeight() + kGapAboveKeys; }
    int keyLeft(int key) const { return kLabelWidth + key * keyWidth(); }

    QRect keyRect(int key) const { return {keyLeft(key), keyboardTop(), keyWidth(), kKeyHeight}; }
    QRect rowRect(int slot) const { return {0, (slot - 1) * rowHeight(), width(), rowHeight()}; }

    int slotAt(QPoint p) const
    {
        if (p.x() < 0 || p.y() < 0 || p.y() >= rows() * rowHeight() || p.x() >= width())
            return 0;
        return p.y() / rowHeight() + 1;
    }

    int keyAt(QPoint p) const
    {
        if (p.y() < keyboardTop() || p.y() >= keyboardTop() + kKeyHeight || p.x() < kLabelWidth)
            return -1;
        const int key = (p.x() - kLabelWidth) / keyWidth();
        return key <= kTopKey ? key : -1;
    }

    const msp::MspRecord &record() const { return m_record; }
    QString sourceName(int slot) const { return m_sourceNames.value(slot - 1); }
    int selected() const { return m_selected; }
    int pressedKey = -1;

protected:
    // Rows first, then the keys, their marks and outlines, the note names last, so
    // that nothing drawn later covers what a musician reads.
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        QFont small = font();
        small.setPointSizeF(7);
        painter.setFont(small);
        const int kw = keyWidth(), rh = rowHeight();
        for (int slot = 1; slot <= rows(); ++slot)
            paintRow(painter, slot, kw, rh);

        const int top = keyboardTop();
        painter.setBrush(Qt::NoBrush);
        for (int key = 0; key <= kTopKey; ++key) {
            const QRect r = keyRect(key);
            painter.fillRect(r, key == pressedKey ? kPressedKey : isBlackKey(key) ? kBlackKey : kWhiteKey);
            const int covered = m_coverage.value(key);
            // Key 0 no START can show; it is no gap.
            const QColor mark = covered > 1 ? kOverlap : covered == 0 && key > 0 ? kGap : QColor();
            if (mark.isValid())
                painter.fillRect(r.adjusted(1, kKeyHeight * 2 / 3, -1, 0), mark);
            painter.setPen(kKeyOutline);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
        painter.setPen(palette().text().color());
        for (int key = 0; key <= kTopKey; key += 12) {
            painter.drawText(QRect(keyLeft(key), top + kKeyHeight, 12 * kw, kNoteLabelHeight),
                             Qt::AlignVCenter | Qt::AlignLeft, msp::NoteName(key));
        }
    }

    void paintRow(QPainter &painter, int slot, int kw, int rh)
    {
        const int y = (slot - 1) * rh;
        if (slot == m_selected)
            painter.fillRect(0, y, width(), rh, palette().highlight().color().lighter(170));
        painter.setPen(palette().text().color());
        painter.drawText(QRect(2, y, kNameWidth - 4, rh), Qt::AlignVCenter | Qt::AlignLeft,
                         exporter::sampleNameText(m_record.sampleName(slot)));
        const QRect fileRect(kNameWidth, y, kLabelWidth - kNameWidth - 4, rh);
        painter.setPen(m_offPitch.value(slot - 1) ? QColor(190, 0, 0) : palette().placeholderText().color());
        const QString pitch = m_pitchNotes.value(slot - 1);
        painter.drawText(fileRect, Qt::AlignVCenter | Qt::AlignLeft,
                         painter.fontMetrics().elidedText(pitch.isEmpty() ? sourceName(slot) : pitch + u' ' + sourceName(slot),
                                                          Qt::ElideMiddle, fileRect.width()));
        const int first = m_record.sample(msp::SampleField::StartKey, slot) + 1;
        const int last = std::min<int>(m_record.sample(msp::SampleField::EndKey, slot), kTopKey);
        if (first <= last)
            painter.fillRect(keyLeft(first), y + 2, (last - first + 1) * kw, rh - 4,
                             slot == m_selected ? kSelectedZone : kZone);
        const int root = m_record.sample(msp::SampleField::Key, slot);
        if (root <= kTopKey) {
            painter.setBrush(Qt::white);
            painter.setPen(Qt::black);
            painter.drawEllipse(QPoint(keyLeft(root) + kw / 2, y + rh / 2), 3, 3);
            painter.setBrush(Qt::NoBrush);
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint p = event->position().toPoint();
        if (const int slot = slotAt(p); slot > 0)
            Q_EMIT m_window->sampleClicked(slot);
        else if (const int key = keyAt(p); key >= 0)
            m_window->keyPressed(key), m_holding = true;
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && std::exchange(m_holding, false))
            Q_EMIT m_window->keyReleased();
    }

private:
    KeyMapWindow *m_window;
    bool m_holding = false; // a key is held down
    msp::MspRecord m_record;
    QStringList m_sourceNames;
    QList<int> m_coverage;

public:
    QStringList m_pitchNotes;
    QList<bool> m_offPitch;

private:
    int m_selected = 0;
};

KeyMapWindow::KeyMapWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_canvas(new KeyMapCanvas(this))
    , m_scroll(new QScrollArea(this))
    , m_keyLine(new QLabel(this))
    , m_playLine(new QLabel(this))
{
    setObjectName(QStringLiteral("KeyMap"));
    // Without an audio output the keys are silent, and the window says so.
    setWindowTitle(util::HasAudioOutput() ? tr("Key Map") : tr("Key Map (no audio output: the keys cannot be heard)"));
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_keyLine->setObjectName(QStringLiteral("KeyMapPressedKey"));
    m_keyLine->setText(util::HasAudioOutput() ? tr("Click a key to hear the sample it plays.")
                                              : tr("No audio output was found: the keys cannot be heard."));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_keyLine);
    m_playLine->setObjectName(QStringLiteral("KeyMapPlayStatus"));
    m_playLine->setWordWrap(true);
    m_playLine->hide();
    layout->addWidget(m_playLine);
    m_canvas->setRecord(msp::MspRecord::newDocument(), 0, {});
    resize(kLabelWidth + kKeys * kMinKeyWidth + 24, 360);
}

KeyMapWindow::~KeyMapWindow() = default;

void KeyMapWindow::showPitches(const QStringList &notes, const QList<bool> &offPitch)
{
    m_canvas->m_pitchNotes = notes;
    m_canvas->m_offPitch = offPitch;
    m_canvas->update();
}

void KeyMapWindow::showRecord(const msp::MspRecord &record, int selected, const QStringList &sourceNames)
{
    m_canvas->setRecord(record, selected, sourceNames);
    if (m_canvas->pressedKey >= 0)
        keyPressed(m_canvas->pressedKey, false);
}

int KeyMapWindow::selectedSlot() const { return m_canvas->selected(); }

int KeyMapWindow::slotAt(QPoint canvasPoint) const { return m_canvas->slotAt(canvasPoint); }

int KeyMapWindow::keyAt(QPoint canvasPoint) const { return m_canvas->keyAt(canvasPoint); }

QRect KeyMapWindow::keyRect(int key) const { return m_canvas->keyRect(key); }

QRect KeyMapWindow::rowRect(int slot) const { return m_canvas->rowRect(slot); }

QWidget *KeyMapWindow::canvas() const { return m_canvas; }

QString KeyMapWindow::pressedKeyText() const { return m_keyLine->text(); }

void KeyMapWindow::setPlayStatus(const QString &text)
{
    m_playLine->setText(text);
    m_playLine->setVisible(!text.isEmpty());
}

QString KeyMapWindow::playStatus() const { return m_playLine->text(); }

void KeyMapWindow::keyPressed(int key, bool play)
{
    m_canvas->pressedKey = key;
    m_canvas->update();
    const int slot = msp::slotForKey(m_canvas->record(), key);
    QString text = tr("%1: ").arg(msp::NoteName(key));
    if (slot == 0) {
        text += tr("no sample plays this key");
    } else {
        text += tr("sample %1 %2").arg(slot).arg(exporter::sampleNameText(m_canvas->record().sampleName(slot)));
        if (const QString file = m_canvas->sourceName(slot); !file.isEmpty())
            text += tr(" (%1)").arg(file);
    }
    m_keyLine->setText(text);
    if (play)
        Q_EMIT keyClicked(key);
}

void KeyMapWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void KeyMapWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // Opened whole on the screen of the editor, over its middle where there is room.
    const QScreen *where = parentWidget() ? parentWidget()->screen() : screen();
    if (!where)
        return;
    const QRect free = where->availableGeometry().adjusted(0, 0, -kFrameAllowance / 2, -kFrameAllowance);
    // Tall enough for every row and the keys below them, where the screen has room.
    const int whole = m_canvas->minimumHeight() + 2 * m_scroll->frameWidth() + layout()->spacing()
                      + m_keyLine->sizeHint().height() + layout()->contentsMargins().bottom();
    resize(std::min(width(), free.width()), std::min(std::max(height(), whole), free.height()));
    QPoint at = parentWidget() ? parentWidget()->geometry().center() - rect().center() : pos();
    at.setX(std::clamp(at.x(), free.left(), free.right() + 1 - width()));
    at.setY(std::clamp(at.y(), free.top() + kFrameAllowance / 2, free.bottom() + 1 - height()));
    move(at);
}

} // namespace tamo::msp_editor
