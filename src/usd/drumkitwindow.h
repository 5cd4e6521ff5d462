// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/bankwindow.h"
#include "bank/transferwindow.h"
#include "usd/usdfile.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tamo::usd {

// The drum-kit transfer window: two USD banks side by side, single kits copied
// between them with the arrows, and either bank saved back to its own file.
class DrumKitWindow : public bank::TransferWindow {
    Q_OBJECT

public:
    explicit DrumKitWindow(QWidget *parent = nullptr);

    // Side 1 is the left bank, any other value the right one.
    const std::optional<UsdFile> &kit(int side) const { return sideOf(side).document; }
    QString kitPath(int side) const { return sideOf(side).path; }

protected:
    bool openSideFile(int side, const QString &path) override;
    bool saveSide(int side) override;
    bool isSideModified(int side) const override { return sideOf(side).isModified(); }
    QString sidePath(int side) const override { return sideOf(side).path; }

private:
    const bank::BankSide<UsdFile> &sideOf(int side) const { return side == 1 ? m_leftKit : m_rightKit; }
    bank::BankSide<UsdFile> &sideOf(int side) { return side == 1 ? m_leftKit : m_rightKit; }
    QListWidget *listOf(int side) const { return side == 1 ? m_leftList : m_rightList; }

    void openKit(int side);
    void copyKit(int from, int to);
    void saveKit(int side);
    void refreshKitList(QListWidget *list, int side);
    void updateSaveButtons();

    // KitPath1 and KitPath2 live in the sides together with their documents.
    bank::BankSide<UsdFile> m_leftKit;
    bank::BankSide<UsdFile> m_rightKit;
    QString m_dialogFileName;

    QLabel *m_leftPathLabel = nullptr;
    QLabel *m_rightPathLabel = nullptr;
    QPushButton *m_openLeftButton = nullptr;
    QPushButton *m_openRightButton = nullptr;
    QListWidget *m_leftList = nullptr;
    QListWidget *m_rightList = nullptr;
    QPushButton *m_copyToLeftButton = nullptr;
    QPushButton *m_copyToRightButton = nullptr;
    QPushButton *m_saveLeftButton = nullptr;
    QPushButton *m_saveRightButton = nullptr;
};

} // namespace tamo::usd
