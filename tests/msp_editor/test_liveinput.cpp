// SPDX-License-Identifier: GPL-3.0-or-later
// Live input end to end: notes sent through a MIDI port of a private JACK server
// (dummy driver) sound through LivePlay into a private PulseAudio null sink, whose
// monitor is recorded and measured.
#include "msp_editor/liveplay.h"

#include "../voice/helper_measure.h"
#include "../wav/helper_wav.h"
#include "testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <RtMidi.h>

#include <cmath>
#include <csignal>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;
using namespace tamo::test;

constexpr int kRate = 44100, kRoot = 69; // kRoot: the key of the sample, a 441 Hz sine

class TestLiveInput : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_jack, m_pulse, m_recorder;
    QByteArray m_recorded; // the sink's monitor, mono float, all along
    tamo::msp_editor::LivePlay m_play;
    std::unique_ptr<RtMidiOut> m_keys;

    float at(qsizetype frame) const { return qFromLittleEndian<float>(m_recorded.constData() + 4 * frame); }
    qsizetype frames() const { return m_recorded.size() / 4; }
    // The first frame from `from` on louder than -40 dB, else the end of the recording.
    qsizetype firstSound(qsizetype from) const
    {
        while (from < frames() && std::abs(at(from)) < 0.01f)
            ++from;
        return from;
    }
    bool recordUntil(const std::function<bool()> &done, int ms)
    {
        return QTest::qWaitFor([&] { return (m_recorded += m_recorder.readAll(), done()); }, ms);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Servers private to this run, dying with it; as root, pulseaudio only warns.
        for (QProcess *p : {&m_jack, &m_pulse, &m_recorder})
            p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        // JACK keeps a few server names in shared memory: one per build folder, so a
        // killed run's stale name is taken over by the next instead of piling up.
        const QString jackName = u"tamo_test_%1"_s.arg(qHash(QCoreApplication::applicationDirPath()));
        qputenv("JACK_DEFAULT_SERVER", jackName.toUtf8());
        qputenv("JACK_NO_START_SERVER", "1");
        m_jack.start(u"jackd"_s, {u"-n"_s, jackName, u"--no-realtime"_s, u"-d"_s, u"dummy"_s, u"-r"_s, u"44100"_s});
        bool heard = false;
        const bool pulseUp = tamo::test::startPrivatePulseAudio(m_pulse, m_recorder, m_dir.path(), heard);
        // The JACK server is up once a client reaches it.
        const bool jackUp = QTest::qWaitFor([&] {
            QProcess lsp;
            lsp.start(u"jack_lsp"_s);
            return m_jack.state() == QProcess::NotRunning || (lsp.waitForFinished() && lsp.exitCode() == 0);
        }, 20000) && m_jack.state() == QProcess::Running;
        if (!pulseUp || !jackUp)
            QSKIP("no private PulseAudio or JACK server: pulseaudio, pulseaudio-utils and jackd2 are needed");
        QVERIFY2(heard, "parec records nothing from the test server");

        QByteArray sine;
        for (int i = 0; i < kRate; ++i)
            sine += wavgen::sampleAt(0.5 * std::sin(2 * M_PI * 441 * i / kRate), 1, 2);
        const QString wav = m_dir.filePath(u"sine.wav"_s);
        QVERIFY(writeAll(wav, wavgen::wavFile(sine)));
        tamo::msp::MspRecord record = tamo::msp::MspRecord::newDocument();
        record.setGlobal(tamo::msp::GlobalField::SampleCount, 1);
        record.setSampleName(1, "SINE");
        record.setSample(tamo::msp::SampleField::Key, 1, kRoot);
        record.setSample(tamo::msp::SampleField::Sustain, 1, 127);
        m_play.setSet(record, [&](int) { return wav; });
        QVERIFY2(m_play.start(), qPrintable(m_play.status()));
        // The first sound of a run starts late, while Qt Multimedia connects.
        m_play.noteOn(kRoot);
        const qsizetype from = frames();
        QVERIFY2(recordUntil([&] { return firstSound(from) < frames(); }, 20000), "LivePlay's sound never reaches the sink");
        m_play.noteOff(kRoot);

        // The test's keyboard: an output port of its own JACK client, which LivePlay
        // lists and listens to like any other input.
        m_keys = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "tamo-keys");
        m_keys->openVirtualPort("out");
        const QString port = u"tamo-keys:out"_s; // JACK's client:port
        QVERIFY2(tamo::msp_editor::LivePlay::midiPorts().contains(port), qPrintable(port));
        QVERIFY(m_play.openMidiPort(port));
    }

    void cleanupTestCase()
    {
        m_keys.reset();
        m_jack.terminate(); // JACK then frees its shared memory
        m_jack.waitForFinished(3000);
        for (QProcess *p : {&m_recorder, &m_pulse, &m_jack}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }

    // Each note sounds at its key's pitch, starting after its note-on.
    void notes_data()
    {
        QTest::addColumn<int>("key");
        for (const int key : {kRoot, kRoot + 12, kRoot - 7, kRoot + 5})
            QTest::addRow("key %d", key) << key;
    }
    void notes()
    {
        QFETCH(int, key);
        // Start after 300 ms of silence, so nothing before the note-on sounds.
        qsizetype quietFrom = frames();
        QVERIFY(recordUntil([&] {
            for (qsizetype i = quietFrom; i < frames(); ++i)
                quietFrom = std::abs(at(i)) >= 0.001f ? i + 1 : quietFrom;
            return frames() - quietFrom >= kRate * 3 / 10;
        }, 60000));
        const qsizetype mark = frames();
        const std::vector<unsigned char> on{0x90, quint8(key), 100}, off{0x80, quint8(key), 0};
        m_keys->sendMessage(&on);
        (void)recordUntil([&] { return frames() >= mark + kRate * 8 / 10; }, 10000);
        m_keys->sendMessage(&off);
        QVERIFY2(recordUntil([&] { return frames() >= mark + kRate * 12 / 10; }, 10000), "the recording stalled");

        const qsizetype onset = firstSound(mark);
        QVERIFY2(onset < mark + kRate * 8 / 10, "no sound while the note is held");
        std::vector<double> x;
        for (qsizetype i = onset + kRate / 20; i < onset + kRate * 3 / 10; ++i)
            x.push_back(at(i));
        const double expected = 441 * std::exp2((key - kRoot) / 12.0), hz = measure::pitch(x, kRate);
        const double ms = 1000.0 * double(onset - mark) / kRate;
        qInfo("key %d: %.2f Hz, sound %.1f ms after the note-on was sent (recorder's delay included)", key, hz, ms);
        QCOMPARE_LT(std::abs(measure::cents(hz, expected)), 5.0);
    }
};

QTEST_MAIN(TestLiveInput)
#include "test_liveinput.moc"
