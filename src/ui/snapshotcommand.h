// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUndoCommand>

#include <functional>
#include <utility>

namespace tamo::ui {

// One change of a document, kept as the whole document before and after it, so
// that every kind of change undoes and redoes the same way. The change has already
// been made when the command is pushed: the first redo does nothing.
template <class Document>
class SnapshotCommand final : public QUndoCommand {
public:
    using Apply = std::function<void(const Document &)>;

    SnapshotCommand(const QString &text, Document before, Document after, Apply apply)
        : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)), m_apply(std::move(apply))
    {
    }

    void undo() override { m_apply(m_before); }
    void redo() override
    {
        if (m_pushed)
            m_apply(m_after);
        m_pushed = true;
    }

private:
    Document m_before;
    Document m_after;
    Apply m_apply;
    bool m_pushed = false;
};

} // namespace tamo::ui
