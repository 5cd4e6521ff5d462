// The editor under faults: a file that is not a multisample is written over only once
// the user agrees, two files on one short name are told at once, and sample names show
// every byte as something printable.

#include "helper_editor.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/mspeditorwindow.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tamo::ui::Answer)

class TestEditorFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void saveOverOtherFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<ui::Answer>("answer");
        QTest::newRow("Save, No") << u"MnuSave"_s << ui::Answer::No;
        QTest::newRow("Save, Yes") << u"MnuSave"_s << ui::Answer::Yes;
        QTest::newRow("Yes at the close prompt, then No") << u"close"_s << ui::Answer::No;
        QTest::newRow("Yes at the close prompt, then Yes") << u"close"_s << ui::Answer::Yes;
    }
    // A 40,044-byte WAV renamed TAKE1.MSP, opened ("not valid") and saved.
    void saveOverOtherFile()
    {
        QFETCH(QString, command);
        QFETCH(ui::Answer, answer);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"TAKE1.MSP"_s);
        QByteArray wav = "RIFF" + QByteArray(40040, '\x22');
        QVERIFY(writeAll(path, wav));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        platform.queueFile(path);
        run(form, u"MnuOuvrir"_s);
        form.record().setGlobal(msp::GlobalField::Level, 7);
        mspModified = true;
        platform.clear();
        if (command == u"close")
            platform.queueAnswer(ui::Answer::Yes);
        platform.queueAnswer(answer);
        run(form, command);
        QCOMPARE(platform.unexpected(), 0);
        const QString box = platform.messageTexts().value(command == u"close" ? 1 : 0);
        QVERIFY2(box.contains(path) && box.contains(u"not a multisample"_s), qPrintable(box));
        if (answer == ui::Answer::Yes)
            wav[14] = 7;
        QCOMPARE(readAll(path), wav);
    }

    void addClash_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("other"); // empty: no clash
        QTest::newRow("two long names") << QStringList{u"Grand Piano C3.wav"_s, u"Grand Piano A1.wav"_s} << u"Grand Piano A1.wav"_s << QString();
        QTest::newRow("names differing in case") << QStringList{u"PIANO.WAV"_s, u"piano.wav"_s} << u"piano.wav"_s << u"PIANO.WAV"_s;
    }
    void addClash()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, added);
        QFETCH(QString, other);
        QTemporaryDir dir;
        for (const QString &file : files)
            QVERIFY(touch(dir.filePath(file)));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.addWavFiles({dir.filePath(added)});
        QCOMPARE(listed(form).size(), 1);
        if (other.isEmpty()) {
            QCOMPARE(platform.messageTexts(), QStringList());
            return;
        }
        QCOMPARE(platform.messageTexts().size(), 1);
        const QString box = platform.messageTexts().first();
        QVERIFY2(box.contains(added) && box.contains(other), qPrintable(box));
    }

    void unassignedBytes()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        msp::MspRecord record = documentWith({u"A"_s});
        record.setSampleName(1, "A\x81\x8D\x8F\x90\x9D" "B");
        showRecord(form, record);
        QCOMPARE(listed(form), QStringList{u"A     B "_s});
        QCOMPARE(form.record().sampleName(1), QByteArray("A\x81\x8D\x8F\x90\x9D" "B "));
    }
};

QTEST_MAIN(TestEditorFaults)
#include "test_editor_faults.moc"
