// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard, Find loop (undone by the old bytes), the export's choices, a looped audition.
#include "msp_editor/keyboardtools.h"
#include "msp_editor/mspeditorwindow.h"
#include "ui/scriptedplatform.h"
#include "wav/pitchedpreview.h"

#include "helper_sound.h"
#include "testsupport.h"

#include <QAction>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

using namespace tamo;
using namespace Qt::StringLiterals;

class TestLoopTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findLoopAndExportChoices()
    {
        ui::ScriptedPlatform platform;
        QTemporaryDir dir;
        const QString held = dir.filePath(u"held.wav"_s), target = dir.filePath(u"stick"_s);
        QVERIFY(test::sound::write24(held, test::sound::note(440, 44100, 1, false), 44100, 1, SF_FORMAT_PCM_16) && QDir().mkdir(target));
        const QByteArray bytes = test::readAll(held);
        const test::sound::Contents was = test::sound::read(held);
        msp_editor::MspEditorWindow editor;
        editor.addWavFiles({held}), editor.sampleList()->setCurrentRow(0);
        editor.findChild<QAction *>(u"MnuFindLoop"_s)->trigger();
        const test::sound::Contents now = test::sound::read(held);
        QVERIFY(now.instrument && now.instrument->loop_count == 1);
        const auto &loop = now.instrument->loops[0];
        QVERIFY(platform.messageTexts().last().contains(u": loop %1-%2"_s.arg(loop.start).arg(loop.end)));
        for (std::size_t i = 0; i < was.samples.size(); ++i) // a crossfade only changes looped frames
            QVERIFY(now.samples[i] == was.samples[i] || (i >= loop.start && i < loop.end));
        editor.undoStack()->undo();
        QCOMPARE(test::readAll(held), bytes);

        platform.queueFile(target), platform.queueText(u"SET"_s), platform.queueChoices(QList<bool>{true, false, false});
        editor.keyboardTools()->exportForKeyboard();
        QVERIFY(platform.pending() == 0 && platform.messageTexts().last().contains(u"held.WAV: loop "_s));
        QCOMPARE(test::readAll(held), bytes);

        const QString looped = dir.filePath(u"looped.wav"_s); // its audition sustains: 1 s plays 2 s
        QVERIFY(test::sound::write(looped, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44100, 60, test::sound::Loop{1000, 30000}));
        QCOMPARE(wav::pitchedPreview(looped, 0, 2.0, nullptr).samples.size(), std::size_t(2 * 44100));
    }
};

QTEST_MAIN(TestLoopTool)
#include "test_looptool.moc"
