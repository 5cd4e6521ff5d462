#include "usv/formusv.h"

#include "ui/platform.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace tamo::usv {

using usd::addArrowButton;
using usd::addButton;
using usd::addLabel;
using usd::addList;
using usd::ArrowDirection;
using usd::selectedRow;

namespace {

const QString kFilter = QStringLiteral("Ketron USerVoice Files (*.USV)|*.USV");

// The small arrows of the tagged entries.
constexpr int kSmallArrow = 24;

} // namespace

FormUSV::FormUSV(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormUSV"));
    setWindowTitle(QStringLiteral("   USV Editor for KETRON SD1"));
    setFont(usd::bankWindowFont());
    // The controls sit at fixed twip positions, so the window keeps its design size.
    setFixedSize(ui::twips(6510), ui::twips(9960));

    Label2 = addLabel(this, QStringLiteral("Label2"), 240, 240, 1935, 255);
    Label3 = addLabel(this, QStringLiteral("Label3"), 4320, 240, 1935, 255);
    Command2 = addButton(this, QStringLiteral("Command2"), QStringLiteral("Open USV 1"), 240, 600,
                         1935, 615);
    Command5 = addButton(this, QStringLiteral("Command5"), QStringLiteral("Open USV 2"), 4320,
                         600, 1935, 615);
    List1 = addList(this, QStringLiteral("List1"), 240, 1320, 1935, 5550);
    List2 = addList(this, QStringLiteral("List2"), 4320, 1320, 1935, 5550);
    Command3 = addArrowButton(this, QStringLiteral("Command3"), ArrowDirection::Left, 32, 2640,
                              2880, 1215, 1215);
    Command4 = addArrowButton(this, QStringLiteral("Command4"), ArrowDirection::Right, 32, 2640,
                              4440, 1215, 1215);
    List3 = addList(this, QStringLiteral("List3"), 240, 6840, 1935, 2190);
    List4 = addList(this, QStringLiteral("List4"), 4320, 6840, 1935, 2190);
    Command7 = addArrowButton(this, QStringLiteral("Command7"), ArrowDirection::Left, kSmallArrow,
                              2880, 7080, 735, 735);
    Command8 = addArrowButton(this, QStringLiteral("Command8"), ArrowDirection::Right, kSmallArrow,
                              2880, 8040, 735, 735);
    Command1 = addButton(this, QStringLiteral("Command1"), QStringLiteral("Save This File"), 240,
                         9120, 1935, 615);
    Command6 = addButton(this, QStringLiteral("Command6"), QStringLiteral("Save This File"), 4320,
                         9120, 1935, 615);

    connect(Command2, &QPushButton::clicked, this, [this] { openUsv(1); });
    connect(Command5, &QPushButton::clicked, this, [this] { openUsv(2); });
    connect(Command3, &QPushButton::clicked, this, [this] { copyVoice(2, 1); });
    connect(Command4, &QPushButton::clicked, this, [this] { copyVoice(1, 2); });
    connect(Command7, &QPushButton::clicked, this, [this] { copyTaggedEntry(2, 1); });
    connect(Command8, &QPushButton::clicked, this, [this] { copyTaggedEntry(1, 2); });
    connect(Command1, &QPushButton::clicked, this, [this] { saveUsv(1); });
    connect(Command6, &QPushButton::clicked, this, [this] { saveUsv(2); });
    updateSaveButtons();
}

void FormUSV::openUsv(int side)
{
    const QString chosen = usd::askBankFile(kFilter, m_dialogFileName, this);
    if (!chosen.isEmpty())
        openFile(side, chosen);
}

bool FormUSV::openFile(int side, const QString &path)
{
    ui::BusyPointer busy;
    if (!sideOf(side).load(path, &OpenUSVFile, this))
        return false;
    refreshSide(side);
    (side == 1 ? Label2 : Label3)->setText(usd::bankLabel(path));
    updateSaveButtons();
    return true;
}

void FormUSV::copyVoice(int from, int to)
{
    const int source = selectedRow(voiceList(from));
    const int target = selectedRow(voiceList(to));
    if (source < 0 || target < 0)
        return;
    // A selected row implies a loaded document with that many voices.
    sideOf(to).document->Voices[target] = sideOf(from).document->Voices[source];
    refreshSide(to);
}

void FormUSV::copyTaggedEntry(int from, int to)
{
    const int source = selectedRow(taggedList(from));
    const int target = selectedRow(taggedList(to));
    if (source < 0 || target < 0)
        return;
    sideOf(to).document->TaggedEntries[target] = sideOf(from).document->TaggedEntries[source];
    refreshSide(to);
}

void FormUSV::saveUsv(int side)
{
    if (sideOf(side).save(&SaveUSVFile, &OpenUSVFile, this))
        refreshSide(side);
}

void FormUSV::RefreshVoiceLists(QListWidget *voices, QListWidget *tagged, int side)
{
    const auto &doc = sideOf(side).document;
    usd::fillList(voices, doc ? doc->voiceNames() : QList<QByteArray>());
    usd::fillList(tagged, doc ? doc->taggedNames() : QList<QByteArray>());
}

void FormUSV::updateSaveButtons()
{
    Command1->setEnabled(Usv1.document.has_value());
    Command6->setEnabled(Usv2.document.has_value());
}

} // namespace tamo::usv
