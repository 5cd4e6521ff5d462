// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV panel: what it shows of a file, its readout, "Ecrire les infos" and CleanUp,
// and, inside the editor, its writes on the undo stack. What it shows of any file and
// CleanUp's other cases are fuzz_wav_panel's and test_wavfile's.

#include "../wav/helper_sound.h"
#include "../wav/helper_wav.h"
#include "editorsupport.h"
#include "msp_editor/wavpanel.h"
#include "ui/scriptedplatform.h"
#include "wav/wavtools.h"

#include <QStatusBar>
#include <QTemporaryDir>
#include <QUndoStack>

using namespace tamo;
using namespace tamo::test::editor;
using namespace tamo::test::wavgen;
using msp_editor::WavPanel;

// What is done between the file being shown and "Ecrire les infos".
struct Change {
    enum Kind { None, Type, CleanUp, Append, DiskFull } kind = None;
    QString field, text; // Type: the text typed into the field
};
Q_DECLARE_METATYPE(Change)

class TestWavPanel : public QObject {
    Q_OBJECT

    QTemporaryDir m_home, m_dir;

private Q_SLOTS:
    void initTestCase() { useHome(m_home.path()); }

    // A file shown, read out at the caret, then written back as shown (byte for byte,
    // 0 and 176, both shown as "°", included) or as edited. "Ecrire les infos" never
    // writes from a stale view (in the stale file "data" is at 66, so a stale write
    // would land in the cleaned file's payload) and says what a failed write did.
    void showAndWriteBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("before");      // Label50|Text38
        QTest::addColumn<QString>("after");       // Label18|Text14
        QTest::addColumn<QStringList>("readout"); // Label17 with the caret at 0, 1, ... in Text14
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("message"); // a part of it; empty: none
        const QByteArray list = chunk("LIST", QByteArray("INFOICMT\6\0\0\0hi\0you", 18)), plain = wavFile(payload(10));
        QTest::newRow("LIST of 26") << wavFile(payload(100), {}, list) << u"26|LIST\x12°°°INFOICMT\x06°°°hi°you"_s << u"0|"_s << QStringList() << Change{} << "";
        QTest::newRow("0, s, 176, é after the data") << wavFile(payload(8), QByteArray("\0s\xb0\xe9", 4)) << u"0|"_s << u"4|°s°é"_s
                                                     << split("Dec : 0|Dec : 115|Dec : 0|Dec : 233|") + QStringList{QString()} << Change{} << "";
        QTest::newRow("long trailer, cut") << wavFile(payload(8), QByteArray(300000, 'x')) << u"0|"_s
                                           << u"300000|"_s + QString(wav::kWavTextLimit, u'x') << QStringList() << Change{} << "";
        // Not a whole number, or too wide: a message naming the field, nothing written.
        QTest::newRow("not a number") << plain << u"0|"_s << u"0|"_s << QStringList() << Change{Change::Type, u"Text5"_s, u"sixteen"_s} << "Pcm=16";
        QTest::newRow("too wide") << plain << u"0|"_s << u"0|"_s << QStringList() << Change{Change::Type, u"Text6"_s, u"70000"_s} << "1=non compressé";
        const QByteArray stale = wavFile(payload(1000), "tail", chunk("LIST", QByteArray(22, 'i')));
        const QString staleList = u"30|LIST\x16°°°"_s + QString(22, u'i');
        QTest::newRow("CleanUp, then write") << stale << staleList << u"4|tail"_s << QStringList() << Change{Change::CleanUp, {}, {}} << "";
        QTest::newRow("changed outside") << stale << staleList << u"4|tail"_s << QStringList() << Change{Change::Append, {}, {}} << "has changed since the panel read it";
        QTest::newRow("disk full, then room") << stale << staleList << u"4|tail"_s << QStringList() << Change{Change::DiskFull, {}, {}}
                                              << "File too large. The file was left as it was";
    }

    void showAndWriteBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QStringList, readout);
        QFETCH(Change, change);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        QWidget form;
        auto *panel = new WavPanel(&form);
        form.show();
        const QString path = m_dir.filePath(u"PIANO1.wav"_s);
        QVERIFY(test::writeAll(path, file));
        panel->setWavPath(path);
        panel->showWavInfo();
        const auto text = [&](const QString &name) { return shown(form, name); };
        const auto field = [&](const QString &name) { return form.findChild<QLineEdit *>(name); };
        QCOMPARE(text(u"Text12"_s) + u' ' + text(u"Label16"_s), u"data %1"_s.arg(file.size()));
        QCOMPARE(text(u"Label50"_s) + u'|' + text(u"Text38"_s), before);
        QCOMPARE(text(u"Label18"_s) + u'|' + text(u"Text14"_s), after);
        const auto *note = form.findChild<QLabel *>(u"Text14Note"_s); // past the bound, the full count
        QCOMPARE(note->isVisible() && note->text().contains(u"300000"_s), file.size() > 300000);
        QLineEdit *box = field(u"Text14"_s);
        for (int caret = 0; caret < readout.size(); ++caret) {
            box->setCursorPosition(caret);
            QTest::keyRelease(box, Qt::Key_Shift);
            QCOMPARE(text(u"Label17"_s), readout.at(caret));
        }
        if (!readout.isEmpty()) { // a press moves the caret from the end first, then reads after it
            QTest::mousePress(box, Qt::LeftButton, {}, QPoint(1, box->height() / 2));
            QCOMPARE(text(u"Label17"_s), readout.first());
        }
        QByteArray expected = file;
        const auto click = [&](const QString &name) { form.findChild<QPushButton *>(name)->click(); };
        if (change.kind == Change::CleanUp) { // the data, whole, after a plain 44-byte header; the sampler chunk last
            click(u"Command7"_s);
            expected = wavFile(payload(1000)).replace(4, 4, le32(36 + 1000 + 68)) + cleanUpSampler(1000);
            QVERIFY(test::readAll(path) == expected && text(u"Label50"_s) == u"0"_s); // shown afresh
        } else if (change.kind == Change::Append) {
            QVERIFY(test::writeAll(path, expected += "more"));
        } else if (change.kind == Change::DiskFull) { // the edits are kept, and go through once there is room
            field(u"Text7"_s)->setText(u"2"_s);
            field(u"Text13"_s)->setText(u"100000"_s);
            const test::FileSizeLimit limit(file.size() + 100);
            click(u"Command5"_s);
            QVERIFY(test::readAll(path) == file);
            expected.replace(22, 2, le16(2)).replace(70, 4, le32(100000)).append(100000 - 1000 - 4, '\0').append("tail");
        } else if (change.kind == Change::Type) {
            field(change.field)->setText(change.text);
        }
        click(u"Command4"_s); // does nothing
        click(u"Command5"_s);
        QVERIFY(test::readAll(path) == expected);
        QCOMPARE(platform.messages().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || platform.messages().first().text.contains(message));
        panel->clearWavInfo();
        QCOMPARE(text(u"Text8"_s) + text(u"Text14"_s) + text(u"Text38"_s) + text(u"Label16"_s) + text(u"Label50"_s), u""_s);
    }

    // The panel's writes go on the editor's undo stack, leave the MSP unmodified and
    // are named in the status bar: undo puts the old bytes back or removes a new file.
    void writesUndo_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Ecrire les infos, Freq. 22050") << u"Command5"_s;
        QTest::newRow("creer bruit, a new file") << u"Command1"_s;
    }
    void writesUndo()
    {
        QFETCH(QString, button);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString wav = m_dir.filePath(u"PANEL.wav"_s);
        QVERIFY(test::sound::write(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 2000));
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
        QCOMPARE(written.mid(24, 4), QByteArray("\x22\x56\0\0", 4)); // 22050 Hz, typed or the noise file's own
        QVERIFY(editor.statusBar()->currentMessage().contains(QDir::toNativeSeparators(path)) && !editor.isWindowModified());
        editor.undoStack()->undo();
        QCOMPARE(QFileInfo::exists(path) ? test::readAll(path) : QByteArray("removed"), button == u"Command5" ? before : "removed");
        editor.undoStack()->redo();
        QVERIFY(test::readAll(path) == written && !editor.isWindowModified());
        QFile::remove(WavPanel::noiseFilePath());
    }
};

QTEST_MAIN(TestWavPanel)
#include "test_wavpanel.moc"
