// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/wavpanel.h"

#include "wav/keyboardformat.h"
#include "wav/loopfinder.h"
#include "wav/soundfile.h"
#include "wav/wavtext.h"
#include "wav/wavtools.h"
#include "msp_editor/wavcanvas.h"
#include "ui/fonts.h"
#include "ui/platform.h"
#include "ui/twips.h"
#include "util/playback/playit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace tamo::msp_editor {

namespace {

using wav::WavField;

constexpr int kFrameLeft = 5520, kFrameTop = 960;
constexpr int kPicture1Left = 5640, kPicture1Top = 4800;
constexpr int kScrollMax = 100; // zoom and pan bars: 0..100

// Places w at its design rectangle, given in twips of the form's client area,
// inside a parent whose own top-left corner lies at (originLeft, originTop).
// What a tool is about to write over, kept so that the write can be undone: the
// bytes, or none when there is no file. A file that cannot be read makes the write
// one that cannot be undone (undoable false).
std::optional<QByteArray> bytesOf(const QString &path, bool *undoable)
{
    QFile file(path);
    *undoable = !QFileInfo::exists(path);
    if (*undoable || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    *undoable = file.error() == QFileDevice::NoError;
    return bytes;
}

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
    const char *caption;
};

constexpr FieldInfo kFields[] = {
    {WavField::RiffSize, 2, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Taille du fichier - 8")},
    {WavField::Wave, 3, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "WAVE")},
    {WavField::Fmt, 4, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "fmt ")},
    {WavField::FmtSize, 5, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Pcm=16")},
    {WavField::FormatTag, 6, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "1=non compressé")},
    {WavField::Channels, 7, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "1=mono/2=stéréo")},
    {WavField::SampleRate, 8, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Freq.")},
    {WavField::ByteRate, 9, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Tx Transfert=F*NbrChan*Bit/8")},
    {WavField::BlockAlign, 10, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Oct/sample=NbrChan*Bit/8")},
    {WavField::BitsPerSample, 11, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Bits")},
    {WavField::DataTag, 12, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "data")},
    {WavField::DataSize, 13, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Taille données")},
    {WavField::Trailer, 14, QT_TRANSLATE_NOOP("tamo::msp_editor::WavPanel", "Données Après DATA")},
};

// The frame nearest at where the sound (its channels summed) rises through zero:
// the frame before it below zero, itself at or above. A loop whose both ends lie
// on such frames joins without a step. -1 when none lies within half a second.
qint64 risingZeroCrossing(const wav::SoundFile &file, qint64 at)
{
    const SF_INFO &info = file.info();
    const qint64 reach = std::max(1, info.samplerate / 2);
    const qint64 from = std::clamp<qint64>(at - reach, 0, info.frames);
    const qint64 to = std::clamp<qint64>(at + reach + 1, from, info.frames);
    if (to - from < 2 || info.channels < 1 || sf_seek(file.handle(), from, SEEK_SET) != from)
        return -1;
    std::vector<float> frames(std::size_t(to - from) * std::size_t(info.channels));
    const qint64 got = sf_readf_float(file.handle(), frames.data(), to - from);
    qint64 best = -1;
    float previous = 0;
    for (qint64 i = 0; i < got; ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += frames[std::size_t(i) * std::size_t(info.channels) + std::size_t(c)];
        if (i > 0 && previous < 0 && sum >= 0 && (best < 0 || std::abs(from + i - at) < std::abs(best - at)))
            best = from + i;
        previous = sum;
    }
    return best;
}

// The frames of the file at path as the export will loop them: decoded, with the
// loop's crossfade blended in (at the file's own rate). Empty when it cannot be
// read or would pass playback's limit.
std::vector<float> framesAsLooped(const QString &path, qint64 start, qint64 end, qint64 crossfade, int *channels, int *rate)
{
    const wav::SoundFile file(path);
    const SF_INFO &info = file.info();
    constexpr qint64 kMaxSamples = (qint64(1) << 30) / qint64(sizeof(float));
    if (!file.isOpen() || info.channels < 1 || info.frames < 1 || info.frames > kMaxSamples / info.channels)
        return {};
    std::vector<float> samples(std::size_t(info.frames) * std::size_t(info.channels));
    const qint64 got = sf_readf_float(file.handle(), samples.data(), info.frames);
    samples.resize(std::size_t(std::max<qint64>(got, 0)) * std::size_t(info.channels));
    if (crossfade > 0 && start >= 0 && start < end && end <= got) {
        wav::FoundLoop loop;
        loop.found = true;
        loop.start = start;
        loop.end = end;
        loop.crossfade = std::min(crossfade, end - start);
        wav::applyCrossfade(samples.data(), got, info.channels, loop);
    }
    *channels = info.channels;
    *rate = info.samplerate;
    return samples;
}

const FieldInfo &fieldInfo(WavField f)
{
    for (const FieldInfo &info : kFields)
        if (info.field == f)
            return info;
    return kFields[0];
}

} // namespace

WavPanel::WavPanel(QWidget *form)
    : QWidget(form)
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
    QLabel *title = label(this, kLeft, kTop, "Label47", tr("Wavfile settings"), 5640, 600, 1965, 285);
    title->setFont(ui::designFont(QStringLiteral("Tahoma"), 12, true, true));
    setTextColor(title, QColor(0, 0, 128));
    // Which file the fields and the drawing show, beside the tools that write files.
    m_fileNameLabel = label(this, kLeft, kTop, "WavFileName", QString(), 10320, 10200, 4695, 285);
    m_fileNameLabel->setFont(ui::designFont(QStringLiteral("Tahoma"), 9.75, true));
    QLabel *remark = label(this, kLeft, kTop, "Label48", tr("Don't see this for now !! :)"), 7800,
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
    inFrame("Label2", tr("Taille du fichier - 8"), 7080, 1560, 1290, 195);
    inFrame("Label3", QStringLiteral("WAVE"), 7080, 1920, 480, 195);
    inFrame("Label4", QStringLiteral("fmt "), 7200, 2160, 255, 195);
    inFrame("Label5", tr("Pcm=16"), 6840, 2520, 615, 255);
    inFrame("Label6", tr("1=non compressé"), 6120, 2880, 1335, 255);
    inFrame("Label7", tr("1=mono/2=stéréo"), 6240, 3240, 1260, 195);
    inFrame("Label8", tr("Freq."), 8280, 1200, 360, 195);
    inFrame("Label9", tr("Tx Transfert=F*NbrChan*Bit/8"), 9600, 1200, 2130, 195);
    inFrame("Label10", tr("Oct/sample=NbrChan*Bit/8"), 9600, 1560, 2055, 255);
    inFrame("Label11", tr("Bits"), 12840, 1200, 255, 195);
    inFrame("Label12", QStringLiteral("data"), 13920, 1200, 315, 195);
    inFrame("Label13", tr("Taille données"), 12840, 1560, 1035, 195);
    inFrame("Label49", tr("Données Avant DATA"), 8280, 1920, 1695, 255);
    inFrame("Label14", tr("Données Après DATA"), 8280, 2880, 1575, 195);
    inFrame("Label15", tr("Taille du Fichier"), 12720, 3840, 1110, 195);
    m_extraLengthLabel = inFrame("Label50", QString(), 9960, 1920, 855, 255);
    m_trailerLengthLabel = inFrame("Label18", QString(), 9960, 2880, 735, 255);
    m_dataOffsetLabel = inFrame("Label16", QString(), 13920, 3840, 1095, 255);
    for (QLabel *red : {m_extraLengthLabel, m_trailerLengthLabel, m_dataOffsetLabel})
        setTextColor(red, Qt::red);
    m_byteCodeLabel = inFrame("Label17", QStringLiteral("Dec :"), 8280, 3840, 975, 255);
    // Shown when a byte text holds only the start of a long stretch of bytes.
    m_extraChunksNote = inFrame("Text38Note", QString(), 10900, 1920, 4100, 255);
    m_trailerNote = inFrame("Text14Note", QString(), 9300, 3840, 3360, 255);
    for (QLabel *note : {m_extraChunksNote, m_trailerNote}) {
        QFont f = note->font();
        f.setItalic(true);
        note->setFont(f);
        setTextColor(note, QColor(128, 0, 0));
    }

    m_extraChunksBox = new ByteTextBox(frame);
    m_extraChunksBox->setObjectName(QStringLiteral("Text38"));
    placeAt(m_extraChunksBox, kFrameLeft, kFrameTop, 8280, 2160, 6735, 615);
    button("Command5", tr("Ecrire les infos"), 5640, 2040, 1215, 375, frame, kFrameLeft, kFrameTop);

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
        m_fieldBoxes[b.number] = edit;
    }
    m_trailerBox = new ByteTextBox(this);
    m_trailerBox->setObjectName(QStringLiteral("Text14"));
    placeAt(m_trailerBox, kLeft, kTop, 8280, 3120, 6735, 645);
    m_fieldBoxes[14] = m_trailerBox;
    for (ByteTextBox *box : {m_trailerBox, m_extraChunksBox}) {
        box->setFont(terminal());
        box->setMaxLength(int(wav::kWavTextLimit));
        box->onCaretEvent = [this, box] { showReadout(box); };
    }

    QPushButton *play = button("Command6", tr("Play"), 5640, 1200, 1215, 375);
    button("Command4", tr("Lire les infos"), 5760, 1680, 1215, 375); // no action
    QPushButton *draw = button("Command2", tr("dessiner"), 5760, 2520, 975, 375);

    // The drawing: a grey viewport holding the canvas and the pan bar.
    m_waveFrame = new QWidget(this);
    m_waveFrame->setObjectName(QStringLiteral("Picture1"));
    m_waveFrame->setAutoFillBackground(true);
    QPalette greyPal = m_waveFrame->palette();
    greyPal.setColor(QPalette::Window, QColor(192, 192, 192));
    m_waveFrame->setPalette(greyPal);
    placeAt(m_waveFrame, kLeft, kTop, kPicture1Left, kPicture1Top, 9375, 4695);
    // The pan bar lies along the viewport's bottom and the canvas fills the rest, so
    // no bar hides any of the drawing.
    constexpr int kPanBarTop = 4695 - 255;
    m_waveCanvas = new WaveCanvas(m_waveFrame);
    m_waveCanvas->setObjectName(QStringLiteral("Picture2"));
    ui::place(m_waveCanvas, 0, 0, 9315, kPanBarTop);
    m_panBar = new QScrollBar(Qt::Horizontal, m_waveFrame);
    m_panBar->setObjectName(QStringLiteral("HScroll2"));
    ui::place(m_panBar, 0, kPanBarTop, 9315, 255);
    m_panBar->raise();
    m_zoomBar = new QScrollBar(Qt::Horizontal, this);
    m_zoomBar->setObjectName(QStringLiteral("HScroll1"));
    placeAt(m_zoomBar, kLeft, kTop, 5640, 9600, 9375, 255);
    for (QScrollBar *bar : {m_zoomBar, m_panBar}) {
        bar->setRange(0, kScrollMax);
        bar->setPageStep(10);
        // A drag acts when the thumb is released, not while it moves.
        bar->setTracking(false);
    }

    QPushButton *cleanUp = button("Command7", tr("CleanUp"), 5760, 240, 975, 375);
    QPushButton *deblock = button("Command8", tr("Command8"), 5760, 10080, 1935, 495);
    QPushButton *stamp = button("Command3", tr("Ecrire une entete"), 7920, 10080, 1095, 495);
    QPushButton *noise = button("Command1", tr("creer bruit"), 9120, 10080, 975, 495);

    // The loop: its frames typed or dragged on the waveform, written into the sampler chunk.
    // The captions have room for their French ("Début de boucle") at the row's size:
    // narrower, the text fitting would draw them smaller than their neighbours.
    label(this, kLeft, kTop, "LoopStartLabel", tr("Loop start"), 5640, 4380, 1260, 255);
    m_loopStartBox = new QLineEdit(this);
    m_loopStartBox->setObjectName(QStringLiteral("LoopStart"));
    m_loopStartBox->setToolTip(tr("The first frame of the loop"));
    placeAt(m_loopStartBox, kLeft, kTop, 6900, 4320, 900, 285);
    label(this, kLeft, kTop, "LoopEndLabel", tr("Loop end"), 7860, 4380, 1005, 255);
    m_loopEndBox = new QLineEdit(this);
    m_loopEndBox->setObjectName(QStringLiteral("LoopEnd"));
    m_loopEndBox->setToolTip(tr("The first frame after the loop: it plays on from the loop start"));
    placeAt(m_loopEndBox, kLeft, kTop, 8865, 4320, 900, 285);
    QPushButton *setLoop = m_setLoopButton = button("LoopSet", tr("Set loop"), 9840, 4275, 1215, 375);
    QPushButton *snap = button("LoopSnap", tr("Snap to zero crossing"), 11160, 4275, 2055, 375);
    QPushButton *unloop = button("LoopRemove", tr("Remove loop"), 13320, 4275, 1695, 375);
    connect(setLoop, &QPushButton::clicked, this, &WavPanel::setLoopFromFields);
    connect(m_loopStartBox, &QLineEdit::returnPressed, this, &WavPanel::setLoopFromFields);
    connect(m_loopEndBox, &QLineEdit::returnPressed, this, &WavPanel::setLoopFromFields);
    connect(snap, &QPushButton::clicked, this, &WavPanel::snapLoopToZeroCrossings);
    connect(unloop, &QPushButton::clicked, this, &WavPanel::removeLoop);
    m_waveCanvas->onLoopDragged = [this](bool isEnd, qint64 at) {
        (isEnd ? m_loopEndBox : m_loopStartBox)->setText(QString::number(at));
        setLoopFromFields();
    };

    // Held (the mouse, or Space on the focused button) it plays through the loop.
    connect(play, &QPushButton::pressed, this, &WavPanel::startAudition);
    connect(play, &QPushButton::released, this, &WavPanel::releaseAudition);
    connect(play, &QPushButton::clicked, this, [this] {
        // Said on the button only: Auto Play stays quiet on every click in the list.
        if (!util::HasAudioOutput())
            ui::message(tr("No audio output was found: nothing can be played."), ui::Buttons::Ok,
                        ui::Icon::Exclamation, ui::kProgramTitle, this);
    });
    connect(draw, &QPushButton::clicked, this, &WavPanel::drawWaveform);
    connect(findChild<QPushButton *>(QStringLiteral("Command5")), &QPushButton::clicked, this,
            &WavPanel::writeHeaderFields);
    connect(cleanUp, &QPushButton::clicked, this, &WavPanel::cleanUpWav);
    connect(deblock, &QPushButton::clicked, this, &WavPanel::removeBlockHeaders);
    connect(stamp, &QPushButton::clicked, this, &WavPanel::writeTestHeader);
    connect(noise, &QPushButton::clicked, this, &WavPanel::createNoiseFile);
    connect(m_zoomBar, &QScrollBar::valueChanged, this, &WavPanel::zoomChanged);
    connect(m_panBar, &QScrollBar::valueChanged, this, &WavPanel::panChanged);
}

WavPanel::~WavPanel() = default;

QString WavPanel::noiseFilePath() { return QDir(wav::wavToolFolder()).filePath(wav::kNoiseFileName); }

QString WavPanel::testHeaderFilePath()
{
    return QDir(wav::wavToolFolder()).filePath(wav::kTestHeaderFileName);
}

void WavPanel::clearWavInfo()
{
    for (QLineEdit *edit : m_fieldBoxes)
        if (edit)
            edit->clear();
    m_extraChunksBox->clear();
    m_dataOffsetLabel->clear();
    m_trailerLengthLabel->clear();
    m_extraLengthLabel->clear();
    m_trailerNote->clear();
    m_extraChunksNote->clear();
    m_byteCodeLabel->setText(QStringLiteral("Dec :"));
    m_waveCanvas->clearPlot();
    m_view = {};
    m_fileNameLabel->clear();
    m_fileNameLabel->setToolTip(QString());
    m_shownPath.clear();
    m_shownStamp = {};
    m_loopStartBox->clear();
    m_loopEndBox->clear();
    m_loopStart = m_loopEnd = m_crossfade = m_frames = 0;
    m_ownLoop.reset();
    m_keyboardFormat = true;
}

void WavPanel::showLimitNote(QLabel *note, const QByteArray &shown, qint64 total, bool cut)
{
    if (cut)
        note->setText(tr("Only the first %1 of %2 bytes are shown").arg(shown.size()).arg(total));
}

void WavPanel::showWavInfo()
{
    clearWavInfo();
    // Taken before the read: a change while it reads makes the stamp stale, not the view.
    const util::FileStamp stamp = util::fileStamp(m_wavPath);
    wav::FileSource source(m_wavPath);
    if (!source.open())
        return;
    m_view = wav::readWavView(source);
    m_fileNameLabel->setText(QFileInfo(m_wavPath).fileName());
    m_fileNameLabel->setToolTip(QDir::toNativeSeparators(m_wavPath));
    m_shownPath = m_wavPath;
    m_shownStamp = stamp;
    const wav::WavFieldTexts t = wav::shownTexts(m_view);
    m_fieldBoxes[1]->setText(wav::byteText(m_view.riff));
    m_fieldBoxes[2]->setText(t.riffSize);
    m_fieldBoxes[3]->setText(t.wave);
    m_fieldBoxes[4]->setText(t.fmt);
    m_fieldBoxes[5]->setText(t.fmtSize);
    m_fieldBoxes[6]->setText(t.formatTag);
    m_fieldBoxes[7]->setText(t.channels);
    m_fieldBoxes[8]->setText(t.sampleRate);
    m_fieldBoxes[9]->setText(t.byteRate);
    m_fieldBoxes[10]->setText(t.blockAlign);
    m_fieldBoxes[11]->setText(t.bitsPerSample);
    const wav::SoundFile sound(m_wavPath);
    m_frames = sound.isOpen() ? qint64(sound.info().frames) : 0;
    m_ownLoop = sound.firstLoop();
    m_keyboardFormat = wav::checkKeyboardFormat(m_wavPath).ok;
    showLoop();
    if (!m_view.hasData())
        return;
    m_fieldBoxes[12]->setText(t.dataTag);
    m_dataOffsetLabel->setText(QString::number(m_view.length));
    m_fieldBoxes[13]->setText(t.dataSize);
    m_trailerLengthLabel->setText(QString::number(m_view.after));
    m_trailerBox->setText(t.trailer);
    m_trailerBox->setCursorPosition(0);
    showLimitNote(m_trailerNote, m_view.afterBytes, m_view.after, m_view.afterCut);
    m_extraLengthLabel->setText(QString::number(m_view.before));
    m_extraChunksBox->setText(wav::byteText(m_view.beforeBytes));
    m_extraChunksBox->setCursorPosition(0);
    showLimitNote(m_extraChunksNote, m_view.beforeBytes, m_view.before, m_view.beforeCut);
}

void WavPanel::drawWaveform()
{
    m_waveCanvas->clearPlot();
    const QString path = m_wavPath;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    ui::BusyPointer busy;
    m_waveCanvas->showFile(path, wav::leadingNumber(m_fieldBoxes[13]->text()));
    showLoopOnCanvas();
}

void WavPanel::showLoopOnCanvas() { m_waveCanvas->setLoop(m_loopStart, m_loopEnd, m_crossfade, m_view.blockAlign); }

void WavPanel::showLoop()
{
    const SampleLoop kept = !m_keyboardFormat && m_keptLoops ? m_keptLoops(m_wavPath) : SampleLoop{};
    m_loopStart = m_loopEnd = m_crossfade = 0;
    if (kept.kind == SampleLoop::Kind::Forward)
        std::tie(m_loopStart, m_loopEnd, m_crossfade) = std::tuple{kept.start, kept.end, kept.crossfade};
    else if (kept.kind == SampleLoop::Kind::Keep && m_ownLoop)
        std::tie(m_loopStart, m_loopEnd) = *m_ownLoop;
    const bool loops = m_loopEnd > m_loopStart;
    m_loopStartBox->setText(loops ? QString::number(m_loopStart) : QString());
    m_loopEndBox->setText(loops ? QString::number(m_loopEnd) : QString());
    m_setLoopButton->setToolTip(m_keyboardFormat ? tr("Writes the loop into the file's sampler chunk")
                                                 : tr("The file is not in the keyboard's format and stays as it is: "
                                                      "the set keeps the loop, and the export loops its copy"));
    showLoopOnCanvas();
}

void WavPanel::showKeptLoop()
{
    if (!m_keyboardFormat && !m_shownPath.isEmpty() && m_shownPath == m_wavPath)
        showLoop();
}

void WavPanel::showProposedLoop(qint64 start, qint64 end, qint64 crossfade)
{
    m_loopStart = start;
    m_loopEnd = end;
    m_crossfade = crossfade;
    m_loopStartBox->setText(QString::number(start));
    m_loopEndBox->setText(QString::number(end));
    showLoopOnCanvas();
}

std::optional<std::pair<qint64, qint64>> WavPanel::typedLoop()
{
    bool startOk = false, endOk = false;
    const qint64 start = m_loopStartBox->text().trimmed().toLongLong(&startOk);
    const qint64 end = m_loopEndBox->text().trimmed().toLongLong(&endOk);
    if (startOk && endOk && start >= 0 && start < end && end <= m_frames)
        return std::pair{start, end};
    ui::message(tr("A loop needs a start and an end in whole frames, the start from 0 and before the end, "
                   "the end at most the file's %n frame(s). Nothing was written.",
                   nullptr, int(std::min<qint64>(m_frames, std::numeric_limits<int>::max()))),
                ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
    return std::nullopt;
}

void WavPanel::setLoopFromFields()
{
    if (!showsCurrentFile())
        return;
    if (const auto loop = typedLoop())
        writeLoop(tr("Set loop"), loop);
}

void WavPanel::snapLoopToZeroCrossings()
{
    if (!showsCurrentFile())
        return;
    const auto loop = typedLoop();
    if (!loop)
        return;
    const wav::SoundFile sound(m_wavPath);
    const qint64 start = risingZeroCrossing(sound, loop->first);
    const qint64 end = risingZeroCrossing(sound, loop->second);
    if (start < 0 || end < 0 || start >= end) {
        ui::message(tr("No rising zero crossing lies near both ends of the loop. Nothing was written."),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    writeLoop(tr("Snap to zero crossing"), std::pair{start, end});
}

void WavPanel::removeLoop()
{
    if (!showsCurrentFile())
        return;
    if (m_loopEnd <= m_loopStart) {
        ui::message(tr("\"%1\" has no loop.").arg(QDir::toNativeSeparators(m_wavPath)), ui::Buttons::Ok,
                    ui::Icon::Information, ui::kProgramTitle, window());
        return;
    }
    writeLoop(tr("Remove loop"), std::nullopt);
}

void WavPanel::writeLoop(const QString &tool, std::optional<std::pair<qint64, qint64>> loop)
{
    const QString shown = QDir::toNativeSeparators(m_wavPath);
    // Another format would be converted as a whole: the document keeps the loop and the
    // export loops its copy.
    if (const wav::FormatCheck format = wav::checkKeyboardFormat(m_wavPath); !format.ok) {
        if (format.readable) {
            SampleLoop kept;
            if (loop)
                kept = {SampleLoop::Kind::Forward, loop->first, loop->second};
            else // removed: a one-shot over the file's own loop
                kept.kind = m_ownLoop ? SampleLoop::Kind::None : SampleLoop::Kind::Keep;
            Q_EMIT loopKept(tool, m_wavPath, kept);
            return;
        }
        ui::message(tr("\"%1\" is not in the keyboard's format (%2), so its loop cannot be written into it. "
                       "Nothing was written.")
                        .arg(shown, format.reason),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    bool undoable = false;
    const std::optional<QByteArray> before = bytesOf(m_wavPath, &undoable);
    wav::SourceCut cut;
    cut.loop = loop ? wav::SourceCut::Loop::Forward : wav::SourceCut::Loop::None;
    if (loop)
        std::tie(cut.loopStart, cut.loopEnd) = *loop;
    // 16-bit frames at their own rate come back bit for bit; the root stays the file's.
    const wav::ConvertResult written = wav::convertFileToKeyboardFormat(m_wavPath, m_wavPath, {}, cut);
    if (!written.ok) {
        ui::message(tr("\"%1\" could not be written: %2. The file was left as it was.").arg(shown, written.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    m_crossfade = 0;
    reloadIfCurrent(m_wavPath);
    if (undoable)
        Q_EMIT fileWritten(tool, m_wavPath, before);
}

void WavPanel::Play() { util::PlayIt(m_wavPath); }

void WavPanel::startAudition()
{
    const bool loops = m_loopEnd > m_loopStart && !m_shownPath.isEmpty() && m_shownPath == m_wavPath;
    int channels = 0, rate = 0;
    // A crossfade not in the file yet (a proposal, a kept loop) is heard as the export writes it.
    const std::vector<float> blended = loops && (m_crossfade > 0 || !m_keyboardFormat) && util::HasAudioOutput()
                                           ? framesAsLooped(m_wavPath, m_loopStart, m_loopEnd, m_crossfade, &channels, &rate)
                                           : std::vector<float>{};
    if (!blended.empty())
        util::PlayFrames(blended, channels, rate, m_loopStart, m_loopEnd);
    else if (loops)
        util::PlayHeld(m_wavPath, m_loopStart, m_loopEnd);
    else
        Play();
    Q_EMIT auditionStarted(m_wavPath, loops ? m_loopStart : 0, loops ? m_loopEnd : 0);
}

void WavPanel::releaseAudition()
{
    util::ReleaseHeld();
    Q_EMIT auditionReleased();
}

void WavPanel::zoomChanged()
{
    const double Wv = m_waveFrame->width();
    const double factor = 1.0 + 19.0 * m_zoomBar->value() / m_zoomBar->maximum();
    m_waveCanvas->resize(int(std::lround(Wv * factor)), m_waveCanvas->height());
    drawWaveform();
}

void WavPanel::panChanged()
{
    const double Wc = m_waveCanvas->width() * ui::kTwipsPerPixel;
    const double Wv = m_waveFrame->width() * ui::kTwipsPerPixel;
    const double left = -(std::abs(Wc - Wv) * m_panBar->value() / m_panBar->maximum()) - 50;
    m_waveCanvas->move(ui::twips(left), m_waveCanvas->y());
}

void WavPanel::showReadout(QLineEdit *box)
{
    const QString text = box->text();
    const int at = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
    if (at < 0 || at >= text.size()) {
        m_byteCodeLabel->clear();
        return;
    }
    const int code = wav::cp1252Byte(text.at(at)).value_or(quint8('?'));
    QString caption = QStringLiteral("Dec : %1").arg(code);
    // In these boxes the degree sign stands for a zero byte.
    if (caption == QStringLiteral("Dec : 176"))
        caption = QStringLiteral("Dec : 0");
    m_byteCodeLabel->setText(caption);
}

wav::WavFieldTexts WavPanel::fieldTexts() const
{
    wav::WavFieldTexts t;
    t.riffSize = m_fieldBoxes[2]->text();
    t.wave = m_fieldBoxes[3]->text();
    t.fmt = m_fieldBoxes[4]->text();
    t.fmtSize = m_fieldBoxes[5]->text();
    t.formatTag = m_fieldBoxes[6]->text();
    t.channels = m_fieldBoxes[7]->text();
    t.sampleRate = m_fieldBoxes[8]->text();
    t.byteRate = m_fieldBoxes[9]->text();
    t.blockAlign = m_fieldBoxes[10]->text();
    t.bitsPerSample = m_fieldBoxes[11]->text();
    t.dataTag = m_fieldBoxes[12]->text();
    t.dataSize = m_fieldBoxes[13]->text();
    t.trailer = m_trailerBox->text();
    return t;
}

void WavPanel::writeHeaderFields()
{
    if (!showsCurrentFile())
        return;
    if (!isWavFile())
        return;
    const wav::HeaderWritePlan plan = wav::planHeaderWrite(fieldTexts(), m_view);
    using Problem = wav::HeaderWritePlan::Problem;
    if (plan.problem != Problem::None) {
        const FieldInfo &info = fieldInfo(plan.badField);
        const QString field = tr("\"%1\" (Text%2)").arg(tr(info.caption)).arg(info.number);
        QString text;
        if (plan.problem == Problem::NotANumber) {
            const qint64 lo = -(qint64(1) << (plan.badFieldBits - 1));
            const qint64 hi = (qint64(1) << (plan.badFieldBits - 1)) - 1;
            text = tr("%1 must be a whole number from %2 to %3. Nothing was written.")
                       .arg(field)
                       .arg(lo)
                       .arg(hi);
        } else {
            text = tr("%1 would place the bytes after the data before the start of the file. "
                                  "Nothing was written.")
                       .arg(field);
        }
        ui::message(text, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    QString error;
    bool unchanged = true;
    bool undoable = false;
    const std::optional<QByteArray> before = bytesOf(m_wavPath, &undoable);
    if (wav::writePiecesInPlace(m_wavPath, plan.pieces, &error, &unchanged)) {
        reloadIfCurrent(m_wavPath);
        if (undoable)
            Q_EMIT fileWritten(tr("Ecrire les infos"), m_wavPath, before);
        return;
    }
    const QString path = QDir::toNativeSeparators(m_wavPath);
    if (unchanged) {
        // Its bytes are as shown, only its time changed: the edits can be written again.
        m_shownStamp = util::fileStamp(m_wavPath);
        ui::message(tr("The header could not be written to \"%1\": %2. The file was left as it was.")
                        .arg(path, error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    ui::message(tr("The header could not be written to \"%1\": %2. Its old bytes could not all be put "
                               "back: the panel now shows the file as it is.")
                    .arg(path, error),
                ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
    reloadIfCurrent(m_wavPath);
}

// The header fields and CleanUp work at a WAV header's offsets: in another format
// (an AIFF, FLAC or Ogg sample shown) they would damage the file. By its name, as the
// set names it: a damaged WAV, or an RF64 or extensible one, is still theirs to mend.
bool WavPanel::isWavFile()
{
    if (QFileInfo(m_wavPath).suffix().compare(QLatin1String("wav"), Qt::CaseInsensitive) == 0)
        return true;
    ui::message(tr("\"%1\" is not a WAV file: only a WAV file's header can be written or cleaned up. Nothing was written.")
                    .arg(QDir::toNativeSeparators(m_wavPath)),
                ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
    return false;
}

bool WavPanel::showsCurrentFile()
{
    const QString path = QDir::toNativeSeparators(m_wavPath);
    QString text;
    if (m_shownPath.isEmpty() || m_shownPath != m_wavPath)
        text = tr("The panel does not show \"%1\". Nothing was written: select its sample again "
                              "first.")
                   .arg(path);
    else if (util::fileStamp(m_shownPath) != m_shownStamp)
        text = tr("\"%1\" has changed since the panel read it (its size or modification time "
                              "differ). Nothing was written: select its sample again to see it as it is now.")
                   .arg(path);
    if (text.isEmpty())
        return true;
    ui::message(text, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
    return false;
}

void WavPanel::reloadIfCurrent(const QString &written)
{
    if (m_wavPath.isEmpty() || QFileInfo(written) != QFileInfo(m_wavPath))
        return;
    showWavInfo();
    drawWaveform();
}

void WavPanel::cleanUpWav()
{
    if (!isWavFile())
        return;
    wav::CleanUpResult result;
    std::optional<QByteArray> before;
    bool undoable = false;
    {
        ui::BusyPointer busy;
        before = bytesOf(m_wavPath, &undoable);
        result = wav::cleanUpWavFile(m_wavPath);
    }
    switch (result.status) {
    case wav::CleanUpStatus::Done:
        reloadIfCurrent(m_wavPath);
        if (undoable)
            Q_EMIT fileWritten(tr("CleanUp"), m_wavPath, before);
        return;
    case wav::CleanUpStatus::BadFileSize:
        ui::message(tr("Bad file size"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case wav::CleanUpStatus::DataNotFound:
        ui::message(tr("Data not found"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case wav::CleanUpStatus::WrongDataSize:
        ui::message(tr("Wrong Data Size"), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
        return;
    case wav::CleanUpStatus::Unreadable:
        ui::message(tr("CleanUp cannot make a file other programs can read of \"%1\": %2. The file was "
                                   "left as it was.")
                        .arg(QDir::toNativeSeparators(m_wavPath), result.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    case wav::CleanUpStatus::Failed:
        ui::message(tr("CleanUp could not rewrite \"%1\": %2. The file was left as it was.")
                        .arg(QDir::toNativeSeparators(m_wavPath), result.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
}

void WavPanel::createNoiseFile()
{
    const QString path = noiseFilePath();
    bool undoable = false;
    const std::optional<QByteArray> before = bytesOf(path, &undoable);
    const SaveResult saved = saveFileAtomically(path, wav::noiseWav());
    if (!saved.ok) {
        ui::message(tr("The noise file \"%1\" could not be written: %2")
                        .arg(QDir::toNativeSeparators(path), saved.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    reloadIfCurrent(path);
    if (undoable)
        Q_EMIT fileWritten(tr("creer bruit"), path, before);
    util::PlayIt(path);
}

void WavPanel::writeTestHeader()
{
    m_wavPath = testHeaderFilePath();
    bool undoable = false;
    const std::optional<QByteArray> before = bytesOf(m_wavPath, &undoable);
    QString error;
    if (!wav::stampTestHeaderFile(m_wavPath, &error)) {
        ui::message(tr("The header could not be written to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(m_wavPath), error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    reloadIfCurrent(m_wavPath);
    if (undoable)
        Q_EMIT fileWritten(tr("Ecrire une entete"), m_wavPath, before);
}

void WavPanel::removeBlockHeaders()
{
    const QDir folder(ui::programFolder());
    QString error;
    bool ok = false;
    bool undoable = false;
    const std::optional<QByteArray> before = bytesOf(folder.filePath(wav::kDeblockOutputName), &undoable);
    {
        ui::BusyPointer busy;
        ok = wav::deblockFile(folder.filePath(wav::kDeblockInputName), folder.filePath(wav::kDeblockOutputName),
                              &error);
    }
    if (!ok) {
        ui::message(tr("Command8 could not copy \"%1\" to \"%2\": %3")
                        .arg(QDir::toNativeSeparators(folder.filePath(wav::kDeblockInputName)),
                             QDir::toNativeSeparators(folder.filePath(wav::kDeblockOutputName)), error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, window());
        return;
    }
    reloadIfCurrent(folder.filePath(wav::kDeblockOutputName));
    if (undoable)
        Q_EMIT fileWritten(tr("Command8"), folder.filePath(wav::kDeblockOutputName), before);
    ui::message(QString(), ui::Buttons::Ok, ui::Icon::None, ui::kProgramTitle, window());
}

} // namespace tamo::msp_editor
