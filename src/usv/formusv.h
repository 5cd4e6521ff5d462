#pragma once

#include "usd/bankwindow.h"
#include "usv/usvfile.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace tamo::usv {

// The user-voice transfer window: two USV banks side by side, with their voices and
// their tagged entries, single entries copied between them with the arrows, and
// either bank saved back to its own file.
class FormUSV : public QWidget {
    Q_OBJECT

public:
    explicit FormUSV(QWidget *parent = nullptr);

    // Side 1 is the left bank, any other value the right one.
    const std::optional<UsvFile> &usv(int side) const { return sideOf(side).document; }
    QString usvPath(int side) const { return sideOf(side).path; }

    // The Open button's load step without its dialog: side (1 left, 2 right) takes
    // the file at path. False, with the reader's messages shown, when it cannot.
    bool openFile(int side, const QString &path);

private:
    const usd::BankSide<UsvFile> &sideOf(int side) const { return side == 1 ? Usv1 : Usv2; }
    usd::BankSide<UsvFile> &sideOf(int side) { return side == 1 ? Usv1 : Usv2; }
    QListWidget *voiceList(int side) const { return side == 1 ? List1 : List2; }
    QListWidget *taggedList(int side) const { return side == 1 ? List3 : List4; }

    void openUsv(int side);
    void copyVoice(int from, int to);
    void copyTaggedEntry(int from, int to);
    void saveUsv(int side);
    void RefreshVoiceLists(QListWidget *voices, QListWidget *tagged, int side);
    void refreshSide(int side) { RefreshVoiceLists(voiceList(side), taggedList(side), side); }
    void updateSaveButtons();

    // UsvPath1 and UsvPath2 live in the sides together with their documents.
    usd::BankSide<UsvFile> Usv1;
    usd::BankSide<UsvFile> Usv2;
    QString m_dialogFileName;

    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command5 = nullptr;
    QListWidget *List1 = nullptr;
    QListWidget *List2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QListWidget *List3 = nullptr;
    QListWidget *List4 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;
};

} // namespace tamo::usv
