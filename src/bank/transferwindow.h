// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/recentfiles.h"

#include <QString>
#include <QWidget>

#include <array>

class QCloseEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QUndoStack;

namespace tamo::bank {

// What the two transfer windows share around their documents: the menu bar with
// the recent files and Undo/Redo, the title with the file names and the modified
// mark, the unsaved-changes question before a side's work is replaced or the
// window closes, and files dropped on a side. The windows themselves read, copy
// and save; they tell this class when a side took a file.
class TransferWindow : public QWidget {
    Q_OBJECT
public:
    struct Kind {
        QString editorName;       // "USD Editor for KETRON SD1"
        QString questionTitle;    // title of the unsaved-changes question
        QString extension;        // "USD"
        util::FileKind fileKind;
        std::array<QString, 2> recentCaptions; // File menu entries of the two sides
    };

    TransferWindow(Kind kind, QWidget *parent);
    ~TransferWindow() override;

    // The area of the design (twips from its top left) below the menu bar.
    QWidget *clientArea() const { return m_client; }
    QUndoStack *undoStack() const { return m_undoStack; }

    // Asks whether to save the unsaved sides and saves them on Yes. False when the
    // work would be lost: the user cancelled, or a save failed.
    bool askSaveModified();
    // The same question for one side, before another file replaces its document.
    bool askSaveSide(int side);
    // Opens path on side as its Open button does after the dialog, asking first.
    void openDropped(int side, const QString &path);

protected:
    // Reads path into side; true when the side took it.
    virtual bool openSideFile(int side, const QString &path) = 0;
    virtual bool saveSide(int side) = 0;
    virtual bool isSideModified(int side) const = 0;
    virtual QString sidePath(int side) const = 0;

    // A side took path: remembered for the File menu; the undo history starts again,
    // as its changes were made to the document that is gone.
    void sideOpened(int side, const QString &path);
    void sideSaved(const QString &path);
    // Also called by the window once it is built: this class cannot ask it sooner.
    void updateTitle();

    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QString droppedFile(const QDropEvent *event) const;
    int sideAt(const QDropEvent *event) const;
    void fillRecentMenu(int side);
    bool ask(const QList<int> &sides);

    Kind m_kind;
    QWidget *m_client = nullptr;
    QUndoStack *m_undoStack = nullptr;
    std::array<QMenu *, 2> m_recentMenus{};
};

} // namespace tamo::bank
