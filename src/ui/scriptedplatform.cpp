// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scriptedplatform.h"

#include <QFileInfo>

namespace tamo::ui {

ScriptedPlatform::ScriptedPlatform() { setPlatform(this); }

ScriptedPlatform::~ScriptedPlatform() { setPlatform(nullptr); }

void ScriptedPlatform::queueAnswer(Answer answer) { m_answers.enqueue(answer); }

void ScriptedPlatform::queueFile(const QString &path)
{
    FileDialogResult r;
    r.cancelled = false;
    r.fileName = path;
    r.fileTitle = QFileInfo(path).fileName();
    m_files.enqueue(r);
}

void ScriptedPlatform::queueFiles(const QString &folder, const QStringList &names)
{
    if (names.size() == 1) {
        queueFile(QFileInfo(folder + u'/' + names.first()).filePath());
        return;
    }
    FileDialogResult r;
    r.cancelled = false;
    r.fileName = folder;
    for (const QString &name : names)
        r.fileName += QChar(u'\0') + name;
    m_files.enqueue(r);
}

void ScriptedPlatform::queueCancel() { m_files.enqueue(FileDialogResult{}); }

QStringList ScriptedPlatform::messageTexts() const
{
    QStringList texts;
    for (const MessageBox &box : m_messages)
        texts << box.text;
    return texts;
}

void ScriptedPlatform::clear()
{
    m_messages.clear();
    m_dialogs.clear();
    m_answers.clear();
    m_files.clear();
    m_texts.clear();
    m_offeredTexts.clear();
    m_textProblems.clear();
    m_choices.clear();
    m_offeredChoices.clear();
    m_unexpected = 0;
    m_quitRequests = 0;
}

Answer ScriptedPlatform::showMessage(const MessageBox &box, QWidget *)
{
    m_messages << box;
    if (onMessage)
        onMessage(box);
    if (box.buttons == Buttons::Ok)
        return Answer::Ok;
    if (m_answers.isEmpty()) {
        ++m_unexpected;
        return box.buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
    return m_answers.dequeue();
}

FileDialogResult ScriptedPlatform::showFileDialog(const FileDialogRequest &request, QWidget *)
{
    m_dialogs << request;
    if (m_files.isEmpty()) {
        ++m_unexpected;
        return {};
    }
    FileDialogResult r = m_files.dequeue();
    if (r.fileName.size() > request.maxLength)
        return {};
    return r;
}

void ScriptedPlatform::setBusy(bool busy) { m_busyDepth += busy ? 1 : -1; }

void ScriptedPlatform::quitProgram() { ++m_quitRequests; }

void ScriptedPlatform::queueText(const std::optional<QString> &text) { m_texts.enqueue(text); }

std::optional<QString> ScriptedPlatform::askText(const QString &, const QString &, const QString &offered,
                                                 int maxLength, QWidget *, const TextCheck &check)
{
    m_offeredTexts << offered;
    if (m_texts.isEmpty()) {
        ++m_unexpected;
        return std::nullopt;
    }
    const std::optional<QString> text = m_texts.dequeue();
    const std::optional<QString> typed = text && maxLength > 0 ? std::optional<QString>(text->left(maxLength)) : text;
    if (typed && check) {
        if (const QString problem = check(*typed); !problem.isEmpty()) {
            m_textProblems << problem;
            return std::nullopt;
        }
    }
    return typed;
}

void ScriptedPlatform::queueChoices(const std::optional<QList<bool>> &ticks) { m_choices.enqueue(ticks); }

std::optional<QList<bool>> ScriptedPlatform::askChoices(const QString &, const QString &, const QStringList &choices,
                                                        const QList<bool> &checked, QWidget *)
{
    m_offeredChoices << choices.join(u'|');
    return m_choices.isEmpty() ? std::optional<QList<bool>>(checked) : m_choices.dequeue();
}

} // namespace tamo::ui
