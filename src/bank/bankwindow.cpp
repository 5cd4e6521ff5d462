// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankwindow.h"

#include "ui/fonts.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace tamo::bank {

namespace {

QPixmap arrowPixmap(ArrowDirection direction, int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (direction == ArrowDirection::Left) {
        painter.translate(size, 0);
        painter.scale(-1, 1);
    }
    // A right-pointing arrow on a unit square: a shaft and a wide head.
    const qreal s = size;
    QPainterPath path;
    path.moveTo(0.08 * s, 0.38 * s);
    path.lineTo(0.50 * s, 0.38 * s);
    path.lineTo(0.50 * s, 0.16 * s);
    path.lineTo(0.94 * s, 0.50 * s);
    path.lineTo(0.50 * s, 0.84 * s);
    path.lineTo(0.50 * s, 0.62 * s);
    path.lineTo(0.08 * s, 0.62 * s);
    path.closeSubpath();
    painter.setPen(QPen(QColor(0, 0, 96), qMax(1.0, s / 32.0)));
    painter.setBrush(QColor(0, 64, 192));
    painter.drawPath(path);
    return pixmap;
}

} // namespace

QIcon arrowIcon(ArrowDirection direction, int size)
{
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0})
        icon.addPixmap(arrowPixmap(direction, size, ratio));
    return icon;
}

QFont bankWindowFont()
{
    return ui::designFont(QStringLiteral("Tahoma"), 8.25);
}

QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, int left,
                       int top, int width, int height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    ui::place(button, left, top, width, height);
    return button;
}

QPushButton *addArrowButton(QWidget *parent, const QString &name, ArrowDirection direction,
                            int iconSize, int left, int top, int width, int height)
{
    QPushButton *button = addButton(parent, name, QString(), left, top, width, height);
    button->setIcon(arrowIcon(direction, iconSize));
    button->setIconSize(QSize(iconSize, iconSize));
    return button;
}

QListWidget *addList(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    ui::place(list, left, top, width, height);
    return list;
}

QLabel *addLabel(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    ui::place(label, left, top, width, height);
    return label;
}

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

void fillList(QListWidget *list, const QList<QByteArray> &names)
{
    list->clear();
    for (const QByteArray &name : names)
        list->addItem(displayName(name));
    list->setCurrentRow(-1);
    list->clearSelection();
}

QString bankLabel(const QString &path)
{
    return QFileInfo(path).fileName().toUpper();
}

void showReadMessages(const QStringList &messages, QWidget *parent)
{
    // The messages are the file readers' (Qt Core only), marked for translation there.
    for (const QString &text : messages)
        ui::message(QCoreApplication::translate("BankFile", text.toUtf8().constData()), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, parent);
}

void reportSaveFailure(const QString &path, const QString &reason, QWidget *parent)
{
    ui::message(QCoreApplication::translate("BankWindow", "The file %1 could not be saved : %2 !\nIt was left as it was.")
                    .arg(path, reason),
                ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, parent);
}

QString askBankFile(const QString &filter, util::FileKind kind, QString &dialogFileName, QWidget *parent)
{
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogRequest::Mode::Open;
    request.initialFolder = util::startFolder(kind);
    request.filter = filter;
    request.fileName = dialogFileName;
    const ui::FileDialogResult result = ui::fileDialog(request, parent);
    const QStringList paths = result.paths();
    if (result.cancelled || paths.isEmpty())
        return {};
    dialogFileName = result.fileName;
    return paths.first();
}

} // namespace tamo::bank
