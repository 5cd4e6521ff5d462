// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/parametereditor.h"

#include "msp_editor/keypicker.h"
#include "msp_editor/valueslider.h"
#include "ui/fonts.h"
#include "ui/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

namespace tamo::msp_editor {

using msp::GlobalField;
using msp::SampleField;
using msp::ValueFormat;

namespace {

const QColor kLightGrey(224, 224, 224);

// The OCTAVE chooser's entries, leading spaces included, and the byte each stores.
struct OctaveEntry {
    const char16_t *text;
    quint8 byte;
};
constexpr OctaveEntry kOctaveEntries[] = {
    {u"       -2", 254}, {u"       -1", 255}, {u"        0", 0}, {u"      +1", 1}, {u"      +2", 2},
};

// The EFFECTS chooser: an entry's index is the effect type it stores.
constexpr const char16_t *kEffectEntries[] = {
    u"OFF",
    u"OVERDRIVE",
    u"DISTORTION",
    u"CHORUS",
    u"DELAY",
    u"DELAY + CHORUS",
    u"DIST + CHORUS",
    u"DIST + DELAY",
    u"DIST + DELAY + CHORUS",
    u"OVERDRIVE + CHORUS",
};
static_assert(std::size(kEffectEntries) == msp::kEffectTypeCount);

constexpr quint8 kRotorBit = 0x80;

QFont tahomaBold(double points)
{
    return ui::designFont(QStringLiteral("Tahoma"), points, true);
}

QListWidget *makeChooser(QWidget *parent, const QString &name, double points)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setFont(tahomaBold(points));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // The entries are sized for the list; a scroll bar would only hide the last ones.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, kLightGrey);
    list->setPalette(pal);
    list->hide();
    return list;
}

QStringList entryTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

// The row selected in a chooser, or -1.
int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

// A note as the fields name it ("C-2" is 0, "C3" 60, "C#3" or "Db3" 61, any case).
std::optional<int> noteFromName(const QString &text)
{
    static constexpr int kSemitones[] = {0, 2, 4, 5, 7, 9, 11};
    const qsizetype letter = text.isEmpty() ? -1 : QStringLiteral("CDEFGAB").indexOf(text.at(0).toUpper());
    if (letter < 0)
        return std::nullopt;
    int note = kSemitones[letter];
    qsizetype i = 1;
    if (i < text.size() && (text.at(i) == u'#' || text.at(i) == u'b')) {
        note += text.at(i) == u'#' ? 1 : -1;
        ++i;
    }
    bool ok = false;
    const int octave = text.mid(i).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return note + (octave + 2) * 12;
}

} // namespace

ParameterEditor::ParameterEditor(MspDocument &document, const ParameterWidgets &widgets,
                                 std::function<int()> selectedSlot)
    : QObject(), m_document(document), m_widgets(widgets), m_selectedSlot(std::move(selectedSlot))
{
    for (const ParameterSpec &entry : parameterTable()) {
        QLineEdit *field = m_widgets.fields.at(std::size_t(entry.number - kFirstParameter));
        m_specs.insert(field, &entry);
        field->installEventFilter(this);
        if (entry.kind == FieldKind::Octave)
            m_octaveField = field;
    }
    m_effectLabel = m_widgets.effectLabel;
    m_effectLabel->installEventFilter(this);
    m_effectLabel->setFocusPolicy(Qt::StrongFocus); // so Enter can open it too
    m_sampleList = m_widgets.sampleList;

    QWidget *client = m_widgets.client;
    m_octaveChooser = makeChooser(client, QStringLiteral("List2"), 12);
    for (const OctaveEntry &entry : kOctaveEntries)
        m_octaveChooser->addItem(QString::fromUtf16(entry.text));
    ui::place(m_octaveChooser, 6360, 5040, 1455, 1455);
    connect(m_octaveChooser, &QListWidget::itemClicked, this, &ParameterEditor::octaveChosen);
    m_octaveChooser->installEventFilter(this);

    m_effectChooser = makeChooser(client, QStringLiteral("List3"), 11.25);
    for (const char16_t *entry : kEffectEntries)
        m_effectChooser->addItem(QString::fromUtf16(entry));
    ui::place(m_effectChooser, 8640, 5160, 3015, 2730);
    connect(m_effectChooser, &QListWidget::itemClicked, this, &ParameterEditor::effectChosen);
    m_effectChooser->installEventFilter(this);
}

ParameterEditor::~ParameterEditor() = default;

bool ParameterEditor::eventFilter(QObject *watched, QEvent *event)
{
    // A click is a left button pressed and released over the same field. The
    // second press of a double-click is no new click, so a toggle switches once.
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Enter or Space opens a field's editor as a click does; in a chooser, Enter
        // takes the marked entry and Escape closes it. A digit or note letter starts
        // typing a value in the field, which Enter stores and Escape drops.
        auto *ke = static_cast<QKeyEvent *>(event);
        const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
        if (watched == m_typing) {
            if (!enter && ke->key() != Qt::Key_Escape)
                break;
            endTyping(enter);
            return true;
        }
        if (!ke->isAutoRepeat() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            && startTyping(watched, ke->text()))
            return true;
        if (ke->isAutoRepeat() || (ke->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            break;
        if (watched == m_octaveChooser || watched == m_effectChooser) {
            if (enter)
                watched == m_octaveChooser ? octaveChosen() : effectChosen();
            else if (ke->key() == Qt::Key_Escape)
                static_cast<QWidget *>(watched)->hide();
            else
                break;
            return true;
        }
        if (enter || ke->key() == Qt::Key_Space) {
            fieldClicked(watched);
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (watched == m_typing)
            endTyping(false);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton)
            m_pressed = event->type() == QEvent::MouseButtonPress ? watched : nullptr;
        break;
    }
    case QEvent::MouseButtonRelease: {
        if (watched == m_typing)
            break; // the pointer places the text cursor while typing
        auto *me = static_cast<QMouseEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (me->button() != Qt::LeftButton)
            break;
        const bool click = m_pressed == watched;
        m_pressed = nullptr;
        // A hidden field (an effect amount the effect does not use) takes no click.
        if (click && widget && !widget->isHidden() && widget->rect().contains(me->position().toPoint())) {
            fieldClicked(watched);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

const ParameterSpec *ParameterEditor::specOf(const QObject *field) const { return m_specs.value(field, nullptr); }

void ParameterEditor::fieldClicked(QObject *object)
{
    auto *field = qobject_cast<QWidget *>(object);
    if (!field)
        return;
    if (field == m_effectLabel) {
        openEffects();
        return;
    }
    const ParameterSpec *entry = specOf(field);
    if (!entry)
        return;
    switch (entry->kind) {
    case FieldKind::Slider: editWithSlider(field, *entry); break;
    case FieldKind::Key: editKey(field, *entry); break;
    case FieldKind::Pitch: togglePitch(*entry); break;
    case FieldKind::Rotor: toggleRotor(); break;
    case FieldKind::Octave: openOctave(); break;
    }
}

bool ParameterEditor::startTyping(QObject *object, const QString &typed)
{
    auto *field = qobject_cast<QLineEdit *>(object);
    const ParameterSpec *layout = field ? specOf(field) : nullptr;
    if (!layout || typed.size() != 1 || !guardPasses(layout->perSample))
        return false;
    const QChar c = typed.at(0);
    const bool starts = c.isDigit() || (c == u'-' && layout->min < 0)
                        || (layout->kind == FieldKind::Key && QStringLiteral("abcdefgABCDEFG").contains(c));
    if (!starts || (layout->kind != FieldKind::Slider && layout->kind != FieldKind::Key))
        return false;
    m_typing = field;
    m_textBeforeTyping = field->text();
    field->setReadOnly(false);
    field->setText(typed);
    return true;
}

void ParameterEditor::endTyping(bool store)
{
    QPointer<QLineEdit> field = m_typing;
    m_typing.clear();
    if (!field)
        return;
    field->setReadOnly(true);
    const QString typed = field->text().trimmed();
    field->setText(m_textBeforeTyping);
    const ParameterSpec *layout = specOf(field);
    if (!store || !layout)
        return;
    const std::optional<quint8> old = read(*layout);
    bool ok = false;
    std::optional<int> value;
    if (const int number = typed.toInt(&ok); ok)
        value = number;
    else if (layout->kind == FieldKind::Key)
        value = noteFromName(typed);
    if (!old || !value)
        return;
    const int picked = std::clamp(*value, int(layout->min), int(layout->max));
    std::optional<quint8> stored;
    if (layout->kind == FieldKind::Slider)
        stored = msp::storedValue(layout->format, picked, *old);
    else if (layout->sample == SampleField::StartKey)
        stored = msp::storedStartNote(picked);
    else
        stored = quint8(picked);
    if (!stored)
        return;
    m_edit = m_document.content();
    write(*layout, *stored);
    m_document.change(field->accessibleName(), m_edit);
}

bool ParameterEditor::guardPasses(bool perSample) const
{
    // Global fields need a sample in the list; per-sample fields a selected one.
    if (!m_sampleList || m_sampleList->count() == 0)
        return false;
    return !perSample || m_selectedSlot() > 0;
}

std::optional<quint8> ParameterEditor::read(const ParameterSpec &entry) const
{
    const int slot = entry.perSample ? m_selectedSlot() : 0;
    if (entry.perSample && slot == 0)
        return std::nullopt;
    return parameterByte(entry, m_document.record(), slot);
}

void ParameterEditor::write(const ParameterSpec &entry, quint8 value)
{
    // The slot is read again from List1 at the moment of storing.
    const int slot = entry.perSample ? m_selectedSlot() : 0;
    if (!entry.perSample || slot > 0)
        setParameterByte(entry, m_edit.record, slot, value);
}

void ParameterEditor::editWithSlider(QWidget *field, const ParameterSpec &entry)
{
    if (!guardPasses(entry.perSample))
        return;
    const std::optional<quint8> before = read(entry);
    if (!before)
        return;
    m_edit = m_document.content();
    const int picked = showValueSlider(field, msp::sliderStartValue(entry.format, *before), entry.min, entry.max, entry.offset);
    // A start value outside the range comes back unchanged when the slider is
    // closed at once; if its stored form does not fit, the byte stays as it is.
    if (const std::optional<quint8> old = read(entry)) {
        if (const std::optional<quint8> stored = msp::storedValue(entry.format, picked, *old))
            write(entry, *stored);
    }
    m_document.change(field->accessibleName(), m_edit);
}

void ParameterEditor::editKey(QWidget *field, const ParameterSpec &entry)
{
    if (!guardPasses(true))
        return;
    const std::optional<quint8> before = read(entry);
    if (!before)
        return;
    const bool start = entry.sample == SampleField::StartKey;
    m_edit = m_document.content();
    const std::optional<int> picked = showKeyPicker(field, start ? *before + 1 : *before);
    if (!picked)
        return; // closed without a pick: nothing changes
    std::optional<quint8> stored;
    if (start)
        stored = msp::storedStartNote(*picked);
    else if (*picked >= 0 && *picked <= 255)
        stored = quint8(*picked);
    if (stored)
        write(entry, *stored);
    m_document.change(field->accessibleName(), m_edit);
}

void ParameterEditor::togglePitch(const ParameterSpec &entry)
{
    if (!guardPasses(true))
        return;
    m_edit = m_document.content();
    if (const std::optional<quint8> mode = read(entry)) {
        if (*mode == 0)
            write(entry, 1);
        else if (*mode == 1)
            write(entry, 0);
    }
    m_document.change(tr("PITCH"), m_edit);
}

void ParameterEditor::toggleRotor()
{
    if (!guardPasses(false))
        return;
    m_edit = m_document.content();
    msp::MspRecord &record = m_edit.record;
    record.setGlobal(GlobalField::Effect, quint8(record.global(GlobalField::Effect) ^ kRotorBit));
    m_document.change(tr("ROTOR"), m_edit);
}

void ParameterEditor::placeBelow(QListWidget *list, QWidget *field)
{
    const QPoint bottomLeft = field->mapTo(m_widgets.client, QPoint(0, field->height()));
    list->move(bottomLeft);
}

void ParameterEditor::openOctave()
{
    if (!guardPasses(false))
        return;
    placeBelow(m_octaveChooser, m_octaveField);
    const QString current = msp::OctaveText(m_document.record().global(GlobalField::Octave));
    {
        // Marking the current entry is no choice: nothing is stored yet.
        const QSignalBlocker blocker(m_octaveChooser);
        m_octaveChooser->setCurrentRow(msp::FindListItem(entryTexts(m_octaveChooser), current),
                               QItemSelectionModel::ClearAndSelect);
    }
    m_octaveChooser->show();
    m_octaveChooser->raise();
    m_octaveChooser->setFocus();
}

void ParameterEditor::openEffects()
{
    if (!guardPasses(false))
        return;
    placeBelow(m_effectChooser, m_effectLabel);
    const quint8 effect = m_document.record().global(GlobalField::Effect);
    showEffectAmounts(effect, m_widgets.amountFields, m_widgets.amountLabels);
    const QString name = msp::EffectName(effect).name;
    {
        const QSignalBlocker blocker(m_effectChooser);
        m_effectChooser->setCurrentRow(msp::FindListItem(entryTexts(m_effectChooser), name),
                               QItemSelectionModel::ClearAndSelect);
    }
    m_effectChooser->show();
    m_effectChooser->raise();
    m_effectChooser->setFocus();
}

void ParameterEditor::octaveChosen()
{
    m_octaveChooser->hide();
    m_edit = m_document.content();
    const int row = selectedRow(m_octaveChooser);
    if (row >= 0 && row < int(std::size(kOctaveEntries)))
        m_edit.record.setGlobal(GlobalField::Octave, kOctaveEntries[row].byte);
    m_document.change(tr("OCTAVE"), m_edit);
}

void ParameterEditor::effectChosen()
{
    m_effectChooser->hide();
    m_edit = m_document.content();
    msp::MspRecord &record = m_edit.record;
    const bool rotor = record.global(GlobalField::Effect) & kRotorBit;
    const int row = selectedRow(m_effectChooser);
    if (row >= 0 && row < msp::kEffectTypeCount)
        record.setGlobal(GlobalField::Effect, quint8(row + (rotor ? kRotorBit : 0)));
    m_document.change(tr("EFFECTS"), m_edit);
}

int ParameterEditor::showValueSlider(QWidget *field, int start, qint16 min, qint16 max, int offset)
{
    ValueSlider slider(m_widgets.client->window());
    slider.setValue(start);
    slider.minimum = min;
    slider.maximum = max;
    // The slider's middle lies `offset` twips below the field's top edge.
    const QPoint fieldTopLeft = field->mapToGlobal(QPoint(0, 0));
    placePopup(&slider, field,
               QPoint(fieldTopLeft.x() + field->width(),
                      fieldTopLeft.y() + ui::twips(offset) - ValueSlider::windowSize().height() / 2));
    slider.exec();
    return slider.value();
}

std::optional<int> ParameterEditor::showKeyPicker(QWidget *field, int note)
{
    KeyPicker picker(m_widgets.client->window());
    picker.setNote(note);
    const QPoint fieldTopLeft = field->mapToGlobal(QPoint(0, 0));
    placePopup(&picker, field, QPoint(fieldTopLeft.x() + field->width(), fieldTopLeft.y()));
    picker.exec();
    return picker.picked();
}

void ParameterEditor::placePopup(QDialog *popup, QWidget *field, QPoint topLeft)
{
    QPoint at = topLeft;
    if (QScreen *screen = field->screen()) {
        const QRect free = screen->availableGeometry();
        const QSize size = popup->size();
        at.setX(qMax(free.left(), qMin(at.x(), free.right() + 1 - size.width())));
        at.setY(qMax(free.top(), qMin(at.y(), free.bottom() + 1 - size.height())));
    }
    popup->move(at);
}

} // namespace tamo::msp_editor
