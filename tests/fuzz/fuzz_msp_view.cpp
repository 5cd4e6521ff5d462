// The MSP editor window opening any file: File > Open, the view refresh, the
// selection of every listed sample, and a mouse release that opens a sample's WAV
// file in the panel.
//
// Input: the MSP file's bytes; whatever lies past the record's 2644 bytes (which
// the reader ignores) becomes the WAV file of the first sample, beside the MSP file.

#include "fuzzsupport.h"

#include "msp/msprecord.h"
#include "msp/valueformats.h"
#include "msp/wavinfo.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include <algorithm>

using namespace tamo;
using namespace tamo::msp;

namespace {

struct Editor {
    ui::ScriptedPlatform platform;
    msp_editor::Form1 form;
    QDir folder = fuzz::scratchFolder();
    QListWidget *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    QLabel *count = form.findChild<QLabel *>(QStringLiteral("Label25"));
};
Editor *editor = nullptr;

const QString kInvalid = QStringLiteral("This is not a valid Ketron MSP file !");

QString text(const char *name)
{
    const QLineEdit *edit = editor->form.findChild<QLineEdit *>(QLatin1String(name));
    FUZZ_CHECK(edit);
    return edit->text();
}

// A name that stands for a file beside the MSP file: letters, digits, '_' and '-'.
bool plainName(const QByteArray &name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'
               || c == '-';
    });
}

void release(int row)
{
    const QRect rect = editor->list->visualItemRect(editor->list->item(row));
    const QPointF at = rect.center();
    QMouseEvent up(QEvent::MouseButtonRelease, at, editor->list->viewport()->mapToGlobal(at), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(editor->list->viewport(), &up);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    Q_UNUSED(argc);
    new QApplication(qtArgc, qtArgv);
    editor = new Editor;
    editor->form.show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const MspRecord expected = MspRecord::fromBytes(bytes);
    const QString mspPath = editor->folder.filePath(QStringLiteral("FUZZ.MSP"));
    FUZZ_CHECK(fuzz::writeFile(mspPath, bytes));

    // The tail as the first sample's WAV file, named in another letter case.
    QString wavPath;
    const QByteArray firstName = expected.sampleName(1).trimmed();
    if (bytes.size() > kMspRecordSize && plainName(firstName)) {
        wavPath = editor->folder.filePath(QString::fromLatin1(firstName.toLower() + ".WAV"));
        FUZZ_CHECK(fuzz::writeFile(wavPath, bytes.sliced(kMspRecordSize)));
    }

    editor->platform.clear();
    msp_editor::MspModified = false;
    editor->form.CurrentWavPath.clear();
    editor->platform.queueFile(mspPath);
    editor->form.MnuOuvrir_Click();
    FUZZ_CHECK(editor->platform.pending() == 0);
    FUZZ_CHECK(editor->form.record() == expected);
    FUZZ_CHECK(editor->form.CurrentMspPath == mspPath);
    FUZZ_CHECK(!msp_editor::MspModified);

    // An invalid file is reported once and nothing of it is listed; a valid one
    // lists at most 64 names, whatever its sample count says.
    const bool valid = expected.isValid();
    FUZZ_CHECK(editor->platform.messageTexts() == (valid ? QStringList() : QStringList{kInvalid}));
    const int listed = valid ? expected.usedSlotCount() : 0;
    FUZZ_CHECK(editor->list->count() == listed);
    FUZZ_CHECK(editor->count->text()
               == QStringLiteral("%1 SAMPLES").arg(valid ? expected.sampleCount() : 0));
    if (valid) {
        FUZZ_CHECK(text("Text22") == QString::number(HalfValue(expected.global(GlobalField::Level))));
        FUZZ_CHECK(text("Text23") == OctaveText(expected.global(GlobalField::Octave)));
    }

    int opened = 0;
    for (int slot = 1; slot <= listed; ++slot) {
        editor->form.selectSlot(slot);
        FUZZ_CHECK(editor->form.selectedSlot() == slot);
        FUZZ_CHECK(text("Text17") == QString::number(expected.sample(SampleField::Volume, slot)));
        FUZZ_CHECK(text("Text19") == NoteName(expected.sample(SampleField::Key, slot)));
        FUZZ_CHECK(text("Text36") == QString::number(HighNibble(expected.sample(SampleField::Dcf, slot))));
        // Releasing the button over a sample with a WAV file shows that file.
        if (opened < 2 && !editor->form.wavFileFor(editor->list->item(slot - 1)->text()).isEmpty()) {
            ++opened;
            release(slot - 1);
            const WavView view = readWavView(fuzz::readFile(editor->form.CurrentWavPath));
            FUZZ_CHECK(text("Text12") == (view.hasData() ? QStringLiteral("data") : QString()));
        }
    }
    FUZZ_CHECK(editor->platform.unexpected() == 0);
    editor->form.selectSlot(0);
    if (!wavPath.isEmpty())
        QFile::remove(wavPath);
    return 0;
}
