// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV panel: what it shows of a file, its readout, "Ecrire les infos" and CleanUp,
// and, inside the editor, its writes (header fields, loops) on the undo stack. What it shows of any file and
// CleanUp's other cases are fuzz_wav_panel's and test_wavfile's.

#include "../wav/helper_sound.h"
#include "../wav/helper_wav.h"
#include "editorsupport.h"
#include "msp_editor/wavcanvas.h"
#include "msp_editor/wavpanel.h"
#include "export/keyboardexport.h"
#include "ui/scriptedplatform.h"
#include "util/playback/playit.h"
#include "wav/wavtools.h"

#include <QSignalSpy>
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

    // A loop typed, dragged, snapped or removed goes into the sampler chunk of a keyboard WAV, the frames
    // untouched; undo and redo put either file back; a fresh read shows it. A tone of period 97 frames.
    void loopEdits_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed"); // start|end
        QTest::addColumn<bool>("hadLoop");  // the file loops 500..4000 before
        QTest::addColumn<int>("start");     // the loop libsndfile reads back; -1: a rising zero crossing near the typed one
        QTest::addColumn<int>("end");       // one past its last frame; 0: no loop
        QTest::newRow("typed") << u"LoopSet"_s << u"1000|3000"_s << false << 1000 << 3000;
        QTest::newRow("end marker dragged past the last frame") << u"drag"_s << u"500|4000"_s << true << 500 << 8000;
        QTest::newRow("snap") << u"LoopSnap"_s << u"1010|2990"_s << false << -1 << -1;
        QTest::newRow("remove") << u"LoopRemove"_s << u""_s << true << 0 << 0;
        QTest::newRow("end past the file: refused") << u"LoopSet"_s << u"10|8001"_s << false << 0 << 0;
    }
    void loopEdits()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(bool, hadLoop);
        QFETCH(int, start);
        QFETCH(int, end);
        ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        const QString wav = m_dir.filePath(u"LOOP.wav"_s);
        QVERIFY(writeTone(wav, hadLoop) && writeTone(m_dir.filePath(u"TONE.wav"_s), false));
        editor.addWavFiles({wav});
        editor.undoStack()->setClean();
        editor.selectSlot(1);
        editor.wavPanel()->showWavInfo();
        QCOMPARE(shown(editor, u"LoopStart"_s) + u'|' + shown(editor, u"LoopEnd"_s), hadLoop ? u"500|4000"_s : u"|"_s);
        const QByteArray before = test::readAll(wav);
        const int commands = editor.undoStack()->count();
        editor.findChild<QLineEdit *>(u"LoopStart"_s)->setText(typed.section(u'|', 0, 0));
        editor.findChild<QLineEdit *>(u"LoopEnd"_s)->setText(typed.section(u'|', 1, 1));
        auto *canvas = editor.findChild<QWidget *>(u"Picture2"_s);
        if (button == u"drag") { // the end marker, at 4000 of 8000 frames, drawn half-way across
            editor.wavPanel()->drawWaveform();
            QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(canvas->width() / 2, 5));
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(canvas->width() + 50, 5));
        } else {
            editor.findChild<QPushButton *>(button)->click();
        }
        const QByteArray written = test::readAll(wav);
        const test::sound::Contents got = test::sound::read(wav);
        QVERIFY(got.ok && got.samples.size() == 8000);
        QCOMPARE(platform.messages().size(), end == 0 && button == u"LoopSet" ? 1 : 0);
        QVERIFY(end != 0 || button != u"LoopSet" || (written == before && editor.undoStack()->count() == commands));
        if (end == 0 && button == u"LoopSet") // refused: nothing written, nothing to undo
            return;
        QVERIFY(got.samples == test::sound::read(m_dir.filePath(u"TONE.wav"_s)).samples); // the frames, bit for bit
        QCOMPARE(got.instrument ? got.instrument->loop_count : 0, end == 0 ? 0 : 1);
        if (end != 0) {
            const qint64 s = got.instrument->loops[0].start, e = got.instrument->loops[0].end;
            QVERIFY(start < 0 || (s == start && e == end));
            for (const qint64 at : {s, e}) // snapped: where the tone rises through zero, within a period of the typed ends
                QVERIFY(start >= 0 || (got.samples[std::size_t(at - 1)] < 0 && got.samples[std::size_t(at)] >= 0));
            QVERIFY(start >= 0 || (std::abs(s - 1010) < 97 && std::abs(e - 2990) < 97));
            // The chunk as stored: one forward loop, its end the last looped frame.
            QCOMPARE(written.right(24).mid(4, 12), le32(0) + le32(s) + le32(e - 1));
            QCOMPARE(shown(editor, u"LoopStart"_s) + u'|' + shown(editor, u"LoopEnd"_s), u"%1|%2"_s.arg(s).arg(e));
        }
        editor.undoStack()->undo();
        QVERIFY(test::readAll(wav) == before && shown(editor, u"LoopStart"_s) == (hadLoop ? u"500"_s : u""_s));
        editor.undoStack()->redo();
        QVERIFY(test::readAll(wav) == written && !editor.isWindowModified());
        editor.wavPanel()->clearWavInfo(); // read afresh: the file keeps the loop
        editor.wavPanel()->showWavInfo();
        QCOMPARE(shown(editor, u"LoopEnd"_s), end == 0 ? u""_s : QString::number(got.instrument->loops[0].end));
    }

    // A file not in the keyboard's format is never written: the set keeps its loop (undoable), saves and reads it
    // back, and the export loops its copy, moved by the trim and scaled by 441/480. Held, Play loops what is shown.
    void keptLoop_data()
    {
        QTest::addColumn<QList<int>>("source"); // libsndfile's PCM subtype, rate, frames of silence before the tone (trimmed)
        QTest::addColumn<QString>("typed");    // "|": Remove loop
        QTest::addColumn<QString>("exported"); // the copy's loop; "|": none
        QTest::newRow("24-bit") << QList<int>{SF_FORMAT_PCM_24, 44100, 0} << u"1000|3000"_s << u"1000|3000"_s;
        QTest::newRow("48 kHz, trimmed") << QList<int>{SF_FORMAT_PCM_16, 48000, 480} << u"960|2880"_s << u"441|2205"_s;
        QTest::newRow("24-bit, its own loop removed") << QList<int>{SF_FORMAT_PCM_24, 44100, 0} << u"|"_s << u"|"_s;
    }
    void keptLoop()
    {
        QFETCH(QList<int>, source);
        QFETCH(QString, typed);
        QFETCH(QString, exported);
        const QString button = typed == u"|" ? u"LoopRemove"_s : u"LoopSet"_s;
        ui::ScriptedPlatform platform;
        QTemporaryDir dir, stick;
        const QString wav = dir.filePath(u"KEPT.wav"_s), msp = dir.filePath(u"KEPT.MSP"_s);
        QVERIFY(writeTone(wav, button == u"LoopRemove", source[0], source[1], source[2]));
        const QByteArray before = test::readAll(wav);
        const auto loopShown = [](MspEditorWindow &w) { return w.selectSlot(1), w.wavPanel()->showWavInfo(), shown(w, u"LoopStart"_s) + u'|' + shown(w, u"LoopEnd"_s); };
        {
            MspEditorWindow editor;
            editor.addWavFiles({wav});
            loopShown(editor);
            editor.findChild<QLineEdit *>(u"LoopStart"_s)->setText(typed.section(u'|', 0, 0));
            editor.findChild<QLineEdit *>(u"LoopEnd"_s)->setText(typed.section(u'|', 1, 1));
            run(editor, button);
            QVERIFY(editor.statusBar()->currentMessage().contains(u"the set keeps the loop"_s));
            editor.undoStack()->undo();
            QCOMPARE(loopShown(editor), button == u"LoopRemove" ? u"500|4000"_s : u"|"_s); // as it was
            editor.undoStack()->redo();
            QVERIFY(test::readAll(wav) == before && loopShown(editor) == typed);
            QSignalSpy held(editor.wavPanel(), &WavPanel::auditionStarted), let(editor.wavPanel(), &WavPanel::auditionReleased);
            QTest::mousePress(editor.findChild<QPushButton *>(u"Command6"_s), Qt::LeftButton), QTest::mouseRelease(editor.findChild<QPushButton *>(u"Command6"_s), Qt::LeftButton);
            QCOMPARE(u"%1|%2 %3"_s.arg(held[0][1].toLongLong()).arg(held[0][2].toLongLong()).arg(let.size()), (typed == u"|" ? u"0|0"_s : typed) + u" 1"_s); // held, it loops what is shown
            platform.queueFile(msp);
            run(editor, u"MnuSaveAs"_s);
        }
        MspEditorWindow reopened;
        QVERIFY(reopened.openFile(msp) && loopShown(reopened) == typed);
        exporter::ExportRequest request{reopened.record(), u"KEPT.MSP"_s, stick.path(), {}, {}, nullptr, {.trimSilence = source[2] > 0}};
        request.sourceFor = [&](int slot) { return reopened.document().exportSource(slot); };
        QCOMPARE(exporter::exportForKeyboard(request).status, exporter::ExportStatus::Done);
        const test::sound::Contents copy = test::sound::read(QDir(stick.path()).filePath(u"KEPT.WAV"_s));
        const auto *looped = copy.instrument && copy.instrument->loop_count > 0 ? &copy.instrument->loops[0] : nullptr;
        QCOMPARE(looped ? u"%1|%2"_s.arg(looped->start).arg(looped->end) : u"|"_s, exported);
        const exporter::SlotSource was = reopened.document().exportSource(1); // renamed, the sample keeps its file and loop
        const msp_editor::SampleLoop kept = reopened.document().keptLoop(1);
        platform.queueText(u"NEWNAME"_s), run(reopened, u"MnuRenameSample"_s);
        QVERIFY(reopened.document().exportSource(1) == was && reopened.document().keptLoop(1) == kept && kept.kind != msp_editor::SampleLoop::Kind::Keep);
        QCOMPARE(platform.messageTexts().size(), util::HasAudioOutput() ? 0 : 1); // said on the release
    }

    // An AIFF of 8000 frames with a loop 1000..3000 (MARK and INST chunks added here) is drawn decoded, its loop too.
    void otherFormatLoopDrawn()
    {
        const QString aiff = m_dir.filePath(u"LOOPED.aiff"_s);
        QVERIFY(test::sound::write(aiff, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 1, 8000));
        QByteArray bytes = test::readAll(aiff) + QByteArray::fromHex("4d41524b0000001600020001000003e803626567000200000bb803656e64494e5354000000143c00007f017f0000000100010002000000000000");
        qToBigEndian(quint32(bytes.size() - 8), bytes.data() + 4);
        QVERIFY(test::writeAll(aiff, bytes));
        const ui::ScriptedPlatform platform;
        MspEditorWindow editor;
        editor.addWavFiles({aiff}), editor.selectSlot(1), editor.wavPanel()->showWavInfo(), editor.wavPanel()->drawWaveform();
        const QImage image = editor.findChild<QWidget *>(u"Picture2"_s)->grab().toImage();
        const auto firstOf = [&](const QColor &c) { int x = 0; while (x < image.width() && image.pixelColor(x, 2) != c) ++x; return x; };
        QVERIFY(std::abs(firstOf(msp_editor::WaveCanvas::kLoopStart) - image.width() / 8) <= 1 && std::abs(firstOf(msp_editor::WaveCanvas::kLoopEnd) - image.width() * 3 / 8) <= 1);
        // Its header fields and CleanUp are a WAV's: in the AIFF they would damage it.
        editor.findChild<QLineEdit *>(u"Text7"_s)->setText(u"22050"_s);
        editor.findChild<QPushButton *>(u"Command5"_s)->click();
        editor.findChild<QPushButton *>(u"Command7"_s)->click(); // CleanUp
        QVERIFY(test::readAll(aiff) == bytes && platform.messageTexts().size() == 2);
    }

private:
    static bool writeTone(const QString &path, bool loop, int format = SF_FORMAT_PCM_16, int rate = 44100, int silence = 0)
    {
        SF_INFO info{0, rate, 1, SF_FORMAT_WAV | format, 0, 0};
        SF_INSTRUMENT instrument{};
        instrument.basenote = 60, instrument.loop_count = loop ? 1 : 0;
        instrument.loops[0] = {SF_LOOP_FORWARD, 500, 4000, 0};
        std::vector<float> x(8000 + std::size_t(silence));
        for (std::size_t i = std::size_t(silence); i < x.size(); ++i) x[i] = 0.5f * float(std::sin(2 * M_PI * double(i) / 97.0 + 1.0));
        SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        return f && sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE
               && sf_writef_float(f, x.data(), sf_count_t(x.size())) == sf_count_t(x.size()) && sf_close(f) == 0;
    }
};

QTEST_MAIN(TestWavPanel)
#include "test_wavpanel.moc"
