// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/transferwindow.h"

#include "ui/menus.h"
#include "ui/platform.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUndoStack>
#include <QUrl>
#include <QVBoxLayout>

namespace tamo::bank {

TransferWindow::TransferWindow(Kind kind, QWidget *parent) : QWidget(parent), m_kind(std::move(kind))
{
    m_undoStack = new QUndoStack(this);
    connect(m_undoStack, &QUndoStack::indexChanged, this, &TransferWindow::updateTitle);

    auto *menuBar = new QMenuBar(this);
    QMenu *file = menuBar->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("MnuFichier"));
    for (int side = 1; side <= 2; ++side) {
        QMenu *recent = file->addMenu(m_kind.recentCaptions.at(std::size_t(side - 1)));
        recent->setObjectName(QStringLiteral("MnuRecent%1").arg(side));
        connect(recent, &QMenu::aboutToShow, this, [this, side] { fillRecentMenu(side); });
        m_recentMenus.at(std::size_t(side - 1)) = recent;
        fillRecentMenu(side);
    }
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"));
    quit->setObjectName(QStringLiteral("MnuEnd"));
    quit->setShortcuts(ui::keysFor(QKeySequence::Quit, QStringLiteral("Ctrl+Q")));
    connect(quit, &QAction::triggered, this, [this] {
        if (askSaveModified())
            ui::quitProgram();
    });
    QMenu *edit = menuBar->addMenu(tr("&Edit"));
    edit->setObjectName(QStringLiteral("MnuEdit"));
    ui::addUndoRedo(edit, m_undoStack);

    // The controls sit at fixed twip positions in the client area, below the menus.
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(m_client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setAcceptDrops(true);
}

TransferWindow::~TransferWindow()
{
    // The stack clears itself as it goes, after this window has stopped being one.
    m_undoStack->disconnect(this);
}

void TransferWindow::fillRecentMenu(int side)
{
    QMenu *menu = m_recentMenus.at(std::size_t(side - 1));
    menu->clear();
    const QStringList recent = util::recentDocuments(m_kind.fileKind);
    for (qsizetype i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        QAction *action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setObjectName(QStringLiteral("MnuRecent%1_%2").arg(side).arg(i + 1));
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, side, path] { openDropped(side, path); });
    }
    menu->setEnabled(!recent.isEmpty());
}

bool TransferWindow::ask(const QList<int> &sides)
{
    QList<int> unsaved;
    for (int side : sides) {
        if (isSideModified(side))
            unsaved << side;
    }
    if (unsaved.isEmpty())
        return true;
    const ui::Answer answer =
        ui::message(tr("The file was modified.\r\n\r\nDo you want to save the modifications ?"),
                    ui::Buttons::YesNoCancel, ui::Icon::Question, m_kind.questionTitle, this);
    if (answer != ui::Answer::Yes)
        return answer == ui::Answer::No;
    for (int side : unsaved) {
        if (!saveSide(side))
            return false;
    }
    return true;
}

bool TransferWindow::askSaveModified() { return ask({1, 2}); }

bool TransferWindow::askSaveSide(int side) { return ask({side}); }

void TransferWindow::openDropped(int side, const QString &path)
{
    if (askSaveSide(side))
        openSideFile(side, path);
}

void TransferWindow::sideOpened(int, const QString &path)
{
    util::rememberDocument(m_kind.fileKind, path);
    m_undoStack->clear();
    updateTitle();
}

void TransferWindow::sideSaved(const QString &path)
{
    util::rememberDocument(m_kind.fileKind, path);
    updateTitle();
}

void TransferWindow::updateTitle()
{
    QStringList names;
    for (int side = 1; side <= 2; ++side) {
        if (!sidePath(side).isEmpty())
            names << QFileInfo(sidePath(side)).fileName();
    }
    // Without a file the design's caption, three spaces first.
    setWindowTitle(names.isEmpty() ? QStringLiteral("[*]   ") + m_kind.editorName
                                   : names.join(QStringLiteral(" | ")) + QStringLiteral("[*] \u2014 ") + m_kind.editorName);
    setWindowModified(isSideModified(1) || isSideModified(2));
}

void TransferWindow::closeEvent(QCloseEvent *event)
{
    if (askSaveModified())
        event->accept();
    else
        event->ignore();
}

QString TransferWindow::droppedFile(const QDropEvent *event) const
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1)
        return {};
    const QString path = QDir::toNativeSeparators(urls.first().toLocalFile());
    return QFileInfo(path).suffix().compare(m_kind.extension, Qt::CaseInsensitive) == 0 ? path : QString();
}

int TransferWindow::sideAt(const QDropEvent *event) const
{
    return event->position().x() < width() / 2.0 ? 1 : 2;
}

void TransferWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event).isEmpty())
        event->acceptProposedAction();
}

void TransferWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (!droppedFile(event).isEmpty())
        event->acceptProposedAction();
}

void TransferWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event);
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openDropped(sideAt(event), path);
}

} // namespace tamo::bank
