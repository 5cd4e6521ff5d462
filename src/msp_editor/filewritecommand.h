// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QUndoCommand>

#include <functional>
#include <optional>

namespace tamo::msp_editor {

// A file the WAV panel wrote, kept as its bytes before and after until the
// document closes: undo puts the old bytes back (or removes a file that was new),
// as long as the file is still what the command left.
// The MSP document itself is untouched, so the command leaves it unmodified.
class FileWriteCommand final : public QUndoCommand {
public:
    // written: told after each undo or redo, with an error text when the file
    // could not be put back.
    FileWriteCommand(const QString &text, QString path, std::optional<QByteArray> before,
                     std::optional<QByteArray> after, std::function<void(const QString &)> written);
    int id() const override;
    void undo() override;
    void redo() override;

private:
    // Puts bytes back (nullopt: removes the file) if the file still holds current.
    void put(const std::optional<QByteArray> &current, const std::optional<QByteArray> &bytes);

    QString m_path;
    std::optional<QByteArray> m_before, m_after;
    std::function<void(const QString &)> m_written;
    bool m_pushed = false; // the write itself happened before the push
};

} // namespace tamo::msp_editor
