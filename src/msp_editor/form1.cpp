#include "msp_editor/form1.h"

#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "msp_editor/parametereditor.h"
#include "msp_editor/shared.h"
#include "msp_editor/wavpanel.h"
#include "ui/fonts.h"
#include "ui/platform.h"
#include "ui/twips.h"
#include "util/paths.h"
#include "util/shortname.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <functional>
#include <iterator>

namespace tamo::msp_editor {

using msp::GlobalField;
using msp::SampleField;

namespace {

const QColor kLightBlue(192, 192, 255);
const QColor kNavy(0, 0, 128);

constexpr int kFirstField = 15;
constexpr int kLastField = 37;
constexpr int kFieldWidth = 1455;
constexpr int kFieldHeight = 375;
constexpr int kCaptionHeight = 270;
constexpr int kCaptionAbove = 240;
constexpr int kLeftColumn = 2040;
constexpr int kRightColumn = 3600;

// Every parameter field: its number, the caption above it, its place in twips.
struct FieldPlace {
    int number;
    const char16_t *caption;
    int left;
    int top;
};

constexpr FieldPlace kFieldPlaces[] = {
    {22, u"LEVEL", kLeftColumn, 2160},      {21, u"REVERB", kRightColumn, 2160},
    {23, u"OCTAVE", kLeftColumn, 2760},     {37, u"FINE TUNE", kRightColumn, 2760},
    {25, u"OVERDRIVE", kLeftColumn, 4320},  {26, u"DELAY", kRightColumn, 4320},
    {27, u"CHORUS", kLeftColumn, 4920},     {24, u"ROTOR", kRightColumn, 4920},
    {15, u"START", kLeftColumn, 6120},      {18, u"PITCH", kRightColumn, 6120},
    {16, u"END", kLeftColumn, 6720},        {19, u"KEY", kRightColumn, 6720},
    {17, u"VOLUME", kLeftColumn, 7320},     {20, u"FINE", kRightColumn, 7320},
    {28, u"ATTACK", kLeftColumn, 7920},     {32, u"CUT OFF", kRightColumn, 7920},
    {29, u"DECAY", kLeftColumn, 8520},      {33, u"DCA OFFS", kRightColumn, 8520},
    {30, u"SUSTAIN", kLeftColumn, 9120},    {34, u"DCA SLOP", kRightColumn, 9120},
    {31, u"RELEASE", kLeftColumn, 9720},    {36, u"DCF OFFS", kRightColumn, 9720},
    {35, u"DCF SLOP", kRightColumn, 10320},
};
static_assert(std::size(kFieldPlaces) == kLastField - kFirstField + 1);

// The effect amount fields Text25..Text27 have the named captions Label30..Label32.
constexpr int kFirstAmountField = 25;
constexpr int kFirstAmountLabel = 30;

QFont tahoma(double points, bool underline = false)
{
    return ui::designFont(QStringLiteral("Tahoma"), points, true, underline);
}

// Sample names are bytes of the Windows code page.
QString nameText(const QByteArray &bytes)
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray nameBytes(const QString &text)
{
    QStringEncoder encoder("windows-1252");
    QByteArray bytes;
    for (const QChar c : text) {
        char byte = '_'; // for what the code page cannot hold
        if (!encoder.isValid()) {
            if (c.unicode() < 256)
                byte = char(c.unicode());
        } else {
            encoder.resetState();
            const QByteArray one = encoder.encode(QString(c));
            if (!encoder.hasError() && one.size() == 1)
                byte = one.at(0);
        }
        bytes += byte;
    }
    return bytes;
}

// A list line without its end spaces (spaces only, as the names are padded with them).
QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// List1 reports a released mouse button after the list has handled it, so the
// selection made by the press is already in place.
class SampleList final : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> onMouseUp;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QListWidget::mouseReleaseEvent(event);
        if (onMouseUp)
            onMouseUp();
    }
};

ui::FileDialogRequest mspDialog(ui::FileDialogRequest::Mode mode)
{
    ui::FileDialogRequest request;
    request.mode = mode;
    request.initialFolder = ui::programFolder();
    request.title = mode == ui::FileDialogRequest::Mode::Open ? QStringLiteral("Open")
                                                              : QStringLiteral("Save As");
    request.filter = QStringLiteral("Ketron MultiSamPle Files (*.MSP)|*.MSP");
    request.maxLength = 32000;
    return request;
}

} // namespace

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("   MSP Editor for KETRON SD1"));
    buildMenus();

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setFixedSize(ui::twips(15240), ui::twips(10830));
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, kLightBlue);
    m_client->setPalette(palette);
    m_client->setAutoFillBackground(true);
    m_client->setFont(ui::designFont(QStringLiteral("MS Sans Serif"), 8.25));
    setCentralWidget(m_client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Made first so that it lies under the editor's own controls wherever they meet.
    m_wavPanel = new WavPanel(m_client, &CurrentWavPath);
    buildControls();

    // Window load: a new, untitled document. No prompt: nothing can be lost yet.
    m_record = msp::MspRecord::newDocument();
    RefreshMspView();
    MspModified = false;

    m_parameterEditor = std::make_unique<ParameterEditor>(*this);
}

Form1::~Form1()
{
    // The editor refers to the fields, which go with the window.
    m_parameterEditor.reset();
}

void Form1::buildMenus()
{
    const auto addMenu = [this](const QString &name, const QString &caption) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    const auto addItem = [this](QMenu *menu, const QString &name, const QString &caption,
                                void (Form1::*command)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, command);
    };
    QMenu *file = addMenu(QStringLiteral("MnuFichier"), QStringLiteral("&File"));
    addItem(file, QStringLiteral("MnuNew"), QStringLiteral("&New"), &Form1::MnuNew_Click);
    addItem(file, QStringLiteral("MnuOuvrir"), QStringLiteral("&Open"), &Form1::MnuOuvrir_Click);
    addItem(file, QStringLiteral("MnuSave"), QStringLiteral("&Save"), &Form1::MnuSave_Click);
    addItem(file, QStringLiteral("MnuSaveAs"), QStringLiteral("Save &As..."), &Form1::MnuSaveAs_Click);
    addItem(file, QStringLiteral("MnuEnd"), QStringLiteral("&Quit"), &Form1::MnuEnd_Click);
    QMenu *help = addMenu(QStringLiteral("MnuHelp"), QStringLiteral("&?"));
    addItem(help, QStringLiteral("MnuAbout"), QStringLiteral("A&bout"), &Form1::MnuAbout_Click);
}

void Form1::buildControls()
{
    const auto label = [this](const QString &name, const QString &caption) {
        auto *l = new QLabel(caption, m_client);
        l->setObjectName(name);
        return l;
    };

    m_label25 = label(QStringLiteral("Label25"), QStringLiteral("0 SAMPLES"));
    ui::place(m_label25, 120, 0, 1575, 270);

    auto *list = new SampleList(m_client);
    list->setObjectName(QStringLiteral("List1"));
    list->setAccessibleName(QStringLiteral("Samples"));
    list->setFont(ui::designFont(QStringLiteral("Verdana"), 8.25));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->onMouseUp = [this] { List1_MouseUp(); };
    ui::place(list, 120, 240, 1575, 10590);
    connect(list, &QListWidget::itemSelectionChanged, this, &Form1::showSelectedSample);
    m_list1 = list;

    m_command9 = new QPushButton(QStringLiteral("Add Wav Sample"), m_client);
    m_command9->setObjectName(QStringLiteral("Command9"));
    ui::place(m_command9, 1920, 240, 2055, 375);
    connect(m_command9, &QPushButton::clicked, this, &Form1::Command9_Click);

    m_command10 = new QPushButton(QStringLiteral("Remove Selected Sample"), m_client);
    m_command10->setObjectName(QStringLiteral("Command10"));
    ui::place(m_command10, 1920, 720, 2055, 375);
    connect(m_command10, &QPushButton::clicked, this, &Form1::Command10_Click);

    m_check1 = new QCheckBox(QStringLiteral("Auto Play"), m_client);
    m_check1->setObjectName(QStringLiteral("Check1"));
    // Light blue like the window; buttons fill with their own role by default.
    m_check1->setBackgroundRole(QPalette::Window);
    m_check1->setAutoFillBackground(true);
    ui::place(m_check1, 1920, 1200, 1695, 255);

    QLabel *heading = label(QStringLiteral("Label46"), QStringLiteral("Global MSP settings"));
    heading->setFont(tahoma(12, true));
    heading->setStyleSheet(QStringLiteral("color: %1").arg(kNavy.name()));
    ui::place(heading, 1920, 1560, 3135, 285);
    heading = label(QStringLiteral("Label45"), QStringLiteral("Sample settings"));
    heading->setFont(tahoma(12, true));
    heading->setStyleSheet(QStringLiteral("color: %1").arg(kNavy.name()));
    ui::place(heading, 1920, 5520, 3135, 285);

    for (const FieldPlace &place : kFieldPlaces) {
        const QString caption = QString::fromUtf16(place.caption);
        const bool amount = place.number >= kFirstAmountField && place.number < kFirstAmountField + 3;
        const QString labelName =
            amount ? QStringLiteral("Label%1").arg(place.number - kFirstAmountField + kFirstAmountLabel)
                   : QStringLiteral("CaptionText%1").arg(place.number);
        QLabel *captionLabel = label(labelName, caption);
        ui::place(captionLabel, place.left, place.top - kCaptionAbove, kFieldWidth, kCaptionHeight);
        if (amount)
            m_amountLabels[std::size_t(place.number - kFirstAmountField)] = captionLabel;

        auto *edit = new QLineEdit(m_client);
        edit->setObjectName(QStringLiteral("Text%1").arg(place.number));
        edit->setAccessibleName(caption);
        edit->setReadOnly(true);
        edit->setFont(tahoma(12));
        ui::place(edit, place.left, place.top, kFieldWidth, kFieldHeight);
        m_fields[std::size_t(place.number - kFirstField)] = edit;
    }

    QLabel *effects = label(QStringLiteral("CaptionLabel33"), QStringLiteral("EFFECTS"));
    ui::place(effects, 1920, 3240, 1455, kCaptionHeight);
    m_label33 = label(QStringLiteral("Label33"), QString());
    m_label33->setAccessibleName(QStringLiteral("EFFECTS"));
    m_label33->setFont(tahoma(11.25));
    m_label33->setAlignment(Qt::AlignCenter);
    m_label33->setFrameStyle(QFrame::Box | QFrame::Plain);
    ui::place(m_label33, 2040, 3600, 3015, 375);
}

QLineEdit *Form1::field(int number) const { return m_fields.at(std::size_t(number - kFirstField)); }

void Form1::RefreshMspView()
{
    m_list1->clear();
    for (QLineEdit *edit : m_fields)
        edit->clear();
    m_label25->setText(QStringLiteral("0 SAMPLES"));

    if (!m_record.isValid()) {
        // Nothing of a foreign record is shown, the effect name included.
        m_label33->clear();
        for (std::size_t i = 0; i < m_amountLabels.size(); ++i) {
            field(kFirstAmountField + int(i))->hide();
            m_amountLabels[i]->hide();
        }
        ui::message(QStringLiteral("This is not a valid Ketron MSP file !"), ui::Buttons::Ok,
                    ui::Icon::Exclamation, ui::kProgramTitle, this);
        return;
    }

    m_label25->setText(QStringLiteral("%1 SAMPLES").arg(m_record.sampleCount()));

    const auto number = [](int value) { return QString::number(value); };
    field(21)->setText(number(msp::HalfValue(m_record.global(GlobalField::Reverb))));
    field(22)->setText(number(msp::HalfValue(m_record.global(GlobalField::Level))));
    field(23)->setText(msp::OctaveText(m_record.global(GlobalField::Octave)));
    field(24)->setText(msp::RotorText(m_record.global(GlobalField::Effect)));
    field(25)->setText(number(msp::HalfValue(m_record.global(GlobalField::Overdrive))));
    field(26)->setText(number(msp::HalfValue(m_record.global(GlobalField::Delay))));
    field(27)->setText(number(msp::HalfValue(m_record.global(GlobalField::Chorus))));

    const msp::EffectView effect = msp::EffectName(m_record.global(GlobalField::Effect));
    m_label33->setText(effect.name);
    for (std::size_t i = 0; i < effect.amount.size(); ++i) {
        QLineEdit *amountField = field(kFirstAmountField + int(i));
        QLabel *amountLabel = m_amountLabels[i];
        const msp::EffectView::Amount &amount = effect.amount[i];
        if (amount.shown) {
            amountLabel->setText(amount.caption);
            amountField->setAccessibleName(amount.caption);
        }
        amountField->setVisible(amount.shown);
        amountLabel->setVisible(amount.shown);
    }
    field(37)->setText(number(msp::SignedOffset64(m_record.global(GlobalField::FineTune))));

    // A foreign file may count more samples than there are slots: list the slots.
    for (int slot = 1; slot <= m_record.usedSlotCount(); ++slot)
        m_list1->addItem(nameText(m_record.sampleName(slot)));
}

void Form1::showSelectedSample()
{
    const int k = selectedSlot();
    if (k == 0)
        return;
    const auto value = [this, k](SampleField f) { return m_record.sample(f, k); };
    const auto number = [](int v) { return QString::number(v); };
    field(15)->setText(msp::StartNoteName(value(SampleField::StartKey)));
    field(16)->setText(msp::NoteName(value(SampleField::EndKey)));
    field(17)->setText(number(msp::PlainValue(value(SampleField::Volume))));
    field(18)->setText(msp::PitchModeText(value(SampleField::PitchMode)));
    field(19)->setText(msp::NoteName(value(SampleField::Key)));
    field(20)->setText(number(msp::FineValue(value(SampleField::Fine))));
    field(28)->setText(number(msp::Reverse127(value(SampleField::Attack))));
    field(29)->setText(number(msp::Reverse99(value(SampleField::Decay))));
    field(30)->setText(number(msp::PlainValue(value(SampleField::Sustain))));
    field(31)->setText(number(msp::Reverse96(value(SampleField::Release))));
    field(32)->setText(number(msp::PlainValue(value(SampleField::CutOff))));
    field(33)->setText(number(msp::HighNibble(value(SampleField::Dca))));
    field(34)->setText(number(msp::LowNibble(value(SampleField::Dca))));
    field(35)->setText(number(msp::LowNibble(value(SampleField::Dcf))));
    field(36)->setText(number(msp::HighNibble(value(SampleField::Dcf))));

    const QString wav = wavFileFor(m_list1->item(k - 1)->text());
    if (!wav.isEmpty())
        CurrentWavPath = wav;
}

int Form1::selectedSlot() const
{
    const QList<QListWidgetItem *> selected = m_list1->selectedItems();
    return selected.isEmpty() ? 0 : m_list1->row(selected.first()) + 1;
}

void Form1::selectSlot(int slot)
{
    {
        const QSignalBlocker blocker(m_list1);
        if (slot >= 1 && slot <= m_list1->count()) {
            m_list1->setCurrentRow(slot - 1, QItemSelectionModel::ClearAndSelect);
        } else {
            m_list1->clearSelection();
            m_list1->setCurrentRow(-1);
        }
    }
    showSelectedSample();
}

QString Form1::wavFileFor(const QString &line) const
{
    const QString base = trimSpaces(line);
    // A name that cannot be a plain file name beside the MSP file finds nothing:
    // no folder change through a foreign file's name, no cut at a NUL.
    if (base.isEmpty() || base.contains(QChar(u'\0')) || base.contains(u'/')
        || base.contains(u'\\') || base == u".." || base == u".")
        return {};
    const QString name = base + QStringLiteral(".wav");
    const QString folderPart = util::pathNameExtract(CurrentMspPath);
    const QString folder = folderPart.isEmpty() ? QDir::currentPath() : folderPart;

    QString found = util::findFileCaseInsensitive(folder, name);
    if (found.isEmpty())
        found = util::longNameForShort(folder, name);
    if (found.isEmpty() || !QFileInfo(QDir(folder).filePath(found)).isFile())
        return {};
    // With no folder the name stays relative to the current folder.
    return folderPart + found;
}

void Form1::List1_MouseUp()
{
    if (selectedSlot() == 0)
        return;
    const QString wav = wavFileFor(m_list1->item(selectedSlot() - 1)->text());
    if (wav.isEmpty())
        return;
    CurrentWavPath = wav;
    m_wavPanel->ShowWavInfo();
    m_wavPanel->DrawWaveform();
    Q_EMIT wavOpened(wav);
    if (m_check1->isChecked()) {
        m_wavPanel->Play();
        Q_EMIT wavPlayed(wav);
    }
}

void Form1::MnuNew_Click()
{
    AskSaveModified();
    m_record = msp::MspRecord::newDocument();
    // A new document is untitled, so that Save cannot overwrite the file last opened.
    CurrentMspPath.clear();
    RefreshMspView();
    MspModified = false;
}

void Form1::MnuOuvrir_Click()
{
    AskSaveModified();
    const ui::FileDialogResult answer = ui::fileDialog(mspDialog(ui::FileDialogRequest::Mode::Open), this);
    if (answer.cancelled || answer.fileName.isEmpty())
        return;
    openMspFile(answer.fileName);
}

bool Form1::openMspFile(const QString &path)
{
    msp::MspRecord loaded;
    {
        const ui::BusyPointer busy;
        // An unreadable file leaves the document and its path as they were, so a
        // later Save cannot write the old document over the file chosen here.
        if (!msp::LoadMspFile(path, loaded, nullptr))
            return false;
    }
    m_record = loaded;
    CurrentMspPath = path;
    RefreshMspView();
    MspModified = false;
    return true;
}

bool Form1::saveTo(const QString &path)
{
    SaveResult result;
    {
        const ui::BusyPointer busy;
        result = msp::SaveMspFile(path, m_record);
    }
    if (!result.ok) {
        ui::message(QStringLiteral("The file %1 could not be saved:\r\n%2").arg(path, result.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, this);
        return false;
    }
    RefreshMspView();
    MspModified = false;
    return true;
}

void Form1::MnuSave_Click()
{
    if (CurrentMspPath.isEmpty()) {
        MnuSaveAs_Click();
        return;
    }
    saveTo(CurrentMspPath);
}

void Form1::MnuSaveAs_Click()
{
    const ui::FileDialogResult answer = ui::fileDialog(mspDialog(ui::FileDialogRequest::Mode::Save), this);
    if (answer.cancelled || answer.fileName.isEmpty())
        return;
    // The document takes the new name only once it is really there.
    if (saveTo(answer.fileName))
        CurrentMspPath = answer.fileName;
}

void Form1::MnuEnd_Click() { ui::quitProgram(); }

void Form1::MnuAbout_Click()
{
    ui::message(QStringLiteral("MultiSamPles (MSP) Files Editor for Ketron SD1\r\n\r\n"
                               "V1.04    Uncompleted Version !!!"),
                ui::Buttons::Ok, ui::Icon::None, QStringLiteral("TAMO"), this);
}

void Form1::AskSaveModified()
{
    if (!MspModified)
        return;
    const ui::Answer answer =
        ui::message(QStringLiteral("The file was modified.\r\n\r\nDo you want to save the modifications ?"),
                    ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("MSP Editor"), this);
    if (answer == ui::Answer::Yes)
        MnuSave_Click();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The window closes whatever the answer, also when a Save As was cancelled.
    AskSaveModified();
    event->accept();
}

void Form1::Command9_Click()
{
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogRequest::Mode::Open;
    request.initialFolder = ui::programFolder();
    request.title = QStringLiteral("Selectionner un ou plusieurs fichier(s) WAV");
    request.multiSelect = true;
    request.filter = QStringLiteral("Wav Files (*.WAV)|*.WAV");
    request.maxLength = 32000;
    const ui::FileDialogResult answer = ui::fileDialog(request, this);
    if (answer.cancelled)
        return;
    {
        const ui::BusyPointer busy;
        if (!answer.fileName.isEmpty())
            AddWavFile(answer.fileName);
    }
    MspModified = true;
}

void Form1::AddWavFile(const QString &Fichiers)
{
    QStringList longPaths;
    const qsizetype firstNul = Fichiers.indexOf(QChar(u'\0'));
    if (firstNul < 0) {
        longPaths << Fichiers;
    } else {
        QString folder = Fichiers.left(firstNul);
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        const QStringList names = Fichiers.mid(firstNul + 1).split(QChar(u'\0'));
        for (const QString &name : names) {
            if (!name.isEmpty())
                longPaths << folder + name;
        }
    }

    for (const QString &longPath : longPaths) {
        if (m_record.sampleCount() >= msp::kMaxSamples) {
            ui::message(QStringLiteral("You can use only 64 Wav files in a Msp!"), ui::Buttons::Ok,
                        ui::Icon::Exclamation, ui::kProgramTitle, this);
            break;
        }
        // The name is the short file name up to its first ".": taken from the file
        // part, so that a dot in a folder name plays no part. A file with no short
        // name (it does not exist) or no "." is skipped and takes no slot.
        const QString fileName = util::fileNameExtract(util::ShortFileName(longPath));
        const qsizetype dot = fileName.indexOf(u'.');
        if (dot <= 0)
            continue;
        const int k = m_record.sampleCount() + 1;
        m_record.setGlobal(GlobalField::SampleCount, quint8(k));
        m_record.ResetSampleSlot(k);
        m_record.setSampleName(k, nameBytes(fileName.left(std::min<qsizetype>(dot, 8))));
    }
    RefreshMspView();
}

void Form1::Command10_Click()
{
    const int k = selectedSlot();
    if (m_list1->count() > 0 && k > 0) {
        for (int j = k; j < msp::kMaxSamples; ++j)
            m_record.copySlot(j + 1, j);
        m_record.ResetSampleSlot(msp::kMaxSamples);
        m_record.setGlobal(GlobalField::SampleCount, quint8(m_record.sampleCount() - 1));
        RefreshMspView();
    }
    MspModified = true;
}

} // namespace tamo::msp_editor
