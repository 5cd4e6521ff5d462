// Keyboard, Find loop on generated notes (undone by the old bytes), and the
// export's three choices asked through the platform.
#include "msp_editor/keyboardtools.h"
#include "msp_editor/mspeditorwindow.h"
#include "ui/scriptedplatform.h"

#include "helper_sound.h"
#include "helper_tone.h"
#include "testsupport.h"

#include <QAction>
#include <QListWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

class TestLoopTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findLoopAndExportChoices()
    {
        ui::ScriptedPlatform platform;
        QTemporaryDir dir;
        const QString held = dir.filePath(u"held.wav"_s), drum = dir.filePath(u"drum.wav"_s);
        for (const QString &path : {held, drum}) {
            const std::vector<float> x = test::tone::note(440, 44100, 1, path == drum);
            SF_INFO info{0, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
            SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
            QVERIFY(f && sf_writef_float(f, x.data(), sf_count_t(x.size())) > 0 && sf_close(f) == 0);
        }
        const QByteArray heldBytes = test::readAll(held), drumBytes = test::readAll(drum);
        const test::sound::Contents was = test::sound::read(held);
        msp_editor::MspEditorWindow editor;
        editor.addWavFiles({held, drum});
        QAction *findLoop = editor.findChild<QAction *>(u"MnuFindLoop"_s);
        QVERIFY(findLoop);

        editor.sampleList()->setCurrentRow(0);
        QCOMPARE(editor.sampleSourceFile(editor.selectedSlot()), held);
        findLoop->trigger();
        const test::sound::Contents now = test::sound::read(held);
        QVERIFY2(now.instrument && now.instrument->loop_count == 1, qPrintable(platform.messageTexts().join(u'\n')));
        const auto &loop = now.instrument->loops[0];
        QVERIFY(platform.messageTexts().last().endsWith(u": loop %1-%2."_s.arg(loop.start).arg(loop.end))
                || platform.messageTexts().last().contains(u": loop %1-%2, crossfade"_s.arg(loop.start).arg(loop.end)));
        // The frames stay, but for a crossfade just before the loop end.
        QCOMPARE(now.info.frames, was.info.frames);
        for (qint64 i = 0; i < was.info.frames; ++i)
            if (now.samples[std::size_t(i)] != was.samples[std::size_t(i)])
                QVERIFY2(i < loop.end && i >= loop.start, qPrintable(QString::number(i)));
        editor.undoStack()->undo();
        QCOMPARE(test::readAll(held), heldBytes);

        editor.sampleList()->setCurrentRow(1);
        findLoop->trigger();
        QVERIFY(platform.messageTexts().last().contains(u": no loop: "_s));
        QCOMPARE(test::readAll(drum), drumBytes);

        // Export with Find loops ticked: the copy loops, the source does not.
        const QString target = dir.filePath(u"stick"_s);
        QVERIFY(QDir().mkpath(target));
        platform.queueFile(target);
        platform.queueText(u"SET"_s);
        platform.queueChoices(QList<bool>{true, false, false});
        editor.keyboardTools()->exportForKeyboard();
        QCOMPARE(platform.pending(), 0);
        QVERIFY2(platform.messageTexts().last().contains(u": loop "_s) && platform.messageTexts().last().contains(u": no loop: "_s),
                 qPrintable(platform.messageTexts().last()));
        QCOMPARE(test::readAll(held), heldBytes);
    }
};

QTEST_MAIN(TestLoopTool)
#include "test_looptool.moc"
