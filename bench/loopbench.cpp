// SPDX-License-Identifier: GPL-3.0-or-later
// Times the loop finder and the level scan on 100 generated two-second held notes
// (16-bit 44.1 kHz, a semitone apart, each with attack, sustain and release): what
// --find-loops and --normalize/--trim-silence add to an export of such a set.
//   tamo_loopbench [notes, default 100]

#include "wav/levels.h"
#include "wav/loopfinder.h"
#include "wav/sourceanalysis.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cmath>
#include <ctime>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int notes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    constexpr int rate = 44100;
    QTemporaryDir dir;
    QStringList paths;
    for (int n = 0; n < notes; ++n) {
        const double hz = 55.0 * std::pow(2.0, (n % 60) / 12.0);
        std::vector<float> x(2 * rate);
        for (size_t i = 0; i < x.size(); ++i) {
            const double t = double(i) / rate;
            const double level = t < 0.05 ? t / 0.05 : t < 1.6 ? 1.0 : (2 - t) / 0.4;
            x[i] = float(0.6 * level * (std::sin(2 * M_PI * hz * t) + 0.3 * std::sin(4 * M_PI * hz * t)));
        }
        paths << dir.filePath(QStringLiteral("note%1.wav").arg(n));
        SF_INFO info{0, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE *f = sf_open(QFile::encodeName(paths.last()).constData(), SFM_WRITE, &info);
        if (!f || sf_writef_float(f, x.data(), sf_count_t(x.size())) != sf_count_t(x.size()) || sf_close(f) != 0)
            return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock(); // the processor time too: the machine may be shared
    int looped = 0;
    QStringList missed;
    for (const QString &path : paths) {
        const tamo::wav::FoundLoop loop = tamo::wav::findLoopInFile(path);
        looped += loop.found;
        if (!loop.found)
            missed << QFileInfo(path).fileName() + QStringLiteral(": ") + loop.description();
    }
    const double loopSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double loopCpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    timer.restart();
    std::vector<float> peaks;
    for (const QString &path : paths)
        peaks.push_back(tamo::wav::analyseSource(path).peak);
    const double levelSeconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("find loops: %d notes, %d looped, %.2f s (%.2f s of processor time, %.1f ms a note)\n", notes, looped,
                loopSeconds, loopCpuSeconds, 1000 * loopCpuSeconds / notes);
    for (const QString &line : missed)
        std::printf("%s\n", qPrintable(line));
    std::printf("levels: %.2f s; set gain %.3f\n", levelSeconds, tamo::wav::setGain(peaks));
    return looped == notes ? 0 : 2;
}
