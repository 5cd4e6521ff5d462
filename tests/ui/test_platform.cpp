// SPDX-License-Identifier: GPL-3.0-or-later
// The window layer's own rules (dialog answers, filters) and the scripted double
// that every window test relies on.

#include "ui/scriptedplatform.h"

#include <QtTest>

using namespace tamo::ui;
using namespace Qt::StringLiterals;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A file dialog answers one path, or a folder then NUL-separated names.
    void paths()
    {
        const auto paths = [](bool cancelled, const QString &fileName) { return FileDialogResult{cancelled, fileName, {}}.paths(); };
        QCOMPARE(paths(false, u"/sets/PIANO1.WAV"_s), QStringList{u"/sets/PIANO1.WAV"_s});
        QCOMPARE(paths(false, u"/sets\0A.WAV\0B.WAV"_s), (QStringList{u"/sets/A.WAV"_s, u"/sets/B.WAV"_s}));
        QCOMPARE(paths(false, u"/\0A.WAV\0B.WAV"_s), (QStringList{u"/A.WAV"_s, u"/B.WAV"_s}));
        QCOMPARE(paths(true, u"/sets/PIANO1.WAV"_s), QStringList());
    }

    // Each pattern also in lower case, since the file system may tell case apart.
    void nameFilter()
    {
        QCOMPARE(qtNameFilter(u"Wav Files (*.WAV)|*.WAV"_s), u"Wav Files (*.WAV *.wav)"_s);
        QCOMPARE(qtNameFilter(u"Banks (*.USD)|*.USD|All|*.*;*.txt"_s), u"Banks (*.USD *.usd);;All (*.* *.txt)"_s);
    }

    // Answers come in order; a question with none queued is unexpected and gets No.
    void scriptedDouble()
    {
        ScriptedPlatform platform;
        platform.queueAnswer(Answer::Yes);
        platform.queueFiles(u"/a"_s, {u"X.WAV"_s});
        QCOMPARE(message(u"Sure ?"_s, Buttons::YesNo, Icon::Question), Answer::Yes);
        QCOMPARE(message(u"Again ?"_s, Buttons::YesNo), Answer::No);
        // One name chosen in a multiple selection comes back as a plain path.
        QCOMPARE(fileDialog({}).fileName, u"/a/X.WAV"_s);
        {
            const BusyPointer outer, inner;
            QCOMPARE(platform.busyDepth(), 2);
        }
        QCOMPARE(platform.messages(), (QList<MessageBox>{{u"Sure ?"_s, Buttons::YesNo, Icon::Question, u"TAMO"_s}, {u"Again ?"_s, Buttons::YesNo, Icon::None, u"TAMO"_s}}));
        QVERIFY(platform.unexpected() == 1 && platform.busyDepth() == 0);
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
