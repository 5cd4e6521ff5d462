#include "msp_editor/wavpanel.h"

#include "msp/wavtext.h"
#include "msp/wavtools.h"
#include "msp_editor/wavcanvas.h"
#include "ui/fonts.h"
#include "ui/platform.h"
#include "ui/twips.h"
#include "util/playback/playit.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <cmath>

namespace tamo::msp_editor {

namespace {

using msp::WavField;

constexpr int kFrameLeft = 5520, kFrameTop = 960;
constexpr int kPicture1Left = 5640, kPicture1Top = 4800;
constexpr int kScrollMax = 100; // zoom and pan bars: 0..100

// Places w at its design rectangle, given in twips of the form's client area,
// inside a parent whose own top-left corner lies at (originLeft, originTop).
void placeAt(QWidget *w, int originLeft, int originTop, int left, int top, int width, int height)
{
    ui::place(w, left - originLeft, top - originTop, width, height);
}

// The raw byte boxes: a fixed-pitch font, so that one character is one byte wide.
QFont terminal()
{
    QFont f;
    f.setFamilies({QStringLiteral("Terminal"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(12);
    return f;
}

void setTextColor(QWidget *w, const QColor &c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, c);
    w->setPalette(pal);
}

struct FieldInfo {
    WavField field;
    int number; // TextN
    const char16_t *caption;
};

constexpr FieldInfo kFields[] = {
    {WavField::RiffSize, 2, u"Taille du fichier - 8"},
    {WavField::Wave, 3, u"WAVE"},
    {WavField::Fmt, 4, u"fmt "},
    {WavField::FmtSize, 5, u"Pcm=16"},
    {WavField::FormatTag, 6, u"1=non compressé"},
    {WavField::Channels, 7, u"1=mono/2=stéréo"},
    {WavField::SampleRate, 8, u"Freq."},
    {WavField::ByteRate, 9, u"Tx Transfert=F*NbrChan*Bit/8"},
    {WavField::BlockAlign, 10, u"Oct/sample=NbrChan*Bit/8"},
    {WavField::BitsPerSample, 11, u"Bits"},
    {WavField::DataTag, 12, u"data"},
    {WavField::DataSize, 13, u"Taille données"},
    {WavField::Trailer, 14, u"Données Après DATA"},
};

const FieldInfo &fieldInfo(WavField f)
{
    for (const FieldInfo &info : kFields)
        if (info.field == f)
            return info;
    return kFields[0];
}

} // namespace

WavPanel::WavPanel(QWidget *form, QString *currentWavPath)
    : QWidget(form), m_currentWavPath(currentWavPath)
{
    setObjectName(QStringLiteral("WavPanel"));
    ui::place(this, kLeft, kTop, kRight - kLeft, kBottom - kTop);
    setFont(ui::designFont(QStringLiteral("MS Sans Serif"), 8.25)); // the form's own
    // Under every control of the form: only the form's pop-up lists may overlap it.
    lower();

    auto label = [](QWidget *parent, int ox, int oy, const char *name, const QString &caption, int l,
                    int t, int w, int h) {
        auto *lab = new QLabel(caption, parent);
        lab->setObjectName(QLatin1String(name));
        placeAt(lab, ox, oy, l, t, w, h);
        return lab;
    };
    auto button = [this](const char *name, const QString &caption, int l, int t, int w, int h,
                         QWidget *parent = nullptr, int ox = kLeft, int oy = kTop) {
        auto *b = new QPushButton(caption, parent ? parent : this);
        b->setObjectName(QLatin1String(name));
        placeAt(b, ox, oy, l, t, w, h);
        return b;
    };

    // Title and remark above the frame.
    QLabel *title = label(this, kLeft, kTop, "Label47", QStringLiteral("Wavfile settings"), 5640, 600, 1965, 285);
    title->setFont(ui::designFont(QStringLiteral("Tahoma"), 12, true, true));
    setTextColor(title, QColor(0, 0, 128));
    QLabel *remark = label(this, kLeft, kTop, "Label48", QStringLiteral("Don't see this for now !! :)"), 7800,
                           600, 3735, 255);
    remark->setFont(ui::designFont(QStringLiteral("Tahoma"), 9.75, true));

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setAutoFillBackground(true);
    QPalette framePal = frame->palette();
    framePal.setColor(QPalette::Window, QColor(192, 192, 255));
    frame->setPalette(framePal);
    placeAt(frame, kLeft, kTop, kFrameLeft, kFrameTop, 9615, 8655);

    // Captions and read-outs held by the frame.
    auto inFrame = [&](const char *name, const QString &caption, int l, int t, int w, int h) {
        return label(frame, kFrameLeft, kFrameTop, name, caption, l, t, w, h);
    };
    inFrame("Label1", QStringLiteral("RIFF"), 7080, 1200, 345, 195);
    inFrame("Label2", QStringLiteral("Taille du fichier - 8"), 7080, 1560, 1290, 195);
    inFrame("Label3", QStringLiteral("WAVE"), 7080, 1920, 480, 195);
    inFrame("Label4", QStringLiteral("fmt "), 7200, 2160, 255, 195);
    inFrame("Label5", QStringLiteral("Pcm=16"), 6840, 2520, 615, 255);
    inFrame("Label6", QStringLiteral("1=non compressé"), 6120, 2880, 1335, 255);
    inFrame("Label7", QStringLiteral("1=mono/2=stéréo"), 6240, 3240, 1260, 195);
    inFrame("Label8", QStringLiteral("Freq."), 8280, 1200, 360, 195);
    inFrame("Label9", QStringLiteral("Tx Transfert=F*NbrChan*Bit/8"), 9600, 1200, 2130, 195);
    inFrame("Label10", QStringLiteral("Oct/sample=NbrChan*Bit/8"), 9600, 1560, 2055, 255);
    inFrame("Label11", QStringLiteral("Bits"), 12840, 1200, 255, 195);
    inFrame("Label12", QStringLiteral("data"), 13920, 1200, 315, 195);
    inFrame("Label13", QStringLiteral("Taille données"), 12840, 1560, 1035, 195);
    inFrame("Label49", QStringLiteral("Données Avant DATA"), 8280, 1920, 1695, 255);
    inFrame("Label14", QStringLiteral("Données Après DATA"), 8280, 2880, 1575, 195);
    inFrame("Label15", QStringLiteral("Taille du Fichier"), 12720, 3840, 1110, 195);
    m_label50 = inFrame("Label50", QString(), 9960, 1920, 855, 255);
    m_label18 = inFrame("Label18", QString(), 9960, 2880, 735, 255);
    m_label16 = inFrame("Label16", QString(), 13920, 3840, 1095, 255);
    for (QLabel *red : {m_label50, m_label18, m_label16})
        setTextColor(red, Qt::red);
    m_label17 = inFrame("Label17", QStringLiteral("Dec :"), 8280, 3840, 975, 255);
    // Shown when a byte text holds only the start of a long stretch of bytes.
    m_note38 = inFrame("Text38Note", QString(), 10900, 1920, 4100, 255);
    m_note14 = inFrame("Text14Note", QString(), 9300, 3840, 3360, 255);
    for (QLabel *note : {m_note38, m_note14}) {
        QFont f = note->font();
        f.setItalic(true);
        note->setFont(f);
        setTextColor(note, QColor(128, 0, 0));
    }

    m_text38 = new ByteTextBox(frame);
    m_text38->setObjectName(QStringLiteral("Text38"));
    placeAt(m_text38, kFrameLeft, kFrameTop, 8280, 2160, 6735, 615);
    button("Command5", QStringLiteral("Ecrire les infos"), 5640, 2040, 1215, 375, frame, kFrameLeft, kFrameTop);

    // The header fields.
    struct Box {
        int number, left, top, width;
    };
    constexpr Box boxes[] = {
        {1, 7560, 1200, 615},   {2, 8520, 1560, 975},   {3, 7560, 1800, 615},   {4, 7560, 2160, 615},
        {5, 7560, 2520, 615},   {6, 7560, 2880, 615},   {7, 7560, 3240, 615},   {8, 8640, 1200, 855},
        {9, 11760, 1200, 975},  {10, 11760, 1560, 975}, {11, 13200, 1200, 495}, {12, 14400, 1200, 615},
        {13, 13920, 1560, 1095},
    };
    for (const Box &b : boxes) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Text%1").arg(b.number));
        placeAt(edit, kLeft, kTop, b.left, b.top, b.width, 285);
        m_text[b.number] = edit;
    }
    m_text14 = new ByteTextBox(this);
    m_text14->setObjectName(QStringLiteral("Text14"));
    placeAt(m_text14, kLeft, kTop, 8280, 3120, 6735, 645);
    m_text[14] = m_text14;
    for (ByteTextBox *box : {m_text14, m_text38}) {
        box->setFont(terminal());
        box->setMaxLength(int(msp::kWavTextLimit));
        box->onCaretEvent = [this, box] { showReadout(box); };
    }

    QPushButton *play = button("Command6", QStringLiteral("Play"), 5640, 1200, 1215, 375);
    button("Command4", QStringLiteral("Lire les infos"), 5760, 1680, 1215, 375); // no action
    QPushButton *draw = button("Command2", QStringLiteral("dessiner"), 5760, 2520, 975, 375);

    // The drawing: a grey viewport holding the canvas and the pan bar.
    m_picture1 = new QWidget(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setAutoFillBackground(true);
    QPalette greyPal = m_picture1->palette();
    greyPal.setColor(QPalette::Window, QColor(192, 192, 192));
    m_picture1->setPalette(greyPal);
    placeAt(m_picture1, kLeft, kTop, kPicture1Left, kPicture1Top, 9375, 4695);
    m_picture2 = new WaveCanvas(m_picture1);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    ui::place(m_picture2, 0, 0, 9315, 4635);
    m_hscroll2 = new QScrollBar(Qt::Horizontal, m_picture1);
    m_hscroll2->setObjectName(QStringLiteral("HScroll2"));
    ui::place(m_hscroll2, 0, 3240, 9315, 255);
    m_hscroll2->raise();
    m_hscroll1 = new QScrollBar(Qt::Horizontal, this);
    m_hscroll1->setObjectName(QStringLiteral("HScroll1"));
    placeAt(m_hscroll1, kLeft, kTop, 5640, 9600, 9375, 255);
    for (QScrollBar *bar : {m_hscroll1, m_hscroll2}) {
        bar->setRange(0, kScrollMax);
        bar->setPageStep(10);
        // A drag acts when the thumb is released, not while it moves.
        bar->setTracking(false);
    }

    QPushButton *cleanUp = button("Command7", QStringLiteral("CleanUp"), 5760, 240, 975, 375);
    QPushButton *deblock = button("Command8", QStringLiteral("Command8"), 5760, 10080, 1935, 495);
    QPushButton *stamp = button("Command3", QStringLiteral("Ecrire une entete"), 7920, 10080, 1095, 495);
    QPushButton *noise = button("Command1", QStringLiteral("creer bruit"), 9120, 10080, 975, 495);

    connect(play, &QPushButton::clicked, this, &WavPanel::Play);
    connect(draw, &QPushButton::clicked, this, &WavPanel::DrawWaveform);
    connect(findChild<QPushButton *>(QStringLiteral("Command5")), &QPushButton::clicked, this,
            &WavPanel::Command5_Click);
    connect(cleanUp, &QPushButton::clicked, this, &WavPanel::Command7_Click);
    connect(deblock, &QPushButton::clicked, this, &WavPanel::Command8_Click);
    connect(stamp, &QPushButton::clicked, this, &WavPanel::Command3_Click);
    connect(noise, &QPushButton::clicked, this, &WavPanel::Command1_Click);
    connect(m_hscroll1, &QScrollBar::valueChanged, this, &WavPanel::HScroll1_Change);
    connect(m_hscroll2, &QScrollBar::valueChanged, this, &WavPanel::HScroll2_Change);
}

WavPanel::~WavPanel() = default;

QString WavPanel::noiseFilePath() { return QDir(msp::wavToolFolder()).filePath(msp::kNoiseFileName); }

QString WavPanel::testHeaderFilePath()
{
    return QDir(msp::wavToolFolder()).filePath(msp::kTestHeaderFileName);
}

void WavPanel::ClearWavInfo()
{
    for (QLineEdit *edit : m_text)
        if (edit)
            edit->clear();
    m_text38->clear();
    m_label16->clear();
    m_label18->clear();
    m_label50->clear();
    m_note14->clear();
    m_note38->clear();
    m_label17->setText(QStringLiteral("Dec :"));
    m_picture2->clearPlot();
    m_view = {};
}

void WavPanel::showLimitNote(QLabel *note, const QByteArray &shown, qint64 total, bool cut)
{
    if (cut)
        note->setText(QStringLiteral("Only the first %1 of %2 bytes are shown").arg(shown.size()).arg(total));
}

void WavPanel::ShowWavInfo()
{
    ClearWavInfo();
    msp::FileSource source(*m_currentWavPath);
    if (!source.open())
        return;
    m_view = msp::readWavView(source);
    const msp::WavFieldTexts t = msp::shownTexts(m_view);
    m_text[1]->setText(msp::byteText(m_view.riff));
    m_text[2]->setText(t.riffSize);
    m_text[3]->setText(t.wave);
    m_text[4]->setText(t.fmt);
    m_text[5]->setText(t.fmtSize);
    m_text[6]->setText(t.formatTag);
    m_text[7]->setText(t.channels);
    m_text[8]->setText(t.sampleRate);
    m_text[9]->setText(t.byteRate);
    m_text[10]->setText(t.blockAlign);
    m_text[11]->setText(t.bitsPerSample);
    if (!m_view.hasData())
        return;
    m_text[12]->setText(t.dataTag);
    m_label16->setText(QString::number(m_view.length));
    m_text[13]->setText(t.dataSize);
    m_label18->setText(QString::number(m_view.after));
    m_text14->setText(t.trailer);
    m_text14->setCursorPosition(0);
    showLimitNote(m_note14, m_view.afterBytes, m_view.after, m_view.afterCut);
    m_label50->setText(QString::number(m_view.before));
    m_text38->setText(msp::byteText(m_view.beforeBytes));
    m_text38->setCursorPosition(0);
    showLimitNote(m_note38, m_view.beforeBytes, m_view.before, m_view.beforeCut);
}

void WavPanel::DrawWaveform()
{
    m_picture2->clearPlot();
    const QString path = *m_currentWavPath;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    ui::BusyPointer busy;
    msp::FileSource source(path);
    if (!source.open())
        return;
    const double W = double(m_picture2->width()) * ui::kTwipsPerPixel;
    const double H = double(m_picture2->height()) * ui::kTwipsPerPixel;
    m_picture2->setPlot(msp::computeWaveform(source, W, H, msp::leadingNumber(m_text[13]->text())));
}

void WavPanel::Play() { util::PlayIt(*m_currentWavPath); }

void WavPanel::HScroll1_Change()
{
    const double Wv = m_picture1->width();
    const double factor = 1.0 + 19.0 * m_hscroll1->value() / m_hscroll1->maximum();
    m_picture2->resize(int(std::lround(Wv * factor)), m_picture2->height());
    DrawWaveform();
}

void WavPanel::HScroll2_Change()
{
    const double Wc = m_picture2->width() * ui::kTwipsPerPixel;
    const double Wv = m_picture1->width() * ui::kTwipsPerPixel;
    const double left = -(std::abs(Wc - Wv) * m_hscroll2->value() / m_hscroll2->maximum()) - 50;
    m_picture2->move(ui::twips(left), m_picture2->y());
}

void WavPanel::showReadout(QLineEdit *box)
{
    const QString text = box->text();
    const int at = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    if (at < 0 || at >= text.size()) {
        m_label17->clear();
        return;
    }
    const int code = msp::cp1252Byte(text.at(at)).value_or(quint8('?'));
    QString caption = QStringLiteral("Dec : %1").arg(code);
    // In these boxes the degree sign stands for a zero byte.
    if (caption == QStringLiteral("Dec : 176"))
        caption = QStringLiteral("Dec : 0");
    m_label17->setText(caption);
}

msp::WavFieldTexts WavPanel::fieldTexts() const
{
    msp::WavFieldTexts t;
    t.riffSize = m_text[2]->text();
    t.wave = m_text[3]->text();
    t.fmt = m_text[4]->text();
    t.fmtSize = m_text[5]->text();
    t.formatTag = m_text[6]->text();
    t.channels = m_text[7]->text();
    t.sampleRate = m_text[8]->text();
    t.byteRate = m_text[9]->text();
    t.blockAlign = m_text[10]->text();
    t.bitsPerSample = m_text[11]->text();
    t.dataTag = m_text[12]->text();
    t.dataSize = m_text[13]->text();
    t.trailer = m_text14->text();
    return t;
}

void WavPanel::Command5_Click()
{
    const msp::HeaderWritePlan plan = msp::planHeaderWrite(fieldTexts(), m_view);
    using Problem = msp::HeaderWritePlan::Problem;
    if (plan.problem != Problem::None) {
        const FieldInfo &info = fieldInfo(plan.badField);
        const QString field = QStringLiteral("\"%1\" (Text%2)").arg(QString::fromUtf16(info.caption)).arg(info.number);
        QString text;
        if (plan.problem == Problem::NotANumber) {
            const qint64 lo = -(qint64(1) << (plan.badFieldBits - 1));
            const qint64 hi = (qint64(1) << (plan.badFieldBits - 1)) - 1;
            text = QStringLiteral("%1 must be a whole number from %2 to %3. Nothing was written.")
                       .arg(field)
                       .arg(lo)
                       .arg(hi);
        } else {
            text = QStringLiteral("%1 would place the bytes after the data before the start of the file. "
                                  "Nothing was written.")
                       .arg(field);
        }
        ui::message(text, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    QString error;
    if (!msp::writePiecesInPlace(*m_currentWavPath, plan.pieces, &error))
        ui::message(QStringLiteral("The header could not be written to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(*m_currentWavPath), error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
}

void WavPanel::Command7_Click()
{
    msp::CleanUpResult result;
    {
        ui::BusyPointer busy;
        result = msp::cleanUpWavFile(*m_currentWavPath);
    }
    switch (result.status) {
    case msp::CleanUpStatus::Done:
        return;
    case msp::CleanUpStatus::BadFileSize:
        ui::message(QStringLiteral("Bad file size"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case msp::CleanUpStatus::DataNotFound:
        ui::message(QStringLiteral("Data not found"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case msp::CleanUpStatus::WrongDataSize:
        ui::message(QStringLiteral("Wrong Data Size"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case msp::CleanUpStatus::Failed:
        ui::message(QStringLiteral("CleanUp could not rewrite \"%1\": %2. The file was left as it was.")
                        .arg(QDir::toNativeSeparators(*m_currentWavPath), result.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
}

void WavPanel::Command1_Click()
{
    const QString path = noiseFilePath();
    const SaveResult saved = saveFileAtomically(path, msp::noiseWav());
    if (!saved.ok) {
        ui::message(QStringLiteral("The noise file \"%1\" could not be written: %2")
                        .arg(QDir::toNativeSeparators(path), saved.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    util::PlayIt(path);
}

void WavPanel::Command3_Click()
{
    *m_currentWavPath = testHeaderFilePath();
    QString error;
    if (!msp::stampTestHeaderFile(*m_currentWavPath, &error))
        ui::message(QStringLiteral("The header could not be written to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(*m_currentWavPath), error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
}

void WavPanel::Command8_Click()
{
    const QDir folder(ui::programFolder());
    QString error;
    bool ok = false;
    {
        ui::BusyPointer busy;
        ok = msp::deblockFile(folder.filePath(msp::kDeblockInputName), folder.filePath(msp::kDeblockOutputName),
                              &error);
    }
    if (!ok) {
        ui::message(QStringLiteral("Command8 could not copy \"%1\" to \"%2\": %3")
                        .arg(QDir::toNativeSeparators(folder.filePath(msp::kDeblockInputName)),
                             QDir::toNativeSeparators(folder.filePath(msp::kDeblockOutputName)), error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    ui::message(QString(), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
}

} // namespace tamo::msp_editor
