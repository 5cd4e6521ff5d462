// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP editor window through its menu, buttons, list, fields and drops, with scripted
// dialogs and answers; its pop-ups, Keyboard menu and WAV panel. What the view and the panel
// show of any file, the drawing and CleanUp are fuzz_msp_view's and fuzz_wav_panel's. The
// slider's track starts 360 twips below its window's top and is 2925 high; the picker's
// keyboard is 15050 by 1215 twips, white keys 200 wide, black keys 120.

#include "../wav/helper_sound.h"
#include "../wav/helper_wav.h"
#include "msp/valueformats.h"
#include "msp_editor/keyboardtools.h"
#include "msp_editor/keymapwindow.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/presetchooser.h"
#include "msp_editor/valueslider.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"
#include "util/recentfiles.h"
#include "util/shortname.h"
#include "ui/twips.h"
#include "wav/wavtools.h"

#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <optional>

using namespace tamo;
using namespace tamo::msp_editor;
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

Q_DECLARE_METATYPE(tamo::ui::Answer)

namespace {

// The stored name of "Grand Piano.wav": its short name up to the ".".
const QString grandShort = tamo::util::shortFormOf(QStringLiteral("Grand Piano.wav")).section(u'.', 0, 0);

constexpr double kTwip = 15.0;
constexpr int kSlot = 2;
constexpr int kPcm16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const ui::MessageBox kAsk{u"The file was modified.\r\n\r\nDo you want to save the modifications ?"_s,
                          ui::Buttons::YesNoCancel, ui::Icon::Question, u"MSP Editor"_s};

// A new document holding the named samples, with bytes of its image then replaced.
MspRecord documentWith(const QStringList &names, const Bytes &bytes = {})
{
    MspRecord record = MspRecord::newDocument();
    for (int i = 0; i < names.size(); ++i)
        record.setSampleName(i + 1, names.at(i).toLatin1());
    record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
    QByteArray image = record.bytes();
    for (const auto &[offset, value] : bytes)
        image[offset] = char(value);
    return MspRecord::fromBytes(image);
}

QStringList split(const char *texts) { return QString::fromUtf8(texts).split(u'|', Qt::SkipEmptyParts); }

bool touch(const QString &path) { return QDir().mkpath(QFileInfo(path).absolutePath()) && test::writeAll(path, "RIFF"); }

// Runs a menu command or clicks a button of the window by name; "close" closes it.
void run(MspEditorWindow &form, const QString &command)
{
    if (command == u"close")
        form.close();
    else if (auto *button = form.findChild<QPushButton *>(command))
        button->click();
    else if (auto *action = form.findChild<QAction *>(command))
        action->trigger();
    else
        qFatal("no command %s", qPrintable(command));
}

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


// Shows record as the document read from path, or one never saved (modified).
void showRecord(MspEditorWindow &form, const MspRecord &record, const QString &path = {}, bool modified = false)
{
    form.document().reset({record, {}}, path, !modified);
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
        lines << list->item(i)->text().trimmed();
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

// Clicks a field and drives the pop-up. The slider: "left X Y <closer>" presses 1000
// twips down the track, moves to 600 (100.9 in 0..127) then to X, Y twips from the
// track's top left, releases, and closes by Escape, close() or a click on Text1 or
// Label2; "none 0 0 <closer>" only closes. The key picker: "key X Y" scrolls there as a
// user would and presses, or "Escape". Returns what the pop-up showed on opening, "<value> in
// <scale top to bottom>" or "note <shown note> at <scroll>" (empty when none opened),
// then what went wrong.
QString clickField(MspEditorWindow &form, const QString &name, const QString &action = {})
{
    QString seen;
    QTimer::singleShot(0, &form, [&] {
        QWidget *popup = QApplication::activeModalWidget();
        if (!popup)
            return;
        const QStringList words = action.split(u' ');
        const QPointF to(words.value(1).toDouble(), words.value(2).toDouble());
        if (auto *slider = qobject_cast<ValueSlider *>(popup)) {
            auto labels = popup->findChildren<QLabel *>(u"Label1"_s);
            std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
            const int start = shown(*popup, u"Text1"_s).toInt();
            seen = u"%1 in %2 %3 %4"_s.arg(start).arg(labels.at(0)->text(), labels.at(1)->text(), labels.at(2)->text());
            auto *track = popup->findChild<QWidget *>(u"Picture2"_s), *knob = popup->findChild<QWidget *>(u"Picture1"_s);
            const auto knobAt = [&] { return (knob->y() + knob->height() / 2.0) * kTwip - 360; }; // below the track's top
            const auto at = [](QPointF twips) { return (twips / kTwip).toPoint(); };
            const bool drag = words.at(0) == u"left";
            const double startKnob = (slider->maximum - start) * 2925.0 / (slider->maximum - slider->minimum);
            const double knobAfter = !drag ? startKnob : to.y() >= 0 && to.y() <= 2925 ? to.y() : 600;
            const bool knobRight = qAbs(knobAt() - startKnob) <= 2 * kTwip;
            if (drag) {
                QTest::mousePress(track, Qt::LeftButton, {}, at({120, 1000}));
                seen += shown(*popup, u"Text1"_s).toInt() == start ? QString() : u" moved by a press"_s;
                QTest::mouseMove(track, at({120, 600}));
                QTest::mouseMove(track, at(to));
                QTest::mouseRelease(track, Qt::LeftButton, {}, at(to));
            }
            seen += knobRight && qAbs(knobAt() - knobAfter) <= 2 * kTwip ? QString() : u" knob misplaced"_s;
            if (words.at(3) == u"Escape")
                QTest::keyClick(popup, Qt::Key_Escape);
            else if (words.at(3) == u"close")
                popup->close();
            else
                QTest::mouseClick(popup->findChild<QWidget *>(words.at(3)), Qt::LeftButton);
        } else {
            auto *scroll = popup->findChild<QScrollBar *>(u"HScroll1"_s);
            seen = u"note %1 at %2"_s.arg(qobject_cast<KeyPicker *>(popup)->note()).arg(scroll->value());
            if (words.first() == u"key") {
                scroll->setValue(qBound(0, int(to.x()) - 4000, scroll->maximum()));
                auto *keyboard = popup->findChild<QWidget *>(u"Picture2"_s);
                // At a fraction of a pixel, as a high-resolution pointer may press.
                QMouseEvent press(QEvent::MouseButtonPress, to / kTwip, keyboard->mapToGlobal(to / kTwip), Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(keyboard, &press);
            } else if (action == u"Escape") {
                QTest::keyClick(popup, Qt::Key_Escape);
            }
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

// Sends "Up PgDown 4 - Return": named keys as QKeySequence spells them, characters as typed.
void press(QWidget *widget, const QString &keys)
{
    for (const QString &word : keys.split(u' ', Qt::SkipEmptyParts))
        word.size() == 1 ? QTest::keyClick(widget, word.at(0).toLatin1())
                         : QTest::keyClick(widget, QKeySequence::fromString(word)[0].key());
}

} // namespace

class TestMspEditorWindow : public QObject {
    Q_OBJECT

    QString m_oldCurrent = QDir::currentPath();
    QTemporaryDir m_home, m_saveDir;

    // Shows a document with slot `select` selected (0: none), unmodified.
    static MspRecord open(MspEditorWindow &form, const QStringList &names, const Bytes &bytes = {}, int select = kSlot)
    {
        const MspRecord record = documentWith(names, bytes);
        showRecord(form, record);
        form.selectSlot(select);
        form.show();
        return record;
    }

    struct Panel {
        QWidget form;
        QString path; // the file the panel is given
        WavPanel *panel = new WavPanel(&form);
        QString text(const QString &name) const { return shown(form, name); }
        template <class T = QLineEdit> T *child(const QString &name) const { return form.findChild<T *>(name); }
    };
    void show(Panel &p, const QByteArray &file)
    {
        p.form.show();
        p.path = m_saveDir.filePath(u"PIANO1.wav"_s);
        QVERIFY(test::writeAll(p.path, file));
        p.panel->setWavPath(p.path);
        p.panel->showWavInfo();
    }

    // Saves through the window's Save; the file's bytes.
    QByteArray saved(MspEditorWindow &form)
    {
        const QString path = m_saveDir.filePath(u"EDIT.MSP"_s);
        form.document().markSaved(path);
        ui::ScriptedPlatform platform;
        run(form, u"MnuSave"_s);
        return platform.messages().isEmpty() ? test::readAll(path) : QByteArray("not saved");
    }

    // A sound file of 2000 frames in the save folder.
    QString sound(const QString &name, int format = kPcm16, std::optional<int> root = {})
    {
        const QString path = m_saveDir.filePath(name);
        return test::sound::write(path, format, 44100, 1, 2000, root) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The WAV tools' fixed files go to the documents folder of this home.
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", QDir(m_home.path()).filePath(u".config"_s).toLocal8Bit());
    }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    // The commands that may lose or write the document "PIANO1", titled DOC.MSP or
    // untitled. The folder holds DOC.MSP (old bytes), SET.MSP and a folder FOLDER.MSP.
    void commands_data()
    {
        QTest::addColumn<QString>("command");    // a menu item, "close", "picker" (its strip) or "drop" (of SET.MSP)
        QTest::addColumn<QString>("start");      // saved, modified, or modified and untitled
        QTest::addColumn<QStringList>("script"); // answers to the questions (Keep: do not replace) and the dialogs
        QTest::addColumn<QString>("document");   // unsaved, new, the file read, or unsaved and closed or quit
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<QString>("written"); // the file that now holds the unsaved document
        const QStringList none;
        QTest::newRow("New, unmodified") << "MnuNew" << "saved" << none << "new" << "" << false << "";
        QTest::newRow("New, Yes saves") << "MnuNew" << "modified" << split("Yes") << "new" << "" << false << "DOC.MSP";
        QTest::newRow("New, Cancel") << "MnuNew" << "modified" << split("Cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, No, cancelled") << "MnuOuvrir" << "modified" << split("No|cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Open, Yes saves first")
            << "MnuOuvrir" << "modified" << split("Yes|SET.MSP") << "SET.MSP" << "SET.MSP" << false << "DOC.MSP";
        QTest::newRow("Open, a folder") << "MnuOuvrir" << "modified" << split("No|FOLDER.MSP") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Close, No") << "close" << "modified" << split("No") << "closed" << "DOC.MSP" << true << "";
        QTest::newRow("Close, Cancel") << "close" << "modified" << split("Cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Close untitled, Yes, Save As cancelled") << "close" << "untitled" << split("Yes|cancel") << "unsaved" << "" << true << "";
        QTest::newRow("Quit, Yes") << "MnuEnd" << "modified" << split("Yes") << "quit" << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Quit, Cancel") << "MnuEnd" << "modified" << split("Cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("key picker strip, No") << "picker" << "modified" << split("No") << "quit" << "DOC.MSP" << true << "";
        QTest::newRow("MSP dropped, No") << "drop" << "modified" << split("No") << "SET.MSP" << "SET.MSP" << false << "";
        QTest::newRow("MSP dropped, Cancel") << "drop" << "modified" << split("Cancel") << "unsaved" << "DOC.MSP" << true << "";
        QTest::newRow("Save") << "MnuSave" << "modified" << none << "unsaved" << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save untitled, named") << "MnuSave" << "untitled" << split("NEW.MSP") << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save As, no extension") << "MnuSaveAs" << "modified" << split("NEW") << "unsaved" << "NEW.MSP" << false << "NEW.MSP";
        QTest::newRow("Save As the open file: no question") << "MnuSaveAs" << "modified" << split("DOC.MSP") << "unsaved" << "DOC.MSP" << false << "DOC.MSP";
        QTest::newRow("Save As another file, replaced") << "MnuSaveAs" << "modified" << split("Replace|SET.MSP") << "unsaved" << "SET.MSP" << false << "SET.MSP";
        QTest::newRow("Save As another file, kept") << "MnuSaveAs" << "modified" << split("Keep|SET.MSP") << "unsaved" << "DOC.MSP" << true << "";
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
        const QString doc = dir.filePath(u"DOC.MSP"_s), named = dir.filePath(u"NEW.MSP"_s), other = dir.filePath(u"SET.MSP"_s);
        const MspRecord unsaved = documentWith({u"PIANO1"_s});
        const QByteArray oldBytes = documentWith({u"OLD"_s}).bytes(); // a multisample: saved over without a question
        const MspRecord set = documentWith(split("PIANO1|STRINGS"));
        QVERIFY(test::writeAll(doc, oldBytes) && QDir(dir.path()).mkdir(u"FOLDER.MSP"_s) && test::writeAll(other, set.bytes()));
        ui::ScriptedPlatform platform;
        MspEditorWindow form;
        QCOMPARE(form.record(), MspRecord::newDocument()); // a new document at start, no prompt
        form.show();
        showRecord(form, unsaved, start == u"untitled" ? QString() : doc, start != u"saved");
        const QMap<QString, ui::Answer> answers{{u"Yes"_s, ui::Answer::Yes}, {u"Replace"_s, ui::Answer::Yes}, {u"No"_s, ui::Answer::No},
                                                {u"Keep"_s, ui::Answer::No}, {u"Cancel"_s, ui::Answer::Cancel}};
        for (const QString &step : script) {
            if (answers.contains(step))
                platform.queueAnswer(answers.value(step));
            else
                step == u"cancel" ? platform.queueCancel() : platform.queueFile(dir.filePath(step));
        }
        qsizetype dialogsWhenAsked = -1;
        platform.onMessage = [&](const ui::MessageBox &box) { dialogsWhenAsked = box == kAsk ? platform.dialogs().size() : dialogsWhenAsked; };
        if (command == u"picker") {
            KeyPicker picker(&form);
            picker.show();
            QTest::mouseDClick(&picker, Qt::LeftButton, {}, QPoint(ui::twips(9785), 40));
            QCOMPARE(picker.isVisible(), document != u"quit");
        } else if (command == u"drop") {
            drop(form, {other}, QPoint(10, 10));
        } else {
            run(form, command);
        }

        QStringList seen;
        for (const ui::MessageBox &box : platform.messages())
            seen << (box == kAsk ? u"ask"_s : box.text.endsWith(u"Do you want to replace it ?"_s) ? u"replace"_s : box.text);
        // The questions come first, when there is an answer for them; failed saves are test_app's.
        const bool asked = script.contains(u"Yes"_s) || script.contains(u"No"_s) || script.contains(u"Cancel"_s);
        const QStringList replace = script.contains(u"Replace"_s) || script.contains(u"Keep"_s) ? split("replace") : QStringList();
        QCOMPARE(seen, (asked ? split("ask") : QStringList()) + replace);
        QCOMPARE(dialogsWhenAsked, asked ? 0 : -1);
        QVERIFY(platform.unexpected() == 0 && platform.pending() == 0);
        QCOMPARE(platform.quitRequests(), document == u"quit" ? 1 : 0);
        const QMap<QString, MspRecord> documents{{u"new"_s, MspRecord::newDocument()}, {u"SET.MSP"_s, set}};
        QCOMPARE(form.record(), documents.value(document, unsaved));
        QCOMPARE(form.document().path(), path.isEmpty() ? QString() : dir.filePath(path));
        QCOMPARE(form.document().isModified(), modifiedAfter);
        QCOMPARE(form.isVisible(), document != u"closed");
        QCOMPARE(test::readAll(doc), written == u"DOC.MSP" ? unsaved.bytes() : oldBytes);
        QCOMPARE(test::readAll(named), written == u"NEW.MSP" ? unsaved.bytes() : QByteArray());
        QCOMPARE(test::readAll(other), written == u"SET.MSP" ? unsaved.bytes() : set.bytes());
        QCOMPARE(listed(form), document == u"SET.MSP" ? split("PIANO1|STRINGS") : document == u"new" ? QStringList() : split("PIANO1"));
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
        QTest::newRow("add from a folder with a dot") << 0 << -1 << split("my.samples/PIANO1.WAV") << split("PIANO1") << false << QString();
        QTest::newRow("add a missing file and a name without a dot: skipped")
            << 0 << -1 << split("W/A.WAV|W/GONE.WAV|W/NODOT|W/B.WAV") << split("A|B") << false << QString();
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
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(form.selectedSlot(), 2);
        const QString wav = msp.isEmpty() || found.isEmpty() ? found : dir.filePath(found);
        QCOMPARE(form.wavPanel()->wavPath(), found.isEmpty() ? u"previous"_s : wav);
        QCOMPARE(QList<QVariantList>(opened), found.isEmpty() ? QList<QVariantList>() : QList<QVariantList>{{wav}});
        QCOMPARE(played.count(), !found.isEmpty() && how == u"click" ? 1 : 0);
    }


    // A file shown, read out at the caret, then written back as shown (byte for byte,
    // 0 and 176, both shown as "°", included) or as edited. "Ecrire les infos" never
    // writes from a stale view (in the stale file "data" is at 66, so a stale write
    // would land in the cleaned file's payload) and says what a failed write did.
    void showAndWriteBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("before");  // Label50|Text38
        QTest::addColumn<QString>("after");   // Label18|Text14
        QTest::addColumn<QString>("readout"); // Label17 with the caret at 0, 1, ... in Text14
        QTest::addColumn<QString>("edit");    // Text<n>=typed, or what happens before the write
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
        const QByteArray stale = wavFile(payload(1000), "tail", chunk("LIST", QByteArray(22, 'i')));
        const QString staleList = u"30|LIST\x16°°°"_s + QString(22, u'i');
        QTest::newRow("CleanUp, then write") << stale << staleList << u"4|tail"_s << "" << "CleanUp" << "";
        QTest::newRow("changed outside") << stale << staleList << u"4|tail"_s << "" << "append" << "has changed since the panel read it";
        QTest::newRow("disk full, then room") << stale << staleList << u"4|tail"_s << "" << "disk full" << "File too large. The file was left as it was";
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
        QByteArray expected = file;
        if (edit == u"CleanUp") {
            p.child<QPushButton>(u"Command7"_s)->click();
            wav::MemorySource source(file);
            wav::BufferSink out;
            wav::writeCleanUp(source, wav::planCleanUp(source), out);
            expected = out.bytes();
            QVERIFY(test::readAll(p.path) == expected && p.text(u"Label50"_s) == u"0"_s); // shown afresh
        } else if (edit == u"append") {
            QVERIFY(test::writeAll(p.path, expected += "more"));
        } else if (edit == u"disk full") { // the edits are kept, and go through once there is room
            p.child(u"Text7"_s)->setText(u"2"_s);
            p.child(u"Text13"_s)->setText(u"100000"_s);
            const test::FileSizeLimit limit(file.size() + 100);
            p.child<QPushButton>(u"Command5"_s)->click();
            QVERIFY(test::readAll(p.path) == file);
            expected.replace(22, 2, le16(2)).replace(70, 4, le32(100000)).append(100000 - 1000 - 4, '\0').append("tail");
        } else if (!edit.isEmpty()) {
            p.child(edit.section(u'=', 0, 0))->setText(edit.section(u'=', 1));
        }
        p.child<QPushButton>(u"Command4"_s)->click(); // does nothing
        p.child<QPushButton>(u"Command5"_s)->click();
        QVERIFY(test::readAll(p.path) == expected);
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
        slide("left above the track", 64, u"left 120 -45 Label2"_s, 100);
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
        // The key picker: a press of any button picks the key under the pointer and closes it.
        const auto key = [&](const char *tag, const char *x, const char *y, int note, const QString &name) {
            const QString action = u"key %1 %2"_s.arg(QLatin1StringView(x), QLatin1StringView(y));
            QTest::newRow(tag) << Edit{u"Text19"_s, at(F::Key), 40, action, u"note 40 at 2500"_s, note, name};
        };
        key("7140 upper: a boundary is the left key's", "7140", "300", 60, u"C3"_s);
        key("7200 at two thirds", "7200", "810", 61, u"C#3"_s);
        key("7200 below two thirds", "7200", "825", 60, u"C3"_s);
        key("1399.6 rounds to the next C, octave 0", "1399.6", "300", 0, u"C-2"_s);
        QTest::newRow("START picks 0") << Edit{u"Text15"_s, at(F::StartKey), 40, u"key 100 1005"_s, u"note 41 at 2500"_s, 0, u"C#-2"_s};
        QTest::newRow("END picks 129 beyond 15000")
            << Edit{u"Text16"_s, at(F::EndKey), 127, u"key 15015 1005"_s, u"note 127 at 5240"_s, 129, u"A8"_s};
        QTest::newRow("key picker closed") << Edit{u"Text15"_s, at(F::StartKey), 0, u"Escape"_s, u"note 1 at 140"_s, 0, u"C#-2"_s};
        QTest::newRow("PITCH 0") << Edit{u"Text18"_s, at(F::PitchMode), 0, {}, {}, 1, u"FIXED"_s};
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
        QCOMPARE(form.document().isModified(), row.action != u"Escape" && !row.action.endsWith(u':'));
        QByteArray expected = record.bytes();
        expected[row.offset] = char(row.after);
        QCOMPARE(saved(form), expected);
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
        QString wavOfPitch;
        auto *effects = form.findChild<QListWidget *>(u"List3"_s), *list = form.findChild<QListWidget *>(u"List1"_s);
        const QList<std::function<void()>> steps{
            [&] { form.addWavFiles(wavs.mid(0, 2)); },
            [&] { drop(form, wavs.mid(2) << dir.filePath(u"WAVS/B.WAV"_s), list->mapTo(&form, list->rect().center())); }, // WAVs on the list
            [&] { clickField(form, u"Text24"_s); }, // ROTOR
            [&] { form.selectSlot(2); clickField(form, u"Text18"_s); wavOfPitch = form.wavPanel()->wavPath(); }, // PITCH
            [&] {
                clickField(form, u"Label33"_s);
                QTest::mouseClick(effects->viewport(), Qt::LeftButton, {}, effects->visualItemRect(effects->item(4)).center());
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
        for (qsizetype i = steps.size(); i > 0; --i) {
            run(form, u"MnuUndo"_s);
            QCOMPARE(form.record().bytes(), states.at(i - 1));
        }
        QVERIFY(!form.document().isModified() && !form.isWindowModified());
        for (qsizetype i = 1; i <= steps.size(); ++i) {
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
        // No root at all (a drum kit): Map keys gives each sound a key from C1 and says so.
        MspEditorWindow kit;
        kit.addWavFiles({sound(u"KICK.wav"_s), sound(u"SNARE.wav"_s), sound(u"Low Tom.wav"_s)});
        kit.keyboardTools()->mapKeys();
        QCOMPARE(kit.record().sample(SampleField::Key, 3), quint8(38));
        QVERIFY(platform.messageTexts().last().startsWith(u"No root keys found: one key per sound from C1"_s));
        // A made-up name's item tells the file it stands for.
        QVERIFY(kit.sampleList()->item(2)->toolTip().contains(u"A name made up for Low Tom.wav"_s));
        QCOMPARE(platform.unexpected(), 0);
        util::useSettingsFile({});
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name"); // of slot 1 afterwards
        QTest::addColumn<QString>("message");
        QTest::newRow("readable") << u"piano c3"_s.remove(u' ') << u"PIANOC3"_s << QString();
        QTest::newRow("too long: the field takes 8") << u"NINECHARS"_s << u"NINECHAR"_s << QString();
        QTest::newRow("a space") << u"A B"_s << u"A"_s << u"A sample name has 1 to 8"_s;
        QTest::newRow("taken") << u"b"_s << u"A"_s << u"Another sample is already named B."_s;
    }
    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        editor.addWavFiles({sound(u"A.wav"_s), sound(u"B.wav"_s)});
        editor.selectSlot(1);
        platform.queueText(typed);
        editor.keyboardTools()->renameSelectedSample();
        QCOMPARE(listed(editor).first(), name);
        QVERIFY(platform.messageTexts().size() == (message.isEmpty() ? 0 : 1) && platform.messageTexts().join(u' ').startsWith(message));
        // The sound stays with the renamed sample.
        QCOMPARE(QFileInfo(editor.sampleSourceFile(1)).fileName(), u"A.wav"_s);
    }

    // Several selected samples take a common start and each one's KEY, all distinct.
    void renameSeveral()
    {
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        editor.addWavFiles({sound(u"A_C3.wav"_s), sound(u"B_C3.wav"_s), sound(u"C_C4.wav"_s), sound(u"D.wav"_s)});
        editor.sampleList()->selectAll();
        editor.sampleList()->item(3)->setSelected(false);
        platform.queueText(u"Strings"_s);
        editor.keyboardTools()->renameSelectedSample();
        const QStringList names = listed(editor);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 4);
        for (int slot = 1; slot <= 3; ++slot) {
            QVERIFY2(names.at(slot - 1).startsWith(u"STR"_s) && names.at(slot - 1).size() <= 8
                         && names.at(slot - 1).endsWith(u'_' + msp::NoteName(editor.record().sample(SampleField::Key, slot))), qPrintable(names.join(u' ')));
        }
        QCOMPARE(names.at(3), u"D"_s);
        QCOMPARE(QFileInfo(editor.sampleSourceFile(3)).fileName(), u"C_C4.wav"_s);
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
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(map->selectedSlot(), 1);
        clickField(editor, u"Text19"_s, u"key 100 1005"_s);
        QCOMPARE(editor.record().sample(SampleField::Key, 1), quint8(0));
        QCOMPARE(map->selectedSlot(), 1);
        // A pressed key says what it plays; its rows name the files.
        QTest::mouseClick(map->canvas(), Qt::LeftButton, {}, map->keyRect(90).center());
        QCOMPARE(map->pressedKeyText(), u"F#5: sample 2 P_C5 (P_C5.wav)"_s);
        QCOMPARE(map->canvas()->grab().toImage().pixelColor(map->keyRect(90).center()), QColor(60, 170, 90));

        // The untitled document is asked its name; replacing an MSP is asked, No first.
        QVERIFY(QDir().mkpath(target));
        platform.queueFile(target);
        platform.queueText(u"Stick:1"_s);
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
        // Edited and undone, the import is still work that no file holds.
        editor.removeSelectedSample();
        run(editor, u"MnuUndo"_s);
        QVERIFY(editor.isWindowModified() && editor.document().isModified());
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

    // The WAV panel's writes go on the editor's undo stack, leave the MSP unmodified and
    // are named in the status bar: undo puts the old bytes back or removes a new file.
    void panelWritesUndo_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Ecrire les infos, Freq. 22050") << u"Command5"_s;
        QTest::newRow("creer bruit, a new file") << u"Command1"_s;
    }
    void panelWritesUndo()
    {
        QFETCH(QString, button);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString wav = sound(u"PANEL.wav"_s);
        editor.addWavFiles({wav});
        editor.undoStack()->setClean();
        editor.selectSlot(1);
        editor.wavPanel()->showWavInfo();
        QCOMPARE(shown(editor, u"WavFileName"_s), u"PANEL.wav"_s);
        const QString path = button == u"Command5" ? wav : WavPanel::noiseFilePath();
        const QByteArray before = test::readAll(wav);
        editor.findChild<QLineEdit *>(u"Text8"_s)->setText(u"22050"_s);
        editor.findChild<QPushButton *>(button)->click();
        const QByteArray written = test::readAll(path);
        QCOMPARE(written.mid(24, 4), button == u"Command5" ? QByteArray("\x22\x56\0\0", 4) : written.mid(24, 4)); // 22050, little-endian
        QVERIFY(editor.statusBar()->currentMessage().contains(QDir::toNativeSeparators(path)) && !editor.isWindowModified());
        editor.undoStack()->undo();
        QCOMPARE(QFileInfo::exists(path) ? test::readAll(path) : QByteArray("removed"), button == u"Command5" ? before : "removed");
        editor.undoStack()->redo();
        QVERIFY(test::readAll(path) == written && !editor.isWindowModified());
        QFile::remove(WavPanel::noiseFilePath());
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
    }

    // Editing from the keyboard: Space or Return on a field opens its editor, whose keys
    // step, jump or type the value; Return closes it, closing the window keeps the value.
    void keyboardEditing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<int>("before"); // stored bytes
        QTest::addColumn<QString>("keys"); // the first on the field, the others in its editor
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("seen"); // the slider's value, or the picker's scroll (the blue key in view)
        const qsizetype volume = msp::sampleFieldOffset(SampleField::Volume, kSlot), fine = msp::kFineTuneOffset,
                        key = msp::sampleFieldOffset(SampleField::Key, kSlot);
        QTest::newRow("VOLUME: Up, Down by 1") << "Text17" << volume << 64 << "Space Up Up Down Return" << 65 << "65";
        QTest::newRow("VOLUME: PageUp, PageDown by 10") << "Text17" << volume << 64 << "Space PgUp PgUp PgDown Return" << 74 << "74";
        QTest::newRow("VOLUME: held at the top") << "Text17" << volume << 120 << "Space PgUp Up" << 127 << "127 open";
        QTest::newRow("VOLUME: typed digits") << "Text17" << volume << 40 << "Space 7 5 Return" << 75 << "75";
        QTest::newRow("VOLUME: typed past the top") << "Text17" << volume << 0 << "Space 2 0 0" << 127 << "127 open";
        QTest::newRow("FINE TUNE: End, then Home") << "Text37" << fine << 64 << "Space End Home" << 0 << "-64 open";
        QTest::newRow("FINE TUNE: minus") << "Text37" << fine << 74 << "Space - 1 2 Return" << 52 << "-12";
        QTest::newRow("KEY: Right, Left a semitone") << "Text19" << key << 60 << "Return Right Right Left Return" << 61 << "2500";
        QTest::newRow("KEY: Up, Down an octave") << "Text19" << key << 60 << "Return Up Up Down Return" << 72 << "2500";
        QTest::newRow("KEY: held at the top") << "Text19" << key << 120 << "Return Up Return" << 128 << "5290";
        QTest::newRow("KEY: a high note opens in view, closed") << "Text19" << key << 120 << "Return" << 120 << "4440 open";
        QTest::newRow("VOLUME: typed on the field") << "Text17" << volume << 40 << "1 0 0 Return" << 100 << "100";
        QTest::newRow("VOLUME: typed past the top") << "Text17" << volume << 40 << "2 0 0 Enter" << 127 << "127";
        QTest::newRow("VOLUME: Escape leaves it") << "Text17" << volume << 40 << "5 Escape" << 40 << "40";
        QTest::newRow("FINE TUNE: typed minus") << "Text37" << fine << 64 << "- 1 2 Return" << 52 << "-12";
        QTest::newRow("FINE TUNE: below the bottom") << "Text37" << fine << 64 << "- 9 9 Return" << 0 << "-64";
        QTest::newRow("KEY: a typed note") << "Text19" << key << 60 << "c # 4 Return" << 73 << "C#4";
        QTest::newRow("KEY: a typed flat") << "Text19" << key << 60 << "D b - 2 Return" << 1 << "C#-2";
        QTest::newRow("KEY: a number") << "Text19" << key << 60 << "4 8 Return" << 48 << "C2";
        QTest::newRow("KEY: no note") << "Text19" << key << 60 << "C x Return" << 60 << "C3";
        QTest::newRow("START: shown one above its byte") << "Text15" << msp::sampleFieldOffset(SampleField::StartKey, kSlot) << 0 << "E 3 Return" << 63 << "E3";
        QTest::newRow("OCTAVE: Enter, the chooser") << "Text23" << msp::kOctaveOffset << 0 << "Enter Down Return" << 1 << "";
    }
    void keyboardEditing()
    {
        QFETCH(QString, field);
        QFETCH(qsizetype, offset);
        QFETCH(int, before);
        QFETCH(QString, keys);
        QFETCH(int, after);
        QFETCH(QString, seen);
        MspEditorWindow form;
        open(form, split("S1|S2|S3"), {{offset, quint8(before)}});
        const QString editorKeys = keys.section(u' ', 1);
        QString popupSeen;
        QTimer::singleShot(0, &form, [&] {
            QWidget *popup = QApplication::activeModalWidget();
            if (!popup)
                return;
            press(popup, editorKeys);
            if (auto *slider = qobject_cast<ValueSlider *>(popup)) {
                // The knob's centre (in twips) at the value's place on the 2925-twip track 360 down.
                const QWidget *knob = slider->findChild<QWidget *>(u"Picture1"_s);
                const int value = shown(*popup, u"Text1"_s).toInt();
                const double place = (slider->maximum - value) * 2925.0 / (slider->maximum - slider->minimum);
                popupSeen = QString::number(value) + (qAbs((knob->y() + knob->height() / 2.0) * kTwip - 360 - place) <= 2 * kTwip ? u""_s : u" knob misplaced"_s);
            } else {
                popupSeen = QString::number(popup->findChild<QScrollBar *>(u"HScroll1"_s)->value());
            }
            popupSeen += popup->isVisible() ? u" open"_s : QString();
            popup->close();
        });
        auto *edit = form.findChild<QLineEdit *>(field);
        // A single character first is typed on the field itself: one undo step when stored.
        if (keys.section(u' ', 0, 0).size() == 1) {
            press(edit, keys);
            QCOMPARE(edit->text() + (edit->isReadOnly() ? u""_s : u" editing"_s), seen);
            QCOMPARE(int(quint8(form.record().bytes().at(offset))), after);
            QCOMPARE(form.undoStack()->count(), after == before ? 0 : 1);
            return;
        }
        press(edit, keys.section(u' ', 0, 0));
        if (auto *chooser = form.findChild<QWidget *>(u"List2"_s); chooser->isVisibleTo(&form))
            press(chooser, editorKeys);
        QCOMPARE(popupSeen, seen);
        QCOMPARE(int(quint8(form.record().bytes().at(offset))), after);
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
        run(form, command);
        QCOMPARE(platform.unexpected(), 0);
        const QString box = platform.messageTexts().value(command == u"close" ? 1 : 0);
        QVERIFY2(box.contains(path) && box.contains(u"not a multisample"_s), qPrintable(box));
        if (answer == ui::Answer::Yes)
            wav[14] = 7;
        QCOMPARE(test::readAll(path), wav);
    }

};

QTEST_MAIN(TestMspEditorWindow)
#include "test_mspeditorwindow.moc"
