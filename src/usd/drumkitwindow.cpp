// SPDX-License-Identifier: GPL-3.0-or-later
#include "usd/drumkitwindow.h"

#include "ui/platform.h"
#include "ui/snapshotcommand.h"
#include "ui/textfit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>

namespace tamo::usd {

using namespace bank;

namespace {

const char *const kFilter = QT_TRANSLATE_NOOP("tamo::usd::DrumKitWindow", "Ketron USerDrumkit Files (*.USD)|*.USD");

} // namespace

DrumKitWindow::DrumKitWindow(QWidget *parent)
    : TransferWindow({tr("USD Editor for KETRON SD1"), tr("USD Editor"), QStringLiteral("USD"),
                      util::FileKind::Usd, {tr("Recent in Kit &1"), tr("Recent in Kit &2")}},
                     parent)
{
    setObjectName(QStringLiteral("Form3"));
    setFont(bankWindowFont());
    ui::keepTextsFitted(this);
    // The controls sit at fixed twip positions, so the window keeps its design size.
    QWidget *client = clientArea();
    client->setFixedSize(ui::twips(6510), ui::twips(9960));

    m_leftPathLabel = addLabel(client, QStringLiteral("Label2"), 240, 240, 1935, 255);
    m_rightPathLabel = addLabel(client, QStringLiteral("Label3"), 4320, 240, 1935, 255);
    m_openLeftButton = addButton(client, QStringLiteral("Command2"), tr("Open USD Kit 1"), 240,
                         600, 1935, 615);
    m_openRightButton = addButton(client, QStringLiteral("Command5"), tr("Open USD Kit 2"), 4320,
                         600, 1935, 615);
    m_leftList = addList(client, QStringLiteral("List1"), 240, 1320, 1935, 7710);
    m_rightList = addList(client, QStringLiteral("List2"), 4320, 1320, 1935, 7710);
    m_copyToLeftButton = addArrowButton(client, QStringLiteral("Command3"), ArrowDirection::Left, 32, 2640,
                              2880, 1215, 1215);
    m_copyToRightButton = addArrowButton(client, QStringLiteral("Command4"), ArrowDirection::Right, 32, 2640,
                              4440, 1215, 1215);
    m_saveLeftButton = addButton(client, QStringLiteral("Command1"), tr("Save This File"), 240,
                         9120, 1935, 615);
    m_saveRightButton = addButton(client, QStringLiteral("Command6"), tr("Save This File"), 4320,
                         9120, 1935, 615);

    connect(m_openLeftButton, &QPushButton::clicked, this, [this] { openKit(1); });
    connect(m_openRightButton, &QPushButton::clicked, this, [this] { openKit(2); });
    connect(m_copyToLeftButton, &QPushButton::clicked, this, [this] { copyKit(2, 1); });
    connect(m_copyToRightButton, &QPushButton::clicked, this, [this] { copyKit(1, 2); });
    connect(m_saveLeftButton, &QPushButton::clicked, this, [this] { saveKit(1); });
    connect(m_saveRightButton, &QPushButton::clicked, this, [this] { saveKit(2); });
    updateSaveButtons();
    updateTitle();
}

void DrumKitWindow::openKit(int side)
{
    if (!askSaveSide(side))
        return;
    const QString chosen = askBankFile(tr(kFilter), util::FileKind::Usd, m_dialogFileName, this);
    if (!chosen.isEmpty())
        openSideFile(side, chosen);
}

bool DrumKitWindow::openSideFile(int side, const QString &chosen)
{
    ui::BusyPointer busy;
    if (!sideOf(side).load(chosen, &OpenUSDFile, this))
        return false;
    refreshKitList(listOf(side), side);
    (side == 1 ? m_leftPathLabel : m_rightPathLabel)->setText(bankLabel(chosen));
    updateSaveButtons();
    sideOpened(side, chosen);
    return true;
}

void DrumKitWindow::copyKit(int from, int to)
{
    const int source = selectedRow(listOf(from));
    const int target = selectedRow(listOf(to));
    if (source < 0 || target < 0)
        return;
    // A selected row implies a loaded document with that many kits.
    const std::optional<UsdFile> before = sideOf(to).document;
    const UsdFile &sourceKit = *sideOf(from).document;
    UsdFile &targetKit = *sideOf(to).document;
    targetKit.Entries[target] = sourceKit.Entries[source];
    refreshKitList(listOf(to), to);
    undoStack()->push(new ui::SnapshotCommand<std::optional<UsdFile>>(
        tr("Copy Kit"), before, sideOf(to).document, [this, to](const std::optional<UsdFile> &kit) {
            sideOf(to).document = kit;
            refreshKitList(listOf(to), to);
        }));
}

void DrumKitWindow::saveKit(int side) { saveSide(side); }

bool DrumKitWindow::saveSide(int side)
{
    if (!sideOf(side).save(&SaveUSDFile, &OpenUSDFile, this))
        return false;
    refreshKitList(listOf(side), side);
    sideSaved(sideOf(side).path);
    return true;
}

void DrumKitWindow::refreshKitList(QListWidget *list, int side)
{
    const auto &doc = sideOf(side).document;
    fillList(list, doc ? doc->names() : QList<QByteArray>());
}

void DrumKitWindow::updateSaveButtons()
{
    m_saveLeftButton->setEnabled(m_leftKit.document.has_value());
    m_saveRightButton->setEnabled(m_rightKit.document.has_value());
}

} // namespace tamo::usd
