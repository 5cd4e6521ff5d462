// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/bankwindow.h"
#include "bank/transferwindow.h"
#include "usv/usvfile.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tamo::usv {

// The user-voice transfer window: two USV banks side by side, with their voices and
// their tagged entries, single entries copied between them with the arrows, and
// either bank saved back to its own file.
class UserVoiceWindow : public bank::TransferWindow {
    Q_OBJECT

public:
    explicit UserVoiceWindow(QWidget *parent = nullptr);

    // Side 1 is the left bank, any other value the right one.
    const std::optional<UsvFile> &usv(int side) const { return sideOf(side).document; }
    QString usvPath(int side) const { return sideOf(side).path; }

protected:
    bool openSideFile(int side, const QString &path) override;
    bool saveSide(int side) override;
    bool isSideModified(int side) const override { return sideOf(side).isModified(); }
    QString sidePath(int side) const override { return sideOf(side).path; }

private:
    // A copy into side to, undone and redone as a whole.
    void pushCopy(const QString &text, int to, const std::optional<UsvFile> &before);
    const bank::BankSide<UsvFile> &sideOf(int side) const { return side == 1 ? m_leftBank : m_rightBank; }
    bank::BankSide<UsvFile> &sideOf(int side) { return side == 1 ? m_leftBank : m_rightBank; }
    QListWidget *voiceList(int side) const { return side == 1 ? m_leftVoices : m_rightVoices; }
    QListWidget *taggedList(int side) const { return side == 1 ? m_leftTagged : m_rightTagged; }

    void openUsv(int side);
    void copyVoice(int from, int to);
    void copyTaggedEntry(int from, int to);
    void saveUsv(int side);
    void refreshVoiceLists(QListWidget *voices, QListWidget *tagged, int side);
    void refreshSide(int side) { refreshVoiceLists(voiceList(side), taggedList(side), side); }
    void updateSaveButtons();

    // UsvPath1 and UsvPath2 live in the sides together with their documents.
    bank::BankSide<UsvFile> m_leftBank;
    bank::BankSide<UsvFile> m_rightBank;
    QString m_dialogFileName;

    QLabel *m_leftPathLabel = nullptr;
    QLabel *m_rightPathLabel = nullptr;
    QPushButton *m_openLeftButton = nullptr;
    QPushButton *m_openRightButton = nullptr;
    QListWidget *m_leftVoices = nullptr;
    QListWidget *m_rightVoices = nullptr;
    QPushButton *m_copyVoiceToLeftButton = nullptr;
    QPushButton *m_copyVoiceToRightButton = nullptr;
    QListWidget *m_leftTagged = nullptr;
    QListWidget *m_rightTagged = nullptr;
    QPushButton *m_copyTaggedToLeftButton = nullptr;
    QPushButton *m_copyTaggedToRightButton = nullptr;
    QPushButton *m_saveLeftButton = nullptr;
    QPushButton *m_saveRightButton = nullptr;
};

} // namespace tamo::usv
