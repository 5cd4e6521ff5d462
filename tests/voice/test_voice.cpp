// SPDX-License-Identifier: GPL-3.0-or-later
// Generated sines and saws played through the engine, measured on the rendered sound.
#include "helper_measure.h"
#include "app/rendercommand.h"
#include "midi/midifile.h"
#include "msp/valueformats.h"
#include "voice/songrender.h"
#include "voice/voicemodel.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <algorithm>
#include <tuple>

using namespace tamo;
using msp::SampleField;
using Events = QList<midi::MidiEvent>;
Q_DECLARE_METATYPE(Events)

namespace {

constexpr double kRate = 44100;
constexpr double kToneHz = 441; // 100 frames a period, so a loop of whole periods is seamless
constexpr int kRoot = 69;

// A mono 16-bit tone; looped from frame 4400 to its end (whole periods), or a one-shot.
QString writeTone(const QString &path, bool saw, double seconds, bool loop)
{
    const auto frames = sf_count_t(seconds * kRate) / 100 * 100;
    std::vector<float> x(std::size_t(frames), 0.0f);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (int h = 1; h <= (saw ? 20 : 1); ++h)
            x[i] += float(0.4 / h * std::sin(2 * std::numbers::pi * h * double(i) / 100.0));
    SF_INFO info{0, int(kRate), 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    SF_INSTRUMENT instrument{};
    instrument.basenote = kRoot;
    instrument.loop_count = loop ? 1 : 0;
    instrument.loops[0] = {SF_LOOP_FORWARD, 4400, quint32(frames), 0};
    sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
    sf_writef_float(f, x.data(), frames);
    sf_close(f);
    return path;
}

std::vector<float> play(const std::shared_ptr<voice::VoiceSet> &set, const Events &events, double seconds)
{
    voice::Engine engine(set);
    std::vector<float> out;
    std::vector<midi::MidiEvent> sorted(events.begin(), events.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) { return a.seconds < b.seconds; });
    voice::renderEvents(engine, sorted, qint64(seconds * kRate), [&](const float *s, int n) {
        out.insert(out.end(), s, s + 2 * n);
        return true;
    });
    return out;
}

Events note(double on, double off, int key, int velocity = 100)
{
    return {{on, 0x90, quint8(key), quint8(velocity)}, {off, 0x80, quint8(key), 0}};
}

} // namespace

class TestVoice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // One slot over every key playing wav; tweak sets the record's bytes.
    std::shared_ptr<voice::VoiceSet> set(const QString &wav, const std::function<void(msp::MspRecord &)> &tweak = {},
                                         std::optional<voice::LoopInstead> instead = std::nullopt)
    {
        msp::MspRecord record = msp::MspRecord::newDocument();
        record.setGlobal(msp::GlobalField::SampleCount, 1);
        record.setSampleName(1, "TONE");
        record.setSample(SampleField::Key, 1, kRoot);
        record.setSample(SampleField::Sustain, 1, 127);
        if (tweak)
            tweak(record);
        return std::make_shared<voice::VoiceSet>(voice::loadVoiceSet(record, [&](int) { return wav; }, [&](int) { return instead; }));
    }
    QString sine() { return m_dir.filePath(QStringLiteral("sine.wav")); }
    QString saw() { return m_dir.filePath(QStringLiteral("saw.wav")); }
    QString shot() { return m_dir.filePath(QStringLiteral("shot.wav")); }

private Q_SLOTS:
    void initTestCase()
    {
        writeTone(sine(), false, 1.0, true);
        writeTone(saw(), true, 1.0, true);
        writeTone(shot(), false, 0.5, false);
    }

    void pitch_data()
    {
        QTest::addColumn<bool>("isSaw");
        QTest::addColumn<int>("key");
        QTest::addColumn<SampleField>("field");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("bend");
        QTest::addColumn<double>("semitones");
        const auto none = SampleField::Dca;
        QTest::newRow("sine at its root") << false << kRoot << none << 0 << 8192 << 0.0;
        QTest::newRow("sine an octave down") << false << kRoot - 12 << none << 0 << 8192 << -12.0;
        QTest::newRow("sine two octaves up") << false << kRoot + 24 << none << 0 << 8192 << 24.0;
        QTest::newRow("saw a fifth up") << true << kRoot + 7 << none << 0 << 8192 << 7.0;
        QTest::newRow("FINE shown 50") << false << kRoot << SampleField::Fine << 127 << 8192 << 0.5;
        QTest::newRow("PITCH FIXED") << false << kRoot + 12 << SampleField::PitchMode << 1 << 8192 << 0.0;
        QTest::newRow("bend up") << false << kRoot << none << 0 << 16383 << 2.0;
        QTest::newRow("bend down") << true << kRoot + 3 << none << 0 << 0 << 1.0;
        QTest::newRow("OCTAVE +1") << false << kRoot << none << -1 << 8192 << 12.0;
    }
    void pitch()
    {
        QFETCH(bool, isSaw);
        QFETCH(int, key);
        QFETCH(SampleField, field);
        QFETCH(int, byte);
        QFETCH(int, bend);
        QFETCH(double, semitones);
        const auto s = set(isSaw ? saw() : sine(), [&](msp::MspRecord &r) {
            if (byte < 0) // a global byte: OCTAVE
                r.setGlobal(msp::GlobalField::Octave, quint8(-byte));
            else if (field != SampleField::Dca)
                r.setSample(field, 1, quint8(byte));
        });
        const std::vector<float> out = play(s, Events{{0, 0xe0, quint8(bend & 0x7f), quint8(bend >> 7)}} + note(0, 0.6, key), 0.6);
        const double hz = test::measure::pitch(test::measure::window(out, kRate, 0.3, 0.5), kRate);
        QVERIFY2(std::abs(test::measure::cents(hz, kToneHz * std::exp2(semitones / 12))) < 3,
                 qPrintable(QStringLiteral("%1 Hz").arg(hz)));
    }

    // Each note of a chord is a peak, and nothing else (images, aliases) reaches -60 dB.
    void spectrum_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("two octaves up") << QList<int>{kRoot + 24};
        QTest::newRow("chord") << QList<int>{kRoot, kRoot + 4, kRoot + 7};
        QTest::newRow("wide chord") << QList<int>{kRoot - 12, kRoot + 3, kRoot + 19};
    }
    void spectrum()
    {
        QFETCH(QList<int>, keys);
        Events events;
        for (int key : keys)
            events += note(0, 0.9, key);
        const std::vector<double> db = test::measure::spectrumDb(test::measure::window(play(set(sine()), events, 0.9), kRate, 0.3, 0.9));
        const double binHz = kRate / double(2 * db.size());
        const double loudest = *std::max_element(db.begin(), db.end());
        std::vector<bool> expected(db.size(), false);
        for (int key : keys) {
            const auto bin = std::ptrdiff_t(std::lround(kToneHz * std::exp2((key - kRoot) / 12.0) / binHz));
            QVERIFY(*std::max_element(db.begin() + bin - 2, db.begin() + bin + 3) > loudest - 3);
            for (auto b = bin - 8; b <= bin + 8; ++b)
                expected[std::size_t(b)] = true;
        }
        for (std::size_t b = 1; b < db.size(); ++b)
            QVERIFY2(expected[b] || db[b] < loudest - 60, qPrintable(QStringLiteral("%1 dB at %2 Hz").arg(db[b] - loudest).arg(double(b) * binHz)));
    }

    // The level of window b against window a, in dB.
    void level_data()
    {
        const voice::VoiceModel &m = voice::kVoiceModel;
        QTest::addColumn<QString>("wav");
        QTest::addColumn<Events>("events");
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("instead"); // a loop instead of the file's: -1 none, 0 no loop, else from frame 4400 to this
        const double release = m.seconds(60, 96, m.longestRelease); // RELEASE shown 60
        QTest::newRow("a held loop sustains 2 s") << sine() << note(0, 2.6, 60) << QPointF(0.2, 0.4) << QPointF(2.2, 2.4) << -0.5 << 0.5 << -1;
        QTest::newRow("a held one-shot ends") << shot() << note(0, 2.6, kRoot) << QPointF(0.1, 0.3) << QPointF(0.6, 1.5) << -999.0 << -90.0 << -1;
        QTest::newRow("release follows note-off")
            << sine() << note(0, 1.0, 60) << QPointF(0.8, 1.0) << QPointF(1.0 + release / 2 - 0.01, 1.0 + release / 2 + 0.01)
            << m.fallDb / 2 - 1.5 << m.fallDb / 2 + 1.5 << -1;
        const Events pedal = Events{{0, 0xb0, 64, 127}, {1.5, 0xb0, 64, 0}} + note(0, 0.5, 60);
        QTest::newRow("the pedal holds") << sine() << pedal << QPointF(0.2, 0.4) << QPointF(1.2, 1.4) << -0.5 << 0.5 << -1;
        QTest::newRow("the pedal lets go") << sine() << pedal << QPointF(0.2, 0.4) << QPointF(1.5 + 2 * release, 1.6 + 2 * release) << -999.0 << -90.0 << -1;
        const double velocity64 = 20 * std::log10(std::pow(64 / 127.0, m.velocityExponent));
        QTest::newRow("velocity 64") << saw() << note(0, 0.5, 60, 127) + note(1.0, 1.5, 60, 64) << QPointF(0.2, 0.4)
                                     << QPointF(1.2, 1.4) << velocity64 - 0.2 << velocity64 + 0.2 << -1;
        // A loop the set keeps for a file plays instead of the file's own.
        QTest::newRow("a kept loop holds a one-shot") << shot() << note(0, 2.6, 60) << QPointF(0.2, 0.4) << QPointF(2.2, 2.4) << -0.5 << 0.5 << 22000;
        QTest::newRow("kept as a one-shot, a looped file ends") << sine() << note(0, 2.6, kRoot) << QPointF(0.2, 0.4) << QPointF(1.2, 2.4) << -999.0 << -90.0 << 0;
    }
    void level()
    {
        QFETCH(QString, wav);
        QFETCH(Events, events);
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, instead);
        const std::optional<voice::LoopInstead> loop = instead < 0 ? std::nullopt : std::optional(voice::LoopInstead{instead ? 4400 : 0, instead});
        const std::vector<float> out = play(set(wav, [](msp::MspRecord &r) { r.setSample(SampleField::Release, 1, 96 - 60); }, loop),
                                            events, b.y() + 0.1);
        const double change = test::measure::rmsDb(test::measure::window(out, kRate, b.x(), b.y()))
                              - test::measure::rmsDb(test::measure::window(out, kRate, a.x(), a.y()));
        QVERIFY2(change >= low && change <= high, qPrintable(QString::number(change)));
    }

    // 32 held notes, then a 33rd: the oldest released voice gives way, else the oldest.
    void stealing_data()
    {
        QTest::addColumn<int>("released");
        QTest::addColumn<int>("gone");
        QTest::addColumn<int>("kept");
        QTest::newRow("none released: the oldest") << -1 << 60 << 65;
        QTest::newRow("one released: that one") << 65 << 65 << 60;
    }
    void stealing()
    {
        QFETCH(int, released);
        QFETCH(int, gone);
        QFETCH(int, kept);
        Events events;
        for (int i = 0; i < voice::kVoiceModel.voices; ++i)
            events += {0.01 * i, 0x90, quint8(60 + i), 100};
        if (released > 0)
            events += {0.4, 0x80, quint8(released), 0};
        events += {0.5, 0x90, 100, 100};
        const auto s = set(sine(), [](msp::MspRecord &r) { r.setSample(SampleField::Release, 1, 96 - 60); });
        const std::vector<double> db = test::measure::spectrumDb(test::measure::window(play(s, events, 1.2), kRate, 0.6, 1.2));
        const double binHz = kRate / double(2 * db.size());
        const auto at = [&](int key) {
            const auto bin = std::ptrdiff_t(std::lround(kToneHz * std::exp2((key - kRoot) / 12.0) / binHz));
            return *std::max_element(db.begin() + bin - 1, db.begin() + bin + 2);
        };
        const double reference = at(61);
        QVERIFY2(at(gone) < reference - 50, qPrintable(QString::number(at(gone) - reference)));
        QVERIFY2(at(kept) > reference - (released == kept ? 40 : 3), qPrintable(QString::number(at(kept) - reference)));
    }

    // A Debian SoundFont preset through the export, against FluidSynth's render of the
    // same preset (reverb and chorus off): the same pitch, note by note, and the same
    // level across the keys but for one offset.
    void soundFontAgreesWithFluidSynth_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<bool>("pitched");
        QTest::addColumn<QString>("against"); // a preset whose offset this one's matches within 3 dB
        QTest::newRow("piano") << QStringLiteral("0:0") << true << QString();
        QTest::newRow("flute") << QStringLiteral("0:73") << true << QString();
        QTest::newRow("strings") << QStringLiteral("0:48") << true << QString();
        QTest::newRow("wood block, 50 cents a key") << QStringLiteral("0:115") << false << QString();
        QTest::newRow("dulcimer, a short and a long layer") << QStringLiteral("0:15") << true << QStringLiteral("0:0");
    }
    void soundFontAgreesWithFluidSynth()
    {
        QFETCH(QString, preset);
        QFETCH(bool, pitched);
        QFETCH(QString, against);
        const QString font = QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2");
        const QString fluidsynth = QStandardPaths::findExecutable(QStringLiteral("fluidsynth"));
        if (fluidsynth.isEmpty() || !QFile::exists(font))
            QSKIP("fluidsynth or TimGM6mb missing");
        const QList<int> keys{36, 48, 60, 72, 84};
        std::vector<float> a, b;
        const auto play = [&](const QString &played) {
            // Format 0, 480 ticks a quarter at 120 beats a minute: a note each 2 s, held 1.5 s.
            // FluidSynth plays the program chosen first; the render plays the preset it is given.
            QByteArray notes = QByteArray::fromHex("00c0") + char(played.section(u':', 1).toInt()) + char(0);
            for (int key : keys)
                notes += QByteArray::fromHex("90") + char(key) + char(100) + QByteArray::fromHex("8b2080") + char(key) + char(0)
                         + QByteArray::fromHex("8360");
            notes += QByteArray::fromHex("ff2f00");
            const auto n = quint32(notes.size());
            const char size[] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
            const QString mid = m_dir.filePath(QStringLiteral("notes.mid")), ours = m_dir.filePath(QStringLiteral("ours.wav")),
                          theirs = m_dir.filePath(QStringLiteral("theirs.wav"));
            QFile file(mid);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray::fromHex("4d546864000000060000000101e0") + "MTrk" + QByteArray(size, 4) + notes) > 0);
            file.close();
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            QVERIFY2(app::runRenderCommand(font, ours, {.midiPath = mid, .preset = played}, outStream, errStream) == 0, qPrintable(err));
            QProcess fluid;
            fluid.start(fluidsynth, QStringLiteral("-ni -R 0 -C 0 -r 44100 -F").split(u' ') + QStringList{theirs, font, mid});
            QVERIFY(fluid.waitForFinished(120000));
            const auto read = [](const QString &path) {
                SF_INFO info{};
                SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
                std::vector<float> x(std::size_t(info.frames * 2));
                return std::make_pair(f && info.channels == 2 && sf_readf_float(f, x.data(), info.frames) == info.frames && !sf_close(f), x);
            };
            bool readA = false, readB = false;
            std::tie(readA, a) = read(ours);
            std::tie(readB, b) = read(theirs);
            QVERIFY(readA && readB);
        };
        const auto levelIn = [&](const std::vector<float> &x, qsizetype i) { return test::measure::rmsDb(test::measure::window(x, kRate, 2.0 * double(i) + 0.1, 2.0 * double(i) + 0.6)); };
        double offsetAgainst = 0; // the other preset's median offset, taken off this one's
        if (!against.isEmpty()) {
            play(against);
            std::vector<double> reference;
            for (qsizetype i = 0; i < keys.size() && !QTest::currentTestFailed(); ++i)
                reference.push_back(levelIn(a, i) - levelIn(b, i));
            std::nth_element(reference.begin(), reference.begin() + qsizetype(reference.size() / 2), reference.end());
            offsetAgainst = reference.empty() ? 0 : reference[reference.size() / 2];
        }
        play(preset);
        if (QTest::currentTestFailed())
            return;
        std::vector<double> offsets;
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (std::max(levelIn(a, i), levelIn(b, i)) > -90) // a note that sounds in either
                offsets.push_back(levelIn(a, i) - levelIn(b, i) - offsetAgainst);
            const double from = 2.0 * double(i) + 0.3;
            if (!pitched)
                continue;
            const double ha = test::measure::pitch(test::measure::window(a, kRate, from, from + 0.5), kRate);
            const double hb = test::measure::pitch(test::measure::window(b, kRate, from, from + 0.5), kRate);
            QVERIFY2(ha > 0 && hb > 0 && std::abs(test::measure::cents(ha, hb)) < 5,
                     qPrintable(QStringLiteral("key %1: %2 Hz, FluidSynth %3 Hz").arg(keys.at(i)).arg(ha).arg(hb)));
        }
        const auto [lowest, highest] = std::minmax_element(offsets.begin(), offsets.end());
        QVERIFY2(*highest - *lowest < 6, qPrintable(QStringLiteral("levels against FluidSynth's from %1 to %2 dB").arg(*lowest).arg(*highest)));
        if (!against.isEmpty()) {
            std::nth_element(offsets.begin(), offsets.begin() + qsizetype(offsets.size() / 2), offsets.end());
            QVERIFY2(std::abs(offsets[offsets.size() / 2]) < 3, qPrintable(QStringLiteral("%1 dB off %2's level").arg(offsets[offsets.size() / 2]).arg(against)));
        }
    }
};

QTEST_GUILESS_MAIN(TestVoice)
#include "test_voice.moc"
