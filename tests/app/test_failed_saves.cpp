// Every save of the program, made to fail part-way: under a file-size limit, and on
// a full disk (a small tmpfs, mounted here when the test runs as root). The old file
// must survive byte for byte, no temporary may be left, the user must be told why,
// and the document must stay unsaved.

#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/wavpanel.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace tamo;

namespace {

// One save path, on a document holding an unsaved edit.
struct Scenario {
    std::unique_ptr<QWidget> window;
    QString file; // the file the save writes
    std::function<void()> save;
    std::function<bool()> unsaved = [] { return true; }; // the edit is still there, unsaved
    bool inPlace = false; // writes into the file itself, so its bytes may change
};

// Copies an example into folder; returns the copy's path.
QString copyExample(const QString &name, const QString &folder, const QString &as = {})
{
    const QString path = folder + u'/' + (as.isEmpty() ? name : as);
    const QString source = test::examplePath(name);
    if (!test::writeAll(path, test::readAll(source)))
        qFatal("cannot copy %s", qPrintable(source));
    return path;
}

void click(QWidget *w, const char *button) { w->findChild<QPushButton *>(QLatin1String(button))->click(); }

Scenario mspScenario(bool saveAs, ui::ScriptedPlatform &platform, const QString &folder)
{
    auto *form = new msp_editor::MspEditorWindow;
    const QString opened = copyExample(QStringLiteral("SINES.MSP"), folder);
    platform.queueFile(opened);
    form->openDocument();
    form->selectSlot(1);
    form->removeSelectedSample();
    Scenario s{std::unique_ptr<QWidget>(form), opened, [form] { form->saveDocument(); }};
    if (saveAs) {
        s.file = copyExample(QStringLiteral("SINES.MSP"), folder, QStringLiteral("OTHER.MSP"));
        s.save = [form, &platform, file = s.file] {
            platform.queueAnswer(ui::Answer::Yes); // replace the other file
            platform.queueFile(file);
            form->saveDocumentAs();
        };
    }
    s.unsaved = [form, opened] {
        return msp_editor::mspModified && form->CurrentMspPath == opened && form->record().sampleCount() == 2;
    };
    return s;
}

// A transfer window whose saved side holds, as its first entry, the other side's first.
template <class Window, class Document>
Scenario bankScenario(int side, const QString &mine, const QString &other, ui::ScriptedPlatform &platform,
                      const QString &folder, const std::optional<Document> &(Window::*document)(int) const)
{
    auto *form = new Window;
    const QString file = copyExample(mine, folder);
    const QString otherFile = copyExample(other, folder);
    platform.queueFile(side == 1 ? file : otherFile);
    click(form, "Command2");
    platform.queueFile(side == 2 ? file : otherFile);
    click(form, "Command5");
    form->template findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(0);
    form->template findChild<QListWidget *>(QStringLiteral("List2"))->setCurrentRow(0);
    click(form, side == 1 ? "Command3" : "Command4");
    const Document edited = *(form->*document)(side);
    return {std::unique_ptr<QWidget>(form), file,
            [form, side] { click(form, side == 1 ? "Command1" : "Command6"); },
            [form, side, edited, document] { return (form->*document)(side) == edited; }};
}

Scenario wavScenario(bool writeInfos, const QString &folder)
{
    auto *form = new msp_editor::MspEditorWindow;
    form->CurrentWavPath = copyExample(QStringLiteral("SINEC3.WAV"), folder);
    msp_editor::WavPanel *panel = form->wavPanel();
    Scenario s{std::unique_ptr<QWidget>(form), form->CurrentWavPath, [panel] { panel->cleanUpWav(); }};
    if (writeInfos) {
        // A long trailer, so that the file grows well past its old end.
        panel->showWavInfo();
        panel->findChild<QLineEdit *>(QStringLiteral("Text14"))->setText(QString(16384, u'x'));
        s.save = [panel] { panel->writeHeaderFields(); };
        s.inPlace = true;
    }
    return s;
}

Scenario makeScenario(const QString &kind, ui::ScriptedPlatform &platform, const QString &folder)
{
    const int side = kind.endsWith(u'2') ? 2 : 1;
    if (kind.startsWith(u"MSP"))
        return mspScenario(kind.endsWith(u"As"), platform, folder);
    if (kind.startsWith(u"USD"))
        return bankScenario<usd::DrumKitWindow, usd::UsdFile>(side, QStringLiteral("KITS1.USD"), QStringLiteral("KITS2.USD"),
                                                      platform, folder, &usd::DrumKitWindow::kit);
    if (kind.startsWith(u"USV"))
        return bankScenario<usv::UserVoiceWindow, usv::UsvFile>(side, QStringLiteral("VOICES1.USV"),
                                                        QStringLiteral("VOICES2.USV"), platform, folder,
                                                        &usv::UserVoiceWindow::usv);
    return wavScenario(kind == u"Ecrire les infos", folder);
}

// A tmpfs of a few pages on a temporary folder, unmounted again on destruction.
class TinyDisk {
public:
    bool mount()
    {
        m_mounted = QProcess::execute(QStringLiteral("mount"), QStringLiteral("-t tmpfs -o size=256k tmpfs").split(u' ')
                                                                   << m_dir.path()) == 0;
        return m_mounted;
    }
    ~TinyDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    QString path() const { return m_dir.path(); }

    // Fills the disk, then frees `spare` bytes (in whole pages) again.
    void fill(qint64 spare)
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, '\xAA');
        while (filler.write(block) == block.size()) {
        }
        QVERIFY(filler.resize(qMax<qint64>(0, filler.size() - spare)));
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class TestFailedSaves : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { msp_editor::mspModified = false; }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("fullDisk");
        for (const char *kind : {"MSP Save", "MSP Save As", "USD side 1", "USD side 2", "USV side 1", "USV side 2",
                                 "CleanUp", "Ecrire les infos"}) {
            QTest::addRow("%s, file-size limit", kind) << QString::fromLatin1(kind) << false;
            QTest::addRow("%s, full disk", kind) << QString::fromLatin1(kind) << true;
        }
    }

    void failedWrite()
    {
        QFETCH(QString, kind);
        QFETCH(bool, fullDisk);
        QTemporaryDir plainDir;
        TinyDisk disk;
        if (fullDisk && geteuid() != 0)
            QSKIP("Full-disk rows mount a tmpfs and need root; run the test as root to include them");
        if (fullDisk && !disk.mount())
            QSKIP("Full-disk rows skipped: mounting a tmpfs failed (no mount privilege here)");
        const QString folder = fullDisk ? disk.path() : plainDir.path();

        ui::ScriptedPlatform platform;
        Scenario s = makeScenario(kind, platform, folder);
        QVERIFY(s.unsaved());
        QCOMPARE(platform.messages().size(), 0);
        const QByteArray before = test::readAll(s.file);
        QVERIFY(!before.isEmpty());
        // Half the old size: the new file gets part of the way.
        if (fullDisk)
            disk.fill(before.size() / 2);
        const QStringList filesBefore = test::filesIn(folder);
        {
            std::unique_ptr<test::FileSizeLimit> limit;
            if (!fullDisk)
                limit = std::make_unique<test::FileSizeLimit>(before.size() / 2);
            s.save();
        }

        QList<ui::MessageBox> boxes = platform.messages();
        if (kind == u"MSP Save As")
            boxes.removeFirst(); // the question before replacing the other file
        QCOMPARE(boxes.size(), 1);
        const QString text = boxes.first().text;
        QVERIFY2(text.contains(s.file), qPrintable(text));
        const QString reason = QString::fromLocal8Bit(std::strerror(fullDisk ? ENOSPC : EFBIG));
        QVERIFY2(text.contains(reason), qPrintable(text));
        if (!s.inPlace)
            QVERIFY(test::readAll(s.file) == before);
        QCOMPARE(test::filesIn(folder), filesBefore);
        QVERIFY(s.unsaved());
        QCOMPARE(platform.unexpected(), 0);
    }
};

QTEST_MAIN(TestFailedSaves)
#include "test_failed_saves.moc"
