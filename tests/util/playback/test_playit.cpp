// SPDX-License-Identifier: GPL-3.0-or-later
// Plays through a private PulseAudio server with a null sink and records the sink's
// monitor, so what PlayIt really sends to the sound system is checked.

#include "util/playback/playit.h"

#include "testsupport.h"
#include "../../wav/helper_wav.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;
using namespace tamo::test::wavgen;

namespace {

constexpr int kRate = 44100; // of the recording

struct Wav {
    int tag = 1, bits = 16, channels = 1, rate = 44100; // tag 1: integer PCM, 3: float
    double frequency = 1000, seconds = 0.6;
    bool extensible = false;
    QByteArray chunkBeforeData{}; // whole chunks, placed between fmt and data
    qint64 claimedDataSize = -1; // -1: the real size
};

// A sine at half of full scale.
QByteArray wavBytes(const Wav &w)
{
    QByteArray data;
    for (qint64 i = 0; i < qint64(w.seconds * w.rate); ++i) {
        const double level = 0.5 * std::sin(2 * M_PI * w.frequency * double(i) / w.rate);
        data += sampleAt(level, w.tag, w.bits / 8).repeated(w.channels);
    }
    const QByteArray fmt = chunk("fmt ", fmtBody(w.extensible ? 0xFFFE : w.tag, w.channels, w.bits, w.tag, w.rate));
    return riff(fmt + w.chunkBeforeData + "data" + le32(w.claimedDataSize < 0 ? data.size() : w.claimedDataSize) + data);
}

struct Sound { double seconds = 0, hz = 0, peak = 0; };

// Sound is where the signal crosses zero, steeply (not noise), and again within
// 10 ms; its frequency follows from the crossings.
Sound analyse(const QList<float> &s)
{
    Sound a;
    qsizetype halves = 0, span = 0, prev = -kRate;
    for (qsizetype i = 1; i < s.size(); ++i) {
        a.peak = std::max(a.peak, std::abs(double(s[i])));
        if ((s[i - 1] < 0) == (s[i] < 0) || std::abs(s[i] - s[i - 1]) < 0.01f)
            continue;
        halves += i - prev < kRate / 100;
        span += i - prev < kRate / 100 ? i - prev : 0;
        prev = i;
    }
    a.seconds = double(span) / kRate;
    a.hz = span > 0 ? double(halves) / 2.0 * kRate / double(span) : 0;
    return a;
}

} // namespace

class TestPlayIt : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_server, m_recorder; // the recorder of the sink's monitor runs all along
    QByteArray m_recorded;

    QString writeWav(const QString &name, const QByteArray &bytes)
    {
        return tamo::test::writeAll(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
    }
    // Records the monitor while `during` runs and for `ms` after it.
    QList<float> record(const std::function<void()> &during, int ms)
    {
        // A late tail of the previous sound must not open this recording: start after
        // 300 ms of silence.
        qsizetype quietFrom = m_recorded.size() / 4;
        (void)QTest::qWaitFor([&] {
            m_recorder.waitForReadyRead(10);
            m_recorded += m_recorder.readAll();
            for (qsizetype i = quietFrom; i < m_recorded.size() / 4; ++i)
                if (std::abs(qFromLittleEndian<float>(m_recorded.constData() + 4 * i)) >= 0.001f)
                    quietFrom = i + 1;
            return m_recorded.size() / 4 - quietFrom >= kRate * 3 / 10;
        }, 60000);
        const qsizetype mark = m_recorded.size() / 4, wanted = mark + qsizetype(ms) * kRate / 1000;
        during();
        // A stalled recorder gives a short recording, which fails the checks.
        (void)QTest::qWaitFor([&] { return (m_recorded += m_recorder.readAll()).size() / 4 >= wanted; }, ms + 5000);
        QList<float> samples(std::min(wanted, m_recorded.size() / 4) - mark);
        qFromLittleEndian<float>(m_recorded.constData() + 4 * mark, samples.size(), samples.data());
        return samples;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The helpers die with the test.
        for (QProcess *p : {&m_server, &m_recorder})
            p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        bool heard = false;
        if (!tamo::test::startPrivatePulseAudio(m_server, m_recorder, m_dir.path(), heard))
            QSKIP("no private PulseAudio server: pulseaudio and parec are needed (Debian packages pulseaudio and pulseaudio-utils)");
        QVERIFY2(heard, "parec records nothing from the test server");
        // The first sound of a run starts late, while Qt Multimedia connects.
        tamo::util::PlayIt(writeWav(u"warm.wav"_s, wavBytes({.seconds = 0.1})));
        QTest::qWait(1000);
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_recorder, &m_server}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }

    // Each file plays as it should, and a good one after it plays as well, whatever
    // the first was.
    void fileThenGoodOne_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no such file
        QTest::addColumn<double>("seconds"); // of sound expected from it
        const QByteArray good = wavBytes({}), oddChunk = "LIST" + le32(3) + "abc";
        const auto row = [](const char *name, const Wav &w) { QTest::newRow(name) << wavBytes(w) << 0.6; };
        row("24-bit", {.bits = 24});
        row("extensible float", {.tag = 3, .bits = 32, .extensible = true});
        row("stereo 22050 Hz", {.channels = 2, .rate = 22050});
        row("odd chunk without pad byte", {.chunkBeforeData = oddChunk});
        row("data size beyond the file", {.claimedDataSize = 10'000'000});
        QTest::newRow("truncated file") << wavBytes({.seconds = 0.8}).left(44 + 2 * 44100 * 4 / 10) << 0.4;
        QTest::newRow("3 s, cut by the next") << wavBytes({.seconds = 3}) << 0.9;
        QTest::newRow("missing file") << QByteArray() << 0.0;
        QTest::newRow("compressed format") << QByteArray(good).replace(20, 1, "\x02") << 0.0;
        // The 4 samples are silent: they are played, the claimed 4 GB are not.
        QTest::newRow("sizes of 4 GB over 4 samples")
            << good.left(44).replace(4, 4, "\xff\xff\xff\xff").replace(40, 4, "\xff\xff\xff\xff") + QByteArray(8, '\0') << 0.0;
    }
    void fileThenGoodOne()
    {
        QFETCH(QByteArray, file);
        QFETCH(double, seconds);
        const QString good = writeWav(u"good.wav"_s, wavBytes({})),
                      first = file.isNull() ? m_dir.filePath(u"none.wav"_s) : writeWav(u"first.wav"_s, file);
        const QList<float> rec = record([&] {
            tamo::util::PlayIt(first);
            QTest::qWait(900);
            tamo::util::PlayIt(good);
        }, 2200);
        const Sound a = analyse(rec);
        QVERIFY2(std::abs(a.seconds - seconds - 0.6) < 0.08 && std::abs(a.hz - 1000) < 20 && a.peak > 0.4 && a.peak < 0.6,
                 qPrintable(u"%1 s of sound at %2 Hz, peak %3"_s.arg(a.seconds).arg(a.hz).arg(a.peak)));
        if (seconds == 0)
            QCOMPARE_LT(analyse(rec.first(kRate * 8 / 10)).peak, 0.001);
    }
};

QTEST_MAIN(TestPlayIt)
#include "test_playit.moc"
