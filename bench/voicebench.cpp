// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering speed of the voice engine with every voice busy, as a multiple of the
// length of the audio rendered (real time), and its memory against the set's:
//   tamo_voicebench [seconds of audio, default 60]
// The set: 8 looped saw samples of 2 s, mapped over the keyboard; the song: 32
// notes at once, each chord held 2 s, the keys moving so that every sample plays
// up and down. Memory is checked at two song lengths: it must not grow with it.

#include "msp/msprecord.h"
#include "voice/songrender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>

using namespace tamo;

namespace {

constexpr int kRate = 44100;
constexpr int kSamples = 8;

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

std::shared_ptr<voice::VoiceSet> makeSet(const QTemporaryDir &dir)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    record.setGlobal(msp::GlobalField::SampleCount, kSamples);
    QStringList paths;
    for (int k = 1; k <= kSamples; ++k) {
        const int root = 24 + 12 * k;
        const double hz = 440.0 * std::exp2((root - 69) / 12.0);
        const auto frames = sf_count_t(2 * kRate);
        std::vector<float> x(std::size_t(frames) * 2);
        for (sf_count_t i = 0; i < frames; ++i)
            for (int h = 1; h * hz < 15000; ++h)
                x[std::size_t(2 * i)] = x[std::size_t(2 * i + 1)] += float(0.3 / h * std::sin(2 * std::numbers::pi * h * hz * double(i) / kRate));
        const QString path = dir.filePath(QStringLiteral("S%1.WAV").arg(k));
        SF_INFO info{0, kRate, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
        SF_INSTRUMENT instrument{};
        instrument.loop_count = 1;
        instrument.loops[0] = {SF_LOOP_FORWARD, quint32(kRate / 2), quint32(frames), 0};
        sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
        sf_writef_float(f, x.data(), frames);
        sf_close(f);
        paths << path;
        record.setSampleName(k, QStringLiteral("S%1").arg(k).toLatin1());
        record.setSample(msp::SampleField::Key, k, quint8(root));
        record.setSample(msp::SampleField::StartKey, k, quint8(k == 1 ? 0 : root - 6));
        record.setSample(msp::SampleField::EndKey, k, quint8(k == kSamples ? 127 : root + 5));
        record.setSample(msp::SampleField::Sustain, k, 100);
    }
    return std::make_shared<voice::VoiceSet>(voice::loadVoiceSet(record, [&](int slot) { return paths.value(slot - 1); }));
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Seconds of this thread's processor time (the machine may be busy with others) to
// render `seconds` of 32-voice chords; *wall gets the wall time.
double render(const std::shared_ptr<voice::VoiceSet> &set, double seconds, int *sounding, double *wall)
{
    std::vector<midi::MidiEvent> events;
    for (int chord = 0; 2.0 * chord < seconds; ++chord) {
        for (int v = 0; v < 32; ++v) {
            const auto key = quint8(30 + (v * 3 + chord * 5) % 80);
            events.push_back({2.0 * chord, 0x90, key, quint8(60 + v)});
            events.push_back({2.0 * chord + 1.9, 0x80, key, 0});
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const auto &a, const auto &b) { return a.seconds < b.seconds; });
    voice::Engine engine(set);
    int most = 0;
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    voice::renderEvents(engine, events, qint64(seconds * kRate), [&](const float *, int) {
        most = std::max(most, engine.soundingVoices());
        return true;
    });
    *sounding = most;
    *wall = double(timer.nsecsElapsed()) / 1e9;
    return cpuSeconds() - cpu;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, QString::fromLocal8Bit(argv[1]).toDouble()) : 60.0;
    QTemporaryDir dir;
    const auto set = makeSet(dir);
    const double setMiB = double(set->bytes()) / (1024.0 * 1024.0);
    int sounding = 0;
    double wall = 0;
    render(set, seconds / 10, &sounding, &wall);
    const double shortPeak = peakMiB();
    const double cpu = render(set, seconds, &sounding, &wall);
    const double longPeak = peakMiB();
    std::printf("voices at once        %d\n", sounding);
    std::printf("audio rendered        %.1f s\n", seconds);
    std::printf("render time           %.2f s of one core (%.2f s wall)\n", cpu, wall);
    std::printf("speed                 %.1fx real time (target >= 50x, Release; %.1fx by the wall clock)\n",
                seconds / cpu, seconds / wall);
    std::printf("set's samples         %.1f MiB\n", setMiB);
    std::printf("peak memory           %.1f MiB after %.0f s, %.1f MiB after %.0f s\n", shortPeak, seconds / 10, longPeak,
                seconds);
    return seconds / cpu >= 50 && longPeak - shortPeak < 1.0 ? 0 : 1;
}
