// The document commands of the MSP editor window: New, Open, Save, Save As, Close,
// Quit and About, driven through the menu with scripted dialogs and answers.

#include "msp/msprecord.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using tamo::msp_editor::Form1;
using tamo::msp_editor::MspModified;
using tamo::ui::Answer;

namespace {

const QString kAskText = QStringLiteral("The file was modified.\r\n\r\nDo you want to save the modifications ?");
const QString kInvalidText = QStringLiteral("This is not a valid Ketron MSP file !");

void run(Form1 &form, const char *action)
{
    auto *a = form.findChild<QAction *>(QLatin1String(action));
    QVERIFY2(a, action);
    a->trigger();
}

QStringList listed(const Form1 &form)
{
    QStringList lines;
    const auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QString text(const Form1 &form, const QString &name)
{
    if (const auto *edit = form.findChild<QLineEdit *>(name))
        return edit->text();
    return form.findChild<QLabel *>(name)->text();
}

// A document of named samples, each with its own volume so slots can be told apart.
msp::MspRecord documentWith(const QStringList &names)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    for (int i = 0; i < names.size(); ++i) {
        record.setSampleName(i + 1, names.at(i).toLatin1());
        record.setSample(msp::SampleField::Volume, i + 1, quint8(100 + i));
    }
    record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
    return record;
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A window whose document holds unsaved samples, as after an import.
    void makeModified(Form1 &form, const QStringList &names = {QStringLiteral("PIANO1")})
    {
        form.record() = documentWith(names);
        form.RefreshMspView();
        MspModified = true;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        MspModified = false;
    }

    void startsWithNewDocument()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(form.windowTitle(), QStringLiteral("   MSP Editor for KETRON SD1"));
        QCOMPARE(text(form, QStringLiteral("Label25")), QStringLiteral("0 SAMPLES"));
        QVERIFY(listed(form).isEmpty());
        QVERIFY(form.CurrentMspPath.isEmpty());
        QVERIFY(!MspModified);
        QCOMPARE(form.record(), msp::MspRecord::newDocument());
        const QList<std::pair<const char *, const char *>> shown = {
            {"Text21", "0"}, {"Text22", "32"}, {"Text23", "0"}, {"Text24", "OFF"},
            {"Text37", "0"}, {"Label33", "OFF"}, {"Text15", ""}, {"Text36", ""}};
        for (const auto &[name, value] : shown)
            QCOMPARE(text(form, QLatin1String(name)), QLatin1String(value));
        for (const char *amount : {"Text25", "Text26", "Text27", "Label30", "Label31", "Label32"})
            QVERIFY2(form.findChild<QWidget *>(QLatin1String(amount))->isHidden(), amount);
    }

    // What New does to an unsaved document, by answer and by whether it has a name.
    void newAsksFirst_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cancelSaveAs");
        QTest::addColumn<bool>("written");
        QTest::newRow("unmodified: no prompt") << false << true << -1 << false << false;
        QTest::newRow("Yes saves to the path") << true << true << int(Answer::Yes) << false << true;
        QTest::newRow("No discards") << true << true << int(Answer::No) << false << false;
        QTest::newRow("Yes untitled, Save As cancelled") << true << false << int(Answer::Yes) << true << false;
        QTest::newRow("Yes untitled, Save As named") << true << false << int(Answer::Yes) << false << true;
    }

    void newAsksFirst()
    {
        QFETCH(bool, modified);
        QFETCH(bool, titled);
        QFETCH(int, answer);
        QFETCH(bool, cancelSaveAs);
        QFETCH(bool, written);
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString file = path(QStringLiteral("NEW.MSP"));
        QFile::remove(file);
        if (titled)
            form.CurrentMspPath = file;
        makeModified(form);
        MspModified = modified;
        const QByteArray unsaved = form.record().bytes();
        if (answer >= 0)
            platform.queueAnswer(Answer(answer));
        if (modified && !titled)
            cancelSaveAs ? platform.queueCancel() : platform.queueFile(file);

        run(form, "MnuNew");

        if (modified) {
            QCOMPARE(platform.messages().size(), 1);
            const ui::MessageBox &box = platform.messages().first();
            QCOMPARE(box.text, kAskText);
            QCOMPARE(box.title, QStringLiteral("MSP Editor"));
            QCOMPARE(box.buttons, ui::Buttons::YesNo);
            QCOMPARE(box.icon, ui::Icon::Question);
        } else {
            QVERIFY(platform.messages().isEmpty());
        }
        QCOMPARE(QFile::exists(file), written);
        if (written)
            QCOMPARE(test::readAll(file), unsaved);
        QCOMPARE(platform.unexpected(), 0);
        QCOMPARE(platform.pending(), 0);
        // Whatever happened to the old one, the window now shows a new, untitled document.
        QCOMPARE(form.record(), msp::MspRecord::newDocument());
        QVERIFY(listed(form).isEmpty());
        QVERIFY(!MspModified);
        QVERIFY(form.CurrentMspPath.isEmpty());
    }

    void newThenSaveAsksForName()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString opened = path(QStringLiteral("OPENED.MSP"));
        QVERIFY(test::writeAll(opened, documentWith({QStringLiteral("OLD")}).bytes()));
        const QByteArray before = test::readAll(opened);
        platform.queueFile(opened);
        run(form, "MnuOuvrir");
        QCOMPARE(form.CurrentMspPath, opened);
        run(form, "MnuNew");
        platform.queueCancel();
        run(form, "MnuSave");
        QCOMPARE(platform.dialogs().size(), 2);
        QCOMPARE(platform.dialogs().last().mode, ui::FileDialogRequest::Mode::Save);
        QCOMPARE(test::readAll(opened), before);
    }

    void openReadsTheChosenFile()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString file = path(QStringLiteral("SET.MSP"));
        msp::MspRecord stored = documentWith({QStringLiteral("PIANO1"), QStringLiteral("STRINGS")});
        stored.setSampleReserved(3, 2, 0xAB); // bytes the editor does not show stay as read
        QVERIFY(test::writeAll(file, stored.bytes()));
        platform.queueFile(file);

        run(form, "MnuOuvrir");

        QCOMPARE(platform.dialogs().size(), 1);
        const ui::FileDialogRequest &request = platform.dialogs().first();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Open);
        QCOMPARE(request.filter, QStringLiteral("Ketron MultiSamPle Files (*.MSP)|*.MSP"));
        QCOMPARE(request.initialFolder, ui::programFolder());
        QVERIFY(!request.multiSelect);
        QCOMPARE(platform.busyDepth(), 0);
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(form.record(), stored);
        QCOMPARE(form.CurrentMspPath, file);
        QCOMPARE(listed(form), (QStringList{QStringLiteral("PIANO1  "), QStringLiteral("STRINGS ")}));
        QCOMPARE(text(form, QStringLiteral("Label25")), QStringLiteral("2 SAMPLES"));
        QVERIFY(!MspModified);
    }

    void openAsksBeforeTheDialog()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        makeModified(form);
        int dialogsWhenAsked = -1;
        platform.onMessage = [&](const ui::MessageBox &) { dialogsWhenAsked = int(platform.dialogs().size()); };
        platform.queueAnswer(Answer::No);
        platform.queueCancel();
        run(form, "MnuOuvrir");
        QCOMPARE(platform.messageTexts(), QStringList{kAskText});
        QCOMPARE(dialogsWhenAsked, 0);
        QCOMPARE(platform.dialogs().size(), 1);
        // No then a cancelled dialog: the unsaved document is still there and still unsaved.
        QCOMPARE(listed(form), QStringList{QStringLiteral("PIANO1  ")});
        QVERIFY(MspModified);
    }

    // A chosen file that cannot be read keeps the document and its path.
    void openFailureKeepsDocument_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("cancelled") << QString();
        QTest::newRow("missing file") << QStringLiteral("MISSING.MSP");
        QTest::newRow("a folder") << QStringLiteral("FOLDER.MSP");
    }

    void openFailureKeepsDocument()
    {
        QFETCH(QString, chosen);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("FOLDER.MSP")));
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString previous = path(QStringLiteral("PREVIOUS.MSP"));
        form.CurrentMspPath = previous;
        makeModified(form);
        const msp::MspRecord before = form.record();
        platform.queueAnswer(Answer::No);
        chosen.isEmpty() ? platform.queueCancel() : platform.queueFile(path(chosen));

        run(form, "MnuOuvrir");

        QCOMPARE(platform.messageTexts(), QStringList{kAskText});
        QCOMPARE(form.record(), before);
        QCOMPARE(form.CurrentMspPath, previous);
        QCOMPARE(listed(form), QStringList{QStringLiteral("PIANO1  ")});
        QVERIFY(MspModified);
        QCOMPARE(platform.busyDepth(), 0);
    }

    void openInvalidFile_data()
    {
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("lower case") << QByteArray("tamo00");
        QTest::newRow("other") << QByteArray("RIFF\0\0", 6);
    }

    void openInvalidFile()
    {
        QFETCH(QByteArray, magic);
        ui::ScriptedPlatform platform;
        Form1 form;
        msp::MspRecord stored = documentWith({QStringLiteral("PIANO1")});
        stored.setGlobal(msp::GlobalField::Effect, 0x87);
        stored.setMagic(magic);
        const QString file = path(QStringLiteral("BAD.MSP"));
        QVERIFY(test::writeAll(file, stored.bytes()));
        platform.queueFile(file);

        run(form, "MnuOuvrir");

        QCOMPARE(platform.messages().size(), 1);
        const ui::MessageBox &box = platform.messages().first();
        QCOMPARE(box.text, kInvalidText);
        QCOMPARE(box.icon, ui::Icon::Exclamation);
        QCOMPARE(box.buttons, ui::Buttons::Ok);
        QCOMPARE(box.title, ui::kProgramTitle);
        QVERIFY(listed(form).isEmpty());
        QCOMPARE(text(form, QStringLiteral("Label25")), QStringLiteral("0 SAMPLES"));
        for (const char *global : {"Text21", "Text22", "Text23", "Text24", "Text37", "Label33"})
            QVERIFY2(text(form, QLatin1String(global)).isEmpty(), global);
        QCOMPARE(form.CurrentMspPath, file);
        QVERIFY(!MspModified);
    }

    void saveWritesTheRecord()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString file = path(QStringLiteral("SAVE.MSP"));
        QVERIFY(test::writeAll(file, QByteArray(3000, 'x'))); // replaced, longer tail included
        form.CurrentMspPath = file;
        makeModified(form, {QStringLiteral("A"), QStringLiteral("B")});
        form.selectSlot(2);

        run(form, "MnuSave");

        QVERIFY(platform.dialogs().isEmpty());
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(test::readAll(file), form.record().bytes());
        QCOMPARE(test::readAll(file).size(), msp::kMspRecordSize);
        QVERIFY(!MspModified);
        QCOMPARE(form.selectedSlot(), 0); // the view was rebuilt
        QCOMPARE(form.CurrentMspPath, file);
    }

    // Save on an untitled document is Save As.
    void saveAs_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("Save untitled, cancelled") << QStringLiteral("MnuSave") << false << true;
        QTest::newRow("Save untitled, named") << QStringLiteral("MnuSave") << false << false;
        QTest::newRow("Save As, cancelled") << QStringLiteral("MnuSaveAs") << true << true;
        QTest::newRow("Save As, named") << QStringLiteral("MnuSaveAs") << true << false;
    }

    void saveAs()
    {
        QFETCH(QString, command);
        QFETCH(bool, titled);
        QFETCH(bool, cancel);
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString old = path(QStringLiteral("OLD.MSP"));
        const QString chosen = path(QStringLiteral("CHOSEN.MSP"));
        QFile::remove(chosen);
        QVERIFY(test::writeAll(old, msp::MspRecord::newDocument().bytes()));
        const QString before = titled ? old : QString();
        form.CurrentMspPath = before;
        makeModified(form);
        cancel ? platform.queueCancel() : platform.queueFile(chosen);

        run(form, command.toLatin1().constData());

        QCOMPARE(platform.dialogs().size(), 1);
        const ui::FileDialogRequest &request = platform.dialogs().first();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Save);
        QCOMPARE(request.filter, QStringLiteral("Ketron MultiSamPle Files (*.MSP)|*.MSP"));
        QCOMPARE(request.initialFolder, ui::programFolder());
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(platform.busyDepth(), 0);
        QCOMPARE(test::readAll(old), msp::MspRecord::newDocument().bytes());
        if (cancel) {
            QVERIFY(!QFile::exists(chosen));
            QCOMPARE(form.CurrentMspPath, before);
            QVERIFY(MspModified);
        } else {
            QCOMPARE(test::readAll(chosen), form.record().bytes());
            QCOMPARE(form.CurrentMspPath, chosen);
            QVERIFY(!MspModified);
        }
    }

    // A write that fails says so, keeps the old file and the document unsaved.
    void saveFailure_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << QStringLiteral("MnuSave");
        QTest::newRow("Save As") << QStringLiteral("MnuSaveAs");
    }

    void saveFailure()
    {
        QFETCH(QString, command);
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString file = path(QStringLiteral("FULL.MSP"));
        const QByteArray old = msp::MspRecord::newDocument().bytes();
        QVERIFY(test::writeAll(file, old));
        const QString previous = command == u"MnuSave" ? file : path(QStringLiteral("OTHER.MSP"));
        form.CurrentMspPath = previous;
        makeModified(form);
        if (command == u"MnuSaveAs")
            platform.queueFile(file);
        {
            const test::FileSizeLimit diskFull(100);
            run(form, command.toLatin1().constData());
        }
        QCOMPARE(platform.messages().size(), 1);
        const ui::MessageBox &box = platform.messages().first();
        QVERIFY2(box.text.contains(file), qPrintable(box.text));
        QVERIFY2(box.text.contains(QStringLiteral("File too large"), Qt::CaseInsensitive)
                     || box.text.contains(QStringLiteral("space"), Qt::CaseInsensitive),
                 qPrintable(box.text));
        QCOMPARE(box.icon, ui::Icon::Exclamation);
        QVERIFY(MspModified);
        QCOMPARE(test::readAll(file), old);
        QCOMPARE(form.CurrentMspPath, previous);
        QCOMPARE(listed(form), QStringList{QStringLiteral("PIANO1  ")});
        QCOMPARE(test::filesIn(m_dir.path()).filter(QStringLiteral("FULL")), QStringList{QStringLiteral("FULL.MSP")});
    }

    void closeAsks_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("unmodified") << false << true << -1 << false;
        QTest::newRow("No") << true << true << int(Answer::No) << false;
        QTest::newRow("Yes") << true << true << int(Answer::Yes) << true;
        QTest::newRow("Yes untitled, Save As cancelled") << true << false << int(Answer::Yes) << false;
    }

    void closeAsks()
    {
        QFETCH(bool, modified);
        QFETCH(bool, titled);
        QFETCH(int, answer);
        QFETCH(bool, written);
        ui::ScriptedPlatform platform;
        Form1 form;
        form.show();
        const QString file = path(QStringLiteral("CLOSE.MSP"));
        QFile::remove(file);
        if (titled)
            form.CurrentMspPath = file;
        makeModified(form);
        MspModified = modified;
        if (answer >= 0)
            platform.queueAnswer(Answer(answer));
        if (modified && !titled)
            platform.queueCancel();

        QVERIFY(form.close());

        QVERIFY(!form.isVisible());
        QCOMPARE(platform.messageTexts(), modified ? QStringList{kAskText} : QStringList{});
        QCOMPARE(QFile::exists(file), written);
        QCOMPARE(platform.pending(), 0);
        QCOMPARE(platform.quitRequests(), 0);
    }

    void quitAsksNothing()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        const QString file = path(QStringLiteral("QUIT.MSP"));
        QFile::remove(file);
        form.CurrentMspPath = file;
        makeModified(form);
        run(form, "MnuEnd");
        QCOMPARE(platform.quitRequests(), 1);
        QVERIFY(platform.messages().isEmpty());
        QVERIFY(platform.dialogs().isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    void about()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        run(form, "MnuAbout");
        const QList<ui::MessageBox> expected = {
            {QStringLiteral("MultiSamPles (MSP) Files Editor for Ketron SD1\r\n\r\nV1.04    Uncompleted Version !!!"),
             ui::Buttons::Ok, ui::Icon::None, QStringLiteral("TAMO")}};
        QCOMPARE(platform.messages(), expected);
    }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
