// SPDX-License-Identifier: GPL-3.0-or-later
// SoundFonts built in memory: the reader's checks, and a preset's zones as the
// keyboard gets them. That any bytes are read or refused: tests/fuzz/fuzz_sf2.

#include "export/soundfontexport.h"
#include "export/soundimport.h"
#include "helper_sound.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "sf2/soundfont.h"
#include "voice/voicemodel.h"
#include "faultsupport.h"

#include <csignal>
#include <cstring>

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

namespace {

using Gens = QList<std::pair<int, int>>; // generator, amount (ranges: low + 256 * high)
struct TestZone {
    Gens gens;
    int link = -1; // instrument or sample; -1: global
};
struct TestSample {
    QByteArray name;
    int frames = 200;
    int loopStart = 0, loopEnd = 0;
    int rate = 44100, pitch = 60, correction = 0, type = 1;
    double hz = 0; // a sine of half scale instead of the ramp
};
struct TestFont {
    QList<QList<TestZone>> presets; // bank 0, program = index
    QList<QList<TestZone>> instruments;
    QList<TestSample> samples;
    bool sf3 = false; // samples as Ogg Vorbis, their headers in bytes, loops in decoded frames
};

void put16(QByteArray &b, int v) { b.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); }
void put32(QByteArray &b, qint64 v) { put16(b, int(v & 0xffff)), put16(b, int((v >> 16) & 0xffff)); }
QByteArray name20(const QByteArray &name) { return name.left(19).leftJustified(20, '\0'); }
QByteArray chunk(const char *id, const QByteArray &data)
{
    QByteArray b(id, 4);
    put32(b, data.size());
    return b + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

// Zones into bag, gen and (empty) mod chunks; returns the first bag index of each owner.
QList<int> zones(const QList<QList<TestZone>> &owners, int linkGenerator, QByteArray &bag, QByteArray &gen)
{
    QList<int> firstBags;
    int bags = 0, gens = 0;
    for (const auto &owner : owners) {
        firstBags << bags;
        for (const TestZone &zone : owner) {
            put16(bag, gens), put16(bag, 0), ++bags;
            for (const auto &[op, amount] : zone.gens)
                put16(gen, op), put16(gen, amount), ++gens;
            if (zone.link >= 0)
                put16(gen, linkGenerator), put16(gen, zone.link), ++gens;
        }
    }
    firstBags << bags;
    put16(bag, gens), put16(bag, 0), put32(gen, 0);
    return firstBags;
}

// Samples hold a rising ramp (sample k starts at 1000 * k) or a sine, 46 zero frames after each.
QByteArray build(const TestFont &font)
{
    QByteArray smpl, shdr;
    for (qsizetype s = 0; s < font.samples.size(); ++s) {
        const TestSample &t = font.samples.at(s);
        const qint64 start = font.sf3 ? smpl.size() : smpl.size() / 2;
        std::vector<float> ramp;
        for (int i = 0, v = 0; i < t.frames; ++i)
            v = t.hz > 0 ? qRound(16384 * std::sin(2 * M_PI * t.hz * i / t.rate)) : int(1000 * s + i), put16(smpl, v), ramp.push_back(float(v) / 32768);
        smpl.append(QByteArray(92, '\0'));
        QTemporaryDir dir;
        const QString ogg = dir.filePath(u"s.ogg"_s);
        if (font.sf3 && test::sound::write24(ogg, ramp, t.rate, 1, SF_FORMAT_VORBIS, SF_FORMAT_OGG))
            smpl = smpl.left(start) + test::readAll(ogg);
        const qint64 end = font.sf3 ? smpl.size() : start + t.frames, loopBase = font.sf3 ? 0 : start;
        shdr += name20(t.name);
        put32(shdr, start), put32(shdr, end), put32(shdr, loopBase + t.loopStart), put32(shdr, loopBase + t.loopEnd);
        put32(shdr, t.rate);
        shdr.append(char(t.pitch)).append(char(t.correction));
        put16(shdr, 0), put16(shdr, t.type);
    }
    shdr += name20("EOS") + QByteArray(26, '\0');
    QByteArray pbag, pgen, ibag, igen, phdr, inst;
    const QList<int> presetBags = zones(font.presets, 41, pbag, pgen);
    const QList<int> instrumentBags = zones(font.instruments, 53, ibag, igen);
    for (qsizetype p = 0; p <= font.presets.size(); ++p) {
        phdr += name20(p < font.presets.size() ? "Preset " + QByteArray::number(p) : "EOP");
        put16(phdr, int(p)), put16(phdr, 0), put16(phdr, presetBags.at(p));
        phdr.append(QByteArray(12, '\0'));
    }
    for (qsizetype i = 0; i <= font.instruments.size(); ++i)
        inst += name20(i < font.instruments.size() ? "Inst" : "EOI"), put16(inst, instrumentBags.at(i));
    QByteArray ifil;
    put16(ifil, font.sf3 ? 3 : 2), put16(ifil, 1);
    const QByteArray info = "INFO" + chunk("ifil", ifil) + chunk("INAM", "Test");
    const QByteArray sdta = "sdta" + chunk("smpl", smpl);
    const QByteArray pdta = "pdta" + chunk("phdr", phdr) + chunk("pbag", pbag) + chunk("pmod", QByteArray(10, '\0'))
                          + chunk("pgen", pgen) + chunk("inst", inst) + chunk("ibag", ibag)
                          + chunk("imod", QByteArray(10, '\0')) + chunk("igen", igen) + chunk("shdr", shdr);
    return chunk("RIFF", "sfbk" + chunk("LIST", info) + chunk("LIST", sdta) + chunk("LIST", pdta));
}

// One preset of one instrument whose zones play the given samples.
TestFont oneInstrument(const QList<TestZone> &instrumentZones, const QList<TestSample> &samples,
                       const Gens &presetGens = {})
{
    return {{{TestZone{presetGens, 0}}}, {instrumentZones}, samples};
}

exporter::PresetImport importOf(const QByteArray &bytes, bool layers = false)
{
    const sf2::SoundFont font = sf2::readSoundFont(bytes);
    exporter::PresetImport failed;
    failed.error = font.error;
    return font.ok() ? exporter::importPreset(font, 0, layers) : failed;
}

QString fieldsOf(const exporter::PresetImport &import)
{
    if (!import.ok())
        return import.error;
    QStringList samples;
    for (const auto &set : import.sets)
        for (const sfz::ImportedSample &s : set.import.samples)
            samples << u"%1-%2 key %3 fine %4 vol %5"_s.arg(s.lowKey).arg(s.highKey).arg(s.fields.value(msp::SampleField::Key))
                           .arg(msp::FineValue(s.fields.value(msp::SampleField::Fine))).arg(s.fields.value(msp::SampleField::Volume));
    return samples.join(u" | "_s);
}

// Why what an export left under out is not whole (a staging file, an empty folder,
// an MSP without its WAVs), empty when it is.
QString brokenSets(const QString &out)
{
    for (QDirIterator it(out, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo file = it.nextFileInfo();
        msp::MspRecord record;
        bool whole = !file.fileName().startsWith(u".tamo-export"_s) && !(file.isDir() && QDir(file.filePath()).isEmpty())
                  && (file.suffix() != u"MSP"_s || (msp::LoadMspFile(file.filePath(), record, nullptr) && record.usedSlotCount() > 0));
        for (int slot = 1; slot <= record.usedSlotCount(); ++slot)
            whole = whole && QFileInfo(file.dir().filePath(exporter::keyboardFileName(record.sampleName(slot)))).size() > 44;
        if (!whole)
            return file.filePath();
    }
    return {};
}

constexpr int kKeyRange = 43, kVelRange = 44, kPan = 17, kAttenuation = 48, kCoarse = 51, kFine = 52,
              kModes = 54, kRoot = 58, kEndOffset = 1, kStartOffset = 0;

} // namespace

class TestSf2 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Preset values add to instrument values, global zones give defaults, sums are
    // clamped; the root is never guessed from a name. KEY and FINE: the root less
    // whole semitones of the tuning, FINE the rest upwards (cents as 0..99).
    void generatorRules_data()
    {
        QTest::addColumn<Gens>("presetGens");
        QTest::addColumn<QList<TestZone>>("instrument");
        QTest::addColumn<TestSample>("sample");
        QTest::addColumn<QString>("expected");
        const auto rule = [](const char *name, const Gens &preset, const QList<TestZone> &instrument, const char *expected,
                             const TestSample &sample = {"Piano D1", 200, 0, 0, 44100, 63}) {
            QTest::newRow(name) << preset << instrument << sample << QString::fromLatin1(expected);
        };
        rule("root from the header, not the name", {}, {{{}, 0}}, "0-127 key 63 fine 0 vol 107");
        rule("overriding root key", {}, {{{{kRoot, 50}}, 0}}, "0-127 key 50 fine 0 vol 107");
        rule("coarse tunes add", {{kCoarse, 2}}, {{{{kCoarse, 1}}, 0}}, "0-127 key 60 fine 0 vol 107");
        rule("fine sum clamped to 99", {{kFine, 50}}, {{{{kFine, 90}}, 0}}, "0-127 key 63 fine 99 vol 107");
        rule("sample correction", {}, {{{}, 0}}, "0-127 key 61 fine 70 vol 107", {"s", 200, 0, 0, 44100, 60, -30});
        rule("global zone is the default", {}, {{{{kCoarse, -1}}}, {{}, 0}}, "0-127 key 64 fine 0 vol 107");
        rule("own zone overrides the global", {}, {{{{kCoarse, -1}}}, {{{kCoarse, 0}}, 0}}, "0-127 key 63 fine 0 vol 107");
        // Mono: 3 dB down, 127 * 10^(-3.01/40) = 106.8. 200 cB at 0.04 dB each: 127 * 10^(-11.01/40) = 67.4.
        rule("attenuations add", {{kAttenuation, -100}}, {{{{kAttenuation, 300}}, 0}}, "0-127 key 63 fine 0 vol 67");
        rule("key ranges intersect", {{kKeyRange, 40 + 256 * 80}}, {{{{kKeyRange, 60 + 256 * 100}}, 0}}, "60-80 key 63 fine 0 vol 107");
    }
    void generatorRules()
    {
        QFETCH(Gens, presetGens);
        QFETCH(QList<TestZone>, instrument);
        QFETCH(TestSample, sample);
        QFETCH(QString, expected);
        QCOMPARE(fieldsOf(importOf(build(oneInstrument(instrument, {sample}, presetGens)))), expected);
    }

    // Left and right zones of one geometry and tuning make one stereo file, whatever
    // the links say; zones of different lengths or tunings stay mono. Start/end offsets trim the file.
    void stereoPairsAndWindows()
    {
        const QList<TestSample> samples{{"Str L", 200, 0, 0, 44100, 60, 0, 4}, {"Str R", 200, 0, 0, 44100, 60, 0, 2},
                                        {"Odd R", 150, 0, 0, 44100, 60, 0, 2}};
        const Gens window{{kStartOffset, 10}, {kEndOffset, -40}};
        auto import = importOf(build(oneInstrument({{window + Gens{{kPan, -500}}, 0}, {window + Gens{{kPan, 500}}, 1}},
                                                   samples)));
        QVERIFY2(import.ok(), qPrintable(import.error));
        QCOMPARE(import.sets.at(0).import.samples.size(), 1);
        const test::sound::Contents wav = test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath);
        QCOMPARE(std::pair(wav.info.channels, wav.info.frames), std::pair(2, sf_count_t(150)));
        // The ramps: left sample 0 from frame 10, right sample 1 from 1000 + 10.
        QCOMPARE(std::pair(wav.samples.at(0) * 32768, wav.samples.at(1) * 32768), std::pair(10.0f, 1010.0f));
        QVERIFY(import.report.join(u'\n').contains(u"1 left and right zone pairs"_s));

        // Hard left and right, not linked, of unequal lengths: one stereo sample, the shorter padded.
        import = importOf(build(oneInstrument({{{{kPan, -500}}, 0}, {{{kPan, 500}}, 2}}, samples)));
        QCOMPARE(import.sets.at(0).import.samples.size(), 1);
        const test::sound::Contents padded = test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath);
        QCOMPARE(std::tuple(padded.info.channels, padded.info.frames, padded.samples.at(2 * 199 + 1)), std::tuple(2, sf_count_t(200), 0.0f));
        // Hard left and right with roots an octave apart are two layers, not two sides: mixed.
        import = importOf(build(oneInstrument({{{{kPan, -500}}, 0}, {{{kPan, 500}, {kRoot, 72}}, 1}}, samples)));
        QVERIFY(import.sets.at(0).import.samples.size() == 1 && import.report.join(u'\n').contains(u"mixed into one sample"_s)
                && !import.report.join(u'\n').contains(u"left and right zone pairs"_s));
        // Pan 0: the sample types tell left and right, whatever the names.
        import = importOf(build(oneInstrument({{{}, 0}, {{}, 1}}, {{"Vln", 200, 0, 0, 44100, 60, 0, 4}, {"Vla", 200, 0, 0, 44100, 60, 0, 2}})));
        QCOMPARE(test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath).info.channels, 2);
    }

    // A zone's level in dB on each side as the reference player plays it, against the
    // gain the voice engine reads from the slot's VOLUME: attenuation counts 0.04 dB a
    // centibel; a mono zone puts half its power on each side (-3.01 dB), a left and
    // right pair each half on its own side. Within half a VOLUME step.
    void levels_data()
    {
        QTest::addColumn<QList<TestZone>>("zones");
        QTest::addColumn<double>("expectedDb");
        const Gens left{{kPan, -500}}, right{{kPan, 500}};
        QTest::newRow("mono, no attenuation") << QList<TestZone>{{{}, 0}} << -3.01;
        QTest::newRow("mono, 250 cB") << QList<TestZone>{{{{kAttenuation, 250}}, 0}} << -13.01;
        QTest::newRow("mono, 960 cB") << QList<TestZone>{{{{kAttenuation, 960}}, 0}} << -41.41;
        // FluidSynth renders a resonance of 90 cB (no cutoff) 4.5 dB softer, an attenuation of -100 cB 4 dB louder.
        QTest::newRow("mono, resonance 90 cB, -100 cB") << QList<TestZone>{{{{9, 90}, {kAttenuation, -100}}, 0}} << -3.51;
        QTest::newRow("linked pair, 250 cB") << QList<TestZone>{{left + Gens{{kAttenuation, 250}}, 0}, {right + Gens{{kAttenuation, 250}}, 1}}
                                             << -10.0;
        QTest::newRow("pair of unequal lengths") << QList<TestZone>{{left, 0}, {right, 2}} << 0.0;
    }
    void levels()
    {
        QFETCH(QList<TestZone>, zones);
        QFETCH(double, expectedDb);
        const QList<TestSample> samples{{"Str L", 200, 0, 0, 44100, 60, 0, 4}, {"Str R", 200, 0, 0, 44100, 60, 0, 2},
                                        {"Odd R", 150, 0, 0, 44100, 60, 0, 2}};
        const exporter::PresetImport import = importOf(build(oneInstrument(zones, samples)));
        QVERIFY2(import.ok() && import.sets.at(0).import.samples.size() == 1, qPrintable(fieldsOf(import)));
        const voice::VoiceModel &m = voice::kVoiceModel;
        const int volume = import.sets.at(0).import.samples.at(0).fields.value(msp::SampleField::Volume, quint8(m.volumeReference));
        const double db = 20 * m.volumeExponent * std::log10(volume / m.volumeReference);
        const double halfStep = 20 * m.volumeExponent * std::log10((volume + 0.5) / volume);
        QVERIFY2(std::abs(db - expectedDb) <= halfStep + 0.01, qPrintable(u"VOLUME %1: %2 dB"_s.arg(volume).arg(db)));
    }

    // Linked sides of unequal lengths: one stereo file as long as the longer side,
    // or as the loop ends. Ramps: sample k frame i holds 1000 * k + i; the probes
    // are frames with their left and right values worked out by hand.
    void unequalStereoSides_data()
    {
        QTest::addColumn<TestSample>("left");
        QTest::addColumn<TestSample>("right");
        QTest::addColumn<int>("modes");
        QTest::addColumn<QList<int>>("expected"); // frames, loop start, loop end (-1: none), then frame, left, right... or -Hz left, -Hz right
        const TestSample left{"Pno A", 200, 20, 120, 44100, 60, 0, 4 | 8};
        QTest::newRow("one-shots: the shorter ends in silence")
            << left << TestSample{"Pno B", 150, 0, 0, 44100, 60, 0, 2 | 8} << 0
            << QList<int>{200, -1, -1, 0, 0, 1000, 149, 149, 1149, 150, 150, 0, 199, 199, 0};
        // Loops of 100 frames at 20 and 30: one loop 30..130; the left runs its own
        // loop from 120 (frame 125 plays 25), the right past its end (160 plays 60).
        QTest::newRow("loops of one length: each side its own loop")
            << left << TestSample{"Pno B", 150, 30, 130, 44100, 60, 0, 2 | 8} << 1
            << QList<int>{200, 30, 130, 119, 119, 1119, 125, 25, 1125, 140, 140, 1140, 160, 160, 1060};
        // The right side at half the rate: its loop of 2205 frames is the left's 4410; each channel keeps its pitch.
        QTest::newRow("sides at two rates") << TestSample{"Pno A", 4410, 0, 4410, 44100, 60, 0, 4 | 8, 100}
                                            << TestSample{"Pno B", 2205, 0, 2205, 22050, 60, 0, 2 | 8, 250} << 1 << QList<int>{4410, 0, 4410, -100, -250};
    }
    void unequalStereoSides()
    {
        QFETCH(TestSample, left);
        QFETCH(TestSample, right);
        QFETCH(int, modes);
        QFETCH(QList<int>, expected);
        const auto import = importOf(build(oneInstrument({{{{kModes, modes}}, 0}, {{{kModes, modes}}, 1}}, {left, right})));
        QVERIFY2(import.ok(), qPrintable(import.error));
        QCOMPARE(import.sets.at(0).import.samples.size(), 1);
        const test::sound::Contents wav = test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath);
        const bool looped = wav.instrument && wav.instrument->loop_count == 1;
        QList<int> got{int(wav.info.frames), looped ? int(wav.instrument->loops[0].start) : -1,
                       looped ? int(wav.instrument->loops[0].end) : -1};
        for (qsizetype i = 3; i + 2 < expected.size() && wav.info.channels == 2 && 2 * expected.at(i) + 1 < qsizetype(wav.samples.size()); i += 3) {
            const auto at = size_t(2 * expected.at(i));
            got << expected.at(i) << qRound(wav.samples[at] * 32768) << qRound(wav.samples[at + 1] * 32768);
        }
        for (int c = 0; expected.size() == 5 && expected.at(3) < 0 && c < 2 && wav.info.channels == 2 && looped; ++c) // -Hz: each channel's pitch
            got << -qRound(test::sound::loopedPitch(wav.samples, 2, 44100, got.at(1), got.at(2), c));
        QCOMPARE(got, expected);
        QCOMPARE(import.report.contains(u"  Pno B: right side resampled from %1 Hz to 44100 Hz to pair it with the left"_s.arg(right.rate)), right.rate != left.rate);
    }

    // Two layers on one key: one sample, the second layer at its level (60 cB, which
    // FluidSynth plays as 24: 0.7586), pan (hard right: sqrt 2 on the right, nothing
    // left; the first stays 1 on both) and pitch (root 72 at 60: an octave down,
    // twice as long). Ramps: frame 100 holds 100 and 1100.
    void layersMixed_data()
    {
        QTest::addColumn<Gens>("second");
        QTest::addColumn<bool>("first"); // --layers first
        QTest::addColumn<QList<double>>("expected"); // samples, channels, frames, left and right at frame 100
        QTest::newRow("level") << Gens{{kAttenuation, 60}} << false << QList<double>{1, 1, 200, 934.5, 934.5};
        QTest::newRow("pan") << Gens{{kAttenuation, 60}, {kPan, 500}} << false << QList<double>{1, 2, 200, 100, 1280.1};
        QTest::newRow("pitch") << Gens{{kRoot, 72}} << false << QList<double>{1, 1, 400, -1, -1};
        QTest::newRow("--layers first") << Gens{{kAttenuation, 60}} << true << QList<double>{2, 1, 200, 100, 100};
    }
    void layersMixed()
    {
        QFETCH(Gens, second);
        QFETCH(bool, first);
        QFETCH(QList<double>, expected);
        const QByteArray bytes = build(oneInstrument({{{}, 0}, {second, 1}}, {{"Soft"}, {"Loud"}}));
        const sf2::SoundFont font = sf2::readSoundFont(bytes);
        const auto import = exporter::importPreset(font, 0, false, {}, nullptr, !first);
        QVERIFY2(import.ok(), qPrintable(import.error));
        const test::sound::Contents wav = test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath);
        const int channels = wav.info.channels;
        QList<double> got{double(import.sets.at(0).import.samples.size()), double(channels), double(wav.info.frames)};
        for (int c = 0; c < 2 && wav.samples.size() > size_t(100 * channels + 1); ++c)
            got << (expected.at(3) < 0 ? -1 : std::round(10 * wav.samples[size_t(100 * channels + std::min(c, channels - 1))] * 32768) / 10);
        for (qsizetype i = 0; i < expected.size() && i < got.size(); ++i)
            QVERIFY2(std::abs(got.at(i) - expected.at(i)) <= 1, qPrintable(u"%1 != %2 in %3"_s.arg(got.at(i)).arg(expected.at(i)).arg(QDebug::toString(got))));
        QCOMPARE(got.size(), expected.size());
        const QString report = import.report.join(u'\n');
        QVERIFY(report.contains(first ? u"Warning: layers sounding together"_s : u"mixed into one sample"_s));
    }

    // Velocity 100's layer alone, or one set per layer.
    void velocityLayers()
    {
        const QList<TestSample> samples{{"Soft"}, {"Loud"}};
        const QByteArray bytes = build(oneInstrument({{{{kVelRange, 0 + 256 * 63}}, 0}, {{{kVelRange, 64 + 256 * 127}}, 1}},
                                                     samples));
        const auto one = importOf(bytes);
        QCOMPARE(std::pair(one.sets.size(), one.sets.at(0).import.samples.size()), std::pair(qsizetype(1), qsizetype(1)));
        QCOMPARE(one.sets.at(0).import.samples.at(0).name, QByteArray("LOUD    "));
        QVERIFY2(one.report.join(u'\n').contains(u"velocity 0-63 (Preset 0: instrument Inst, zone 1)"_s), qPrintable(one.report.join(u'\n')));
        const auto layers = importOf(bytes, true);
        QCOMPARE(layers.sets.size(), 2);
        QCOMPARE(layers.sets.at(0).import.samples.at(0).name, QByteArray("SOFT    "));
        QCOMPARE(layers.sets.at(1).mspFileName, u"PRESET_2.MSP"_s);
    }

    // A loop resampled to 44.1 kHz keeps its pitch: 5 frames at 32 kHz are 6.89 at
    // 44.1 kHz, its ends (10, 15) land on 14 and 21, 7 frames: 27.3 cents flat, so
    // FINE rises by 27. At 22.05 kHz the length doubles exactly: no change.
    void loopsAcrossResampling_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("sf3"); // the header's bounds in bytes of Ogg Vorbis, the loop in decoded frames
        QTest::addColumn<QString>("expected");
        QTest::newRow("32 kHz") << 32000 << false << u"0-127 key 60 fine 27 vol 107"_s;
        QTest::newRow("22.05 kHz") << 22050 << false << u"0-127 key 60 fine 0 vol 107"_s;
        QTest::newRow("SF3, 22.05 kHz") << 22050 << true << u"0-127 key 60 fine 0 vol 107"_s;
    }
    void loopsAcrossResampling()
    {
        QFETCH(int, rate);
        QFETCH(bool, sf3);
        QFETCH(QString, expected);
        TestFont font = oneInstrument({{{{kModes, 1}}, 1}}, {{"Other", 300}, {"Loop", 200, 10, 15, rate}});
        font.sf3 = sf3;
        const auto import = importOf(build(font));
        QCOMPARE(fieldsOf(import), expected);
        const test::sound::Contents wav = test::sound::read(import.sets.at(0).import.samples.at(0).sourcePath);
        QCOMPARE(wav.info.frames, sf_count_t(200));
        QVERIFY(wav.instrument && wav.info.samplerate == rate && wav.instrument->loop_count == 1 && wav.instrument->basenote == 60);
        QCOMPARE(std::pair(wav.instrument->loops[0].start, wav.instrument->loops[0].end), std::pair(10u, 15u));
    }

    // Sample names become 8.3 file names in the temporary folder, unique, whatever they
    // hold; short last words (a note, a dynamic) stay.
    void hostileSampleNames()
    {
        const QList<TestSample> samples{{"../../etc/x"}, {"CON"}, {"Name:With*Chars?"}, {"Name:With*Chars?"}, {""},
                                        {"Temple Block 5-mp"}};
        QList<TestZone> zones;
        for (int i = 0; i < samples.size(); ++i)
            zones << TestZone{{{kKeyRange, 10 * i + 256 * (10 * i + 9)}}, i};
        const auto import = importOf(build(oneInstrument(zones, samples)));
        QVERIFY2(import.ok(), qPrintable(import.error));
        QStringList names;
        for (const sfz::ImportedSample &s : import.sets.at(0).import.samples) {
            QCOMPARE(QFileInfo(s.sourcePath).absolutePath(), import.files->path());
            names << QFileInfo(s.sourcePath).fileName();
        }
        QCOMPARE(names, (QStringList{u"ETC_X.WAV"_s, u"_CON.WAV"_s, u"NMWTHCHR.WAV"_s, u"NMWTHCH2.WAV"_s, u"_.WAV"_s,
                                     u"TMBLC5MP.WAV"_s}));
    }

    // Damage: a message naming the problem; the command writes nothing.
    void damage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const TestSample looped{"Loop", 200, 10, 150};
        const QByteArray good = build(oneInstrument({{{{kModes, 1}}, 0}}, {looped}));
        QTest::newRow("truncated") << good.left(good.size() - 30) << u"truncated"_s;
        QTest::newRow("RIFF shorter than its form") << QByteArray("RIFF\2\0\0\0sfbk", 12) << u"too short"_s;
        QByteArray big = good;
        const qsizetype shdr = big.indexOf("shdr");
        big[shdr + 7] = 0x7f; // its size far past the end
        QTest::newRow("chunk larger than the file") << big << u"more than the file has left"_s;
        QTest::newRow("instrument past the last") << build({{{TestZone{{}, 3}}}, {{{{}, 0}}}, {looped}})
                                                  << u"names instrument 3, past the last (0)"_s;
        QTest::newRow("sample past the last") << build(oneInstrument({{{}, 7}}, {looped}))
                                              << u"names sample 7, past the last (0)"_s;
        QTest::newRow("loop outside its sample") << build(oneInstrument({{{{kModes, 1}}, 0}}, {{"Loop", 200, 10, 250}}))
                                                 << u"loop 10..250 lies outside the sample (0..200)"_s;
        TestFont sf3 = oneInstrument({{{{kModes, 1}}, 0}}, {{"Loop", 200, 10, 250}});
        sf3.sf3 = true;
        QTest::newRow("SF3 loop past its decoded frames") << build(sf3) << u"loop 10..250 lies outside the sample (0..200)"_s;
        QByteArray past = build(sf3);
        past[past.indexOf("shdr") + 8 + 25] = 0x7f; // the header's end far past the data
        QTest::newRow("SF3 sample past its data") << past << u"lies outside the sample data"_s;
        QTest::newRow("window outside its sample") << build(oneInstrument({{{{kEndOffset, 20}}, 0}}, {looped}))
                                                   << u"outside its 200 frames"_s;
        QByteArray bag = good;
        const qsizetype phdr = bag.indexOf("phdr") + 8;
        bag[phdr + 24] = 99; // the first preset's bag index
        QTest::newRow("bag past the end") << bag << u"past the end of the bag chunk"_s;
    }
    void damage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const auto import = importOf(bytes);
        QVERIFY2(import.error.contains(message), qPrintable(import.error));

        QTemporaryDir dir;
        const QString path = dir.filePath(u"bank.sf2"_s);
        QVERIFY(test::writeAll(path, bytes));
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        QCOMPARE(exporter::runSoundFontExport(path, dir.filePath(u"new/out"_s), {}, false, outStream, errStream), 1);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFileInfo::exists(dir.filePath(u"new"_s))); // the folders it made go again
    }

    // Some writers leave out the pad byte after an odd-sized chunk: still read.
    void oddChunkWithoutPad()
    {
        QByteArray bytes = build(oneInstrument({{{}, 0}}, {{"Tone"}}));
        bytes.replace(QByteArray("INAM\4\0\0\0Test", 12), QByteArray("INAM\3\0\0\0Tst", 11));
        for (const qsizetype sizeAt : {4, 16}) // the RIFF's and the INFO list's sizes, one byte less
            bytes[sizeAt] = char(bytes[sizeAt] - 1);
        const sf2::SoundFont font = sf2::readSoundFont(bytes);
        QVERIFY2(font.ok(), qPrintable(font.error));
        QCOMPARE(font.name, u"Tst"_s);
        QCOMPARE(font.presets.size(), 1);
    }

    // A whole bank, a preset chosen, an unknown one; presets listed.
    void commands()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bank.sf2"_s);
        QVERIFY(test::writeAll(path, build({{{TestZone{{}, 0}}, {TestZone{{}, 0}}}, {{{{}, 0}}}, {{"Tone"}}})));
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(exporter::runPresetsCommand(path, o, e), 0);
        QCOMPARE(out, u"0:0 Preset 0\n0:1 Preset 1\n"_s);
        QCOMPARE(exporter::runSoundFontExport(path, dir.filePath(u"one"_s), u"0:9"_s, false, o, e), 1);
        QVERIFY(err.contains(u"no preset 0:9"_s) && !QFileInfo::exists(dir.filePath(u"one"_s)));
        QCOMPARE(exporter::runSoundFontExport(path, dir.filePath(u"one"_s), u"0:1"_s, false, o, e), 0);
        QVERIFY(QFileInfo::exists(dir.filePath(u"one/PRESET_1.MSP"_s)) && QFileInfo::exists(dir.filePath(u"one/TONE.WAV"_s)));
        QCOMPARE(exporter::runSoundFontExport(path, dir.filePath(u"new/all"_s), {}, false, o, e), 0); // parents made
        QCOMPARE(QDir(dir.filePath(u"new/all"_s)).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 (QStringList{u"PRESET_0"_s, u"PRESET_1"_s}));
    }
    // Velocity layers' sets, and one sample at two roots, name one WAV in the folder;
    // each slot keeps its own KEY.
    void oneFilePerSound_data()
    {
        QTest::addColumn<QList<TestZone>>("zones");
        QTest::addColumn<QList<int>>("keys"); // of every slot, MSP by MSP
        QTest::newRow("velocity layers") << QList<TestZone>{{{{kVelRange, 63 * 256}}, 0}, {{{kVelRange, 64 + 127 * 256}}, 0}} << QList<int>{60, 60};
        QTest::newRow("two roots") << QList<TestZone>{{{{kKeyRange, 59 * 256}, {kRoot, 48}}, 0}, {{{kKeyRange, 60 + 127 * 256}, {kRoot, 72}}, 0}} << QList<int>{48, 72};
    }
    void oneFilePerSound()
    {
        QFETCH(QList<TestZone>, zones);
        QTemporaryDir dir;
        const QDir out(dir.filePath(u"out"_s));
        QVERIFY(test::writeAll(dir.filePath(u"b.sf2"_s), build(oneInstrument(zones, {{"Tone"}}))));
        QString text;
        QTextStream stream(&text);
        QVERIFY2(exporter::runSoundFontExport(dir.filePath(u"b.sf2"_s), out.path(), u"0:0"_s, true, stream, stream) == 0, qPrintable(text));
        QCOMPARE(out.entryList({u"*.WAV"_s}), QStringList{u"TONE.WAV"_s});
        QList<int> keys;
        for (const QString &name : out.entryList({u"*.MSP"_s})) {
            msp::MspRecord record;
            QVERIFY(msp::LoadMspFile(out.filePath(name), record, nullptr));
            for (int slot = 1; slot <= record.usedSlotCount(); ++slot)
                keys << (exporter::keyboardFileName(record.sampleName(slot)) == u"TONE.WAV"_s ? record.sample(msp::SampleField::Key, slot) : -1);
        }
        QTEST(keys, "keys");
    }

    // A whole General MIDI bank from Debian (timgm6mb-soundfont, installed by
    // scripts/test.sh) becomes one set per preset, every slot's WAV beside its MSP.
    void everyPresetOfTimGm6mb()
    {
        const QString bank = u"/usr/share/sounds/sf2/TimGM6mb.sf2"_s;
        if (!QFileInfo::exists(bank))
            QSKIP("timgm6mb-soundfont is not installed");
        QTemporaryDir dir;
        const QString out = dir.filePath(u"bank"_s);
        QString lines, errors;
        QTextStream outStream(&lines), errStream(&errors);
        QCOMPARE(exporter::runSoundFontExport(bank, out, {}, false, outStream, errStream), 0);
        QCOMPARE(errors, QString());
        const QStringList presets = QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(presets.size() == lines.count(u" -> "_s) && presets.size() > 100);
        QVERIFY2(!lines.contains(u"more than one sample"_s), qPrintable(lines)); // layers mixed, stereo paired
        QCOMPARE(brokenSets(out), QString());
    }

    // Hostile input is refused with a reason within a minute, in a child (a hang or a
    // crash fails the row); the bank road writes each preset whole or not at all, says
    // what it replaced and the system's reason for a refusal; a failed second layer
    // keeps what replaced older files; interrupted, TAMO leaves whole sets only.
    void faults_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("kind"); // fifo, zero; cut: cut short once read; again, layer: exported twice; first: --layers first
        QTest::addColumn<QString>("message");
        const QList<TestZone> many(1500, TestZone{{}, 0});
        QList<TestZone> each;
        QList<TestSample> samples(2000, TestSample{"Other", 1});
        for (samples.first() = {"Long", 1 << 20}; each.size() < 2000;)
            each << TestZone{{}, int(each.size())};
        QByteArray overOne = build({{{TestZone{{}, 0}}}, {each}, samples});
        for (qsizetype at = overOne.indexOf("shdr") + 54; at + 46 < overOne.size(); at += 46) // every header on the first's frames
            overOne.replace(at + 20, 8, overOne.mid(overOne.indexOf("shdr") + 28, 8));
        const Gens soft{{kVelRange, 63 << 8}}, hard{{kVelRange, 64 + (127 << 8)}};
        const QByteArray layers = build(oneInstrument({{soft, 0}, {hard, 1}}, {{"Soft"}, {"Loud", 3000}}));
        QTest::newRow("FIFO") << QByteArray() << u"fifo"_s << u"Not a regular file"_s;
        QTest::newRow("link to /dev/zero") << QByteArray() << u"zero"_s << u"Not a regular file"_s;
        QTest::newRow("cut short while exported") << build(oneInstrument({{{}, 0}}, {{"Tone", 100000}})) << u"cut"_s << u"shorter than when it was opened"_s;
        QTest::newRow("1,500 x 1,500 zones") << build({{many}, {many}, {{"Tone"}}}) << QString() << u"more zones than the keyboard can hold"_s;
        QTest::newRow("2,000 headers over one sample, layers not mixed") << overOne << u"first"_s << u"more cuts than the keyboard can hold"_s;
        QTest::newRow("damaged preset among good") << build({{{TestZone{{}, 0}}, {TestZone{{}, 1}}}, {{{{}, 0}}, {{{{kModes, 1}}, 1}}}, {{"Tone"}, {"Loop", 200, 10, 250}}})
                                                   << u"damaged"_s << u"Refused: 0:1 Preset 1: "_s;
        QTest::newRow("exported again") << layers << u"again"_s << u"Replaced: "_s;
        QTest::newRow("read-only target") << layers << u"read-only"_s << u"Permission denied"_s;
        QTest::newRow("read-only target, every preset") << build({{{TestZone{{}, 0}}, {TestZone{{}, 0}}}, {{{{}, 0}}}, {{"Tone"}}})
                                                        << u"read-only all"_s << u"Refused: all 2 instruments: Permission denied ("_s;
        QTest::newRow("second layer fails") << layers << u"layer"_s << u"replaced older ones and are kept"_s;
        QTest::newRow("second layer fills the stick") << build(oneInstrument({{soft, 0}, {hard, 1}}, {{"Soft", 300}, {"Loud", 300000}}))
                                                     << u"full"_s << u"replaced older ones and are kept"_s;
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            QTest::newRow(strsignal(signal)) << QByteArray() << u"signal"_s << QString::number(signal);
        QTest::newRow("cut short during the export") << QByteArray() << u"signal"_s << QString(); // the font, not TAMO
    }
    void faults()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bank.sf2"_s), out = dir.filePath(kind == u"read-only"_s ? u"ro/out"_s : kind == u"read-only all"_s ? u"ro/."_s : u"out"_s);
        const QString preset = kind == u"layer"_s ? u"0:0"_s : QString(), program = qEnvironmentVariable("TAMO_PROGRAM");
        QString said;
        QTextStream text(&said);
        if (kind == u"signal"_s) { // at a random moment; nothing may be left in TMPDIR
            const QString font = message.isEmpty() ? dir.filePath(u"font.sf2"_s) : u"/usr/share/sounds/sf2/TimGM6mb.sf2"_s;
            if (!QFileInfo::exists(program) || (message.isEmpty() && !QFile::copy(u"/usr/share/sounds/sf2/TimGM6mb.sf2"_s, font)))
                QSKIP("TAMO is not built");
            QProcess tamo;
            tamo.setEnvironment(QProcess::systemEnvironment() << u"TMPDIR="_s + dir.path());
            tamo.start(program, {u"export"_s, font, out});
            QVERIFY(tamo.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(200, 4000)); // the moment, not a wait for anything
            message.isEmpty() ? void(QFile(font).resize(QFileInfo(font).size() / 2)) : void(::kill(pid_t(tamo.processId()), message.toInt()));
            QVERIFY(tamo.waitForFinished(300000) && brokenSets(dir.path()).isEmpty());
            QVERIFY(!message.isEmpty() || (tamo.exitStatus() == QProcess::NormalExit && QFile::remove(font)));
            QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u' ').remove(u"out"_s).isEmpty());
            return;
        }
        if (kind == u"full"_s) { // a 256 KiB stick that the second export's loud layer does not fit on
            if (!QFileInfo::exists(program) || QProcess::execute(u"unshare"_s, {u"-rm"_s, u"true"_s}) != 0)
                QSKIP("needs TAMO built and a mount namespace of its own");
            const QString first = dir.filePath(u"first.sf2"_s), script = uR"(mount -t tmpfs -o size=256k tamo "$2" || exit 9
"$1" export "$3" "$2" --preset 0:0 --velocity-layers >/dev/null || exit 9
ls "$2" >"$5.before"; md5sum "$2"/*.WAV >"$5.sums"
"$1" export "$4" "$2" --preset 0:0 --velocity-layers >"$5" 2>&1; status=$?
ls "$2" >"$5.after"; md5sum "$2"/*.WAV >"$5.sums2"; exit $status)"_s;
            QVERIFY(QDir().mkdir(out) && test::writeAll(path, bytes)
                    && test::writeAll(first, build(oneInstrument({{{{kVelRange, 63 << 8}}, 0}, {{{kVelRange, 64 + (127 << 8)}}, 1}}, {{"Soft"}, {"Loud", 3000}}))));
            const QString log = dir.filePath(u"said"_s);
            QCOMPARE(QProcess::execute(u"unshare"_s, {u"-rm"_s, u"sh"_s, u"-c"_s, script, u"sh"_s, program, out, first, path, log}), 1);
            const auto read = [&](const QString &suffix) { return QString::fromUtf8(test::readAll(log + suffix)); };
            QVERIFY2(read({}).contains(message) && read(u".before"_s) == read(u".after"_s), qPrintable(read({}) + read(u".after"_s)));
            QVERIFY(read(u".sums"_s).split(u'\n').size() == 3 && read(u".sums"_s) != read(u".sums2"_s)); // the new soft layer stays
            return;
        }
        QVERIFY(kind == u"fifo"_s ? test::makeFifo(path) : kind == u"zero"_s ? QFile::link(u"/dev/zero"_s, path) : test::writeAll(path, bytes));
        if (kind == u"again"_s || kind == u"layer"_s) // then new sounds, the second layer's name in the way
            QVERIFY(exporter::runSoundFontExport(path, out, preset, true, text, text) == 0
                    && test::writeAll(path, build(oneInstrument({{{{kVelRange, 63 << 8}}, 0}, {{{kVelRange, 64 + (127 << 8)}}, 1}}, {{"Soft", 300}, {"Loud", 400}})))
                    && (kind == u"again"_s || (QFile::remove(out + u"/LOUD.WAV"_s) && QDir().mkdir(out + u"/LOUD.WAV"_s) && test::writeAll(out + u"/LOUD.WAV/x"_s, "x"))));
        const QStringList before = QDir(out).entryList(QDir::Files);
        QVERIFY(!kind.startsWith(u"read-only"_s) || (QDir().mkdir(dir.filePath(u"ro"_s)) && QFile::setPermissions(dir.path(), QFile::Permissions(0x7755))
                                           && QFile::setPermissions(dir.filePath(u"ro"_s), QFile::Permissions(0x5555))));
        const auto run = [&] {
            const sf2::SoundFont font = sf2::readSoundFontFile(path);
            if (kind == u"cut"_s && QFile(path).resize(bytes.size() / 2))
                said = exporter::importPreset(font, 0, false).error;
            else
                exporter::runSoundFontExport(path, out, preset, true, text, text, {.firstLayer = kind == u"first"_s});
            return said.contains(message) && brokenSets(QFileInfo(out).path()).isEmpty();
        };
        QVERIFY(kind.startsWith(u"read-only"_s) ? test::runInChildAsOrdinaryUser(run)
                : (QStringList{u"damaged"_s, u"again"_s, u"layer"_s}.contains(kind) ? run() : test::runWithinAMinute(run)));
        QVERIFY(kind != u"layer"_s || before == QDir(out).entryList(QDir::Files));
    }
};

Q_DECLARE_METATYPE(TestSample)
Q_DECLARE_METATYPE(TestZone)

QTEST_GUILESS_MAIN(TestSf2)
#include "test_sf2.moc"
