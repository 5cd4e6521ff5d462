// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/textfit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QChildEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tamo::ui {

namespace {

constexpr double kSmallestPoints = 5.0;
constexpr double kPointStep = 0.25;
constexpr int kLineEditMargin = 2; // QLineEdit keeps this much beside its text

// The font the window set, and the smaller one put in its place.
const char *const kDesignFontProperty = "tamoDesignFont";
const char *const kFittedFontProperty = "tamoFittedFont";

// A caption as drawn: "&&" shows "&", a lone "&" only marks the shortcut key.
QString withoutMnemonic(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        shown += text.at(i);
    }
    return shown;
}

// End spaces draw nothing; sample names are padded with them.
QString drawnPart(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

int widestLine(const QFontMetrics &metrics, const QStringList &lines)
{
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(drawnPart(line)));
    return widest;
}

struct Measure {
    int needed = 0; // the text's width
    int room = 0;   // the width the widget gives it
};

std::optional<Measure> measureLabel(const QLabel *label, const QFontMetrics &metrics)
{
    if (label->text().isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText)
        return std::nullopt;
    Measure m;
    m.needed = widestLine(metrics, label->text().split(u'\n'));
    m.room = label->contentsRect().width() - 2 * label->margin();
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = metrics.horizontalAdvance(u'x') / 2;
    if (indent > 0 && (label->alignment() & (Qt::AlignLeft | Qt::AlignRight)))
        m.room -= indent;
    return m;
}

std::optional<Measure> measureLineEdit(const QLineEdit *edit, const QFontMetrics &metrics)
{
    if (edit->displayText().isEmpty())
        return std::nullopt;
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    Measure m;
    m.room = contents.width() - margins.left() - margins.right() - 2 * kLineEditMargin;
    // QLineEdit scrolls its text unless it has room for the bearings and the cursor too.
    m.needed = metrics.horizontalAdvance(edit->displayText()) + 1
               + std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
    return m;
}

std::optional<Measure> measureButton(const QAbstractButton *button, const QFontMetrics &metrics)
{
    if (button->text().isEmpty())
        return std::nullopt;
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox *>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton *>(button))
        contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton *>(button))
        return std::nullopt;
    Measure m;
    m.room = button->style()->subElementRect(contents, &option, button).width();
    if (contents == QStyle::SE_PushButtonContents && !button->icon().isNull())
        m.room -= button->iconSize().width() + 4;
    m.needed = metrics.horizontalAdvance(withoutMnemonic(button->text()));
    return m;
}

std::optional<Measure> measureList(const QListWidget *list, const QFontMetrics &metrics)
{
    if (list->count() == 0)
        return std::nullopt;
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    // Item views keep a focus-frame margin and one pixel on each side of the text.
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    Measure m;
    m.room = list->viewport()->width() - 2 * margin - 2 * list->spacing();
    m.needed = widestLine(metrics, texts);
    return m;
}

std::optional<Measure> measure(const QWidget *widget, const QFont &font)
{
    const QFontMetrics metrics(font);
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return measureLabel(label, metrics);
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        return measureLineEdit(edit, metrics);
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return measureButton(button, metrics);
    if (const auto *list = qobject_cast<const QListWidget *>(widget))
        return measureList(list, metrics);
    return std::nullopt;
}

bool fits(const QWidget *widget, const QFont &font)
{
    const std::optional<Measure> m = measure(widget, font);
    return !m || m->needed <= m->room;
}

class TextFitter final : public QObject {
public:
    using QObject::QObject;

    void watch(QWidget *widget)
    {
        widget->installEventFilter(this);
        for (QWidget *child : widget->findChildren<QWidget *>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded) {
            if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
                watch(child);
        } else if (event->type() == QEvent::Paint) {
            auto *widget = static_cast<QWidget *>(watched);
            // A list draws its entries on its viewport.
            auto *area = qobject_cast<QAbstractScrollArea *>(widget->parentWidget());
            fitText(area && area->viewport() == widget ? area : widget);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void keepTextsFitted(QWidget *window)
{
    auto *fitter = new TextFitter(window);
    fitter->watch(window);
}

void fitText(QWidget *widget)
{
    const QFont current = widget->font();
    QFont design = current;
    // Unless the window has set a font since, start again from the one it set.
    const QVariant fitted = widget->property(kFittedFontProperty);
    if (fitted.isValid() && fitted.value<QFont>() == current)
        design = widget->property(kDesignFontProperty).value<QFont>();

    QFont best = design;
    const std::optional<Measure> m = measure(widget, design);
    if (m && m->needed > m->room && design.pointSizeF() > kSmallestPoints) {
        // Text width is nearly proportional to the size: guess, then step down.
        const double ratio = m->room > 0 ? double(m->room) / m->needed : 0.0;
        double points = std::floor(design.pointSizeF() * ratio / kPointStep) * kPointStep + kPointStep;
        points = std::clamp(points, kSmallestPoints, design.pointSizeF() - kPointStep);
        for (; points > kSmallestPoints; points -= kPointStep) {
            best.setPointSizeF(points);
            if (fits(widget, best))
                break;
        }
        best.setPointSizeF(std::max(points, kSmallestPoints));
    }
    if (best == current)
        return;
    widget->setProperty(kDesignFontProperty, design);
    widget->setProperty(kFittedFontProperty, best);
    widget->setFont(best);
}

int textOverflow(const QWidget *widget)
{
    const std::optional<Measure> m = measure(widget, widget->font());
    return m ? std::max(0, m->needed - m->room) : 0;
}

} // namespace tamo::ui
