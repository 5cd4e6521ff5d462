// The window layer: file dialog answers, filters, and the scripted double that every
// window test relies on.

#include "ui/platform.h"
#include "ui/scriptedplatform.h"

#include <QtTest>

using namespace tamo::ui;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The two answer forms of a file dialog, one file or a folder then NUL-separated names.
    void paths_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("paths");
        const auto joined = [](std::initializer_list<const char *> parts) {
            QStringList texts;
            for (const char *part : parts)
                texts << QString::fromLatin1(part);
            return texts.join(QChar(u'\0'));
        };
        QTest::newRow("one file") << false << QStringLiteral("/sets/PIANO1.WAV")
                                  << QStringList{QStringLiteral("/sets/PIANO1.WAV")};
        QTest::newRow("several") << false << joined({"/sets", "A.WAV", "B.WAV"})
                                 << QStringList{QStringLiteral("/sets/A.WAV"), QStringLiteral("/sets/B.WAV")};
        QTest::newRow("several in the root") << false << joined({"/", "A.WAV", "B.WAV"})
                                             << QStringList{QStringLiteral("/A.WAV"), QStringLiteral("/B.WAV")};
        QTest::newRow("cancelled") << true << QStringLiteral("/sets/PIANO1.WAV") << QStringList{};
    }

    void paths()
    {
        QFETCH(bool, cancelled);
        QFETCH(QString, fileName);
        QFETCH(QStringList, paths);
        FileDialogResult result;
        result.cancelled = cancelled;
        result.fileName = fileName;
        QCOMPARE(result.paths(), paths);
    }

    void nameFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("upper-case pattern also lower") << QStringLiteral("Wav Files (*.WAV)|*.WAV")
                                                       << QStringLiteral("Wav Files (*.WAV *.wav)");
        QTest::newRow("two filters, several patterns")
            << QStringLiteral("Ketron MultiSamPle Files (*.MSP)|*.MSP|All|*.*;*.txt")
            << QStringLiteral("Ketron MultiSamPle Files (*.MSP *.msp);;All (*.* *.txt)");
        QTest::newRow("description without pattern") << QStringLiteral("Banks|*.USD") << QStringLiteral("Banks (*.USD *.usd)");
        QTest::newRow("empty") << QString() << QString();
    }

    void nameFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(qtNameFilter(filter), qt);
    }

    void scriptedAnswersInOrder()
    {
        ScriptedPlatform platform;
        platform.queueAnswer(Answer::Yes);
        platform.queueFile(QStringLiteral("/a/ONE.MSP"));
        platform.queueFiles(QStringLiteral("/a"), {QStringLiteral("X.WAV")});
        platform.queueCancel();

        QCOMPARE(message(QStringLiteral("Sure ?"), Buttons::YesNo, Icon::Question), Answer::Yes);
        QCOMPARE(message(QStringLiteral("Done")), Answer::Ok);
        QCOMPARE(message(QStringLiteral("Again ?"), Buttons::YesNo), Answer::No); // none queued
        const FileDialogResult one = fileDialog({});
        QVERIFY(!one.cancelled);
        QCOMPARE(one.fileTitle, QStringLiteral("ONE.MSP"));
        // One name chosen in a multiple selection comes back as a plain path.
        QCOMPARE(fileDialog({}).fileName, QStringLiteral("/a/X.WAV"));
        QVERIFY(fileDialog({}).cancelled);

        const QList<MessageBox> expected = {{QStringLiteral("Sure ?"), Buttons::YesNo, Icon::Question, kProgramTitle},
                                            {QStringLiteral("Done"), Buttons::Ok, Icon::None, QStringLiteral("TAMO")},
                                            {QStringLiteral("Again ?"), Buttons::YesNo, Icon::None, kProgramTitle}};
        QCOMPARE(platform.messages(), expected);
        QCOMPARE(platform.dialogs().size(), 3);
        QCOMPARE(platform.unexpected(), 1);
        QCOMPARE(platform.pending(), 0);
    }

    // Names that do not fit the room the dialog was given come back as a failure.
    void answerLongerThanRoom()
    {
        ScriptedPlatform platform;
        platform.queueFiles(QStringLiteral("/wavs"), {QStringLiteral("A.WAV"), QStringLiteral("B.WAV")});
        FileDialogRequest request;
        request.multiSelect = true;
        request.maxLength = 10;
        QVERIFY(fileDialog(request).cancelled);
    }

    void busyAndQuit()
    {
        ScriptedPlatform platform;
        {
            const BusyPointer outer;
            const BusyPointer inner;
            QCOMPARE(platform.busyDepth(), 2);
        }
        QVERIFY(!platform.busy());
        quitProgram();
        QCOMPARE(platform.quitRequests(), 1);
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
