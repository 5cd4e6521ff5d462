// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/platform.h"

#include <QQueue>

#include <functional>

namespace tamo::ui {

// A platform for tests: the user's answers are queued beforehand, and every box
// and dialog shown is recorded in order. Installs itself for its lifetime.
// An unexpected prompt is answered No (Cancel where offered) / OK / cancel and
// counted in unexpected().
class ScriptedPlatform final : public Platform {
public:
    ScriptedPlatform();
    ~ScriptedPlatform() override;
    ScriptedPlatform(const ScriptedPlatform &) = delete;
    ScriptedPlatform &operator=(const ScriptedPlatform &) = delete;

    // Answers for the next message boxes with Yes/No (and Cancel) buttons.
    void queueAnswer(Answer answer);
    // Answers for the next file dialogs.
    void queueFile(const QString &path);
    void queueFiles(const QString &folder, const QStringList &names); // several files
    void queueCancel();
    // Answers for the next text prompts; nullopt cancels.
    void queueText(const std::optional<QString> &text);
    // Answers for the next choice questions; nullopt cancels. A question without a
    // queued answer keeps the ticks offered (scripts written before it run on).
    void queueChoices(const std::optional<QList<bool>> &ticks);
    // The choices each askChoices call offered, joined by "|", in order.
    const QStringList &offeredChoices() const { return m_offeredChoices; }

    const QList<MessageBox> &messages() const { return m_messages; }
    const QList<FileDialogRequest> &dialogs() const { return m_dialogs; }
    // Texts of the boxes shown, in order.
    QStringList messageTexts() const;
    // The text each askText call offered, in order.
    const QStringList &offeredTexts() const { return m_offeredTexts; }
    bool busy() const { return m_busyDepth > 0; }
    int busyDepth() const { return m_busyDepth; }
    // Prompts shown without a queued answer, plus answers never used (see pending()).
    int unexpected() const { return m_unexpected; }
    // Answers still queued.
    int pending() const { return int(m_answers.size() + m_files.size() + m_texts.size() + m_choices.size()); }
    // How often the program was asked to end; a scripted platform never ends it.
    int quitRequests() const { return m_quitRequests; }
    void clear();

    // Called back with each box as it is shown, e.g. to inspect the windows meanwhile.
    std::function<void(const MessageBox &)> onMessage;

    Answer showMessage(const MessageBox &box, QWidget *parent) override;
    FileDialogResult showFileDialog(const FileDialogRequest &request, QWidget *parent) override;
    void setBusy(bool busy) override;
    void quitProgram() override;
    // A queued text longer than maxLength is cut there, as the field would take it.
    // One the check finds fault with cannot be OK'd: its problem is recorded and the
    // prompt counts as cancelled.
    std::optional<QString> askText(const QString &title, const QString &label, const QString &text,
                                   int maxLength, QWidget *parent, const TextCheck &check) override;
    // What the check said of each refused text, in order.
    const QStringList &textProblems() const { return m_textProblems; }
    std::optional<QList<bool>> askChoices(const QString &title, const QString &label, const QStringList &choices,
                                          const QList<bool> &checked, QWidget *parent) override;

private:
    QList<MessageBox> m_messages;
    QList<FileDialogRequest> m_dialogs;
    QQueue<Answer> m_answers;
    QQueue<FileDialogResult> m_files;
    QQueue<std::optional<QString>> m_texts;
    QStringList m_offeredTexts;
    QStringList m_textProblems;
    QQueue<std::optional<QList<bool>>> m_choices;
    QStringList m_offeredChoices;
    int m_busyDepth = 0;
    int m_unexpected = 0;
    int m_quitRequests = 0;
};

} // namespace tamo::ui
