// The WAV panel never writes from a stale view, says what a failed write did, keeps
// its drawing clear of the bars and gives the system's reason when a tool fails.

#include "../wav/helper_wav.h"
#include "wav/wavtools.h"
#include "msp_editor/wavcanvas.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::wavgen;
using test::readAll;
using test::writeAll;

namespace {

// What happens between showing the file and "Ecrire les infos".
enum class Between { CleanUp, AppendOutside, EditPastFullDisk };

// The file CleanUp makes of `file`.
QByteArray cleaned(const QByteArray &file)
{
    wav::MemorySource source(file);
    wav::BufferSink out;
    wav::writeCleanUp(source, wav::planCleanUp(source), out);
    return out.bytes();
}

} // namespace

class TestWavPanelFaults : public QObject {
    Q_OBJECT
    QTemporaryDir m_home, m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        // The tools' fixed files go to the documents folder of this home.
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", QDir(m_home.path()).filePath(QStringLiteral(".config")).toLocal8Bit());
    }

    void writeBackFromWhatIsShown_data()
    {
        QTest::addColumn<Between>("between");
        QTest::addColumn<QString>("message"); // a part of it; empty: none
        // "data" at 66: a stale write would land in the cleaned file's payload.
        QTest::newRow("CleanUp, then write") << Between::CleanUp << QString();
        QTest::newRow("changed outside") << Between::AppendOutside << u"has changed since the panel read it"_qs;
        QTest::newRow("disk full") << Between::EditPastFullDisk << u"File too large. The file was left as it was"_qs;
    }

    void writeBackFromWhatIsShown()
    {
        QFETCH(Between, between);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        QWidget form;
        QString path = m_dir.filePath(QStringLiteral("PIANO1.wav"));
        auto *panel = new WavPanel(&form, &path);
        auto text = [&form](int n) { return form.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n)); };
        auto click = [&form](const char *name) { form.findChild<QPushButton *>(QLatin1String(name))->click(); };
        const QByteArray file = wavFile(payload(1000), "tail", chunk("LIST", QByteArray(22, 'i')));
        QVERIFY(writeAll(path, file));
        panel->showWavInfo();

        QByteArray expected = file;
        if (between == Between::CleanUp) {
            click("Command7");
            expected = cleaned(file);
            QCOMPARE(readAll(path), expected);
            QCOMPARE(form.findChild<QLabel *>(QStringLiteral("Label50"))->text(), QStringLiteral("0")); // shown afresh
        } else if (between == Between::AppendOutside) {
            expected += "more";
            QVERIFY(writeAll(path, expected));
        } else {
            text(7)->setText(QStringLiteral("2"));
            text(13)->setText(QStringLiteral("100000"));
            const test::FileSizeLimit limit(file.size() + 100);
            click("Command5");
            QCOMPARE(readAll(path), file);
            expected = file;
            expected.replace(22, 2, le16(2)).replace(70, 4, le32(100000)).append(100000 - 1000 - 4, '\0').append("tail");
        }
        click("Command5");
        // A failed write kept the edits, and the same write goes through once there is room.
        QCOMPARE(readAll(path), expected);
        QCOMPARE(platform.messages().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || platform.messages().first().text.contains(message));
    }

    // The drawing lies inside its viewport, clear of both bars; "Ecrire une entete" on a
    // folder says why it failed.
    void layoutAndReasons()
    {
        ui::ScriptedPlatform platform;
        QWidget form;
        QString path;
        new WavPanel(&form, &path);
        auto rect = [&form](const char *name) {
            const QWidget *w = form.findChild<QWidget *>(QLatin1String(name));
            return QRect(w->mapTo(&form, QPoint(0, 0)), w->size());
        };
        const QRect viewport = rect("Picture1"), canvas = rect("Picture2");
        QVERIFY(viewport.contains(canvas));
        QVERIFY(!canvas.intersects(rect("HScroll2")));
        QVERIFY(viewport.bottom() < rect("HScroll1").top());

        const QString folder = QDir(m_home.path()).filePath(QStringLiteral("Documents/TAMO/GRANDP00.wav"));
        QVERIFY(QDir().mkpath(folder));
        form.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
        QCOMPARE(platform.messages().size(), 1);
        QVERIFY2(platform.messages().first().text.endsWith(test::errorText(EISDIR)),
                 qPrintable(platform.messages().first().text));
    }
};

QTEST_MAIN(TestWavPanelFaults)
#include "test_wavpanel_faults.moc"
