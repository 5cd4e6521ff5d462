#pragma once

#include "usd/bankwindow.h"
#include "usd/usdfile.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tamo::usd {

// The drum-kit transfer window: two USD banks side by side, single kits copied
// between them with the arrows, and either bank saved back to its own file.
class Form3 : public QWidget {
    Q_OBJECT

public:
    explicit Form3(QWidget *parent = nullptr);

    // Side 1 is the left bank, any other value the right one.
    const std::optional<UsdFile> &kit(int side) const { return sideOf(side).document; }
    QString kitPath(int side) const { return sideOf(side).path; }

    // The Open button's load step without its dialog: side (1 left, 2 right) takes
    // the file at path. False, with the reader's messages shown, when it cannot.
    bool openFile(int side, const QString &path);

private:
    const BankSide<UsdFile> &sideOf(int side) const { return side == 1 ? Kit1 : Kit2; }
    BankSide<UsdFile> &sideOf(int side) { return side == 1 ? Kit1 : Kit2; }
    QListWidget *listOf(int side) const { return side == 1 ? List1 : List2; }

    void openKit(int side);
    void copyKit(int from, int to);
    void saveKit(int side);
    void RefreshKitList(QListWidget *list, int side);
    void updateSaveButtons();

    // KitPath1 and KitPath2 live in the sides together with their documents.
    BankSide<UsdFile> Kit1;
    BankSide<UsdFile> Kit2;
    QString m_dialogFileName;

    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command5 = nullptr;
    QListWidget *List1 = nullptr;
    QListWidget *List2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;
};

} // namespace tamo::usd
