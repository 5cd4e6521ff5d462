// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pieces shared by the two bank transfer windows (drum kits and user voices).

#include "ui/platform.h"
#include "bank/bankformat.h"
#include "util/atomicfile.h"
#include "util/recentfiles.h"

#include <QFont>
#include <QIcon>
#include <QString>

#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace tamo::bank {

enum class ArrowDirection { Left, Right };

// An arrow drawn for a picture button, size x size device-independent pixels.
QIcon arrowIcon(ArrowDirection direction, int size);

// Tahoma 8.25 pt, the font of both windows.
QFont bankWindowFont();

// Children placed in twips on parent, named for findChild.
QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, int left,
                       int top, int width, int height);
QPushButton *addArrowButton(QWidget *parent, const QString &name, ArrowDirection direction,
                            int iconSize, int left, int top, int width, int height);
QListWidget *addList(QWidget *parent, const QString &name, int left, int top, int width, int height);
QLabel *addLabel(QWidget *parent, const QString &name, int left, int top, int width, int height);

// The selected row, or -1 when none is selected.
int selectedRow(const QListWidget *list);

// Replaces the rows of list by names, in order, with no row selected.
void fillList(QListWidget *list, const QList<QByteArray> &names);

// The label text for a chosen file: its name without the folder, in upper case.
QString bankLabel(const QString &path);

// Shows a reader's messages in order, each an OK box without icon.
void showReadMessages(const QStringList &messages, QWidget *parent);

// Tells the user that path was not saved and why; the file itself was left as it was.
void reportSaveFailure(const QString &path, const QString &reason, QWidget *parent);

// The Open dialog of both sides of a window, starting in the folder last used for
// kind. dialogFileName is the name chosen last, preset in the dialog and updated
// when the user confirms. Empty on cancel.
QString askBankFile(const QString &filter, util::FileKind kind, QString &dialogFileName, QWidget *parent);

// One side of a transfer window: the document of its last successful read and the
// file it came from. Path and document change together, so a save can only ever
// write a document back over the file it was read from.
template <class Document>
struct BankSide {
    QString path;
    std::optional<Document> document;
    // The document as its file holds it, from the last read.
    std::optional<Document> onDisk;

    bool isModified() const { return document && document != onDisk; }

    // Reads path with read and shows its messages. On success the side takes the file
    // and true is returned; otherwise the side stays with its previous file.
    template <class Reader>
    bool load(const QString &chosen, Reader read, QWidget *parent)
    {
        auto result = read(chosen);
        showReadMessages(result.messages, parent);
        if (!result.document)
            return false;
        path = chosen;
        document = std::move(*result.document);
        onDisk = document;
        return true;
    }

    // Writes the document to its file and reads it back. A side without a document
    // does nothing. A failed write is reported, and the side keeps its document.
    template <class Writer, class Reader>
    bool save(Writer write, Reader read, QWidget *parent)
    {
        if (!document || path.isEmpty())
            return false;
        const SaveResult saved = write(path, *document);
        if (!saved.ok) {
            reportSaveFailure(path, saved.error, parent);
            return false;
        }
        return load(path, read, parent);
    }
};

} // namespace tamo::bank
