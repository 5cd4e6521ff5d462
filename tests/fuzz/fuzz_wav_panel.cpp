// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV panel on any file: the readout, the drawing at a zoom and pan taken
// from the input, and CleanUp with its messages. The write-back of the fields as
// shown: fuzz_wav_view.

#include "fuzzsupport.h"

#include "wav/wavinfo.h"
#include "wav/wavtools.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"
#include "ui/twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>

using namespace tamo;
using namespace tamo::wav;

namespace {

struct Panel {
    ui::ScriptedPlatform platform;
    QWidget form;
    msp_editor::WavPanel *panel = new msp_editor::WavPanel(&form);
    template <class T> T *child(const char *name) const { return fuzz::child<T>(&form, name); }
};
Panel *world = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    new QApplication(qtArgc, qtArgv);
    world = new Panel;
    ui::place(&world->form, 0, 0, 15240, 10830);
    world->form.show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const QString path = fuzz::writeFile(QStringLiteral("PANEL.wav"), bytes);
    world->panel->setWavPath(path);
    world->platform.clear();
    const WavFieldTexts shown = shownTexts(readWavView(bytes));
    world->panel->showWavInfo();
    FUZZ_CHECK(world->child<QLineEdit>("Text2")->text() == shown.riffSize);
    FUZZ_CHECK(world->child<QLineEdit>("Text13")->text() == shown.dataSize);

    const int zoom = bytes.isEmpty() ? 0 : quint8(bytes[bytes.size() - 1]);
    auto *zoomBar = world->child<QScrollBar>("HScroll1");
    auto *panBar = world->child<QScrollBar>("HScroll2");
    zoomBar->setValue(zoomBar->maximum() * (zoom % 5) / 4);
    panBar->setValue(panBar->maximum() * (zoom / 5 % 3) / 2);
    world->panel->drawWaveform();
    (void)world->child<QWidget>("Picture1")->grab(); // paints the visible part of the canvas

    // CleanUp: one message for a refusal, none for a clean-up; a refused file is left as it was.
    const QByteArray before = fuzz::readFile(path);
    MemorySource source(before);
    const CleanUpStatus expected = planCleanUp(source).status;
    world->panel->cleanUpWav();
    FUZZ_CHECK(world->platform.messageTexts().size() == (expected == CleanUpStatus::Done ? 0 : 1));
    FUZZ_CHECK(world->platform.unexpected() == 0);
    if (expected != CleanUpStatus::Done)
        FUZZ_CHECK(fuzz::readFile(path) == before);
    FUZZ_CHECK(fuzz::onlyFile(QStringLiteral("PANEL.wav")));
    return 0;
}
