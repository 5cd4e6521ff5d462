// The WAV panel on any file: the readout, the drawing at a zoom and pan taken
// from the input, "Ecrire les infos" as shown and with a typed data size, and
// CleanUp with its messages.

#include "fuzzsupport.h"

#include "msp/wavinfo.h"
#include "msp/wavtools.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"
#include "ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtEndian>

using namespace tamo;
using namespace tamo::msp;

namespace {

struct Panel {
    ui::ScriptedPlatform platform;
    QWidget form;
    QString currentWavPath;
    msp_editor::WavPanel *panel = nullptr;
    QDir folder = fuzz::scratchFolder();

    Panel()
    {
        ui::place(&form, 0, 0, 15240, 10830);
        panel = new msp_editor::WavPanel(&form, &currentWavPath);
        form.show();
    }
    template <class T> T *child(const char *name) const
    {
        T *widget = form.findChild<T *>(QLatin1String(name));
        FUZZ_CHECK(widget);
        return widget;
    }
};
Panel *world = nullptr;

QString cleanUpMessage(CleanUpStatus status)
{
    switch (status) {
    case CleanUpStatus::BadFileSize: return QStringLiteral("Bad file size");
    case CleanUpStatus::DataNotFound: return QStringLiteral("Data not found");
    case CleanUpStatus::WrongDataSize: return QStringLiteral("Wrong Data Size");
    default: return {};
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    Q_UNUSED(argc);
    new QApplication(qtArgc, qtArgv);
    world = new Panel;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const QString path = world->folder.filePath(QStringLiteral("PANEL.wav"));
    FUZZ_CHECK(fuzz::writeFile(path, bytes));
    world->currentWavPath = path;
    world->platform.clear();

    const WavView view = readWavView(bytes);
    const WavFieldTexts shown = shownTexts(view);
    world->panel->ShowWavInfo();
    FUZZ_CHECK(world->child<QLineEdit>("Text2")->text() == shown.riffSize);
    FUZZ_CHECK(world->child<QLineEdit>("Text12")->text() == shown.dataTag);
    FUZZ_CHECK(world->child<QLineEdit>("Text13")->text() == shown.dataSize);
    FUZZ_CHECK(world->child<QLabel>("Label18")->text() == (view.hasData() ? QString::number(view.after) : QString()));

    // Zoom and pan from the input, then the drawing is painted.
    const int zoom = bytes.isEmpty() ? 0 : quint8(bytes[bytes.size() - 1]);
    auto *zoomBar = world->child<QScrollBar>("HScroll1");
    auto *panBar = world->child<QScrollBar>("HScroll2");
    zoomBar->setValue(zoomBar->maximum() * (zoom % 5) / 4);
    panBar->setValue(panBar->maximum() * (zoom / 5 % 3) / 2);
    world->panel->DrawWaveform();
    (void)world->child<QWidget>("Picture1")->grab(); // the visible part of the canvas

    // Written back as shown: no message, and a RIFF file keeps its bytes.
    world->panel->Command5_Click();
    FUZZ_CHECK(world->platform.messages().isEmpty());
    const QByteArray afterWrite = fuzz::readFile(path);
    if (bytes.startsWith("RIFF") && afterWrite.size() == bytes.size())
        FUZZ_CHECK(afterWrite == bytes);

    // A data size typed by the user: drawn that far, then written or refused with a reason.
    if (bytes.size() >= 4) {
        // Kept near the file's length: the trailer is written right after that many bytes.
        const qint64 raw = qFromLittleEndian<qint32>(bytes.data() + bytes.size() - 4);
        const QString typed = QString::number(raw % (bytes.size() + 4096));
        world->child<QLineEdit>("Text13")->setText(typed);
        world->panel->DrawWaveform();
        (void)world->child<QWidget>("Picture1")->grab(); // the visible part of the canvas
        world->panel->Command5_Click();
        FUZZ_CHECK(world->platform.messages().size() <= 1);
        world->platform.clear();
    }

    // CleanUp: the message of its refusal, or none.
    const QByteArray before = fuzz::readFile(path);
    MemorySource source(before);
    const CleanUpStatus expected = planCleanUp(source).status;
    world->panel->Command7_Click();
    const QString message = cleanUpMessage(expected);
    FUZZ_CHECK(world->platform.messageTexts() == (message.isEmpty() ? QStringList() : QStringList{message}));
    if (expected != CleanUpStatus::Done)
        FUZZ_CHECK(fuzz::readFile(path) == before);
    FUZZ_CHECK(fuzz::entriesOf(world->folder) == QStringList{QStringLiteral("PANEL.wav")});
    FUZZ_CHECK(world->platform.unexpected() == 0);
    return 0;
}
