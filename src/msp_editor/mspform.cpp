// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/mspform.h"

#include "msp_editor/wavpanel.h"
#include "ui/fonts.h"
#include "ui/twips.h"
#include "util/codepage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <functional>

namespace tamo::msp_editor {

using msp::GlobalField;

namespace {

const QColor kLightBlue(192, 192, 255);
const QColor kNavy(0, 0, 128);

constexpr int kFieldWidth = 1455;
constexpr int kFieldHeight = 375;
constexpr int kCaptionHeight = 270;
constexpr int kCaptionAbove = 240;

QFont tahoma(double points, bool underline = false)
{
    return ui::designFont(QStringLiteral("Tahoma"), points, true, underline);
}

// List1 reports a released mouse button after the list has handled it, so the
// selection made by the press is already in place. While a button is down the
// current line may change under the pointer; the release then opens its WAV once.
class SampleList final : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> onMouseUp;
    std::function<void()> onDelete;
    bool mouseHeld() const { return m_mouseHeld; }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Delete) && onDelete)
            onDelete();
        else
            QListWidget::keyPressEvent(event);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        m_mouseHeld = true;
        QListWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidget::mouseReleaseEvent(event);
        m_mouseHeld = false;
        if (onMouseUp)
            onMouseUp();
    }

private:
    bool m_mouseHeld = false;
};

} // namespace

void MspForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int wider = width() - minimumWidth(), taller = height() - minimumHeight();
    if (m_designPlaces.isEmpty()) {
        if (wider > 0 || taller > 0)
            return; // the places are taken at the design size, before any growth
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow())
                m_designPlaces.insert(child, child->geometry());
        return;
    }
    const QRect list = m_designPlaces.value(m_sampleList);
    for (auto it = m_designPlaces.cbegin(); it != m_designPlaces.cend(); ++it) {
        if (it.key() == m_sampleList)
            it.key()->setGeometry(list.adjusted(0, 0, wider, taller));
        else if (it.value().left() > list.right())
            it.key()->setGeometry(it.value().translated(wider, 0));
    }
}

MspForm::MspForm(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ClientArea"));
    setMinimumSize(ui::twips(15240), ui::twips(10830));
    resize(minimumSize());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kLightBlue);
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(ui::designFont(QStringLiteral("MS Sans Serif"), 8.25));
    // Made first so that it lies under the editor's own controls wherever they meet.
    m_wavPanel = new WavPanel(this);

    const auto label = [this](const QString &name, const QString &caption) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(name);
        return l;
    };

    m_sampleCountLabel = label(QStringLiteral("Label25"), tr("0 SAMPLES"));
    ui::place(m_sampleCountLabel, 120, 0, 1575, 270);

    auto *list = new SampleList(this);
    list->setObjectName(QStringLiteral("List1"));
    list->setAccessibleName(tr("Samples"));
    list->setFont(ui::designFont(QStringLiteral("Verdana"), 8.25));
    // Several lines for Rename sample; the fields show one.
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);
    list->onMouseUp = [this] { Q_EMIT lineOpened(); };
    ui::place(list, 120, 240, 1575, 10590);
    connect(list, &QListWidget::itemSelectionChanged, this, &MspForm::selectionChanged);
    // A pressed mouse button opens the line on its release; the keyboard moves now.
    connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
        if (row >= 0 && !list->mouseHeld())
            Q_EMIT lineOpened();
    });
    m_sampleList = list;
    list->onDelete = [this] {
        if (selectedSlot() > 0)
            Q_EMIT deletePressed();
    };

    m_addButton = new QPushButton(tr("Add Wav Sample"), this);
    m_addButton->setObjectName(QStringLiteral("Command9"));
    ui::place(m_addButton, 1920, 240, 2055, 375);

    m_removeButton = new QPushButton(tr("Remove Selected Sample"), this);
    m_removeButton->setObjectName(QStringLiteral("Command10"));
    ui::place(m_removeButton, 1920, 720, 2055, 375);

    m_autoPlayBox = new QCheckBox(tr("Auto Play"), this);
    m_autoPlayBox->setObjectName(QStringLiteral("Check1"));
    // Light blue like the window; buttons fill with their own role by default.
    m_autoPlayBox->setBackgroundRole(QPalette::Window);
    m_autoPlayBox->setAutoFillBackground(true);
    ui::place(m_autoPlayBox, 1920, 1200, 1695, 255);

    QLabel *heading = label(QStringLiteral("Label46"), tr("Global MSP settings"));
    heading->setFont(tahoma(12, true));
    heading->setStyleSheet(QStringLiteral("color: %1").arg(kNavy.name()));
    ui::place(heading, 1920, 1560, 3135, 285);
    heading = label(QStringLiteral("Label45"), tr("Sample settings"));
    heading->setFont(tahoma(12, true));
    heading->setStyleSheet(QStringLiteral("color: %1").arg(kNavy.name()));
    ui::place(heading, 1920, 5520, 3135, 285);

    for (const ParameterSpec &place : parameterTable()) {
        const QString caption = QCoreApplication::translate("ParameterTable", place.caption);
        const bool amount = place.number >= kFirstAmountField && place.number < kFirstAmountField + kAmountCount;
        const QString labelName =
            amount ? QStringLiteral("Label%1").arg(place.number - kFirstAmountField + kFirstAmountLabel)
                   : QStringLiteral("CaptionText%1").arg(place.number);
        QLabel *captionLabel = label(labelName, caption);
        ui::place(captionLabel, place.left, place.top - kCaptionAbove, kFieldWidth, kCaptionHeight);
        if (amount)
            m_amountLabels[std::size_t(place.number - kFirstAmountField)] = captionLabel;

        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Text%1").arg(place.number));
        edit->setAccessibleName(caption);
        edit->setReadOnly(true);
        edit->setFont(tahoma(12));
        ui::place(edit, place.left, place.top, kFieldWidth, kFieldHeight);
        m_fields[std::size_t(place.number - kFirstParameter)] = edit;
        if (amount)
            m_amountFields[std::size_t(place.number - kFirstAmountField)] = edit;
    }

    QLabel *effects = label(QStringLiteral("CaptionLabel33"), tr("EFFECTS"));
    ui::place(effects, 1920, 3240, 1455, kCaptionHeight);
    m_effectLabel = label(QStringLiteral("Label33"), QString());
    m_effectLabel->setAccessibleName(tr("EFFECTS"));
    m_effectLabel->setFont(tahoma(11.25));
    m_effectLabel->setAlignment(Qt::AlignCenter);
    m_effectLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    ui::place(m_effectLabel, 2040, 3600, 3015, 375);
}

bool MspForm::autoPlay() const { return m_autoPlayBox->isChecked(); }

QLineEdit *MspForm::field(const ParameterSpec &entry) const
{
    return m_fields.at(std::size_t(entry.number - kFirstParameter));
}

ParameterWidgets MspForm::parameterWidgets()
{
    return {this, m_sampleList, m_effectLabel, m_fields, m_amountFields, m_amountLabels};
}

bool MspForm::showRecord(const msp::MspRecord &record)
{
    m_sampleList->clear();
    for (QLineEdit *edit : m_fields)
        edit->clear();
    m_sampleCountLabel->setText(tr("0 SAMPLES"));
    if (!record.isValid()) {
        // Nothing of a foreign record is shown, the effect name included.
        m_effectLabel->clear();
        for (std::size_t i = 0; i < m_amountLabels.size(); ++i) {
            m_amountFields[i]->hide();
            m_amountLabels[i]->hide();
        }
        return false;
    }
    m_sampleCountLabel->setText(tr("%1 SAMPLES").arg(record.sampleCount()));
    for (const ParameterSpec &entry : parameterTable()) {
        if (!entry.perSample)
            field(entry)->setText(parameterText(entry, parameterByte(entry, record, 0)));
    }
    const quint8 effect = record.global(GlobalField::Effect);
    m_effectLabel->setText(msp::EffectName(effect).name);
    showEffectAmounts(effect, m_amountFields, m_amountLabels);
    // A foreign file may count more samples than there are slots: list the slots.
    // Sample names are bytes of the Windows code page.
    for (int slot = 1; slot <= record.usedSlotCount(); ++slot)
        m_sampleList->addItem(util::windows1252DisplayText(record.sampleName(slot)));
    return true;
}

void MspForm::showSample(const msp::MspRecord &record, int slot)
{
    for (const ParameterSpec &entry : parameterTable()) {
        if (entry.perSample)
            field(entry)->setText(parameterText(entry, parameterByte(entry, record, slot)));
    }
}

int MspForm::selectedSlot() const
{
    const QList<int> slots = selectedSlots();
    const int current = m_sampleList->currentRow() + 1;
    return slots.contains(current) ? current : slots.value(0, 0);
}

QList<int> MspForm::selectedSlots() const
{
    QList<int> slots;
    for (const QListWidgetItem *item : m_sampleList->selectedItems())
        slots << m_sampleList->row(item) + 1;
    std::sort(slots.begin(), slots.end());
    return slots;
}

void MspForm::selectLine(int slot)
{
    const QSignalBlocker blocker(m_sampleList);
    if (slot >= 1 && slot <= m_sampleList->count()) {
        m_sampleList->setCurrentRow(slot - 1, QItemSelectionModel::ClearAndSelect);
    } else {
        m_sampleList->clearSelection();
        m_sampleList->setCurrentRow(-1);
    }
}

} // namespace tamo::msp_editor
