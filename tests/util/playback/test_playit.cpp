// Plays through a private PulseAudio server with a null sink and records the sink's
// monitor, so what PlayIt really sends to the sound system is checked.

#include "util/playback/playit.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QAudioDevice>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "testsupport.h"

#include <cmath>
#include <numbers>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

using tamo::util::PlayIt;

namespace {

// A helper process must not outlive a test that crashed.
void endWithTest(QProcess &process)
{
#ifdef Q_OS_LINUX
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
#else
    Q_UNUSED(process);
#endif
}

constexpr int kRecordRate = 44100;
constexpr double kTone = 1000.0;

enum class Sample { U8, S16, S24, S32, F32, F64, ALaw, MuLaw };

// The G.711 encoders as the standard gives them.
quint8 muLaw(int pcm)
{
    const int sign = pcm < 0 ? 0x80 : 0;
    pcm = std::min(std::abs(pcm), 32635) + 0x84;
    int exponent = 7;
    for (int mask = 0x4000; !(pcm & mask) && exponent > 0; mask >>= 1)
        --exponent;
    const int mantissa = (pcm >> (exponent + 3)) & 0x0f;
    return quint8(~(sign | exponent << 4 | mantissa) & 0xff);
}

quint8 aLaw(int pcm)
{
    const int sign = pcm >= 0 ? 0x80 : 0;
    pcm = std::min(pcm < 0 ? -pcm - 1 : pcm, 32767);
    int value = pcm >> 4;
    if (pcm >= 256) {
        int exponent = 7;
        for (int mask = 0x4000; !(pcm & mask); mask >>= 1)
            --exponent;
        value = exponent << 4 | ((pcm >> (exponent + 3)) & 0x0f);
    }
    return quint8((value | sign) ^ 0x55);
}

void appendSample(QByteArray &out, Sample kind, double v)
{
    char b[8];
    switch (kind) {
    case Sample::U8:
        out.append(char(quint8(std::lround(128.0 + 127.0 * v))));
        return;
    case Sample::S16:
        qToLittleEndian(qint16(std::lround(32767.0 * v)), b);
        out.append(b, 2);
        return;
    case Sample::S24:
        qToLittleEndian(qint32(std::lround(8388607.0 * v)), b);
        out.append(b, 3);
        return;
    case Sample::S32:
        qToLittleEndian(qint32(std::lround(2147483647.0 * v)), b);
        out.append(b, 4);
        return;
    case Sample::F32:
        qToLittleEndian(float(v), b);
        out.append(b, 4);
        return;
    case Sample::F64:
        qToLittleEndian(v, b);
        out.append(b, 8);
        return;
    case Sample::ALaw:
        out.append(char(aLaw(int(std::lround(32767.0 * v)))));
        return;
    case Sample::MuLaw:
        out.append(char(muLaw(int(std::lround(32767.0 * v)))));
        return;
    }
}

int bitsOf(Sample kind)
{
    switch (kind) {
    case Sample::U8: case Sample::ALaw: case Sample::MuLaw: return 8;
    case Sample::S16: return 16;
    case Sample::S24: return 24;
    case Sample::S32: case Sample::F32: return 32;
    case Sample::F64: return 64;
    }
    return 0;
}

struct Wav {
    Sample kind = Sample::S16;
    int channels = 1;
    int rate = 44100;
    double frequency = kTone;
    double seconds = 0.6;
    bool extensible = false;
    QByteArray chunkBeforeData{}; // whole chunk bytes, placed between fmt and data
    qint64 claimedDataSize = -1; // -1: the real size
};

QByteArray le16(int v)
{
    char b[2];
    qToLittleEndian(quint16(v), b);
    return QByteArray(b, 2);
}

QByteArray le32(qint64 v)
{
    char b[4];
    qToLittleEndian(quint32(v), b);
    return QByteArray(b, 4);
}

QByteArray wavBytes(const Wav &w)
{
    QByteArray data;
    const auto frames = qint64(w.seconds * w.rate);
    for (qint64 i = 0; i < frames; ++i) {
        const double v = 0.5 * std::sin(2 * std::numbers::pi * w.frequency * double(i) / w.rate);
        for (int c = 0; c < w.channels; ++c)
            appendSample(data, w.kind, v);
    }
    const int bits = bitsOf(w.kind);
    const int block = w.channels * bits / 8;
    const bool isFloat = w.kind == Sample::F32 || w.kind == Sample::F64;
    const int tag = w.kind == Sample::ALaw ? 6 : w.kind == Sample::MuLaw ? 7 : isFloat ? 3 : 1;
    QByteArray fmt = le16(w.extensible ? 0xFFFE : tag) + le16(w.channels)
                     + le32(w.rate) + le32(qint64(w.rate) * block) + le16(block) + le16(bits);
    if (w.extensible) {
        fmt += le16(22) + le16(bits) + le32(w.channels == 1 ? 4 : 3) + le16(isFloat ? 3 : 1)
               + QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    }
    const QByteArray body = "WAVEfmt " + le32(fmt.size()) + fmt + w.chunkBeforeData + "data"
                            + le32(w.claimedDataSize < 0 ? data.size() : w.claimedDataSize) + data;
    return "RIFF" + le32(body.size()) + body;
}

struct Analysis {
    double loudSeconds = 0; // time with a clear signal
    double peak = 0;
    double frequency = 0; // from the zero crossings of the loud stretch
    double firstLoud = -1; // seconds from the start of the recording
};

// 10 ms windows; a window counts as loud when its RMS is well above noise.
Analysis analyse(const QList<float> &s, qsizetype from = 0, qsizetype to = -1)
{
    if (to < 0 || to > s.size())
        to = s.size();
    Analysis a;
    constexpr qsizetype window = kRecordRate / 100;
    qint64 crossings = 0;
    qsizetype firstCrossing = 0;
    qsizetype lastCrossing = 0;
    qint64 loudSamples = 0;
    for (qsizetype w = from; w + window <= to; w += window) {
        double sum = 0;
        for (qsizetype i = w; i < w + window; ++i) {
            sum += double(s[i]) * double(s[i]);
            a.peak = std::max(a.peak, std::abs(double(s[i])));
        }
        if (std::sqrt(sum / window) < 0.05)
            continue;
        if (a.firstLoud < 0)
            a.firstLoud = double(w) / kRecordRate;
        loudSamples += window;
        for (qsizetype i = std::max(w, from + 1); i < w + window; ++i) {
            if ((s[i - 1] < 0) != (s[i] < 0)) {
                if (crossings++ == 0)
                    firstCrossing = i;
                lastCrossing = i;
            }
        }
    }
    for (qsizetype i = from; i < to; ++i)
        a.peak = std::max(a.peak, std::abs(double(s[i])));
    a.loudSeconds = double(loudSamples) / kRecordRate;
    if (crossings > 1)
        a.frequency = double(crossings - 1) / 2.0 * kRecordRate / double(lastCrossing - firstCrossing);
    return a;
}

} // namespace

class TestPlayIt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void playsEveryCommonWav_data();
    void playsEveryCommonWav();
    void missingFileIsSilentAndQuick();
    void brokenFileThenGoodOne_data();
    void brokenFileThenGoodOne();
    void newCallReplacesTheSoundPlaying();

private:
    QString writeWav(const QString &name, const QByteArray &bytes);
    // Records the null sink's monitor while `during` runs and for `ms` after it.
    QList<float> record(const std::function<void()> &during, int ms);

    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_serverAddress;
    QProcess m_recorder; // records the sink's monitor for the whole run
    QByteArray m_recorded;
};

void TestPlayIt::initTestCase()
{
    const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
    const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
    if (pulseaudio.isEmpty() || pactl.isEmpty() || parec.isEmpty())
        QSKIP("pulseaudio, pactl and parec are needed (Debian packages pulseaudio and "
              "pulseaudio-utils)");
    QVERIFY(m_dir.isValid());

    // The server keeps its state, cookie and socket in the private folder, so it
    // never meets a user's own sound server. As root, pulseaudio only warns when it is
    // started as a per-user server, and with anonymous access no cookie is needed.
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_server.setProcessEnvironment(env);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    endWithTest(m_server);
    m_server.start(pulseaudio,
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--system=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--realtime=no"),
                    QStringLiteral("--high-priority=no"), QStringLiteral("--disable-shm=yes"),
                    QStringLiteral("--log-target=stderr"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=tamo_null rate=44100"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=")
                        + socket});
    if (!m_server.waitForStarted(5000))
        QSKIP(qPrintable(QStringLiteral("pulseaudio could not be started: ")
                         + m_server.errorString()));
    m_serverAddress = QStringLiteral("unix:") + socket;

    bool ready = false;
    QElapsedTimer waited;
    waited.start();
    while (!ready && waited.elapsed() < 15000 && m_server.state() == QProcess::Running) {
        QProcess probe;
        probe.start(pactl, {QStringLiteral("--server=") + m_serverAddress, QStringLiteral("info")});
        ready = probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit
                && probe.exitCode() == 0;
        if (!ready)
            QTest::qWait(100);
    }
    if (!ready) {
        m_server.kill();
        m_server.waitForFinished(3000);
        QSKIP(qPrintable(QStringLiteral("the private PulseAudio server did not come up: ")
                         + QString::fromLocal8Bit(m_server.readAll().right(2000))));
    }

    // The monitor's first bytes take a second or two; after that they flow at once.
    endWithTest(m_recorder);
    m_recorder.start(parec, {QStringLiteral("--server=") + m_serverAddress,
                             QStringLiteral("--device=tamo_null.monitor"), QStringLiteral("--raw"),
                             QStringLiteral("--format=float32le"), QStringLiteral("--channels=1"),
                             QStringLiteral("--rate=") + QString::number(kRecordRate),
                             QStringLiteral("--latency-msec=10")});
    QVERIFY2(m_recorder.waitForStarted(5000), "parec did not start");
    waited.restart();
    while (m_recorder.bytesAvailable() == 0 && waited.elapsed() < 10000)
        m_recorder.waitForReadyRead(100);
    QVERIFY2(m_recorder.bytesAvailable() > 0, "parec records nothing from the test server");

    // Qt Multimedia connects on first use, which is after this.
    qputenv("PULSE_SERVER", m_serverAddress.toLocal8Bit());
    qputenv("PULSE_SINK", "tamo_null");
    QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(),
             "Qt Multimedia sees no output device of the running test server");
}

void TestPlayIt::cleanupTestCase()
{
    m_recorder.kill();
    m_recorder.waitForFinished(3000);
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(3000);
        }
    }
}

QString TestPlayIt::writeWav(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    if (!tamo::test::writeAll(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QList<float> TestPlayIt::record(const std::function<void()> &during, int ms)
{
    m_recorded += m_recorder.readAll();
    const qsizetype mark = m_recorded.size() / 4;
    during();
    const qsizetype wanted = mark + qsizetype(ms) * kRecordRate / 1000;
    QElapsedTimer waited;
    waited.start();
    while (m_recorded.size() / 4 < wanted && waited.elapsed() < ms + 5000) {
        QTest::qWait(20);
        m_recorded += m_recorder.readAll();
    }
    if (m_recorded.size() / 4 < wanted)
        qFatal("the recorder stalled");

    QList<float> samples(wanted - mark);
    for (qsizetype i = 0; i < samples.size(); ++i)
        samples[i] = qFromLittleEndian<float>(m_recorded.constData() + 4 * (mark + i));
    return samples;
}

void TestPlayIt::playsEveryCommonWav_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<double>("seconds"); // of sound expected

    const QByteArray oddChunk = "LIST" + le32(3) + "abc";
    auto row = [](const char *name, const Wav &w, double seconds = 0.6) {
        QTest::newRow(name) << wavBytes(w) << seconds;
    };
    row("16-bit", {});
    row("8-bit", {.kind = Sample::U8});
    row("24-bit", {.kind = Sample::S24});
    row("32-bit", {.kind = Sample::S32});
    row("float", {.kind = Sample::F32});
    row("double", {.kind = Sample::F64});
    row("A-law", {.kind = Sample::ALaw});
    row("mu-law", {.kind = Sample::MuLaw});
    row("extensible 16-bit", {.extensible = true});
    row("extensible float", {.kind = Sample::F32, .extensible = true});
    row("stereo", {.channels = 2});
    row("22050 Hz", {.rate = 22050});
    row("odd chunk with pad byte", {.chunkBeforeData = oddChunk + '\0'});
    row("odd chunk without pad byte", {.chunkBeforeData = oddChunk});
    row("data size beyond the file", {.claimedDataSize = 10'000'000});
    const QByteArray whole = wavBytes({.seconds = 0.8});
    QTest::newRow("truncated file") << whole.left(44 + 2 * 44100 * 4 / 10) << 0.4;
}

void TestPlayIt::playsEveryCommonWav()
{
    QFETCH(QByteArray, file);
    QFETCH(double, seconds);
    const QString path = writeWav(QStringLiteral("tone.wav"), file);

    const QList<float> rec = record([&] { PlayIt(path); }, int(seconds * 1000) + 700);
    const Analysis a = analyse(rec);
    QVERIFY2(a.loudSeconds > seconds - 0.06 && a.loudSeconds < seconds + 0.06,
             qPrintable(QStringLiteral("%1 s of sound").arg(a.loudSeconds)));
    QVERIFY2(std::abs(a.frequency - kTone) < kTone * 0.02,
             qPrintable(QStringLiteral("%1 Hz").arg(a.frequency)));
    QVERIFY2(a.peak > 0.4 && a.peak < 0.6, qPrintable(QStringLiteral("peak %1").arg(a.peak)));
}

void TestPlayIt::missingFileIsSilentAndQuick()
{
    const QString missing = m_dir.filePath(QStringLiteral("no such file.wav"));
    qint64 took = -1;
    const QList<float> rec = record(
        [&] {
            QElapsedTimer t;
            t.start();
            PlayIt(missing);
            took = t.elapsed();
        },
        800);
    QVERIFY2(took <= 10, qPrintable(QStringLiteral("PlayIt took %1 ms").arg(took)));
    QVERIFY(rec.size() > kRecordRate / 2);
    QCOMPARE_LT(analyse(rec).peak, 0.001);
}

void TestPlayIt::brokenFileThenGoodOne_data()
{
    QTest::addColumn<QByteArray>("broken");

    const QByteArray good = wavBytes({});
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a WAV") << QByteArray(5000, 'x');
    QTest::newRow("header only") << good.left(44);
    QTest::newRow("header cut short") << good.left(30);
    QTest::newRow("no fmt chunk") << "RIFF" + le32(good.size() - 32) + "WAVE" + good.mid(36);
    QByteArray noChannels = good;
    noChannels[22] = 0;
    QTest::newRow("no channels") << noChannels;
    QByteArray adpcm = good;
    adpcm[20] = 2;
    QTest::newRow("compressed format") << adpcm;
    QByteArray huge = good;
    huge.replace(4, 4, le32(0xFFFFFFFF));
    huge.replace(40, 4, le32(0xFFFFFFFF));
    QTest::newRow("sizes of 4 GB over 4 samples")
        << huge.left(44 + 8);
}

void TestPlayIt::brokenFileThenGoodOne()
{
    QFETCH(QByteArray, broken);
    const QString bad = writeWav(QStringLiteral("broken.wav"), broken);
    const QString good = writeWav(QStringLiteral("good.wav"), wavBytes({}));

    const QList<float> rec = record(
        [&] {
            PlayIt(bad);
            QTest::qWait(300);
            PlayIt(good);
        },
        1300);
    const Analysis a = analyse(rec);
    QVERIFY2(std::abs(a.loudSeconds - 0.6) < 0.06,
             qPrintable(QStringLiteral("%1 s of sound").arg(a.loudSeconds)));
    QVERIFY2(std::abs(a.frequency - kTone) < kTone * 0.02,
             qPrintable(QStringLiteral("%1 Hz").arg(a.frequency)));
}

void TestPlayIt::newCallReplacesTheSoundPlaying()
{
    const QString low = writeWav(QStringLiteral("low.wav"),
                                 wavBytes({.frequency = 500, .seconds = 3.0}));
    const QString high = writeWav(QStringLiteral("high.wav"), wavBytes({}));

    qint64 longest = 0;
    auto timed = [&](const QString &path) {
        QElapsedTimer t;
        t.start();
        PlayIt(path);
        longest = std::max(longest, t.elapsed());
    };
    const QList<float> rec = record(
        [&] {
            timed(low);
            QTest::qWait(500);
            timed(high);
        },
        2500);
    QVERIFY2(longest < 100, qPrintable(QStringLiteral("PlayIt took %1 ms").arg(longest)));

    const Analysis whole = analyse(rec);
    QVERIFY2(whole.firstLoud >= 0, "nothing was heard");
    // About 0.5 s of the low tone, then the whole high one, and no more.
    QVERIFY2(std::abs(whole.loudSeconds - 1.1) < 0.1,
             qPrintable(QStringLiteral("%1 s of sound").arg(whole.loudSeconds)));
    const auto start = qsizetype(whole.firstLoud * kRecordRate);
    const Analysis first = analyse(rec, start, start + kRecordRate * 3 / 10);
    const Analysis last = analyse(rec, start + kRecordRate * 7 / 10);
    QVERIFY2(std::abs(first.frequency - 500) < 10,
             qPrintable(QStringLiteral("first %1 Hz").arg(first.frequency)));
    QVERIFY2(std::abs(last.frequency - kTone) < kTone * 0.02,
             qPrintable(QStringLiteral("then %1 Hz").arg(last.frequency)));
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestPlayIt test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_playit.moc"
