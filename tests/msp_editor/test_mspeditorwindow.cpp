// The MSP editor window driven through its menu, buttons, list and fields with scripted
// dialogs and answers, its pop-ups, and its WAV panel on a plain form. What the view and
// the panel show of any file, the drawing and CleanUp are the fuzz targets' (fuzz_msp_view,
// fuzz_wav_panel). The slider's track starts 360 twips below its window's top and is 2925
// high; the picker's keyboard is 15050 by 1215 twips, white keys 200 wide, black keys 120.

#include "../wav/helper_wav.h"
#include "helper_editor.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"
#include "msp_editor/wavpanel.h"
#include "msp_editor/editorstate.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;
using msp::MspRecord;
using msp::SampleField;
using namespace tamo::test::wavgen;
using Bytes = QList<QPair<qsizetype, quint8>>;

// A field clicked with slot 2 selected and effect type 9 (OVERDRIVE and CHORUS amounts
// shown): what the pop-up showed on opening, the field's text after, the one byte changed.
struct Edit {
    QString field;
    qsizetype offset;
    int before;
    QString action; // see clickField(); "List2:<entry>" clicks a chooser entry, "List2:" none
    QString seen;   // for a chooser, the entry it marks on opening
    int after;
    QString shownAfter; // for the effect, its name and the amounts shown
};
Q_DECLARE_METATYPE(Edit)

namespace {

constexpr double kTwip = 15.0;
constexpr int kSlot = 2;
constexpr int kLeft = int(Qt::LeftButton), kRight = int(Qt::RightButton);
const ui::MessageBox kAsk{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s,
                          ui::Buttons::YesNoCancel, ui::Icon::Question, u"MSP Editor"_s};

void showRecord(MspEditorWindow &form, const MspRecord &record)
{
    form.record() = record;
    form.RefreshMspView();
}

QString shown(const QWidget &window, const QString &name)
{
    const auto *edit = window.findChild<QLineEdit *>(name);
    return edit ? edit->text() : window.findChild<QLabel *>(name)->text();
}

QStringList listed(const MspEditorWindow &form)
{
    QStringList lines;
    const auto *list = form.findChild<QListWidget *>(u"List1"_s);
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

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

// Scrolls the key picker's keyboard to a point, as a user would, and presses there.
void pressKey(QWidget &picker, QPointF twips, Qt::MouseButton button)
{
    auto *scroll = picker.findChild<QScrollBar *>(u"HScroll1"_s);
    scroll->setValue(qBound(0, int(twips.x()) - 4000, scroll->maximum()));
    auto *keyboard = picker.findChild<QWidget *>(u"Picture2"_s);
    const QPointF at = twips / kTwip;
    QMouseEvent press(QEvent::MouseButtonPress, at, keyboard->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(keyboard, &press);
}

// Clicks a field and drives the pop-up. The slider: "<buttons> X Y <closer>" presses left,
// right, both or no buttons 1000 twips down the track, moves to 600 (100.9 in 0..127) then
// to X, Y twips from the track's top left, releases, and closes by Escape, close() or a
// click on Text1 or Label2. The key picker: "key X Y [right]" presses there, or "Escape".
// Returns what the pop-up showed on opening, "<value> in <scale top to bottom>" or "note
// <noteValue> at <scroll>" (empty when none opened), then what went wrong.
QString clickField(MspEditorWindow &form, const QString &name, const QString &action = {})
{
    QString seen;
    QTimer::singleShot(0, &form, [&] {
        QWidget *popup = QApplication::activeModalWidget();
        if (!popup)
            return;
        const QStringList words = action.split(u' ');
        if (auto *slider = qobject_cast<ValueSlider *>(popup)) {
            auto labels = popup->findChildren<QLabel *>(u"Label1"_s);
            std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
            const int start = shown(*popup, u"Text1"_s).toInt();
            seen = u"%1 in %2 %3 %4"_s.arg(start).arg(labels.at(0)->text(), labels.at(1)->text(), labels.at(2)->text());
            auto *track = popup->findChild<QWidget *>(u"Picture2"_s), *knob = popup->findChild<QWidget *>(u"Picture1"_s);
            const auto knobAt = [&] { return (knob->y() + knob->height() / 2.0) * kTwip - 360; }; // below the track's top
            const auto at = [](QPointF twips) { return (twips / kTwip).toPoint(); };
            const QString &pressed = words.at(0);
            const int buttons = (pressed == u"left" || pressed == u"both" ? kLeft : 0) | (pressed == u"right" || pressed == u"both" ? kRight : 0);
            const QPointF to(words.at(1).toDouble(), words.at(2).toDouble());
            const double startKnob = (slider->maximum - start) * 2925.0 / (slider->maximum - slider->minimum);
            const double knobAfter = buttons != kLeft ? startKnob : to.y() >= 0 && to.y() <= 2925 ? to.y() : 600;
            bool knobRight = qAbs(knobAt() - startKnob) <= 2 * kTwip;
            for (int button : {kLeft, kRight})
                if (buttons & button)
                    QTest::mousePress(track, Qt::MouseButton(button), {}, at({120, 1000}));
            seen += shown(*popup, u"Text1"_s).toInt() == start ? QString() : u" moved by a press"_s;
            if (buttons) {
                QTest::mouseMove(track, at({120, 600}));
                QTest::mouseMove(track, at(to));
            }
            for (int button : {kLeft, kRight})
                if (buttons & button)
                    QTest::mouseRelease(track, Qt::MouseButton(button), {}, at(to));
            seen += knobRight && qAbs(knobAt() - knobAfter) <= 2 * kTwip ? QString() : u" knob misplaced"_s;
            if (words.at(3) == u"Escape")
                QTest::keyClick(popup, Qt::Key_Escape);
            else if (words.at(3) == u"close")
                popup->close();
            else
                QTest::mouseClick(popup->findChild<QWidget *>(words.at(3)), Qt::LeftButton);
        } else {
            seen = u"note %1 at %2"_s.arg(noteValue).arg(popup->findChild<QScrollBar *>(u"HScroll1"_s)->value());
            if (words.first() == u"key")
                pressKey(*popup, {words.at(1).toDouble(), words.at(2).toDouble()}, words.size() > 3 ? Qt::RightButton : Qt::LeftButton);
            else if (action == u"Escape")
                QTest::keyClick(popup, Qt::Key_Escape);
        }
        if (popup->isVisible()) {
            seen += u" left open"_s;
            popup->close();
        }
    });
    QTest::mouseClick(form.findChild<QWidget *>(name), Qt::LeftButton);
    QCoreApplication::processEvents(); // lets the check run when no pop-up opened
    return seen;
}

} // namespace

class TestMspEditorWindow : public QObject {
    Q_OBJECT

    QString m_oldCurrent = QDir::currentPath();
    QTemporaryDir m_saveDir;

    // Shows a document with slot `select` selected (0: none), unmodified.
    static MspRecord open(MspEditorWindow &form, const QStringList &names, const Bytes &bytes = {}, int select = kSlot)
    {
        const MspRecord record = documentWith(names, bytes);
        showRecord(form, record);
        form.selectSlot(select);
        form.show();
        mspModified = false;
        return record;
    }

    struct Panel {
        QWidget form;
        QString path; // the editor's CurrentWavPath
        WavPanel *panel = new WavPanel(&form, &path);
        QString text(const QString &name) const { return shown(form, name); }
        template <class T = QLineEdit> T *child(const QString &name) const { return form.findChild<T *>(name); }
    };
    void show(Panel &p, const QByteArray &file)
    {
        p.form.show();
        p.path = m_saveDir.filePath(u"PIANO1.wav"_s);
        QVERIFY(test::writeAll(p.path, file));
        p.panel->showWavInfo();
    }

    // Saves through the window's Save; the file's bytes.
    QByteArray saved(MspEditorWindow &form)
    {
        form.CurrentMspPath = m_saveDir.filePath(u"EDIT.MSP"_s);
        ui::ScriptedPlatform platform;
        run(form, u"MnuSave"_s);
        return platform.messages().isEmpty() ? test::readAll(form.CurrentMspPath) : QByteArray("not saved");
    }

private Q_SLOTS:
    void init() { mspModified = false; }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }
    // New, Open, Save, Save As and Close on a document "PIANO1", titled DOC.MSP or untitled
    // (Quit and Cancel are test_unsaved_work's). The folder holds DOC.MSP (old bytes),
    // SET.MSP and a folder FOLDER.MSP.
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("start");      // saved, modified, or modified and untitled
        QTest::addColumn<QStringList>("script"); // the answers to the questions and the dialogs, or a full disk
        QTest::addColumn<QString>("document");   // unsaved, new or the file read
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<QString>("written"); // the file that now holds the unsaved document
        const QStringList none;
        QTest::newRow("New, unmodified") << "MnuNew" << "saved" << none << "new" << "" << false << "";
        QTest::newRow("New, Yes saves") << "MnuNew" << "modified" << split("Yes") << "new" << "" << false << "DOC.MSP";
        QTest::newRow("Open, No, cancelled") << "MnuOuvrir" << "modified" << split("No|cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, Yes saves first")
            << "MnuOuvrir" << "modified" << split("Yes|SET.MSP") << "SET.MSP" << "SET.MSP" << false << "DOC.MSP";
        QTest::newRow("Open, a folder") << "MnuOuvrir" << "modified" << split("No|FOLDER.MSP") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Close, No") << "close" << "modified" << split("No") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Save") << "MnuSave" << "modified" << none << "unsaved" << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save untitled, named") << "MnuSave" << "untitled" << split("NEW.MSP") << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save As, named") << "MnuSaveAs" << "modified" << split("NEW.MSP") << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save, disk full") << "MnuSave" << "modified" << split("disk full") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Save As untitled over a file, disk full")
            << "MnuSaveAs" << "untitled" << split("disk full|Replace|DOC.MSP") << "unsaved" << "" << true << "";
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, start);
        QFETCH(QStringList, script);
        QFETCH(QString, document);
        QFETCH(QString, path);
        QFETCH(bool, modifiedAfter);
        QFETCH(QString, written);
        QTemporaryDir dir;
        const QString doc = dir.filePath(u"DOC.MSP"_s), named = dir.filePath(u"NEW.MSP"_s);
        const QByteArray oldBytes(3000, 'x'); // longer than a record: a save must drop the tail
        const MspRecord unsaved = documentWith({u"PIANO1"_s});
        const MspRecord set = documentWith(split("PIANO1|STRINGS"));
        QVERIFY(test::writeAll(doc, oldBytes) && QDir(dir.path()).mkdir(u"FOLDER.MSP"_s) && test::writeAll(dir.filePath(u"SET.MSP"_s), set.bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        QCOMPARE(form.record(), MspRecord::newDocument()); // a new document at start, no prompt
        form.show();
        form.CurrentMspPath = start == u"untitled" ? QString() : doc;
        showRecord(form, unsaved);
        mspModified = start != u"saved";
        std::optional<test::FileSizeLimit> diskFull;
        for (const QString &step : script) {
            if (step == u"Yes" || step == u"No" || step == u"Replace")
                platform.queueAnswer(step == u"No" ? ui::Answer::No : ui::Answer::Yes);
            else if (step == u"disk full")
                diskFull.emplace(100);
            else
                step == u"cancel" ? platform.queueCancel() : platform.queueFile(dir.filePath(step));
        }
        qsizetype dialogsWhenAsked = -1;
        platform.onMessage = [&](const ui::MessageBox &box) { dialogsWhenAsked = box == kAsk ? platform.dialogs().size() : dialogsWhenAsked; };
        run(form, command);
        diskFull.reset();

        QStringList seen;
        for (const ui::MessageBox &box : platform.messages()) // a failed save names the file
            seen << (box == kAsk ? u"ask"_s : box.text.endsWith(u"Do you want to replace it ?"_s) ? u"replace"_s
                     : box.icon == ui::Icon::Exclamation && box.text.contains(doc) ? u"error"_s : box.text);
        // The questions come first, when there is an answer for them; a full disk gives an error.
        const bool asked = script.contains(u"Yes"_s) || script.contains(u"No"_s);
        const QStringList replace = script.contains(u"Replace"_s) ? split("replace") : QStringList();
        QCOMPARE(seen, (asked ? split("ask") : QStringList()) + replace + (script.contains(u"disk full"_s) ? split("error") : QStringList()));
        QCOMPARE(dialogsWhenAsked, asked ? 0 : -1);
        QVERIFY(platform.unexpected() == 0 && platform.pending() == 0);
        const QMap<QString, MspRecord> documents{{u"unsaved"_s, unsaved}, {u"new"_s, MspRecord::newDocument()}, {u"SET.MSP"_s, set}};
        QCOMPARE(form.record(), documents.value(document));
        QCOMPARE(form.CurrentMspPath, path.isEmpty() ? QString() : dir.filePath(path));
        QCOMPARE(mspModified, modifiedAfter);
        QCOMPARE(form.isVisible(), command != u"close");
        QCOMPARE(test::readAll(doc), written == u"DOC.MSP" ? unsaved.bytes() : oldBytes);
        QCOMPARE(test::readAll(named), written == u"NEW.MSP" ? unsaved.bytes() : QByteArray());
        QCOMPARE(test::filesIn(dir.path()).size(), written == u"NEW.MSP" ? 3 : 2); // no stray temporary file
        const QMap<QString, QString> lines{{u"unsaved"_s, u"PIANO1  "_s}, {u"SET.MSP"_s, u"PIANO1  |STRINGS "_s}};
        QCOMPARE(listed(form).join(u'|'), lines.value(document)); // the view was refreshed
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
        const auto n = [](int count) { QStringList names; for (int j = 1; j <= count; ++j) names << u"N%1"_s.arg(j); return names; };
        const QStringList none;
        QTest::newRow("add five, in the dialog's order, a long name") << 3 << -1
            << split("W/DRUMS.WAV|W/AB.WAV|W/E.wav|W/Grand Piano.wav|W/BASS.WAV") << n(3) + split("DRUMS|AB|E|GRANDP~1|BASS") << false;
        QTest::newRow("add from a folder with a dot") << 0 << -1 << split("my.samples/PIANO1.WAV") << split("PIANO1") << false;
        QTest::newRow("add a missing file and a name without a dot: skipped")
            << 0 << -1 << split("W/A.WAV|W/GONE.WAV|W/NODOT|W/B.WAV") << split("A|B") << false;
        QTest::newRow("add 3 to 62") << 62 << -1 << split("W/X1.WAV|W/X2.WAV|W/X3.WAV") << n(62) + split("X1|X2") << true;
        QTest::newRow("add cancelled") << 2 << -1 << none << n(2) << false;
        QTest::newRow("remove the first of three") << 3 << 1 << none << split("N2|N3") << false;
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
            run(form, u"Command10"_s);
        } else {
            const QString folder = chosen.isEmpty() ? QString() : dir.filePath(QFileInfo(chosen.first()).path());
            chosen.isEmpty() ? platform.queueCancel() : platform.queueFiles(folder, names);
            run(form, u"Command9"_s);
            const ui::FileDialogRequest &request = platform.dialogs().first();
            QCOMPARE(request.title + request.filter, u"Selectionner un ou plusieurs fichier(s) WAVWav Files (*.WAV)|*.WAV"_s);
            QVERIFY(request.mode == ui::FileDialogRequest::Mode::Open && request.multiSelect && request.maxLength == 32000);
        }
        QCOMPARE(listed(form).size(), after.size()); // the names are in the slots' bytes
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
    }

    // Selecting sample 2 looks up its WAV beside the MSP file, by short name too (the
    // lookup's rules are test_util's); a mouse release opens it, Auto Play plays it.
    void wavOfSample_data()
    {
        QTest::addColumn<QString>("msp");       // in a fresh folder; empty: untitled
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
        QTest::newRow("short name, long file")
            << msp << split("SETS/Grand Piano.wav") << "GRANDP~1" << "SETS/Grand Piano.wav" << "click";
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
        QCOMPARE(QList<QVariantList>(opened), opens ? QList<QVariantList>{{wav}} : QList<QVariantList>());
        QCOMPARE(played.count(), opens && how == u"click" ? 1 : 0);
    }

    // The example opens as a working document and finds its tones.
    void example()
    {
        const QDir folder(test::examplePath());
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        platform.queueFile(folder.filePath(u"SINES.MSP"_s));
        run(form, u"MnuOuvrir"_s);
        QVERIFY(platform.messages().isEmpty() && platform.unexpected() == 0);
        const ui::FileDialogRequest &request = platform.dialogs().last(); // what every MSP dialog asks, checked once
        QVERIFY(request.filter == u"Ketron MultiSamPle Files (*.MSP)|*.MSP"_s && request.initialFolder == ui::programFolder());
        QCOMPARE(listed(form), split("SINEC3  |SINEE3  |SINEG3  "));
        for (int slot = 1; slot <= 3; ++slot) {
            form.selectSlot(slot);
            QCOMPARE(form.CurrentWavPath, folder.filePath(listed(form).at(slot - 1).trimmed() + u".WAV"_s));
        }
    }

    // A file shown, read out at the caret, then written back as shown (byte for byte,
    // 0 and 176, both shown as "°", included) or as edited.
    void showAndWriteBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("before");  // Label50|Text38
        QTest::addColumn<QString>("after");   // Label18|Text14
        QTest::addColumn<QString>("readout"); // Label17 with the caret at 0, 1, ... in Text14
        QTest::addColumn<QString>("edit");    // Text<n>=typed
        QTest::addColumn<QString>("message"); // a part of it; empty: none
        const QByteArray list = chunk("LIST", QByteArray("INFOICMT\6\0\0\0hi\0you", 18)), plain = wavFile(payload(10));
        QTest::newRow("LIST of 26") << wavFile(payload(100), {}, list) << u"26|LIST\x12°°°INFOICMT\x06°°°hi°you"_s << u"0|"_s << "" << "" << "";
        QTest::newRow("0, s, 176, é after the data") << wavFile(payload(8), QByteArray("\0s\xb0\xe9", 4)) << u"0|"_s
                                                     << u"4|°s°é"_s << "Dec : 0|Dec : 115|Dec : 0|Dec : 233|" << "" << "";
        QTest::newRow("long trailer, cut") << wavFile(payload(8), QByteArray(300000, 'x')) << u"0|"_s
                                           << u"300000|"_s + QString(wav::kWavTextLimit, u'x') << "" << "" << "";
        // Not a whole number, or too wide: a message naming the field, nothing written.
        QTest::newRow("not a number") << plain << u"0|"_s << u"0|"_s << "" << "Text5=sixteen" << "Pcm=16";
        QTest::newRow("too wide") << plain << u"0|"_s << u"0|"_s << "" << "Text6=70000" << "1=non compressé";
    }

    void showAndWriteBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, readout);
        QFETCH(QString, edit);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        Panel p;
        show(p, file);
        QCOMPARE(p.text(u"Text12"_s) + u' ' + p.text(u"Label16"_s), u"data %1"_s.arg(file.size()));
        QCOMPARE(p.text(u"Label50"_s) + u'|' + p.text(u"Text38"_s), before);
        QCOMPARE(p.text(u"Label18"_s) + u'|' + p.text(u"Text14"_s), after);
        const auto *note = p.child<QLabel>(u"Text14Note"_s); // past the bound, the full count
        QCOMPARE(note->isVisible() && note->text().contains(u"300000"_s), file.size() > 300000);
        QLineEdit *box = p.child(u"Text14"_s);
        const QStringList captions = readout.split(u'|');
        for (int caret = 0; !readout.isEmpty() && caret < captions.size(); ++caret) {
            box->setCursorPosition(caret);
            QTest::keyRelease(box, Qt::Key_Shift);
            QCOMPARE(p.text(u"Label17"_s), captions.at(caret));
        }
        if (!readout.isEmpty()) { // a press moves the caret from the end first, then reads after it
            QTest::mousePress(box, Qt::LeftButton, {}, QPoint(1, box->height() / 2));
            QCOMPARE(p.text(u"Label17"_s), captions.first());
        }
        if (!edit.isEmpty())
            p.child(edit.section(u'=', 0, 0))->setText(edit.section(u'=', 1));
        p.child<QPushButton>(u"Command4"_s)->click(); // does nothing
        p.child<QPushButton>(u"Command5"_s)->click();
        QVERIFY(test::readAll(p.path) == file);
        QCOMPARE(platform.messages().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || platform.messages().first().text.contains(message));
        p.panel->clearWavInfo();
        QCOMPARE(p.text(u"Text8"_s) + p.text(u"Text14"_s) + p.text(u"Text38"_s) + p.text(u"Label16"_s) + p.text(u"Label50"_s), u""_s);
    }

    void edit_data()
    {
        QTest::addColumn<Edit>("row");
        const auto at = [](msp::SampleField f) { return msp::sampleFieldOffset(f, kSlot); };
        const qsizetype effect = msp::kEffectOffset, octave = msp::kOctaveOffset;
        using F = msp::SampleField;
        // The slider, mostly from VOLUME; a value outside the range comes back unchanged.
        const QString volume = u"Text17"_s, scale = u" in 127 63 0"_s;
        const auto slide = [&](const char *tag, int before, const QString &action, int after) {
            QTest::newRow(tag) << Edit{volume, at(F::Volume), before, action, QString::number(before) + scale, after, QString::number(after)};
        };
        slide("top, closed by Label2", 0, u"left 120 0 Label2"_s, 127);
        slide("bottom, closed by Text1", 64, u"left 120 2925 Text1"_s, 0);
        slide("63.8 truncated, closed by Escape", 0, u"left 120 1455 Escape"_s, 63);
        slide("beyond the range, closed at once", 200, u"none 0 0 close"_s, 200);
        slide("right button", 64, u"right 120 0 Label2"_s, 64);
        slide("both buttons", 64, u"both 120 0 Label2"_s, 64);
        slide("left above the track", 64, u"left 120 -45 Label2"_s, 100);
        slide("left below the track", 64, u"left 120 2985 Label2"_s, 100);
        slide("left of the track", 64, u"left -450 2925 Label2"_s, 0);
        const QString bottom = u"left 120 2925 Text1"_s, top = u"left 120 0 Text1"_s;
        QTest::newRow("FINE TUNE -3.6 truncated towards 0")
            << Edit{u"Text37"_s, msp::kFineTuneOffset, 64, u"left 120 1545 close"_s, u"0 in 64 0 -64"_s, 61, u"-3"_s};
        QTest::newRow("CUT OFF to 3") << Edit{u"Text32"_s, at(F::CutOff), 90, bottom, u"90 in 127 65 3"_s, 3, u"3"_s};
        QTest::newRow("ATTACK 27 to 0") << Edit{u"Text28"_s, at(F::Attack), 27, bottom, u"100 in 127 63 0"_s, 127, u"0"_s};
        QTest::newRow("RELEASE 96 to 64") << Edit{u"Text31"_s, at(F::Release), 96, top, u"0 in 64 32 0"_s, 32, u"64"_s};
        QTest::newRow("DCA SLOP of 0x35 to 1") << Edit{u"Text34"_s, at(F::Dca), 0x35, bottom, u"5 in 7 4 1"_s, 0x31, u"1"_s};
        QTest::newRow("DCA OFFS of 0x35 to 7") << Edit{u"Text33"_s, at(F::Dca), 0x35, top, u"3 in 7 3 0"_s, 0x75, u"7"_s};
        QTest::newRow("LEVEL 255 closed at once: the byte stays")
            << Edit{u"Text22"_s, msp::kLevelOffset, 255, u"none 0 0 close"_s, u"128 in 63 31 0"_s, 255, u"127"_s};
        QTest::newRow("CHORUS amount") << Edit{u"Text27"_s, msp::kChorusOffset, 10, bottom, u"5 in 63 31 0"_s, 0, u"0"_s};
        // The key picker: a press of any button picks the key under the pointer and closes it.
        const auto key = [&](const char *tag, const char *x, const char *y, int note, const QString &name) {
            const QString action = u"key %1 %2"_s.arg(QLatin1StringView(x), QLatin1StringView(y));
            QTest::newRow(tag) << Edit{u"Text19"_s, at(F::Key), 40, action, u"note 40 at 2500"_s, note, name};
        };
        key("7200 upper band", "7200", "300", 61, u"C#3"_s);
        key("7140 upper: a boundary is the left key's", "7140", "300", 60, u"C3"_s);
        key("7200 at two thirds", "7200", "810", 61, u"C#3"_s);
        key("7200 below two thirds", "7200", "825", 60, u"C3"_s);
        key("1399.6 rounds to the next C, octave 0", "1399.6", "300", 0, u"C-2"_s);
        key("beyond 15000 upper band", "15015", "300", 128, u"G#8"_s);
        key("right button", "7050", "1005 right", 60, u"C3"_s);
        QTest::newRow("START picks C3") << Edit{u"Text15"_s, at(F::StartKey), 40, u"key 7050 1005"_s, u"note 41 at 2500"_s, 59, u"C3"_s};
        QTest::newRow("START picks 0") << Edit{u"Text15"_s, at(F::StartKey), 40, u"key 100 1005"_s, u"note 41 at 2500"_s, 0, u"C#-2"_s};
        QTest::newRow("END picks 129 beyond 15000")
            << Edit{u"Text16"_s, at(F::EndKey), 127, u"key 15015 1005"_s, u"note 127 at 5240"_s, 129, u"A8"_s};
        QTest::newRow("key picker closed") << Edit{u"Text15"_s, at(F::StartKey), 0, u"Escape"_s, u"note 1 at 140"_s, 0, u"C#-2"_s};
        QTest::newRow("PITCH 0") << Edit{u"Text18"_s, at(F::PitchMode), 0, {}, {}, 1, u"FIXED"_s};
        QTest::newRow("PITCH 5 stays") << Edit{u"Text18"_s, at(F::PitchMode), 5, {}, {}, 5, u"5"_s};
        QTest::newRow("ROTOR off") << Edit{u"Text24"_s, effect, 131, {}, {}, 3, u"OFF"_s};
        QTest::newRow("ROTOR double-clicked: once") << Edit{u"Text24"_s, effect, 3, u"double-click"_s, {}, 131, u"ON"_s};
        QTest::newRow("OCTAVE -2") << Edit{u"Text23"_s, octave, 2, u"List2:       -2"_s, u"+2"_s, 254, u"-2"_s};
        QTest::newRow("OCTAVE opened stores nothing") << Edit{u"Text23"_s, octave, 1, u"List2:"_s, u"+1"_s, 1, u"+1"_s};
        QTest::newRow("DIST + DELAY keeps the rotor")
            << Edit{u"Label33"_s, effect, 131, u"List3:DIST + DELAY"_s, u"CHORUS"_s, 135, u"DIST + DELAY: DISTOR DELAY"_s};
        QTest::newRow("OFF drops the amounts")
            << Edit{u"Label33"_s, effect, 8, u"List3:OFF"_s, u"DIST + DELAY + CHORUS"_s, 0, u"OFF:"_s};
        QTest::newRow("unknown effect opened: entry 0") << Edit{u"Label33"_s, effect, 12, u"List3:"_s, u"OFF"_s, 12, u":"_s};
    }

    void edit()
    {
        QFETCH(Edit, row);
        MspEditorWindow form;
        const msp::MspRecord record = open(form, split("S1|S2|S3"), {{msp::kEffectOffset, 9}, {row.offset, quint8(row.before)}});
        const bool chooser = row.action.startsWith(u"List");
        QCOMPARE(clickField(form, row.field, row.action), chooser ? QString() : row.seen);
        auto *field = form.findChild<QWidget *>(row.field);
        if (row.action == u"double-click") { // the click's second half: no second toggle
            QTest::mouseDClick(field, Qt::LeftButton);
            QTest::mouseRelease(field, Qt::LeftButton);
        }
        if (chooser) {
            auto *list = form.findChild<QListWidget *>(row.action.left(5));
            QVERIFY(!list->isHidden());
            QCOMPARE(list->currentItem()->text().trimmed(), row.seen);
            const QList<QListWidgetItem *> items = list->findItems(row.action.mid(6), Qt::MatchExactly);
            if (row.action.size() > 6 && items.size() == 1)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
            QCOMPARE(list->isHidden(), row.action.size() > 6);
        }
        QString amounts; // the effect amounts shown
        for (const QString &label : split("Label30|Label31|Label32"))
            amounts += form.findChild<QWidget *>(label)->isHidden() ? QString() : u' ' + shown(form, label);
        QCOMPARE(shown(form, row.field) + (row.field == u"Label33" ? u':' + amounts : QString()), row.shownAfter);
        QCOMPARE(form.selectedSlot(), kSlot);
        QCOMPARE(mspModified, row.action != u"Escape" && !row.action.endsWith(u':'));
        QByteArray expected = record.bytes();
        expected[row.offset] = char(row.after);
        QCOMPARE(saved(form), expected);
    }

    // With no samples no field takes a click; with samples but none selected only the
    // global ones do (Text26 is hidden by effect OFF).
    void guards()
    {
        const QStringList global = split("Text21|Text23|Text24|Label33|Text37");
        for (int samples : {0, 2}) {
            for (const QString &field : global + split("Text15|Text17|Text18|Text33|Text26")) {
                MspEditorWindow form;
                const MspRecord record = open(form, split("S1|S2").mid(0, samples), {}, 0);
                const bool opened = !clickField(form, field, u"none 0 0 close"_s).isEmpty()
                                    || form.findChild<QWidget *>(u"List2"_s)->isVisible() || form.findChild<QWidget *>(u"List3"_s)->isVisible();
                QVERIFY2((opened || mspModified) == (samples > 0 && global.contains(field)), qPrintable(field));
                QVERIFY(opened || mspModified || saved(form) == record.bytes());
            }
        }
    }
};

QTEST_MAIN(TestMspEditorWindow)
#include "test_mspeditorwindow.moc"
