#include "msp_editor/keymapwindow.h"

#include "msp/keymapping.h"
#include "export/soundimport.h"
#include "msp/valueformats.h"

#include <QMouseEvent>
#include <QPainter>
#include <QHelpEvent>
#include <QScrollArea>
#include <QToolTip>
#include <QVBoxLayout>

namespace tamo::msp_editor {

namespace {

constexpr int kKeys = 128;
constexpr int kKeyWidth = 8;
constexpr int kLabelWidth = 72;
constexpr int kRowHeight = 14;
constexpr int kKeyboardHeight = 40;
constexpr int kTopKey = kKeys - 1;

bool isBlackKey(int key)
{
    const int n = key % 12;
    return n == 1 || n == 3 || n == 6 || n == 8 || n == 10;
}

const QColor kGap(220, 40, 40);
const QColor kOverlap(240, 150, 0);
const QColor kZone(90, 140, 210);
const QColor kSelectedZone(30, 80, 180);

} // namespace

class KeyMapCanvas : public QWidget {
public:
    explicit KeyMapCanvas(KeyMapWindow *window)
        : QWidget(window)
        , m_window(window)
    {
        setObjectName(QStringLiteral("KeyMapCanvas"));
        setMouseTracking(false);
    }

    void setRecord(const msp::MspRecord &record, int selected)
    {
        m_record = record;
        m_selected = selected;
        m_coverage = msp::keyCoverage(record);
        setFixedSize(kLabelWidth + kKeys * kKeyWidth, rows() * kRowHeight + kKeyboardHeight + 4);
        update();
    }

    int rows() const { return m_record.usedSlotCount(); }
    int keyboardTop() const { return rows() * kRowHeight + 4; }

    int slotAt(QPoint p) const
    {
        if (p.x() < 0 || p.y() < 0 || p.y() >= rows() * kRowHeight || p.x() >= width())
            return 0;
        return p.y() / kRowHeight + 1;
    }

    int keyAt(QPoint p) const
    {
        if (p.y() < keyboardTop() || p.y() >= keyboardTop() + kKeyboardHeight || p.x() < kLabelWidth)
            return -1;
        const int key = (p.x() - kLabelWidth) / kKeyWidth;
        return key <= kTopKey ? key : -1;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        QFont small = font();
        small.setPointSizeF(7);
        painter.setFont(small);
        for (int slot = 1; slot <= rows(); ++slot) {
            const int y = (slot - 1) * kRowHeight;
            if (slot == m_selected)
                painter.fillRect(0, y, width(), kRowHeight, palette().highlight().color().lighter(170));
            painter.setPen(palette().text().color());
            painter.drawText(QRect(2, y, kLabelWidth - 4, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                             exporter::sampleNameText(m_record.sampleName(slot)));
            const int first = m_record.sample(msp::SampleField::StartKey, slot) + 1;
            const int last = std::min<int>(m_record.sample(msp::SampleField::EndKey, slot), kTopKey);
            if (first <= last)
                painter.fillRect(kLabelWidth + first * kKeyWidth, y + 2, (last - first + 1) * kKeyWidth,
                                 kRowHeight - 4, slot == m_selected ? kSelectedZone : kZone);
            const int root = m_record.sample(msp::SampleField::Key, slot);
            if (root <= kTopKey) {
                painter.setBrush(Qt::white);
                painter.setPen(Qt::black);
                painter.drawEllipse(QPoint(kLabelWidth + root * kKeyWidth + kKeyWidth / 2, y + kRowHeight / 2), 3, 3);
            }
        }
        const int top = keyboardTop();
        for (int key = 0; key <= kTopKey; ++key) {
            const QRect r(kLabelWidth + key * kKeyWidth, top, kKeyWidth, kKeyboardHeight);
            const int covered = m_coverage.value(key);
            // Key 0 no START can show; it is no gap.
            const QColor mark = covered > 1 ? kOverlap : covered == 0 && key > 0 ? kGap : QColor();
            painter.fillRect(r, isBlackKey(key) ? QColor(40, 40, 40) : QColor(250, 250, 250));
            if (mark.isValid())
                painter.fillRect(r.adjusted(1, kKeyboardHeight * 2 / 3, -1, 0), mark);
            painter.setPen(QColor(120, 120, 120));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
            if (key % 12 == 0) {
                painter.setPen(palette().text().color());
                painter.drawText(QRect(r.left() - 12, top - 2, 36, 14), Qt::AlignCenter, msp::NoteName(key));
            }
        }
    }

public:
    QStringList sourceNames; // per slot, for the rows' tooltips

    QString toolTipAt(QPoint p) const
    {
        const int slot = slotAt(p);
        return slot > 0 ? sourceNames.value(slot - 1) : QString();
    }

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QWidget::event(event);
        const QPoint p = static_cast<QHelpEvent *>(event)->pos();
        const QString tip = toolTipAt(p);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), tip, this);
        return true;
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint p = event->position().toPoint();
        if (const int slot = slotAt(p); slot > 0)
            Q_EMIT m_window->sampleClicked(slot);
        else if (const int key = keyAt(p); key >= 0)
            Q_EMIT m_window->keyClicked(key);
    }

private:
    KeyMapWindow *m_window;
    msp::MspRecord m_record;
    QList<int> m_coverage;
    int m_selected = 0;
};

KeyMapWindow::KeyMapWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_canvas(new KeyMapCanvas(this))
    , m_scroll(new QScrollArea(this))
{
    setObjectName(QStringLiteral("KeyMap"));
    setWindowTitle(QStringLiteral("Key Map"));
    m_scroll->setWidget(m_canvas);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_canvas->setRecord(msp::MspRecord::newDocument(), 0);
    resize(kLabelWidth + kKeys * kKeyWidth + 24, 360);
}

KeyMapWindow::~KeyMapWindow() = default;

void KeyMapWindow::showRecord(const msp::MspRecord &record, int selected, const QStringList &sourceNames)
{
    m_canvas->sourceNames = sourceNames;
    m_canvas->setRecord(record, selected);
}

QString KeyMapWindow::toolTipAt(QPoint canvasPoint) const { return m_canvas->toolTipAt(canvasPoint); }

int KeyMapWindow::slotAt(QPoint canvasPoint) const { return m_canvas->slotAt(canvasPoint); }

int KeyMapWindow::keyAt(QPoint canvasPoint) const { return m_canvas->keyAt(canvasPoint); }

QWidget *KeyMapWindow::canvas() const { return m_canvas; }

} // namespace tamo::msp_editor
