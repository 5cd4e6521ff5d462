// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/filewritecommand.h"

#include "msp_editor/mspdocument.h"
#include "util/atomicfile.h"
#include "util/regularfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace tamo::msp_editor {

FileWriteCommand::FileWriteCommand(const QString &text, QString path, std::optional<QByteArray> before,
                                   std::optional<QByteArray> after, std::function<void(const QString &)> written)
    : QUndoCommand(text), m_path(std::move(path)), m_before(std::move(before)), m_after(std::move(after)),
      m_written(std::move(written))
{
}

int FileWriteCommand::id() const { return MspDocument::kOutsideCommandId; }

void FileWriteCommand::undo() { put(m_after, m_before); }

void FileWriteCommand::redo()
{
    if (m_pushed)
        put(m_before, m_after);
    m_pushed = true;
}

namespace {

// Whether the file holds exactly expected (nullopt: no file there).
bool holds(const QString &path, const std::optional<QByteArray> &expected)
{
    QFile file;
    if (!util::openRegularFile(file, path))
        return !expected && !QFileInfo::exists(path);
    if (!expected || file.size() != expected->size())
        return false;
    const std::optional<QByteArray> bytes = util::readAtMost(file, expected->size());
    return bytes && *bytes == *expected;
}

} // namespace

void FileWriteCommand::put(const std::optional<QByteArray> &current, const std::optional<QByteArray> &bytes)
{
    QString error;
    // Another program's file (a new take) is never written over with old bytes.
    if (!holds(m_path, current)) {
        error = QCoreApplication::translate("FileWriteCommand", "another program changed it since; it is left as it is");
    } else if (bytes) {
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
