// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/filewritecommand.h"

#include "msp_editor/mspdocument.h"
#include "util/atomicfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <utility>

namespace tamo::msp_editor {

FileWriteCommand::FileWriteCommand(const QString &text, QString path, std::optional<QByteArray> before,
                                   std::optional<QByteArray> after, std::function<void(const QString &)> written)
    : QUndoCommand(text), m_path(std::move(path)), m_before(std::move(before)), m_after(std::move(after)),
      m_written(std::move(written))
{
}

int FileWriteCommand::id() const { return MspDocument::kOutsideCommandId; }

void FileWriteCommand::undo() { put(m_before); }

void FileWriteCommand::redo()
{
    if (m_pushed)
        put(m_after);
    m_pushed = true;
}

void FileWriteCommand::put(const std::optional<QByteArray> &bytes)
{
    QString error;
    if (bytes) {
        const SaveResult saved = saveFileAtomically(m_path, *bytes);
        error = saved.ok ? QString() : saved.error;
    } else if (QFile file(m_path); !file.remove()) {
        error = file.errorString();
    }
    m_written(error.isEmpty() ? QString()
                              : QCoreApplication::translate("FileWriteCommand", "\"%1\" could not be put back: %2")
                                    .arg(QDir::toNativeSeparators(m_path), error));
}

} // namespace tamo::msp_editor
