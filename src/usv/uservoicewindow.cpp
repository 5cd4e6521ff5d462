// SPDX-License-Identifier: GPL-3.0-or-later
#include "usv/uservoicewindow.h"

#include "ui/platform.h"
#include "ui/snapshotcommand.h"
#include "ui/textfit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUndoStack>

namespace tamo::usv {

using bank::addArrowButton;
using bank::addButton;
using bank::addLabel;
using bank::addList;
using bank::ArrowDirection;
using bank::selectedRow;

namespace {

const char *const kFilter = QT_TRANSLATE_NOOP("tamo::usv::UserVoiceWindow", "Ketron USerVoice Files (*.USV)|*.USV");

// The small arrows of the tagged entries.
constexpr int kSmallArrow = 24;

} // namespace

UserVoiceWindow::UserVoiceWindow(QWidget *parent)
    : TransferWindow({tr("USV Editor for KETRON SD1"), tr("USV Editor"), QStringLiteral("USV"),
                      util::FileKind::Usv, {tr("Recent in USV &1"), tr("Recent in USV &2")}},
                     parent)
{
    setObjectName(QStringLiteral("FormUSV"));
    setFont(bank::bankWindowFont());
    ui::keepTextsFitted(this);
    // The controls sit at fixed twip positions, so the window keeps its design size.
    QWidget *client = clientArea();
    client->setFixedSize(ui::twips(6510), ui::twips(9960));

    m_leftPathLabel = addLabel(client, QStringLiteral("Label2"), 240, 240, 1935, 255);
    m_rightPathLabel = addLabel(client, QStringLiteral("Label3"), 4320, 240, 1935, 255);
    m_openLeftButton = addButton(client, QStringLiteral("Command2"), tr("Open USV 1"), 240, 600,
                         1935, 615);
    m_openRightButton = addButton(client, QStringLiteral("Command5"), tr("Open USV 2"), 4320,
                         600, 1935, 615);
    m_leftVoices = addList(client, QStringLiteral("List1"), 240, 1320, 1935, 5550);
    m_rightVoices = addList(client, QStringLiteral("List2"), 4320, 1320, 1935, 5550);
    m_copyVoiceToLeftButton = addArrowButton(client, QStringLiteral("Command3"), ArrowDirection::Left, 32, 2640,
                              2880, 1215, 1215);
    m_copyVoiceToRightButton = addArrowButton(client, QStringLiteral("Command4"), ArrowDirection::Right, 32, 2640,
                              4440, 1215, 1215);
    m_leftTagged = addList(client, QStringLiteral("List3"), 240, 6840, 1935, 2190);
    m_rightTagged = addList(client, QStringLiteral("List4"), 4320, 6840, 1935, 2190);
    m_copyTaggedToLeftButton = addArrowButton(client, QStringLiteral("Command7"), ArrowDirection::Left, kSmallArrow,
                              2880, 7080, 735, 735);
    m_copyTaggedToRightButton = addArrowButton(client, QStringLiteral("Command8"), ArrowDirection::Right, kSmallArrow,
                              2880, 8040, 735, 735);
    m_saveLeftButton = addButton(client, QStringLiteral("Command1"), tr("Save This File"), 240,
                         9120, 1935, 615);
    m_saveRightButton = addButton(client, QStringLiteral("Command6"), tr("Save This File"), 4320,
                         9120, 1935, 615);

    connect(m_openLeftButton, &QPushButton::clicked, this, [this] { openUsv(1); });
    connect(m_openRightButton, &QPushButton::clicked, this, [this] { openUsv(2); });
    connect(m_copyVoiceToLeftButton, &QPushButton::clicked, this, [this] { copyVoice(2, 1); });
    connect(m_copyVoiceToRightButton, &QPushButton::clicked, this, [this] { copyVoice(1, 2); });
    connect(m_copyTaggedToLeftButton, &QPushButton::clicked, this, [this] { copyTaggedEntry(2, 1); });
    connect(m_copyTaggedToRightButton, &QPushButton::clicked, this, [this] { copyTaggedEntry(1, 2); });
    connect(m_saveLeftButton, &QPushButton::clicked, this, [this] { saveUsv(1); });
    connect(m_saveRightButton, &QPushButton::clicked, this, [this] { saveUsv(2); });
    updateSaveButtons();
    updateTitle();
}

void UserVoiceWindow::openUsv(int side)
{
    if (!askSaveSide(side))
        return;
    const QString chosen = bank::askBankFile(tr(kFilter), util::FileKind::Usv, m_dialogFileName, this);
    if (!chosen.isEmpty())
        openSideFile(side, chosen);
}

bool UserVoiceWindow::openSideFile(int side, const QString &chosen)
{
    ui::BusyPointer busy;
    if (!sideOf(side).load(chosen, &OpenUSVFile, this))
        return false;
    refreshSide(side);
    (side == 1 ? m_leftPathLabel : m_rightPathLabel)->setText(bank::bankLabel(chosen));
    updateSaveButtons();
    sideOpened(side, chosen);
    return true;
}

void UserVoiceWindow::copyVoice(int from, int to)
{
    const int source = selectedRow(voiceList(from));
    const int target = selectedRow(voiceList(to));
    if (source < 0 || target < 0)
        return;
    // A selected row implies a loaded document with that many voices.
    const std::optional<UsvFile> before = sideOf(to).document;
    sideOf(to).document->Voices[target] = sideOf(from).document->Voices[source];
    refreshSide(to);
    pushCopy(tr("Copy Voice"), to, before);
}

void UserVoiceWindow::copyTaggedEntry(int from, int to)
{
    const int source = selectedRow(taggedList(from));
    const int target = selectedRow(taggedList(to));
    if (source < 0 || target < 0)
        return;
    const std::optional<UsvFile> before = sideOf(to).document;
    sideOf(to).document->TaggedEntries[target] = sideOf(from).document->TaggedEntries[source];
    refreshSide(to);
    pushCopy(tr("Copy Entry"), to, before);
}

void UserVoiceWindow::pushCopy(const QString &text, int to, const std::optional<UsvFile> &before)
{
    undoStack()->push(new ui::SnapshotCommand<std::optional<UsvFile>>(
        text, before, sideOf(to).document, [this, to](const std::optional<UsvFile> &bank) {
            sideOf(to).document = bank;
            refreshSide(to);
        }));
}

void UserVoiceWindow::saveUsv(int side) { saveSide(side); }

bool UserVoiceWindow::saveSide(int side)
{
    if (!sideOf(side).save(&SaveUSVFile, &OpenUSVFile, this))
        return false;
    refreshSide(side);
    sideSaved(sideOf(side).path);
    return true;
}

void UserVoiceWindow::refreshVoiceLists(QListWidget *voices, QListWidget *tagged, int side)
{
    const auto &doc = sideOf(side).document;
    bank::fillList(voices, doc ? doc->voiceNames() : QList<QByteArray>());
    bank::fillList(tagged, doc ? doc->taggedNames() : QList<QByteArray>());
}

void UserVoiceWindow::updateSaveButtons()
{
    m_saveLeftButton->setEnabled(m_leftBank.document.has_value());
    m_saveRightButton->setEnabled(m_rightBank.document.has_value());
}

} // namespace tamo::usv
