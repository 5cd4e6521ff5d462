#include "usd/form3.h"

#include "ui/platform.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tamo::usd {

namespace {

const QString kFilter = QStringLiteral("Ketron USerDrumkit Files (*.USD)|*.USD");

} // namespace

Form3::Form3(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("   USD Editor for KETRON SD1"));
    setFont(bankWindowFont());
    // The controls sit at fixed twip positions, so the window keeps its design size.
    setFixedSize(ui::twips(6510), ui::twips(9960));

    Label2 = addLabel(this, QStringLiteral("Label2"), 240, 240, 1935, 255);
    Label3 = addLabel(this, QStringLiteral("Label3"), 4320, 240, 1935, 255);
    Command2 = addButton(this, QStringLiteral("Command2"), QStringLiteral("Open USD Kit 1"), 240,
                         600, 1935, 615);
    Command5 = addButton(this, QStringLiteral("Command5"), QStringLiteral("Open USD Kit 2"), 4320,
                         600, 1935, 615);
    List1 = addList(this, QStringLiteral("List1"), 240, 1320, 1935, 7710);
    List2 = addList(this, QStringLiteral("List2"), 4320, 1320, 1935, 7710);
    Command3 = addArrowButton(this, QStringLiteral("Command3"), ArrowDirection::Left, 32, 2640,
                              2880, 1215, 1215);
    Command4 = addArrowButton(this, QStringLiteral("Command4"), ArrowDirection::Right, 32, 2640,
                              4440, 1215, 1215);
    Command1 = addButton(this, QStringLiteral("Command1"), QStringLiteral("Save This File"), 240,
                         9120, 1935, 615);
    Command6 = addButton(this, QStringLiteral("Command6"), QStringLiteral("Save This File"), 4320,
                         9120, 1935, 615);

    connect(Command2, &QPushButton::clicked, this, [this] { openKit(1); });
    connect(Command5, &QPushButton::clicked, this, [this] { openKit(2); });
    connect(Command3, &QPushButton::clicked, this, [this] { copyKit(2, 1); });
    connect(Command4, &QPushButton::clicked, this, [this] { copyKit(1, 2); });
    connect(Command1, &QPushButton::clicked, this, [this] { saveKit(1); });
    connect(Command6, &QPushButton::clicked, this, [this] { saveKit(2); });
    updateSaveButtons();
}

void Form3::openKit(int side)
{
    const QString chosen = askBankFile(kFilter, m_dialogFileName, this);
    if (!chosen.isEmpty())
        openFile(side, chosen);
}

bool Form3::openFile(int side, const QString &path)
{
    ui::BusyPointer busy;
    if (!sideOf(side).load(path, &OpenUSDFile, this))
        return false;
    RefreshKitList(listOf(side), side);
    (side == 1 ? Label2 : Label3)->setText(bankLabel(path));
    updateSaveButtons();
    return true;
}

void Form3::copyKit(int from, int to)
{
    const int source = selectedRow(listOf(from));
    const int target = selectedRow(listOf(to));
    if (source < 0 || target < 0)
        return;
    // A selected row implies a loaded document with that many kits.
    const UsdFile &sourceKit = *sideOf(from).document;
    UsdFile &targetKit = *sideOf(to).document;
    targetKit.Entries[target] = sourceKit.Entries[source];
    RefreshKitList(listOf(to), to);
}

void Form3::saveKit(int side)
{
    if (sideOf(side).save(&SaveUSDFile, &OpenUSDFile, this))
        RefreshKitList(listOf(side), side);
}

void Form3::RefreshKitList(QListWidget *list, int side)
{
    const auto &doc = sideOf(side).document;
    fillList(list, doc ? doc->names() : QList<QByteArray>());
}

void Form3::updateSaveButtons()
{
    Command1->setEnabled(Kit1.document.has_value());
    Command6->setEnabled(Kit2.document.has_value());
}

} // namespace tamo::usd
