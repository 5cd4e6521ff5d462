#include "usv/uservoicewindow.h"

#include "ui/platform.h"
#include "ui/textfit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tamo::usv {

using bank::addArrowButton;
using bank::addButton;
using bank::addLabel;
using bank::addList;
using bank::ArrowDirection;
using bank::selectedRow;

namespace {

const QString kFilter = QStringLiteral("Ketron USerVoice Files (*.USV)|*.USV");

// The small arrows of the tagged entries.
constexpr int kSmallArrow = 24;

} // namespace

UserVoiceWindow::UserVoiceWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormUSV"));
    setWindowTitle(QStringLiteral("   USV Editor for KETRON SD1"));
    setFont(bank::bankWindowFont());
    ui::keepTextsFitted(this);
    // The controls sit at fixed twip positions, so the window keeps its design size.
    setFixedSize(ui::twips(6510), ui::twips(9960));

    m_leftPathLabel = addLabel(this, QStringLiteral("Label2"), 240, 240, 1935, 255);
    m_rightPathLabel = addLabel(this, QStringLiteral("Label3"), 4320, 240, 1935, 255);
    m_openLeftButton = addButton(this, QStringLiteral("Command2"), QStringLiteral("Open USV 1"), 240, 600,
                         1935, 615);
    m_openRightButton = addButton(this, QStringLiteral("Command5"), QStringLiteral("Open USV 2"), 4320,
                         600, 1935, 615);
    m_leftVoices = addList(this, QStringLiteral("List1"), 240, 1320, 1935, 5550);
    m_rightVoices = addList(this, QStringLiteral("List2"), 4320, 1320, 1935, 5550);
    m_copyVoiceToLeftButton = addArrowButton(this, QStringLiteral("Command3"), ArrowDirection::Left, 32, 2640,
                              2880, 1215, 1215);
    m_copyVoiceToRightButton = addArrowButton(this, QStringLiteral("Command4"), ArrowDirection::Right, 32, 2640,
                              4440, 1215, 1215);
    m_leftTagged = addList(this, QStringLiteral("List3"), 240, 6840, 1935, 2190);
    m_rightTagged = addList(this, QStringLiteral("List4"), 4320, 6840, 1935, 2190);
    m_copyTaggedToLeftButton = addArrowButton(this, QStringLiteral("Command7"), ArrowDirection::Left, kSmallArrow,
                              2880, 7080, 735, 735);
    m_copyTaggedToRightButton = addArrowButton(this, QStringLiteral("Command8"), ArrowDirection::Right, kSmallArrow,
                              2880, 8040, 735, 735);
    m_saveLeftButton = addButton(this, QStringLiteral("Command1"), QStringLiteral("Save This File"), 240,
                         9120, 1935, 615);
    m_saveRightButton = addButton(this, QStringLiteral("Command6"), QStringLiteral("Save This File"), 4320,
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
}

void UserVoiceWindow::openUsv(int side)
{
    const QString chosen = bank::askBankFile(kFilter, m_dialogFileName, this);
    if (chosen.isEmpty())
        return;
    ui::BusyPointer busy;
    if (!sideOf(side).load(chosen, &OpenUSVFile, this))
        return;
    refreshSide(side);
    (side == 1 ? m_leftPathLabel : m_rightPathLabel)->setText(bank::bankLabel(chosen));
    updateSaveButtons();
}

void UserVoiceWindow::copyVoice(int from, int to)
{
    const int source = selectedRow(voiceList(from));
    const int target = selectedRow(voiceList(to));
    if (source < 0 || target < 0)
        return;
    // A selected row implies a loaded document with that many voices.
    sideOf(to).document->Voices[target] = sideOf(from).document->Voices[source];
    refreshSide(to);
}

void UserVoiceWindow::copyTaggedEntry(int from, int to)
{
    const int source = selectedRow(taggedList(from));
    const int target = selectedRow(taggedList(to));
    if (source < 0 || target < 0)
        return;
    sideOf(to).document->TaggedEntries[target] = sideOf(from).document->TaggedEntries[source];
    refreshSide(to);
}

void UserVoiceWindow::saveUsv(int side)
{
    if (sideOf(side).save(&SaveUSVFile, &OpenUSVFile, this))
        refreshSide(side);
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
