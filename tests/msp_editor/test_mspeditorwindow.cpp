// The MSP editor window driven through its menu, buttons and list with scripted
// dialogs and answers: document commands, WAV import and removal, the WAV file of
// a sample and Auto Play.

#include "helper_editor.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/editorstate.h"
#include "ui/scriptedplatform.h"
#include "util/shortname.h"

#include "testsupport.h"

#include <QCheckBox>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace tamo;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;
using msp::MspRecord;
using msp::SampleField;
using msp_editor::MspEditorWindow;
using msp_editor::mspModified;

namespace {

const ui::MessageBox kAsk{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s,
                          ui::Buttons::YesNoCancel, ui::Icon::Question, u"MSP Editor"_s};
const ui::MessageBox kInvalid{u"This is not a valid Ketron MSP file !"_s, ui::Buttons::Ok, ui::Icon::Exclamation};

// A slot's name, fields and reserved bytes.
QByteArray slotBytes(const MspRecord &record, int slot)
{
    QByteArray bytes = record.sampleName(slot);
    for (int field = 0; field <= int(SampleField::Release); ++field)
        bytes += char(record.sample(SampleField(field), slot));
    for (int block = 0; block < msp::kSampleReservedBlocks; ++block)
        bytes += char(record.sampleReserved(block, slot));
    return bytes;
}

// `count` samples N1, N2, ... with the bytes of all 64 slots set apart.
MspRecord patterned(int count)
{
    QByteArray image = MspRecord::newDocument().bytes();
    for (qsizetype i = msp::kSampleNameOffset; i < image.size(); ++i)
        image[i] = char(i * 7);
    MspRecord record = MspRecord::fromBytes(image);
    for (int slot = 1; slot <= msp::kMaxSamples; ++slot)
        record.setSampleName(slot, "N" + QByteArray::number(slot));
    record.setGlobal(msp::GlobalField::SampleCount, quint8(count));
    return record;
}

} // namespace

class TestMspEditorWindow : public QObject {
    Q_OBJECT

    QString m_oldCurrent = QDir::currentPath();

private Q_SLOTS:
    void init() { mspModified = false; }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    // New, Open, Save, Save As, Close and Quit on a document "PIANO1", titled DOC.MSP
    // or untitled. The folder holds DOC.MSP (old bytes), SET.MSP (a valid file),
    // BAD.MSP (a wrong identifier) and a folder FOLDER.MSP.
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("start");      // saved, modified, or modified and untitled
        QTest::addColumn<QStringList>("script"); // the user's answers and choices, or a full disk
        QTest::addColumn<QStringList>("boxes");  // ask, invalid or error, in order
        QTest::addColumn<QString>("document");   // unsaved, new or the file read
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<QString>("written"); // the file that now holds the unsaved document
        const QStringList ask{u"ask"_s};
        const QStringList none;
        QTest::newRow("New, unmodified") << "MnuNew" << "saved" << none << none << "new" << "" << false << "";
        QTest::newRow("New, Yes saves") << "MnuNew" << "modified" << split("Yes") << ask << "new" << "" << false << "DOC.MSP";
        QTest::newRow("New, No") << "MnuNew" << "modified" << split("No") << ask << "new" << "" << false << "";
        QTest::newRow("New, Yes, Save As named")
            << "MnuNew" << "untitled" << split("Yes|NEW.MSP") << ask << "new" << "" << false << "NEW.MSP";
        QTest::newRow("Open, No, cancelled")
            << "MnuOuvrir" << "modified" << split("No|cancel") << ask << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, Yes saves first")
            << "MnuOuvrir" << "modified" << split("Yes|SET.MSP") << ask << "SET.MSP" << "SET.MSP" << false << "DOC.MSP";
        QTest::newRow("Open, missing file")
            << "MnuOuvrir" << "modified" << split("No|MISSING.MSP") << ask << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, a folder")
            << "MnuOuvrir" << "modified" << split("No|FOLDER.MSP") << ask << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, lower-case identifier") << "MnuOuvrir" << "modified" << split("No|BAD.MSP")
                                                     << split("ask|invalid") << "BAD.MSP" << "BAD.MSP" << false << "";
        QTest::newRow("Close, No") << "close" << "modified" << split("No") << ask << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Close, Yes") << "close" << "modified" << split("Yes") << ask << "unsaved" << "DOC.MSP" << false
                                    << "DOC.MSP";
        QTest::newRow("Quit, No") << "MnuEnd" << "modified" << split("No") << ask << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Save") << "MnuSave" << "modified" << none << none << "unsaved" << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save untitled, named")
            << "MnuSave" << "untitled" << split("NEW.MSP") << none << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save untitled, cancelled")
            << "MnuSave" << "untitled" << split("cancel") << none << "unsaved" << "" << true << "";
        QTest::newRow("Save As, named")
            << "MnuSaveAs" << "modified" << split("NEW.MSP") << none << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save, disk full")
            << "MnuSave" << "modified" << split("disk full") << split("error") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Save As untitled over a file, disk full")
            << "MnuSaveAs" << "untitled" << split("disk full|Yes|DOC.MSP") << split("replace|error") << "unsaved" << "" << true << "";
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, start);
        QFETCH(QStringList, script);
        QFETCH(QStringList, boxes);
        QFETCH(QString, document);
        QFETCH(QString, path);
        QFETCH(bool, modifiedAfter);
        QFETCH(QString, written);
        QTemporaryDir dir;
        // A multisample longer than a record: a save keeps what lies past the record.
        const QByteArray oldBytes = MspRecord::newDocument().bytes() + QByteArray(356, 'x');
        const MspRecord unsaved = documentWith({u"PIANO1"_s});
        MspRecord set = documentWith(split("PIANO1|STRINGS"), {{msp::kEffectOffset, 0x87}});
        set.setSampleReserved(3, 2, 0xAB); // bytes the editor does not show stay as read
        MspRecord bad = set;
        bad.setMagic("tamo00");
        QVERIFY(test::writeAll(dir.filePath(u"DOC.MSP"_s), oldBytes) && QDir(dir.path()).mkdir(u"FOLDER.MSP"_s));
        QVERIFY(test::writeAll(dir.filePath(u"SET.MSP"_s), set.bytes()) && test::writeAll(dir.filePath(u"BAD.MSP"_s), bad.bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        QCOMPARE(form.record(), MspRecord::newDocument()); // a new document at start, no prompt
        QVERIFY(platform.messages().isEmpty());
        form.show();
        form.CurrentMspPath = start == u"untitled" ? QString() : dir.filePath(u"DOC.MSP"_s);
        showRecord(form, unsaved);
        mspModified = start != u"saved";
        std::optional<test::FileSizeLimit> diskFull;
        for (const QString &step : script) {
            if (step == u"Yes" || step == u"No")
                platform.queueAnswer(step == u"Yes" ? ui::Answer::Yes : ui::Answer::No);
            else if (step == u"disk full")
                diskFull.emplace(100);
            else
                step == u"cancel" ? platform.queueCancel() : platform.queueFile(dir.filePath(step));
        }
        qsizetype dialogsWhenAsked = -1;
        platform.onMessage = [&](const ui::MessageBox &box) {
            if (box == kAsk)
                dialogsWhenAsked = platform.dialogs().size();
        };
        run(form, command);
        diskFull.reset();

        QStringList seen;
        for (const ui::MessageBox &box : platform.messages()) {
            const bool error = box.icon == ui::Icon::Exclamation && box.text.contains(dir.filePath(u"DOC.MSP"_s))
                               && box.text.contains(QRegularExpression(u"(?i)file too large|space"_s));
            const bool replace = box.text.endsWith(u"Do you want to replace it ?"_s);
            seen << (box == kAsk ? u"ask"_s : box == kInvalid ? u"invalid"_s : error ? u"error"_s : replace ? u"replace"_s : box.text);
        }
        QCOMPARE(seen, boxes);
        QCOMPARE(dialogsWhenAsked, boxes.contains(u"ask"_s) ? 0 : -1); // asked before any dialog
        QCOMPARE(platform.unexpected(), 0);
        QCOMPARE(platform.pending(), 0);
        for (const ui::FileDialogRequest &request : platform.dialogs()) {
            const bool open = command == u"MnuOuvrir" && &request == &platform.dialogs().last();
            QCOMPARE(request.mode, open ? ui::FileDialogRequest::Mode::Open : ui::FileDialogRequest::Mode::Save);
            QCOMPARE(request.filter, u"Ketron MultiSamPle Files (*.MSP)|*.MSP"_s);
            QCOMPARE(request.initialFolder, ui::programFolder());
        }
        QCOMPARE(platform.busyDepth(), 0);
        const QMap<QString, MspRecord> documents{
            {u"unsaved"_s, unsaved}, {u"new"_s, MspRecord::newDocument()}, {u"SET.MSP"_s, set}, {u"BAD.MSP"_s, bad}};
        QCOMPARE(form.record(), documents.value(document));
        QCOMPARE(form.CurrentMspPath, path.isEmpty() ? QString() : dir.filePath(path));
        QCOMPARE(mspModified, modifiedAfter);
        QCOMPARE(form.isVisible(), command != u"close");
        QCOMPARE(platform.quitRequests(), command == u"MnuEnd" ? 1 : 0);
        QCOMPARE(test::readAll(dir.filePath(u"DOC.MSP"_s)), written == u"DOC.MSP" ? unsaved.bytes() + oldBytes.mid(msp::kMspRecordSize) : oldBytes);
        QCOMPARE(test::readAll(dir.filePath(u"NEW.MSP"_s)), written == u"NEW.MSP" ? unsaved.bytes() : QByteArray());
        QCOMPARE(test::filesIn(dir.path()).size(), written == u"NEW.MSP" ? 4 : 3); // no stray temporary file
        // The view shows the document; an invalid file shows nothing.
        QStringList lines;
        for (int slot = 1; form.record().isValid() && slot <= form.record().sampleCount(); ++slot)
            lines << QString::fromLatin1(form.record().sampleName(slot));
        QCOMPARE(listed(form), lines);
        QCOMPARE(shown(form, u"Label25"_s), u"%1 SAMPLES"_s.arg(lines.size()));
        QCOMPARE(shown(form, u"Text22"_s), document == u"BAD.MSP" ? QString() : u"32"_s);
        const QString effect = document == u"SET.MSP" ? u"DIST + DELAY"_s : u"OFF"_s;
        QCOMPARE(shown(form, u"Label33"_s), document == u"BAD.MSP" ? QString() : effect);
        QCOMPARE(form.findChild<QWidget *>(u"Text25"_s)->isHidden(), effect == u"OFF");
    }

    // Add Wav Sample with the files chosen in one folder, or Remove Selected Sample,
    // on samples N1, N2, ...: List1 afterwards and every byte of all 64 slots.
    void addAndRemove_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("remove"); // the slot selected, 0: none; -1: add instead
        QTest::addColumn<QStringList>("chosen"); // names starting GONE are not made
        QTest::addColumn<QStringList>("after"); // Nj: the sample of slot j before
        QTest::addColumn<bool>("limit");
        const auto n = [](int count) {
            QStringList names;
            for (int j = 1; j <= count; ++j)
                names << u"N%1"_s.arg(j);
            return names;
        };
        const QStringList none;
        QTest::newRow("add one file") << 0 << -1 << split("WAVS/PIANO1.WAV") << split("PIANO1") << false;
        QTest::newRow("add five, in the dialog's order, a long name")
            << 3 << -1 << split("W/DRUMS.WAV|W/A1.WAV|W/E.wav|W/Grand Piano.wav|W/BASS.WAV")
            << n(3) + split("DRUMS|A1|E") + QStringList{util::shortFormOf(u"Grand Piano.wav"_s).section(u'.', 0, 0), u"BASS"_s} << false;
        QTest::newRow("add from a folder with a dot") << 0 << -1 << split("my.samples/PIANO1.WAV") << split("PIANO1") << false;
        QTest::newRow("add a missing file and a name without a dot: skipped")
            << 0 << -1 << split("W/A.WAV|W/GONE.WAV|W/NODOT|W/B.WAV") << split("A|B") << false;
        QTest::newRow("add 3 to 62") << 62 << -1 << split("W/X1.WAV|W/X2.WAV|W/X3.WAV") << n(62) + split("X1|X2") << true;
        QTest::newRow("add 1 to 64") << 64 << -1 << split("W/X1.WAV") << n(64) << true;
        QTest::newRow("add cancelled") << 2 << -1 << none << n(2) << false;
        QTest::newRow("remove the first of three") << 3 << 1 << none << split("N2|N3") << false;
        QTest::newRow("remove the middle of three") << 3 << 2 << none << split("N1|N3") << false;
        QTest::newRow("remove the last of three") << 3 << 3 << none << split("N1|N2") << false;
        QTest::newRow("remove slot 64 of 64") << 64 << 64 << none << n(63) << false;
        QTest::newRow("remove with no selection") << 3 << 0 << none << n(3) << false;
    }

    void addAndRemove()
    {
        QFETCH(int, preset);
        QFETCH(int, remove);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, after);
        QFETCH(bool, limit);
        QTemporaryDir dir;
        QStringList names;
        for (const QString &file : chosen) {
            names << QFileInfo(file).fileName();
            QVERIFY(names.last().startsWith(u"GONE") || touch(dir.filePath(file)));
        }
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        const MspRecord before = patterned(preset);
        showRecord(form, before);
        if (remove >= 0) {
            form.selectSlot(remove);
            run(form, u"Command10"_s);
        } else {
            const QString folder = chosen.isEmpty() ? QString() : dir.filePath(QFileInfo(chosen.first()).path());
            chosen.isEmpty() ? platform.queueCancel() : platform.queueFiles(folder, names);
            run(form, u"Command9"_s);
            QCOMPARE(platform.dialogs().size(), 1);
            const ui::FileDialogRequest &request = platform.dialogs().first();
            QCOMPARE(request.title, u"Selectionner un ou plusieurs fichier(s) WAV"_s);
            QCOMPARE(request.filter, u"Wav Files (*.WAV)|*.WAV"_s);
            QCOMPARE(request.initialFolder, ui::programFolder());
            QVERIFY(request.mode == ui::FileDialogRequest::Mode::Open && request.multiSelect && request.maxLength == 32000);
        }
        QCOMPARE(form.record().sampleCount(), after.size());
        QCOMPARE(shown(form, u"Label25"_s), u"%1 SAMPLES"_s.arg(after.size()));
        QStringList lines;
        for (const QString &name : after)
            lines << name.leftJustified(8);
        QCOMPARE(listed(form), lines);
        QCOMPARE(form.selectedSlot(), 0);
        // New samples get the slot defaults; past the list the slots move down after a
        // removal, and slot 64 is then reset.
        const QByteArray defaults = slotBytes(MspRecord::newDocument(), 1);
        for (int slot = 1; slot <= msp::kMaxSamples; ++slot) {
            const QString name = slot <= after.size() ? after.at(slot - 1) : u"N%1"_s.arg(slot + (remove > 0 ? 1 : 0));
            const int from = name.startsWith(u'N') ? name.mid(1).toInt() : 0; // 0: a new sample
            const QByteArray expected = from == 0 ? name.leftJustified(8).toLatin1() + defaults.mid(8)
                                        : from > msp::kMaxSamples ? defaults
                                                                  : slotBytes(before, from);
            QCOMPARE(slotBytes(form.record(), slot), expected);
        }
        const ui::MessageBox full{u"You can use only 64 Wav files in a Msp!"_s, ui::Buttons::Ok, ui::Icon::Exclamation};
        QCOMPARE(platform.messages(), limit ? QList{full} : QList<ui::MessageBox>());
        QCOMPARE(mspModified, remove >= 0 || !chosen.isEmpty());
        QCOMPARE(platform.busyDepth(), 0);
    }

    // Selecting sample 2 looks up its WAV beside the MSP file, in any case and by
    // short name too; a mouse release opens it, and with Auto Play plays it.
    void wavOfSample_data()
    {
        QTest::addColumn<QString>("msp"); // in a fresh folder; empty: untitled
        QTest::addColumn<QStringList>("files"); // a folder ends with "/"
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // empty: none
        QTest::addColumn<QString>("how");   // click, click without Auto Play, or keyboard
        const QString msp = u"SETS/PIANO.MSP"_s;
        const QStringList beside = split("SETS/PIANO1.wav");
        QTest::newRow("Auto Play on") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "click";
        QTest::newRow("Auto Play off") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "click without Auto Play";
        QTest::newRow("keyboard: found and opened") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "keyboard";
        QTest::newRow("spaces at both ends") << msp << beside << " PIANO1 " << "SETS/PIANO1.wav" << "click";
        QTest::newRow("upper-case extension") << msp << split("SETS/PIANO1.WAV") << "PIANO1" << "SETS/PIANO1.WAV" << "click";
        QTest::newRow("lower-case name, exact case first")
            << msp << split("SETS/piano1.wav|SETS/PIANO1.wav") << "PIANO1" << "SETS/PIANO1.wav" << "click";
        QTest::newRow("short name, long file")
            << msp << split("SETS/Grand Piano.wav") << util::shortFormOf(u"Grand Piano.wav"_s).section(u'.', 0, 0) << "SETS/Grand Piano.wav" << "click";
        QTest::newRow("only elsewhere") << msp << split("PIANO1.wav") << "PIANO1" << "" << "click";
        QTest::newRow("a folder of that name") << msp << split("SETS/PIANO1.wav/") << "PIANO1" << "" << "click";
        QTest::newRow("name reaching out of the folder") << msp << split("PIAN1.wav") << "../PIAN1" << "" << "click";
        QTest::newRow("untitled: current folder") << "" << split("CWD/PIANO1.wav") << "PIANO1" << "PIANO1.wav" << "click";
    }

    void wavOfSample()
    {
        QFETCH(QString, msp);
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QString, found);
        QFETCH(QString, how);
        QTemporaryDir dir;
        for (const QString &file : files)
            QVERIFY(file.endsWith(u'/') ? QDir(dir.path()).mkpath(file) : touch(dir.filePath(file)));
        QVERIFY(QDir(dir.path()).mkpath(u"CWD"_s) && QDir::setCurrent(dir.filePath(u"CWD"_s)));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.CurrentMspPath = msp.isEmpty() ? QString() : dir.filePath(msp);
        showRecord(form, documentWith({u"OTHER"_s, name}));
        form.CurrentWavPath = u"previous"_s;
        form.findChild<QCheckBox *>(u"Check1"_s)->setChecked(how == u"click");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy opened(&form, &MspEditorWindow::wavOpened);
        QSignalSpy played(&form, &MspEditorWindow::wavPlayed);
        auto *list = form.findChild<QListWidget *>(u"List1"_s);
        form.selectSlot(1);
        if (how == u"keyboard")
            QTest::keyClick(list, Qt::Key_Down);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(form.selectedSlot(), 2);
        const QString wav = msp.isEmpty() || found.isEmpty() ? found : dir.filePath(found);
        QCOMPARE(form.CurrentWavPath, found.isEmpty() ? u"previous"_s : wav);
        const bool opens = !found.isEmpty(); // the keyboard's line too
        QCOMPARE(opened.count(), opens ? 1 : 0);
        QCOMPARE(played.count(), opens && how == u"click" ? 1 : 0);
        if (opens)
            QCOMPARE(opened.first().first().toString(), wav);
    }
};

QTEST_MAIN(TestMspEditorWindow)
#include "test_mspeditorwindow.moc"
