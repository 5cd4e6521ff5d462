// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP editor opening any file: File > Open, the view refresh, and the selection
// of every listed sample.

#include "fuzzsupport.h"

#include "msp/msprecord.h"
#include "msp_editor/mspeditorwindow.h"
#include "ui/scriptedplatform.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>

using namespace tamo;
using namespace tamo::msp;

namespace {

struct Editor {
    ui::ScriptedPlatform platform;
    msp_editor::MspEditorWindow form;
    QListWidget *list = fuzz::child<QListWidget>(&form, "List1");
    QLabel *count = fuzz::child<QLabel>(&form, "Label25");
};
Editor *editor = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char *qtArgv[] = {(*argv)[0], nullptr};
    new QApplication(qtArgc, qtArgv);
    editor = new Editor;
    editor->form.show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const MspRecord expected = MspRecord::fromBytes(bytes);
    const QString path = fuzz::writeFile(QStringLiteral("FUZZ.MSP"), bytes);
    editor->platform.clear();
    editor->platform.queueFile(path);
    editor->form.openDocument();
    FUZZ_CHECK(editor->platform.pending() == 0 && editor->platform.unexpected() == 0);
    FUZZ_CHECK(editor->form.record() == expected && editor->form.document().path() == path);
    FUZZ_CHECK(!editor->form.document().isModified());

    // An invalid file is reported once and nothing of it is listed; a valid one
    // lists at most 64 names, whatever its sample count says.
    const bool valid = expected.isValid();
    FUZZ_CHECK(editor->platform.messageTexts()
               == (valid ? QStringList() : QStringList{QStringLiteral("This is not a valid Ketron MSP file !")}));
    const int listed = valid ? expected.usedSlotCount() : 0;
    FUZZ_CHECK(editor->list->count() == listed);
    FUZZ_CHECK(editor->count->text() == QStringLiteral("%1 SAMPLES").arg(valid ? expected.sampleCount() : 0));
    // The fields' formats are test_msprecord's and the editor's; here: selecting any listed sample is safe.
    for (int slot = 1; slot <= listed; ++slot)
        editor->form.selectSlot(slot);
    editor->form.selectSlot(0);
    return 0;
}
