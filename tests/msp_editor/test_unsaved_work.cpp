// The MSP editor never loses work: the unsaved-changes question with Cancel, undo and
// redo, Save As names, the WAV panel on the current line, drops and recent documents.

#include "helper_editor.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "ui/twips.h"
#include "util/recentfiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

using namespace tamo;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;
using msp::MspRecord;
using msp_editor::MspEditorWindow;
using msp_editor::mspModified;

namespace {

// Drops files on widget at pos. Straight to the widget, as the drag manager hands a
// drop to its target: QApplication passes on only drops of a drag it runs itself.
void drop(QWidget &widget, const QStringList &files, QPoint pos)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    mime.setUrls(urls);
    QDropEvent event(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject &>(widget).event(&event);
}

QPoint listCentre(MspEditorWindow &form)
{
    auto *list = form.findChild<QListWidget *>(u"List1"_s);
    return list->mapTo(&form, list->rect().center());
}

void click(MspEditorWindow &form, const QString &name) { QTest::mouseClick(form.findChild<QWidget *>(name), Qt::LeftButton); }

} // namespace

class TestUnsavedWork : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { mspModified = false; }

    void askBeforeLosingWork_data()
    {
        QTest::addColumn<QString>("command"); // a menu item, "close", "picker" (its strip) or "drop"
        QTest::addColumn<QString>("answer");  // empty: nothing unsaved, no question
        QTest::addColumn<bool>("untitled");
        QTest::addColumn<bool>("proceeds");
        QTest::addColumn<bool>("saved");
        QTest::newRow("New, Cancel") << "MnuNew" << "Cancel" << false << false << false;
        QTest::newRow("Open, Yes") << "MnuOuvrir" << "Yes" << false << true << true;
        QTest::newRow("Quit, Cancel") << "MnuEnd" << "Cancel" << false << false << false;
        QTest::newRow("Quit, Yes") << "MnuEnd" << "Yes" << false << true << true;
        QTest::newRow("Quit, nothing unsaved") << "MnuEnd" << "" << false << true << false;
        QTest::newRow("close, Cancel") << "close" << "Cancel" << false << false << false;
        QTest::newRow("close, Yes, Save As cancelled") << "close" << "Yes" << true << false << false;
        QTest::newRow("key picker strip, No") << "picker" << "No" << false << true << false;
        QTest::newRow("MSP dropped, Cancel") << "drop" << "Cancel" << false << false << false;
        QTest::newRow("MSP dropped, No") << "drop" << "No" << false << true << false;
    }

    void askBeforeLosingWork()
    {
        QFETCH(QString, command);
        QFETCH(QString, answer);
        QFETCH(bool, untitled);
        QFETCH(bool, proceeds);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"DOC.MSP"_s);
        const QString other = dir.filePath(u"OTHER.MSP"_s);
        const MspRecord original = documentWith(split("A|B"));
        QVERIFY(test::writeAll(doc, original.bytes()) && test::writeAll(other, documentWith({u"C"_s}).bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.show();
        QVERIFY(untitled || form.openFile(doc));
        if (!answer.isEmpty()) {
            form.selectSlot(1);
            form.removeSelectedSample();
            platform.queueAnswer(answer == u"Yes" ? ui::Answer::Yes : answer == u"No" ? ui::Answer::No : ui::Answer::Cancel);
        }
        const MspRecord edited = form.record();
        if (untitled)
            platform.queueCancel();
        if (command == u"MnuOuvrir" && proceeds)
            platform.queueFile(other);

        msp_editor::KeyPicker picker(&form);
        if (command == u"picker") {
            picker.show();
            QTest::mouseDClick(&picker, Qt::LeftButton, {}, QPoint(ui::twips(9785), 40));
        } else if (command == u"drop") {
            drop(form, {other}, QPoint(10, 10));
        } else {
            run(form, command);
        }

        const ui::MessageBox ask{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s,
                                 ui::Buttons::YesNoCancel, ui::Icon::Question, u"MSP Editor"_s};
        QCOMPARE(platform.messages(), answer.isEmpty() ? QList<ui::MessageBox>() : QList<ui::MessageBox>{ask});
        QCOMPARE(platform.unexpected() + platform.pending(), 0);
        const bool done = command == u"MnuNew"  ? form.record() == MspRecord::newDocument()
                          : command == u"close" ? !form.isVisible()
                          : command == u"MnuOuvrir" || command == u"drop" ? form.CurrentMspPath == other
                                                                          : platform.quitRequests() == 1 && !picker.isVisible();
        QCOMPARE(done, proceeds);
        QCOMPARE(test::readAll(doc), saved ? edited.bytes() : original.bytes());
        if (!proceeds) // the work is still there, still unsaved
            QVERIFY(form.record() == edited && mspModified && form.isWindowModified());
    }

    // Each step is undone back to the bytes before it, and redone to the bytes after;
    // undoing back to the saved state clears the modified mark.
    void undoAndRedoEveryChange()
    {
        QTemporaryDir dir;
        QStringList wavs;
        for (const QString &name : split("A|B|C"))
            QVERIFY(touch(wavs.emplace_back(dir.filePath(u"WAVS/%1.WAV"_s.arg(name)))));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.show();
        auto *effects = form.findChild<QListWidget *>(u"List3"_s);
        const QList<std::function<void()>> steps{
            [&] { form.addWavFiles(wavs.mid(0, 2)); },
            [&] { drop(form, wavs.mid(2) << dir.filePath(u"WAVS/B.WAV"_s), listCentre(form)); }, // WAVs on the list
            [&] { click(form, u"Text24"_s); }, // ROTOR
            [&] { form.selectSlot(2); click(form, u"Text18"_s); }, // PITCH
            [&] {
                click(form, u"Label33"_s);
                QTest::mouseClick(effects->viewport(), Qt::LeftButton, {}, effects->visualItemRect(effects->item(4)).center());
            },
            [&] { form.selectSlot(1); form.removeSelectedSample(); },
        };
        QList<QByteArray> states{form.record().bytes()};
        for (const auto &step : steps) {
            step();
            QVERIFY(form.record().bytes() != states.last() && mspModified);
            states << form.record().bytes();
        }
        for (qsizetype i = steps.size(); i > 0; --i) {
            run(form, u"MnuUndo"_s);
            QCOMPARE(form.record().bytes(), states.at(i - 1));
        }
        QVERIFY(!mspModified && !form.isWindowModified());
        for (qsizetype i = 1; i <= steps.size(); ++i) {
            run(form, u"MnuRedo"_s);
            QCOMPARE(form.record().bytes(), states.at(i));
        }
        QVERIFY(mspModified && form.isWindowModified());

        platform.queueFile(dir.filePath(u"SET"_s));
        run(form, u"MnuSaveAs"_s);
        QCOMPARE(form.windowTitle(), u"SET.MSP[*] \u2014 MSP Editor for KETRON SD1"_s);
        QVERIFY(!mspModified);
        run(form, u"MnuUndo"_s);
        QVERIFY(mspModified && form.record().bytes() == states.at(steps.size() - 1));
        run(form, u"MnuRedo"_s);
        QVERIFY(!mspModified && test::readAll(dir.filePath(u"SET.MSP"_s)) == states.last());
    }

    void saveAsNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer"); // to the question about replacing; empty: none asked
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "MyPiano" << "" << "MyPiano.MSP";
        QTest::newRow("another file, replaced") << "OLD" << "Yes" << "OLD.MSP";
        QTest::newRow("another file, kept") << "OLD" << "No" << "";
        QTest::newRow("the open file") << "OPEN" << "" << "OPEN.MSP";
    }

    void saveAsNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QByteArray old("old");
        QVERIFY(test::writeAll(dir.filePath(u"OLD.MSP"_s), old) && test::writeAll(dir.filePath(u"OPEN.MSP"_s), documentWith({}).bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        QVERIFY(form.openFile(dir.filePath(u"OPEN.MSP"_s)));
        form.removeSelectedSample(); // nothing selected: a change all the same
        if (!answer.isEmpty())
            platform.queueAnswer(answer == u"Yes" ? ui::Answer::Yes : ui::Answer::No);
        platform.queueFile(dir.filePath(typed));
        run(form, u"MnuSaveAs"_s);
        QCOMPARE(platform.messages().size() + platform.unexpected(), answer.isEmpty() ? 0 : 1);
        QCOMPARE(form.CurrentMspPath, dir.filePath(written.isEmpty() ? u"OPEN.MSP"_s : written));
        if (!written.isEmpty())
            QCOMPARE(test::readAll(dir.filePath(written)), form.record().bytes());
        QCOMPARE(test::readAll(dir.filePath(u"OLD.MSP"_s)) == old, written != u"OLD.MSP");
    }

    // However the current line moves, the panel opens that sample's WAV; an untitled
    // document finds it where it was added from.
    void wavPanelFollowsTheCurrentLine_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Down") << "Down" << "B";
        QTest::newRow("End") << "End" << "C";
        QTest::newRow("type-ahead") << "c" << "C";
    }

    void wavPanelFollowsTheCurrentLine()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        QStringList wavs;
        for (const QString &name : split("A|B|C"))
            QVERIFY(touch(wavs.emplace_back(dir.filePath(u"WAVS/%1.WAV"_s.arg(name)))));
        QVERIFY(QDir(dir.path()).mkpath(u"CWD"_s) && QDir::setCurrent(dir.filePath(u"CWD"_s)));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.addWavFiles(wavs);
        form.show();
        auto *list = form.findChild<QListWidget *>(u"List1"_s);
        list->setFocus();
        form.selectSlot(1);
        QSignalSpy opened(&form, &MspEditorWindow::wavOpened);
        for (const QString &key : keys.split(u'|'))
            key.size() == 1 ? QTest::keyClicks(list, key) : QTest::keyClick(list, key == u"Down" ? Qt::Key_Down : key == u"End" ? Qt::Key_End : Qt::Key_Home);
        const QString wav = dir.filePath(u"WAVS/%1.WAV"_s.arg(shown));
        QCOMPARE(form.CurrentWavPath, wav);
        QVERIFY(!opened.isEmpty() && opened.last().first().toString() == wav);
    }

    // Folders and the last eight documents are kept in the settings file given.
    void recentDocumentsAndFolders()
    {
        QTemporaryDir dir;
        util::useSettingsFile(dir.filePath(u"settings.ini"_s));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        for (int i = 1; i <= 9; ++i) {
            const QString path = dir.filePath(u"F%1/DOC%1.MSP"_s.arg(i));
            QVERIFY(QDir(dir.path()).mkpath(u"F%1"_s.arg(i)) && test::writeAll(path, documentWith({}).bytes()));
            QVERIFY(form.openFile(path));
        }
        QCOMPARE(form.findChild<QAction *>(u"MnuRecent1"_s)->text(), u"&1 DOC9.MSP"_s);
        QCOMPARE(form.findChild<QAction *>(u"MnuRecent8"_s)->text(), u"&8 DOC2.MSP"_s);
        run(form, u"MnuRecent3"_s);
        QCOMPARE(form.CurrentMspPath, dir.filePath(u"F7/DOC7.MSP"_s));
        platform.queueCancel();
        run(form, u"MnuOuvrir"_s);
        QVERIFY(touch(dir.filePath(u"WAVS/A.WAV"_s)));
        form.addWavFiles({dir.filePath(u"WAVS/A.WAV"_s)});
        platform.queueCancel();
        run(form, u"Command9"_s);
        QCOMPARE(platform.dialogs().at(0).initialFolder, dir.filePath(u"F7"_s));
        QCOMPARE(platform.dialogs().at(1).initialFolder, dir.filePath(u"WAVS"_s));
        util::useSettingsFile({});
    }
};

QTEST_MAIN(TestUnsavedWork)
#include "test_unsaved_work.moc"
