// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/mspdocument.h"

#include "export/soundimport.h"

#include <QDir>
#include <QFileInfo>
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

bool MspDocument::listed(int slot) const
{
    // A foreign record lists nothing, so none of its samples has a file.
    return slot >= 1 && slot <= (record().isValid() ? record().usedSlotCount() : 0);
}

QString MspDocument::wavFile(int slot) const
{
    if (!listed(slot))
        return {};
    // Until the document has a file, each sample is looked for where it was added from.
    const QString added = source(slot).path;
    const QString beside = m_path.isEmpty() && !added.isEmpty() ? added : m_path;
    const QByteArray name = record().sampleName(slot);
    if (!beside.isEmpty())
        return exporter::soundFileBeside(beside, name);
    const QString found = exporter::soundFileBeside(QDir::current().filePath(QStringLiteral("_")), name);
    return found.isEmpty() ? found : QDir::current().relativeFilePath(found);
}

QString MspDocument::soundFile(int slot) const
{
    if (!listed(slot))
        return {};
    const QString found = wavFile(slot);
    if (!found.isEmpty())
        return found;
    const QString added = source(slot).path;
    return !added.isEmpty() && QFileInfo(added).isFile() ? added : QString();
}

exporter::SlotSource MspDocument::storedSource(int slot) const
{
    const QString path = soundFile(slot);
    const exporter::SlotSource stored = source(slot);
    if (path.isEmpty() || stored.path.isEmpty() || QFileInfo(path) != QFileInfo(stored.path))
        return path;
    return {path, stored.cut};
}

exporter::SlotSource MspDocument::exportSource(int slot) const
{
    exporter::SlotSource read = storedSource(slot);
    keptLoop(slot).applyTo(read);
    return read;
}

void MspDocument::renameSample(MspContent &after, int slot, const QByteArray &name) const
{
    if (!listed(slot))
        return;
    after.sources.at(std::size_t(slot - 1)) = storedSource(slot);
    const QByteArray from = exporter::loopKey(record().sampleName(slot)), to = exporter::loopKey(name);
    if (m_content.loops.contains(from) && !to.isEmpty())
        after.loops.insert(to, m_content.loops.value(from));
    after.record.setSampleName(slot, name);
}

SampleLoop MspDocument::keptLoop(int slot) const
{
    return listed(slot) ? m_content.loops.value(exporter::loopKey(record().sampleName(slot))) : SampleLoop{};
}

void MspDocument::keepLoop(int slot, const QString &text, const SampleLoop &loop)
{
    MspContent after = m_content;
    const QByteArray key = exporter::loopKey(record().sampleName(slot));
    if (listed(slot) && !key.isEmpty()) {
        if (loop.kind == SampleLoop::Kind::Keep)
            after.loops.remove(key);
        else
            after.loops.insert(key, loop);
    }
    change(text, after);
}

int MspDocument::slotOfFile(const QString &path, int first) const
{
    if (path.isEmpty() || !record().isValid())
        return 0;
    const QFileInfo wanted(path);
    for (int i = 0; i < record().usedSlotCount(); ++i) { // from first on, round the list
        const int slot = (std::max(first, 1) - 1 + i) % record().usedSlotCount() + 1;
        if (const QString file = soundFile(slot); !file.isEmpty() && QFileInfo(file) == wanted)
            return slot;
    }
    return 0;
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
