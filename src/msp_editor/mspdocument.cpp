#include "msp_editor/mspdocument.h"

#include <QUndoStack>

#include <algorithm>
#include <utility>

namespace tamo::msp_editor {

// The content before and after one change; redo() applies it, also on the push.
class ContentCommand final : public QUndoCommand {
public:
    ContentCommand(const QString &text, MspDocument &document, MspContent before, MspContent after)
        : QUndoCommand(text), m_document(document), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_document.apply(m_before); }
    void redo() override { m_document.apply(m_after); }

private:
    MspDocument &m_document;
    MspContent m_before, m_after;
};

MspDocument::MspDocument(QObject *parent) : QObject(parent), m_undoStack(new QUndoStack(this))
{
    m_content.record = msp::MspRecord::newDocument();
    connect(m_undoStack, &QUndoStack::cleanChanged, this, &MspDocument::updateModified);
    connect(m_undoStack, &QUndoStack::indexChanged, this, &MspDocument::updateModified);
}

exporter::SlotSource MspDocument::source(int slot) const
{
    if (slot < 1 || slot > msp::kMaxSamples)
        return {};
    return m_content.sources.at(std::size_t(slot - 1));
}

void MspDocument::change(const QString &text, const MspContent &after)
{
    m_undoStack->push(new ContentCommand(text, *this, m_content, after));
}

void MspDocument::reset(const MspContent &content, const QString &path, bool onDisk)
{
    m_content = content;
    m_path = path;
    m_undoStack->clear();
    if (onDisk)
        m_undoStack->setClean();
    else
        m_undoStack->resetClean(); // no state of the stack is on disk until a save
    updateModified();
}

void MspDocument::markSaved(const QString &path)
{
    m_path = path;
    m_undoStack->setClean();
    updateModified();
}

void MspDocument::apply(const MspContent &content)
{
    m_content = content;
    Q_EMIT contentChanged();
}

void MspDocument::updateModified()
{
    // Undone or redone writes of files beside the document leave it as saved.
    const int clean = m_undoStack->cleanIndex(), index = m_undoStack->index();
    bool modified = clean < 0;
    for (int i = std::min(clean, index); !modified && i < std::max(clean, index); ++i)
        modified = m_undoStack->command(i)->id() != kOutsideCommandId;
    if (modified == m_modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

} // namespace tamo::msp_editor
