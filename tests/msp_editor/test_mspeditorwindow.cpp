// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP editor window as a user drives it, with scripted dialogs and answers: its
// menu, buttons, list and drops, its Keyboard menu and key map. The fields and their
// pop-ups are test_parametertable's, the WAV panel test_wavpanel's.

#include "../wav/helper_sound.h"
#include "../wav/helper_wav.h"
#include "editorsupport.h"
#include "msp/keymapping.h"
#include "msp_editor/keyboardtools.h"
#include "msp_editor/keymapwindow.h"
#include "msp_editor/presetchooser.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"
#include "util/recentfiles.h"
#include "wav/pitchedpreview.h"
#include "ui/twips.h"

#include <QAction>
#include <QCheckBox>
#include "util/playback/playit.h"
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>

#include <functional>
#include <optional>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::editor;
using msp::SampleField;
using namespace tamo::test::wavgen;

// How the document starts, and what it is after a command.
enum class Start { Saved, Modified, Untitled };
enum class Outcome { Unsaved, New, Set, Closed, Quit }; // Set: SET.MSP, read
// An answer to the save question or to the replace question, or a file dialog's.
struct Reply {
    enum Kind { Ask, Replace, File, Cancel } kind;
    ui::Answer answer = ui::Answer::Ok;
    QString file;
};
Q_DECLARE_METATYPE(tamo::ui::Answer)
Q_DECLARE_METATYPE(Start)
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Reply)

namespace {

// The stored name of "Grand Piano.wav": "GRA", "~", then the FNV-1a hash of its UTF-8
// bytes (0xDCFC9AA8) modulo 36^4 in base 36; the same in every run and version, or a
// saved MSP stops finding its WAV.
const QString grandShort = u"GRA~DHUW"_s;

constexpr int kPcm16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const ui::MessageBox kAsk{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s,
                          ui::Buttons::YesNoCancel, ui::Icon::Question, u"MSP Editor"_s};

QByteArray slotBytes(const MspRecord &record, int slot)
{
    QByteArray bytes = record.sampleName(slot);
    for (int field = 0; field <= int(SampleField::Release); ++field)
        bytes += char(record.sample(SampleField(field), slot));
    for (int block = 0; block < msp::kSampleReservedBlocks; ++block)
        bytes += char(record.sampleReserved(block, slot));
    return bytes;
}

} // namespace

class TestMspEditorWindow : public QObject {
    Q_OBJECT

    QString m_oldCurrent = QDir::currentPath();
    QTemporaryDir m_home, m_saveDir;

    QString sound(const QString &name, int format = kPcm16, std::optional<int> root = {})
    {
        const QString path = m_saveDir.filePath(name);
        return test::sound::write(path, format, 44100, 1, 2000, root) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase() { useHome(m_home.path()); }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    // The commands that may lose or write the document "PIANO1", titled DOC.MSP or
    // untitled. The folder holds DOC.MSP (old bytes), SET.MSP and a folder FOLDER.MSP.
    void commands_data()
    {
        QTest::addColumn<QString>("command"); // a menu item, "close", "picker" (its strip) or "drop" (of SET.MSP)
        QTest::addColumn<Start>("start");
        QTest::addColumn<QList<Reply>>("script"); // the answers, in order
        QTest::addColumn<Outcome>("document");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<QString>("written"); // the file that now holds the unsaved document
        using S = Start;
        using O = Outcome;
        const QList<Reply> none;
        const Reply yes{Reply::Ask, ui::Answer::Yes, {}}, no{Reply::Ask, ui::Answer::No, {}}, cancel{Reply::Ask, ui::Answer::Cancel, {}}, cancelled{Reply::Cancel, {}, {}};
        const auto file = [](const QString &name) { return Reply{Reply::File, {}, name}; };
        QTest::newRow("New, unmodified") << "MnuNew" << S::Saved << none << O::New << "" << false << "";
        QTest::newRow("New, Yes saves") << "MnuNew" << S::Modified << QList{yes} << O::New << "" << false << "DOC.MSP";
        QTest::newRow("New, Cancel") << "MnuNew" << S::Modified << QList{cancel} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("Open, No, cancelled") << "MnuOuvrir" << S::Modified << QList{no, cancelled} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("Open, Yes saves first") << "MnuOuvrir" << S::Modified << QList{yes, file(u"SET.MSP"_s)} << O::Set << "SET.MSP" << false << "DOC.MSP";
        QTest::newRow("Open, a folder") << "MnuOuvrir" << S::Modified << QList{no, file(u"FOLDER.MSP"_s)} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("Close, No") << "close" << S::Modified << QList{no} << O::Closed << "DOC.MSP" << true << "";
        QTest::newRow("Close, Cancel") << "close" << S::Modified << QList{cancel} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("Close untitled, Yes, Save As cancelled") << "close" << S::Untitled << QList{yes, cancelled} << O::Unsaved << "" << true << "";
        QTest::newRow("Quit, Yes") << "MnuEnd" << S::Modified << QList{yes} << O::Quit << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Quit, Cancel") << "MnuEnd" << S::Modified << QList{cancel} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("key picker strip, No") << "picker" << S::Modified << QList{no} << O::Quit << "DOC.MSP" << true << "";
        QTest::newRow("MSP dropped, No") << "drop" << S::Modified << QList{no} << O::Set << "SET.MSP" << false << "";
        QTest::newRow("MSP dropped, Cancel") << "drop" << S::Modified << QList{cancel} << O::Unsaved << "DOC.MSP" << true << "";
        QTest::newRow("Save") << "MnuSave" << S::Modified << none << O::Unsaved << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save untitled, named") << "MnuSave" << S::Untitled << QList{file(u"NEW.MSP"_s)} << O::Unsaved << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save As, no extension") << "MnuSaveAs" << S::Modified << QList{file(u"NEW"_s)} << O::Unsaved << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save As the open file: no question") << "MnuSaveAs" << S::Modified << QList{file(u"DOC.MSP"_s)} << O::Unsaved << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save As another file, replaced")
            << "MnuSaveAs" << S::Modified << QList{Reply{Reply::Replace, ui::Answer::Yes, {}}, file(u"SET.MSP"_s)} << O::Unsaved << "SET.MSP" << false << "SET.MSP";
        QTest::newRow("Save As another file, kept")
            << "MnuSaveAs" << S::Modified << QList{Reply{Reply::Replace, ui::Answer::No, {}}, file(u"SET.MSP"_s)} << O::Unsaved << "DOC.MSP" << true << "";
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(Start, start);
        QFETCH(QList<Reply>, script);
        QFETCH(Outcome, document);
        QFETCH(QString, path);
        QFETCH(bool, modifiedAfter);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"DOC.MSP"_s), named = dir.filePath(u"NEW.MSP"_s), other = dir.filePath(u"SET.MSP"_s);
        const MspRecord unsaved = documentWith({u"PIANO1"_s});
        const QByteArray oldBytes = documentWith({u"OLD"_s}).bytes(); // a multisample: saved over without a question
        const MspRecord set = documentWith(split("PIANO1|STRINGS"));
        QVERIFY(test::writeAll(doc, oldBytes) && QDir(dir.path()).mkdir(u"FOLDER.MSP"_s) && test::writeAll(other, set.bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        QCOMPARE(form.record(), MspRecord::newDocument()); // a new document at start, no prompt
        form.show();
        showRecord(form, unsaved, start == Start::Untitled ? QString() : doc, start != Start::Saved);
        QStringList questions; // the questions come first, when there is an answer for them; failed saves are test_app's
        for (const Reply &reply : script) {
            reply.kind == Reply::Cancel ? platform.queueCancel() : reply.kind == Reply::File ? platform.queueFile(dir.filePath(reply.file))
                                                                                           : platform.queueAnswer(reply.answer);
            if (reply.kind == Reply::Ask || reply.kind == Reply::Replace)
                questions << (reply.kind == Reply::Ask ? u"ask"_s : u"replace"_s);
        }
        qsizetype dialogsWhenAsked = -1;
        platform.onMessage = [&](const ui::MessageBox &box) { dialogsWhenAsked = box == kAsk ? platform.dialogs().size() : dialogsWhenAsked; };
        if (command == u"picker") {
            KeyPicker picker(&form);
            picker.show();
            QTest::mouseDClick(&picker, Qt::LeftButton, {}, QPoint(ui::twips(9785), 40));
            QCOMPARE(picker.isVisible(), document != Outcome::Quit);
        } else if (command == u"drop") {
            drop(form, {other}, QPoint(10, 10));
        } else {
            command == u"close" ? void(form.close()) : run(form, command);
        }

        QStringList seen;
        for (const ui::MessageBox &box : platform.messages())
            seen << (box == kAsk ? u"ask"_s : box.text.endsWith(u"Do you want to replace it ?"_s) ? u"replace"_s : box.text);
        QCOMPARE(seen, questions);
        QCOMPARE(dialogsWhenAsked, questions.contains(u"ask"_s) ? 0 : -1);
        QVERIFY(platform.unexpected() == 0 && platform.pending() == 0);
        QCOMPARE(platform.quitRequests(), document == Outcome::Quit ? 1 : 0);
        QCOMPARE(form.record(), document == Outcome::New ? MspRecord::newDocument() : document == Outcome::Set ? set : unsaved);
        QCOMPARE(form.document().path(), path.isEmpty() ? QString() : dir.filePath(path));
        QCOMPARE(form.document().isModified(), modifiedAfter);
        QCOMPARE(form.isVisible(), document != Outcome::Closed);
        QCOMPARE(test::readAll(doc), written == u"DOC.MSP" ? unsaved.bytes() : oldBytes);
        QCOMPARE(test::readAll(named), written == u"NEW.MSP" ? unsaved.bytes() : QByteArray());
        QCOMPARE(test::readAll(other), written == u"SET.MSP" ? unsaved.bytes() : set.bytes());
        QCOMPARE(listed(form), document == Outcome::Set ? split("PIANO1|STRINGS") : document == Outcome::New ? QStringList() : split("PIANO1"));
    }

    // Add Wav Sample with the files chosen in one folder, or Remove Selected Sample,
    // on samples N1, N2, ...: List1 afterwards and every byte of all 64 slots.
    void addAndRemove_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<int>("remove");         // the slot selected, 0: none; -1: add instead
        QTest::addColumn<QStringList>("chosen"); // names starting GONE are not made
        QTest::addColumn<QStringList>("after");  // Nj: the sample of slot j before
        QTest::addColumn<bool>("limit");
        QTest::addColumn<QString>("command"); // empty: the button
        const auto n = [](int count) { QStringList names; for (int j = 1; j <= count; ++j) names << u"N%1"_s.arg(j); return names; };
        const QStringList none;
        QTest::newRow("add five, in the dialog's order, a long name") << 3 << -1
            << split("W/DRUMS.WAV|W/AB.WAV|W/E.wav|W/Grand Piano.wav|W/BASS.WAV") << n(3) + QStringList{u"DRUMS"_s, u"AB"_s, u"E"_s, grandShort, u"BASS"_s} << false << QString();
        // The folder holds the long name's short form itself: the long name takes the next tail.
        QTest::newRow("add a long name beside its short form") << 0 << -1 << split("F/GRA~DHUW.WAV|F/Grand Piano.wav") << split("GRA~DHUW|GRA~DHUX") << false << QString();
        QTest::newRow("add from a folder with a dot") << 0 << -1 << split("my.samples/PIANO1.WAV") << split("PIANO1") << false << QString();
        QTest::newRow("add a missing file, a text and a name without a dot: skipped")
            << 0 << -1 << split("W/A.WAV|W/GONE.WAV|W/TEXT C3.wav|W/NODOT|W/B.WAV") << split("A|B") << false << QString();
        QTest::newRow("add 3 to 62") << 62 << -1 << split("W/X1.WAV|W/X2.WAV|W/X3.WAV") << n(62) + split("X1|X2") << true << QString();
        QTest::newRow("add cancelled") << 2 << -1 << none << n(2) << false << QString();
        QTest::newRow("remove the first of three") << 3 << 1 << none << split("N2|N3") << false << QString();
        QTest::newRow("remove slot 64 of 64") << 64 << 64 << none << n(63) << false << QString();
        QTest::newRow("remove with no selection") << 3 << 0 << none << n(3) << false << QString();
        QTest::newRow("Delete in the list") << 3 << 2 << none << split("N1|N3") << false << u"Delete"_s;
        QTest::newRow("Delete with no selection: nothing") << 3 << 0 << none << n(3) << false << u"Delete"_s;
        QTest::newRow("add from the File menu") << 0 << -1 << split("W/A.WAV") << split("A") << false << u"MnuAddWav"_s;
    }

    void addAndRemove()
    {
        QFETCH(int, preset);
        QFETCH(int, remove);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, after);
        QFETCH(bool, limit);
        QFETCH(QString, command);
        QTemporaryDir dir;
        QStringList names;
        for (const QString &file : chosen) {
            names << QFileInfo(file).fileName();
            const QString path = dir.filePath(file);
            QVERIFY(names.last().startsWith(u"GONE") || (QDir().mkpath(QFileInfo(path).path())
                    && (names.last().startsWith(u"TEXT") ? touch(path) : test::sound::write(path, kPcm16, 44100, 1, 100))));
        }
        // `preset` samples N1, N2, ... with the bytes of all 64 slots set apart.
        QByteArray image = MspRecord::newDocument().bytes();
        for (qsizetype i = msp::kSampleNameOffset; i < image.size(); ++i)
            image[i] = char(i * 7);
        MspRecord before = MspRecord::fromBytes(image);
        for (int slot = 1; slot <= msp::kMaxSamples; ++slot)
            before.setSampleName(slot, "N" + QByteArray::number(slot));
        before.setGlobal(msp::GlobalField::SampleCount, quint8(preset));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        showRecord(form, before);
        if (remove >= 0) {
            form.selectSlot(remove);
            command.isEmpty() ? run(form, u"Command10"_s) : QTest::keyClick(form.sampleList(), Qt::Key_Delete);
        } else {
            const QString folder = chosen.isEmpty() ? QString() : dir.filePath(QFileInfo(chosen.first()).path());
            chosen.isEmpty() ? platform.queueCancel() : platform.queueFiles(folder, names);
            run(form, command.isEmpty() ? u"Command9"_s : command);
            const ui::FileDialogRequest &request = platform.dialogs().first();
            QCOMPARE(request.title, u"Selectionner un ou plusieurs fichier(s) WAV"_s);
            QCOMPARE(ui::qtNameFilter(request.filter), u"Wav Files (*.WAV *.wav);;Sound Files (*.WAV *.wav *.FLAC *.flac *.AIF *.aif *.AIFF *.aiff *.OGG *.ogg)"_s);
            QVERIFY(request.mode == ui::FileDialogRequest::Mode::Open && request.multiSelect && request.maxLength == 32000);
        }
        QCOMPARE(listed(form).size(), after.size()); // the names are in the slots' bytes
        QCOMPARE(form.selectedSlot(), 0);
        // New samples get the slot defaults; past the list the slots move down after a
        // removal, and slot 64 is then reset.
        // The new files are short hits with no root: as a kit, each gets keys of its own.
        const QByteArray defaults = slotBytes(MspRecord::newDocument(), 1);
        QList<int> keysTaken;
        for (int slot = 1; slot <= msp::kMaxSamples; ++slot) {
            const QString name = slot <= after.size() ? after.at(slot - 1) : u"N%1"_s.arg(slot + (remove > 0 ? 1 : 0));
            const int from = name.startsWith(u'N') ? name.mid(1).toInt() : 0; // 0: a new sample
            QByteArray expected = from == 0 ? name.leftJustified(8).toLatin1() + defaults.mid(8)
                                  : from > msp::kMaxSamples ? defaults
                                                            : slotBytes(before, from);
            if (from == 0) {
                const MspRecord &record = form.record();
                // START holds the key below the first one played.
                const int start = record.sample(msp::SampleField::StartKey, slot) + 1, end = record.sample(msp::SampleField::EndKey, slot);
                const int key = record.sample(msp::SampleField::Key, slot);
                QVERIFY(start <= key && key <= end && end - start < 12);
                for (int k = start; k <= end; ++k)
                    QVERIFY2(!keysTaken.contains(k), qPrintable(name));
                for (int k = start; k <= end; ++k)
                    keysTaken << k;
                const QByteArray bytes = slotBytes(record, slot);
                for (const qsizetype at : {qsizetype(8), qsizetype(9), qsizetype(16)}) // START, END, KEY
                    expected[at] = bytes[at];
            }
            QCOMPARE(slotBytes(form.record(), slot), expected);
        }
        const ui::MessageBox full{u"You can use only 64 Wav files in a Msp!"_s, ui::Buttons::Ok, ui::Icon::Exclamation};
        QList<ui::MessageBox> boxes = platform.messages();
        if (chosen.filter(QRegularExpression(u"/(GONE|TEXT)"_s)).size() == 2) {
            const QStringList lines = boxes.takeFirst().text.split(u"\r\n"_s);
            QVERIFY(lines.size() == 3 && lines.at(1) == u"GONE.WAV: missing"_s && lines.at(2).startsWith(u"TEXT C3.wav: unreadable"_s));
        }
        QCOMPARE(boxes, limit ? QList{full} : QList<ui::MessageBox>());
        QCOMPARE(form.document().isModified(), (remove >= 0 && (command.isEmpty() || remove > 0)) || !chosen.isEmpty());
    }

    // Selecting sample 2 looks up its WAV beside the MSP file, by short name too (the
    // lookup's rules are test_util's); a mouse release opens it, Auto Play plays it.
    void wavOfSample_data()
    {
        QTest::addColumn<QString>("msp");       // in a fresh folder; empty: untitled
        QTest::addColumn<QStringList>("files"); // a folder ends with "/"
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // empty: none
        QTest::addColumn<QString>("how");   // click, click without Auto Play, or a key
        const QString msp = u"SETS/PIANO.MSP"_s;
        const QStringList beside = split("SETS/PIANO1.wav");
        QTest::newRow("Auto Play on") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "click";
        QTest::newRow("Auto Play off") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "click without Auto Play";
        QTest::newRow("End key: opened, not played") << msp << beside << "PIANO1" << "SETS/PIANO1.wav" << "End";
        QTest::newRow("short name, long file")
            << msp << split("SETS/Grand Piano.wav") << grandShort << "SETS/Grand Piano.wav" << "click";
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
        showRecord(form, documentWith({u"OTHER"_s, name}), msp.isEmpty() ? QString() : dir.filePath(msp));
        form.wavPanel()->setWavPath(u"previous"_s);
        form.findChild<QCheckBox *>(u"Check1"_s)->setChecked(how == u"click");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy opened(&form, &MspEditorWindow::wavOpened);
        QSignalSpy played(&form, &MspEditorWindow::wavPlayed);
        auto *list = form.findChild<QListWidget *>(u"List1"_s);
        form.selectSlot(1);
        if (how == u"End")
            QTest::keyClick(list, Qt::Key_End);
        else
            clickItem(list, list->item(1));
        QCOMPARE(form.selectedSlot(), 2);
        const QString wav = msp.isEmpty() || found.isEmpty() ? found : dir.filePath(found);
        QCOMPARE(form.wavPanel()->wavPath(), found.isEmpty() ? u"previous"_s : wav);
        QCOMPARE(QList<QVariantList>(opened), found.isEmpty() ? QList<QVariantList>() : QList<QVariantList>{{wav}});
        QCOMPARE(played.count(), !found.isEmpty() && how == u"click" ? 1 : 0);
    }


    // Each step is undone back to the bytes before it, and redone to the bytes after;
    // undoing back to the saved state clears the modified mark.
    void undoAndRedoEveryChange()
    {
        QTemporaryDir dir;
        QStringList wavs;
        QVERIFY(QDir(dir.path()).mkdir(u"WAVS"_s));
        for (const QString &name : split("A|B|C"))
            QVERIFY(test::sound::write(wavs.emplace_back(dir.filePath(u"WAVS/%1.WAV"_s.arg(name))), kPcm16, 44100, 1, 100));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        form.show();
        QString wavOfPitch;
        auto *effects = form.findChild<QListWidget *>(u"List3"_s), *list = form.findChild<QListWidget *>(u"List1"_s);
        const QList<std::function<void()>> steps{
            [&] { form.addWavFiles(wavs.mid(0, 2)); },
            [&] { drop(form, wavs.mid(2) << dir.filePath(u"WAVS/B.WAV"_s), list->mapTo(&form, list->rect().center())); }, // WAVs on the list
            [&] { clickField(form, u"Text24"_s); }, // ROTOR
            [&] { form.selectSlot(2); clickField(form, u"Text18"_s); wavOfPitch = form.wavPanel()->wavPath(); }, // PITCH
            [&] { clickField(form, u"Text17"_s, drag(2925, Gesture::Text1)); }, // VOLUME of slot 2
            [&] {
                clickField(form, u"Label33"_s);
                clickItem(effects, effects->item(4));
            },
            [&] { form.selectSlot(1); form.removeSelectedSample(); },
        };
        QList<QByteArray> states{form.record().bytes()};
        for (const auto &step : steps) {
            step();
            QVERIFY(form.record().bytes() != states.last() && form.document().isModified());
            states << form.record().bytes();
        }
        QCOMPARE(wavOfPitch, wavs.at(1)); // untitled: found where it was added from
        // The added hits hold no pitch: each add also maps them, one key each, as a
        // step of its own (undone first).
        const QList<int> commands{2, 2, 1, 1, 1, 1, 1};
        for (qsizetype i = steps.size(); i > 0; --i) {
            for (int k = 0; k < commands.at(i - 1); ++k)
                run(form, u"MnuUndo"_s);
            QCOMPARE(form.record().bytes(), states.at(i - 1));
        }
        QVERIFY(!form.document().isModified() && !form.isWindowModified());
        for (qsizetype i = 1; i <= steps.size(); ++i) {
            for (int k = 0; k < commands.at(i - 1); ++k)
                run(form, u"MnuRedo"_s);
            QCOMPARE(form.record().bytes(), states.at(i));
        }
        QVERIFY(form.document().isModified() && form.isWindowModified());

        platform.queueFile(dir.filePath(u"SET"_s));
        run(form, u"MnuSaveAs"_s);
        QCOMPARE(form.windowTitle(), u"SET.MSP[*] \u2014 MSP Editor for KETRON SD1"_s);
        QVERIFY(!form.document().isModified());
        run(form, u"MnuUndo"_s);
        QVERIFY(form.document().isModified() && form.record().bytes() == states.at(steps.size() - 1));
        run(form, u"MnuRedo"_s);
        QVERIFY(!form.document().isModified() && test::readAll(dir.filePath(u"SET.MSP"_s)) == states.last());
    }

    // Added files are mapped when a root is found; the list tells where it came from
    // and marks what the keyboard would refuse; one undo takes the mapping back.
    void addMapsAndMarks()
    {
        util::useSettingsFile(m_saveDir.filePath(u"settings.ini"_s)); // where folders are remembered
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QStringList files{sound(u"HI_C4.wav"_s), sound(u"LO.wav"_s, kPcm16, 43), sound(u"MID-C3.wav"_s),
                                sound(u"DEEP.wav"_s, SF_FORMAT_WAV | SF_FORMAT_PCM_24)};
        editor.addWavFiles(files);
        QCOMPARE(listed(editor), QStringList({u"LO"_s, u"MID-C3"_s, u"HI_C4"_s, u"DEEP"_s}));
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(60)); // how zones are split is test_keymapping's
        QCOMPARE(editor.record().sample(SampleField::EndKey, 4), quint8(127)); // the rootless DEEP keeps its whole keyboard
        const QListWidget *list = editor.sampleList();
        QVERIFY(list->item(0)->toolTip().contains(u"Root G1, from the sampler chunk"_s));
        QVERIFY(list->item(1)->toolTip().contains(u"from the file name"_s) && list->item(1)->icon().isNull());
        QVERIFY(list->item(3)->toolTip().contains(u"No root key found"_s));
        QVERIFY(list->item(3)->toolTip().contains(u"24-bit. Export for the keyboard converts it."_s) && !list->item(3)->icon().isNull());
        editor.undoStack()->undo();
        QCOMPARE(listed(editor), QStringList({u"HI_C4"_s, u"LO"_s, u"MID-C3"_s, u"DEEP"_s}));
        platform.queueCancel();
        run(editor, u"Command9"_s); // the next dialog opens where the files came from
        QCOMPARE(platform.dialogs().last().initialFolder, m_saveDir.path());
        // No root at all (a drum kit): added, each sound goes on its General MIDI key as
        // the command line places it (test_drumkit); Map keys does the same and says so.
        MspEditorWindow kit;
        kit.addWavFiles({sound(u"KICK.wav"_s), sound(u"SNARE.wav"_s), sound(u"Low Tom.wav"_s)});
        const auto drumKeys = [&] { return QList<int>{msp::slotForKey(kit.record(), 36), msp::slotForKey(kit.record(), 38), msp::slotForKey(kit.record(), 43)}; };
        QCOMPARE(drumKeys(), QList({1, 2, 3}));
        QCOMPARE(msp::keyCoverage(kit.record()).count(1), 3); // one key each, nothing on the others
        kit.keyboardTools()->mapKeys();
        QCOMPARE(drumKeys(), QList({1, 2, 3}));
        QVERIFY(platform.messageTexts().last().startsWith(u"No root keys found: one key per sound from C1"_s));
        // A made-up name's item tells the file it stands for.
        QVERIFY(kit.sampleList()->item(2)->toolTip().contains(u"A name made up for Low Tom.wav"_s));
        QCOMPARE(platform.unexpected(), 0);
        util::useSettingsFile({});
    }

    // Keyboard > Check pitch: a sample a semitone from its root is marked, KEY and
    // FINE from its sound are proposed, and setting them is one undoable step.
    void checkPitch()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString in = m_saveDir.filePath(u"LEAD C3.wav"_s), off = m_saveDir.filePath(u"LEAD A3.wav"_s);
        QVERIFY(test::sound::write24(in, test::sound::note(261.63, 44100, 1, false), 44100, 1, SF_FORMAT_PCM_16));
        QVERIFY(test::sound::write24(off, test::sound::note(466.16, 44100, 1, false), 44100, 1, SF_FORMAT_PCM_16)); // A#3
        editor.addWavFiles({in, off});
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(69));
        platform.queueChoices(std::nullopt);
        run(editor, u"MnuCheckPitch"_s);
        QCOMPARE(platform.offeredChoices().size(), 1);
        QVERIFY2(platform.offeredChoices().first().contains(u"root A3 from the name; sounds like A#3; KEY A#3, FINE 0"_s),
                 qPrintable(platform.offeredChoices().first()));
        const QListWidget *list = editor.sampleList();
        QVERIFY(list->item(1)->toolTip().contains(u"Out of tune"_s) && list->item(1)->background() != QBrush());
        QVERIFY(list->item(0)->toolTip().contains(u"sounds like C3"_s) && list->item(0)->background() == QBrush());
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(69)); // cancelled: nothing changed
        const int steps = editor.undoStack()->count();
        platform.queueChoices(QList<bool>{true});
        run(editor, u"MnuCheckPitch"_s);
        QCOMPARE(editor.undoStack()->count(), steps + 1);
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(70));
        QVERIFY(list->item(1)->background() == QBrush() && !list->item(1)->toolTip().contains(u"Out of tune"_s));
        editor.undoStack()->undo();
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(69));
        QVERIFY(editor.sampleList()->item(1)->background() != QBrush());
        run(editor, u"MnuCheckPitch"_s); // the ticks offered kept: applied again
        QCOMPARE(editor.record().sample(SampleField::Key, 2), quint8(70));
        run(editor, u"MnuCheckPitch"_s);
        QVERIFY(platform.messageTexts().last().startsWith(u"Every sample with a held pitch"_s));
        // A layer sounding C4 over C3's keys with root C3 is a 4-foot stop, as in TAMO check.
        const QString upper = m_saveDir.filePath(u"LEAD C4.wav"_s);
        QVERIFY(test::sound::write24(upper, test::sound::note(523.25, 44100, 1, false), 44100, 1, SF_FORMAT_PCM_16));
        editor.addWavFiles({upper});
        MspContent layered = editor.document().content();
        const auto slotOn = [&](int key) {
            for (int slot = 1; slot <= layered.record.usedSlotCount(); ++slot)
                if (layered.record.sample(SampleField::Key, slot) == key)
                    return slot;
            return 0;
        };
        const int low = slotOn(60), stop = slotOn(72), remapped = slotOn(69); // the add maps by names again
        QVERIFY(low > 0 && stop > 0 && remapped > 0);
        layered.record.setSample(SampleField::Key, remapped, 70);
        for (const auto field : {SampleField::StartKey, SampleField::EndKey, SampleField::Key})
            layered.record.setSample(field, stop, layered.record.sample(field, low));
        editor.document().change(u"layer"_s, layered);
        const qsizetype offered = platform.offeredChoices().size(), said = platform.messageTexts().size();
        run(editor, u"MnuCheckPitch"_s);
        QCOMPARE(platform.offeredChoices().size(), offered);
        QCOMPARE(platform.messageTexts().size(), said + 1);
        QVERIFY(platform.messageTexts().last().startsWith(u"Every sample with a held pitch"_s));
        QCOMPARE(editor.record().sample(SampleField::Key, stop), quint8(60));
        QVERIFY(list->item(stop - 1)->toolTip().contains(u"a stop"_s) && list->item(stop - 1)->background() == QBrush());
    }

    // The first samples selected renamed: one takes the name typed, several a common
    // start and each one's KEY, all distinct; every sound stays with its sample.
    void rename_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("names"); // afterwards, as wildcard patterns
        QTest::addColumn<QString>("message");
        QTest::newRow("readable") << "A|B" << 1 << u"piano c3"_s.remove(u' ') << "PIANOC3|B" << QString();
        QTest::newRow("too long: the field takes 8") << "A|B" << 1 << "NINECHARS" << "NINECHAR|B" << QString();
        QTest::newRow("a space") << "A|B" << 1 << "A B" << "A|B" << "A name has 1 to 8";
        QTest::newRow("taken") << "A|B" << 1 << "b" << "A|B" << "Another sample is already named B.";
        QTest::newRow("several") << "A_C3|B_C3|C_C4|D" << 3 << "Strings" << "STR*_C3|STR*_C3|STR*_C4|D" << QString();
    }
    void rename()
    {
        QFETCH(QString, files);
        QFETCH(int, selected);
        QFETCH(QString, typed);
        QFETCH(QString, names);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        QStringList wavs;
        for (const QString &name : files.split(u'|'))
            wavs << sound(name + u".wav"_s);
        editor.addWavFiles(wavs);
        editor.selectSlot(1);
        for (int slot = 2; slot <= selected; ++slot)
            editor.sampleList()->item(slot - 1)->setSelected(true);
        platform.queueText(typed);
        editor.keyboardTools()->renameSelectedSample();
        const QStringList now = listed(editor), patterns = names.split(u'|');
        QCOMPARE(QSet<QString>(now.begin(), now.end()).size(), patterns.size());
        for (int slot = 1; slot <= patterns.size(); ++slot) {
            const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(patterns.at(slot - 1)));
            QVERIFY2(pattern.match(now.at(slot - 1)).hasMatch() && now.at(slot - 1).size() <= 8, qPrintable(now.join(u' ')));
            QCOMPARE(editor.sampleSourceFile(slot), wavs.at(slot - 1));
        }
        const QStringList said = platform.messageTexts() + platform.textProblems(); // a box, or the rule shown while typing
        QVERIFY(said.size() == (message.isEmpty() ? 0 : 1) && said.join(u' ').startsWith(message));
    }

    // The key map selects what is clicked and plays the sample mapped to a key; the
    // export writes the set under the stored names; an SFZ import replaces the document.
    void keyMapExportAndImport()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString wav = sound(u"P_C3.wav"_s), target = m_saveDir.filePath(u"STICK"_s);
        editor.addWavFiles({wav, sound(u"P_C5.wav"_s)});
        KeyboardTools *tools = editor.keyboardTools();
        editor.show();
        tools->showKeyMap();
        KeyMapWindow *map = tools->keyMap();
        QVERIFY(map && map->isVisible());
        QTest::mouseClick(map->canvas(), Qt::LeftButton, {}, map->rowRect(2).center());
        QCOMPARE(editor.selectedSlot(), 2);
        QVERIFY(tools->playKey(90) && !tools->playKey(0)); // no START can show key 0
        // The row highlighted follows a click in the list at once, and stays through a picker edit.
        QListWidget *list = editor.sampleList();
        clickItem(list, list->item(0));
        QCOMPARE(map->selectedSlot(), 1);
        clickField(editor, u"Text19"_s, pickKey(100, 1005));
        QCOMPARE(editor.record().sample(SampleField::Key, 1), quint8(0));
        QCOMPARE(map->selectedSlot(), 1);
        // A pressed key says what it plays; its rows name the files.
        QTest::mouseClick(map->canvas(), Qt::LeftButton, {}, map->keyRect(90).center());
        QCOMPARE(map->pressedKeyText(), u"F#5: sample 2 P_C5 (P_C5.wav)"_s);
        QCOMPARE(map->canvas()->grab().toImage().pixelColor(map->keyRect(90).center()), QColor(60, 170, 90));

        // The untitled document is asked its name; replacing an MSP is asked, No first.
        QVERIFY(QDir().mkpath(target));
        platform.queueFile(target), platform.queueText(u"my piano:1/x"_s); // the name rule is shown, nothing rewritten
        tools->exportForKeyboard();
        QVERIFY(platform.textProblems().size() == 1 && test::filesIn(target).isEmpty());
        platform.queueFile(target);
        platform.queueText(u"Stick1"_s);
        tools->exportForKeyboard(); // what it writes is test_keyboardexport's
        QCOMPARE(platform.offeredTexts().last(), u"P"_s); // the first sample's name without its note
        QCOMPARE(test::filesIn(target), split("P_C3.WAV|P_C5.WAV|STICK1.MSP"));
        QCOMPARE(test::readAll(target + u"/STICK1.MSP"_s), editor.record().bytes());
        QVERIFY(platform.messageTexts().last().contains(u"STICK1.MSP"_s));
        QVERIFY(test::writeAll(target + u"/P_C3.WAV"_s, "older"));
        platform.queueFile(target), platform.queueText(u"stick1.msp"_s), platform.queueAnswer(ui::Answer::No);
        tools->exportForKeyboard();
        QVERIFY(platform.messages().last().buttons == ui::Buttons::YesNoDefaultNo && platform.messages().last().text.contains(u"STICK1.MSP"_s));
        QCOMPARE(test::readAll(target + u"/P_C3.WAV"_s), "older");

        // The zone plays frames 100..1099 of its looped file, once: so does its export.
        QVERIFY(test::sound::write(m_saveDir.filePath(u"LOOPED.wav"_s), kPcm16, 44100, 1, 2000, 45, test::sound::Loop{500, 1500}));
        QVERIFY(test::writeAll(m_saveDir.filePath(u"kit.sfz"_s), "<region> sample=LOOPED.wav offset=100 end=1099 loop_mode=no_loop\n"));
        platform.queueAnswer(ui::Answer::No); // the unsaved document is let go
        tools->importSfz(m_saveDir.filePath(u"kit.sfz"_s));
        QVERIFY(editor.isWindowModified() && editor.document().path().isEmpty());
        platform.queueFile(target), platform.queueText(u"KIT"_s);
        tools->exportForKeyboard();
        QCOMPARE(platform.offeredTexts().last(), u"KIT"_s); // the SFZ's name
        const QByteArray cut = test::readAll(target + u"/LOOPED.WAV"_s);
        QMap<QByteArray, qsizetype> chunks; // where each chunk's body starts, walked by hand
        for (qsizetype at = 12; at + 8 <= cut.size(); at += 8 + ((int32At(cut, at + 4) + 1) & ~1))
            chunks[cut.mid(at, 4)] = at + 8;
        QCOMPARE(int32At(cut, chunks.value("data") - 4), 1000 * 2);
        QVERIFY(!chunks.contains("smpl") || int32At(cut, chunks.value("smpl") + 28) == 0); // no loop
        // A slider edit undone: the import is still work that no file holds, and the title says so.
        const MspRecord imported = editor.record();
        editor.selectSlot(1);
        clickField(editor, u"Text17"_s, drag(2925, Gesture::Text1));
        QCOMPARE(editor.record().sample(SampleField::Volume, 1), quint8(0));
        run(editor, u"MnuUndo"_s);
        QVERIFY(editor.record() == imported && editor.isWindowModified() && editor.document().isModified());
        QCOMPARE(platform.unexpected(), 0);
    }

    // What the key map draws for two zones, 48..59 and 55..70.
    void keyMapDrawing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("low"); // where the mark goes, else the key's top
        QTest::addColumn<QColor>("colour");
        const QColor black(40, 40, 40), white(250, 250, 250);
        QTest::newRow("black key in a zone") << 49 << true << black;
        QTest::newRow("white key in a zone") << 50 << true << white;
        QTest::newRow("gap: the black key above its mark") << 30 << false << black;
        QTest::newRow("gap: red mark") << 30 << true << QColor(220, 40, 40);
        QTest::newRow("overlap: orange mark") << 57 << true << QColor(240, 150, 0);
        QTest::newRow("key 0 is no gap") << 0 << true << white;
        QTest::newRow("a zone's first key") << 48 << true << white; // the zones' ends, each side
        QTest::newRow("below the first zone: gap") << 47 << true << QColor(220, 40, 40);
        QTest::newRow("a zone's last key") << 70 << true << black;
        QTest::newRow("above the last zone: gap") << 71 << true << QColor(220, 40, 40);
    }
    void keyMapDrawing()
    {
        QFETCH(int, key);
        QFETCH(bool, low);
        QFETCH(QColor, colour);
        MspEditorWindow editor;
        open(editor, split("LOW|HIGH"), {{msp::sampleFieldOffset(SampleField::StartKey, 1), 47}, {msp::sampleFieldOffset(SampleField::EndKey, 1), 59},
                                         {msp::sampleFieldOffset(SampleField::StartKey, 2), 54}, {msp::sampleFieldOffset(SampleField::EndKey, 2), 70}});
        editor.keyboardTools()->showKeyMap();
        const KeyMapWindow *map = editor.keyboardTools()->keyMap();
        const QImage image = map->canvas()->grab().toImage();
        const QRect r = map->keyRect(key);
        QCOMPARE(image.pixelColor(r.center().x(), low ? r.bottom() - 2 : r.top() + 4), colour);
        // "C-2" is whole: text under keys 1 and 2, below the keyboard.
        bool text = false;
        for (int x = map->keyRect(1).left(); x <= map->keyRect(2).right(); ++x)
            for (int y = r.bottom() + 2; y < r.bottom() + 14; ++y)
                text = text || image.pixelColor(x, y).value() < 100;
        QVERIFY(text);
    }

    // Where the dialogs start with nothing remembered: the music folder, else home;
    // Save As of a new set beside its samples; Import SFZ and Export remember theirs.
    void dialogFolders_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("start"); // Music, home, samples or remembered
        for (const QString &command : split("Command9|MnuSaveAs|MnuImportSfz|MnuExportKeyboard"))
            QTest::newRow(qPrintable(command)) << command << u"Music"_s;
        QTest::newRow("Add Wav Sample, no music folder") << u"MnuAddWav"_s << u"home"_s;
        QTest::newRow("Save As of a new set") << u"MnuSaveAs"_s << u"samples"_s;
        QTest::newRow("Import SFZ again") << u"MnuImportSfz"_s << u"remembered"_s;
        QTest::newRow("Export again") << u"MnuExportKeyboard"_s << u"remembered"_s;
    }
    void dialogFolders()
    {
        QFETCH(QString, command);
        QFETCH(QString, start);
        QDir home(m_home.path());
        QVERIFY(start == u"home" ? home.rmpath(u"Music"_s) || !home.exists(u"Music"_s) : home.mkpath(u"Music"_s));
        QTemporaryDir chosen;
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        if (start == u"samples")
            editor.addWavFiles({sound(u"A.wav"_s)});
        if (start == u"remembered") {
            util::useSettingsFile(chosen.filePath(u"settings.ini"_s));
            platform.queueFile(command == u"MnuImportSfz" ? chosen.filePath(u"kit.sfz"_s) : chosen.path());
            run(editor, command);
        }
        platform.queueCancel();
        run(editor, command);
        util::useSettingsFile({});
        QCOMPARE(platform.dialogs().last().initialFolder, start == u"samples" ? m_saveDir.path() : start == u"remembered" ? chosen.path()
                                                          : start == u"home" ? home.path() : home.filePath(start));
    }


    // Import SoundFont: the chooser's filter narrows the presets, OK imports the one
    // shown, whose WAVs stay readable while the document is open.
    void importSoundFont()
    {
        const QString bank = u"/usr/share/sounds/sf2/TimGM6mb.sf2"_s;
        if (!QFileInfo::exists(bank))
            QSKIP("timgm6mb-soundfont is not installed");
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        QTimer::singleShot(0, this, [] {
            auto *chooser = qobject_cast<PresetChooser *>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            chooser->findChild<QLineEdit *>(u"PresetFilter"_s)->setText(u"warm pad"_s);
            chooser->accept();
        });
        platform.queueAnswer(ui::Answer::Ok); // the report
        editor.keyboardTools()->importSoundFont(bank);
        QVERIFY(editor.record().sampleCount() > 0);
        QVERIFY(QFileInfo(editor.sampleSourceFile(1)).isFile());
        QVERIFY(platform.messageTexts().join(u'\n').contains(u"Warm Pad imported"_s));
        platform.queueCancel(); // Save does not propose the import's temporary folder, gone when TAMO quits
        run(editor, u"MnuSave"_s);
        QVERIFY(QFileInfo(platform.dialogs().last().initialFolder) != QFileInfo(QFileInfo(editor.sampleSourceFile(1)).absolutePath()));
    }

    // Files that are not multisamples.
    void saveOverOtherFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<ui::Answer>("answer");
        QTest::newRow("Save, No") << u"MnuSave"_s << ui::Answer::No;
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
        QVERIFY(test::writeAll(path, wav));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        platform.queueFile(path);
        run(form, u"MnuOuvrir"_s);
        MspContent changed = form.document().content();
        changed.record.setGlobal(msp::GlobalField::Level, 7);
        form.document().change(u"LEVEL"_s, changed);
        platform.clear();
        if (command == u"close")
            platform.queueAnswer(ui::Answer::Yes);
        platform.queueAnswer(answer);
        command == u"close" ? void(form.close()) : run(form, command);
        QCOMPARE(platform.unexpected(), 0);
        const QString box = platform.messageTexts().value(command == u"close" ? 1 : 0);
        QVERIFY2(box.contains(path) && box.contains(u"not a multisample"_s), qPrintable(box));
        if (answer == ui::Answer::Yes)
            wav[14] = 7;
        QCOMPARE(test::readAll(path), wav);
    }

    // An empty set warned of, Cancel while the sources are analysed, a short report;
    // drops anywhere, Ctrl+E in a field, New, a larger window, Escape, no audio output.
    void keepsUserInformed()
    {
        ui::ScriptedPlatform platform;
        QTemporaryDir dir;
        const QString target = dir.filePath(u"stick"_s);
        MspEditorWindow editor;
        editor.show();
        QVERIFY(QDir().mkdir(target) && QTest::qWaitForWindowActive(&editor));
        platform.queueFile(target), platform.queueAnswer(ui::Answer::No);
        editor.keyboardTools()->exportForKeyboard();
        QVERIFY(platform.messageTexts().last().startsWith(u"The set holds no sample"_s) && test::filesIn(target).isEmpty());
        QStringList notes;
        for (int i = 0; i < 6; ++i)
            QVERIFY(test::sound::write24(notes.emplace_back(dir.filePath(u"N%1_C%2.wav"_s.arg(i).arg(i + 2))), test::sound::note(440, 44100, 2, false), 44100, 2));
        drop(editor, notes, QPoint(editor.width() - 5, editor.height() - 5)); // off the list
        bool seen = false; // Cancel clicked at the first turn of the window's events
        QTimer::singleShot(0, &editor, [&] {
            auto *progress = editor.findChild<QProgressDialog *>(u"ExportProgress"_s);
            if ((seen = progress && progress->isVisible()))
                progress->findChild<QPushButton *>()->click();
        });
        platform.queueFile(target), platform.queueText(u"SET"_s), platform.queueChoices(QList<bool>{true, false, false});
        editor.keyboardTools()->exportForKeyboard();
        QVERIFY(seen && editor.record().sampleCount() == 6 && test::filesIn(target).isEmpty()
                && platform.messageTexts().last() == u"Cancelled: nothing was written."_s);
        for (const bool again : {false, true}) { // the second replaces SET.MSP, agreed to
            platform.queueFile(target), platform.queueText(u"SET"_s), platform.queueChoices(QList<bool>{true, false, false});
            again ? platform.queueAnswer(ui::Answer::Yes) : void(), editor.keyboardTools()->exportForKeyboard();
        }
        const ui::MessageBox report = platform.messages().last();
        QCOMPARE(report.text, u"7 file(s) written to %1 (0 WAV copied, 6 converted).\r\nThe instrument is SET.MSP.\r\n7 older file(s) replaced.\r\n"
                              "See the details for each file."_s.arg(target));
        QCOMPARE(report.details.split(u"\r\n"_s).filter(QRegularExpression(u"^N[0-5]_C[2-7]\\.WAV: "_s)).size(), 6);
        QVERIFY(platform.unexpected() == 0 && platform.pending() == 0 && !report.details.contains(u"Replaced"_s));

        auto *field = editor.wavPanel()->findChild<QLineEdit *>(u"Text1"_s);
        field->setFocus(), platform.queueCancel();
        QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(platform.dialogs().size() == 4 && platform.dialogs().last().title == u"Export for the keyboard"_s);
        editor.selectSlot(1), editor.wavPanel()->showWavInfo(), platform.queueAnswer(ui::Answer::No);
        run(editor, u"MnuNew"_s);
        QVERIFY(editor.wavPanel()->wavPath().isEmpty() && shown(*editor.wavPanel(), u"WavFileName"_s).isEmpty());
        clickField(editor, u"Text18"_s); // PITCH with no sample selected: nothing to undo
        QCOMPARE(editor.undoStack()->count(), 0);
        const QWidget *add = editor.findChild<QPushButton *>(u"Command9"_s);
        const QRect list = editor.sampleList()->geometry(), button = add->geometry();
        editor.resize(editor.size() + QSize(200, 100)); // the list takes the room
        QVERIFY(editor.sampleList()->geometry() == list.adjusted(0, 0, 200, 100) && add->geometry() == button.translated(200, 0));
        editor.keyboardTools()->showKeyMap();
        QTest::keyClick(editor.keyboardTools()->keyMap(), Qt::Key_Escape);
        QVERIFY(!editor.keyboardTools()->keyMap()->isVisible());
        run(editor, u"Command6"_s); // Play, and the key map's title, say when no audio output exists
        QCOMPARE(platform.messageTexts().last() == u"No audio output was found: nothing can be played."_s, !util::HasAudioOutput());
        QCOMPARE(editor.keyboardTools()->keyMap()->windowTitle().contains(u"no audio output"_s), !util::HasAudioOutput());
    }

    // Keyboard, Find loop (undone by the old bytes), the export's choices, a looped audition.
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
        platform.queueAnswer(ui::Answer::No); // the proposal declined: the file stays
        editor.findChild<QAction *>(u"MnuFindLoop"_s)->trigger();
        QVERIFY(platform.messageTexts().last().contains(u"Write this loop"_s) && test::readAll(held) == bytes
                && shown(*editor.wavPanel(), u"LoopEnd"_s).isEmpty()); // the proposal withdrawn from the panel
        platform.queueAnswer(ui::Answer::Yes);
        editor.findChild<QAction *>(u"MnuFindLoop"_s)->trigger();
        const test::sound::Contents now = test::sound::read(held);
        QVERIFY(now.instrument && now.instrument->loop_count == 1);
        const auto &loop = now.instrument->loops[0];
        QCOMPARE(shown(*editor.wavPanel(), u"LoopEnd"_s), QString::number(loop.end)); // the panel shows what was written
        QVERIFY(platform.messageTexts().last().contains(u": loop %1-%2"_s.arg(loop.start).arg(loop.end)));
        for (std::size_t i = 0; i < was.samples.size(); ++i) // a crossfade only changes looped frames
            QVERIFY(now.samples[i] == was.samples[i] || (i >= loop.start && i < loop.end));
        editor.undoStack()->undo();
        QCOMPARE(test::readAll(held), bytes);
        editor.undoStack()->redo(); // then another program writes a new take: undo leaves it
        const QByteArray take = bytes.left(bytes.size() / 2);
        QVERIFY(test::writeAll(held, take));
        editor.undoStack()->undo();
        QCOMPARE(test::readAll(held), take);
        QVERIFY(test::writeAll(held, bytes));

        platform.queueFile(target), platform.queueText(u"SET"_s), platform.queueChoices(QList<bool>{true, false, false});
        editor.keyboardTools()->exportForKeyboard();
        QVERIFY(platform.pending() == 0 && platform.messages().last().details.startsWith(u"HELD.WAV: loop "_s));
        QCOMPARE(test::readAll(held), bytes);

        // A 24-bit 48 kHz file is never written: the set keeps the loop found, as one undoable step.
        const QString deep = dir.filePath(u"deep.wav"_s);
        QVERIFY(test::sound::write24(deep, test::sound::note(440, 48000, 1, false), 48000, 1));
        const QByteArray deepBytes = test::readAll(deep);
        editor.addWavFiles({deep}), editor.selectSlot(2), platform.queueAnswer(ui::Answer::Yes);
        editor.findChild<QAction *>(u"MnuFindLoop"_s)->trigger();
        QVERIFY(shown(*editor.wavPanel(), u"LoopEnd"_s) == QString::number(editor.document().keptLoop(2).end) && test::readAll(deep) == deepBytes);
        editor.undoStack()->undo();
        QVERIFY(editor.document().keptLoop(2).kind == msp_editor::SampleLoop::Kind::Keep && shown(*editor.wavPanel(), u"LoopEnd"_s).isEmpty());

        const QString looped = dir.filePath(u"looped.wav"_s); // its audition sustains: 1 s plays 2 s
        QVERIFY(test::sound::write(looped, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44100, 60, test::sound::Loop{1000, 30000}));
        QCOMPARE(wav::pitchedPreview(looped, 0, 2.0, nullptr).samples.size(), std::size_t(2 * 44100));
    }
};

QTEST_MAIN(TestMspEditorWindow)
#include "test_mspeditorwindow.moc"
