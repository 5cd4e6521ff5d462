// SPDX-License-Identifier: GPL-3.0-or-later
// Times the WAV tools on large files it generates, each against a reference
// command run in the same session on the same file, and reports the peak memory
// of every measured operation (each runs in a fresh child process).

#include "benchsupport.h"
#include "wav/wavinfo.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tamo::wav;

namespace {

using tamo::bench::Run;
using tamo::bench::runChild;

Run shell(const QString &command) { return runChild({"/bin/sh", "-c", command.toStdString()}); }

std::string self;

Run ourOp(const char *op, const QString &a, const QString &b = {})
{
    return runChild({self, "--child", op, a.toStdString(), b.toStdString()});
}

QString q(const QString &path) { return QLatin1Char('\'') + path + QLatin1Char('\''); }

// Writes a 16-bit mono WAV of about `bytes` bytes of pseudo-random samples. The
// byte "t" never occurs in the payload, so "data" appears only where the header
// puts it; withTag false leaves even that out.
bool generate(const QString &path, qint64 bytes, bool withTag)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 payload = (bytes - 44) & ~qint64(1);
    QByteArray header = testHeader(44 + payload);
    if (!withTag)
        std::memcpy(header.data() + 36, "DATA", 4);
    f.write(header);
    QByteArray block(4 << 20, Qt::Uninitialized);
    quint64 x = 0x9E3779B97F4A7C15ull;
    for (qint64 left = payload; left > 0;) {
        const qsizetype n = qsizetype(std::min<qint64>(left, block.size()));
        for (qsizetype i = 0; i + 8 <= block.size(); i += 8) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            qToLittleEndian(x, block.data() + i);
        }
        std::replace(block.begin(), block.end(), 't', 'u');
        if (f.write(block.constData(), n) != n)
            return false;
        left -= n;
    }
    return f.flush();
}

int child(const QString &op, const QString &a, const QString &b)
{
    QElapsedTimer t;
    if (op == QLatin1String("cleanup")) {
        t.start();
        if (cleanUpWavFile(a).status != CleanUpStatus::Done)
            return 1;
    } else if (op == QLatin1String("deblock")) {
        QString error;
        t.start();
        if (!deblockFile(a, b, &error))
            return 1;
    } else if (op == QLatin1String("search")) {
        t.start();
        FileSource source(a);
        if (!source.open() || readWavView(source).hasData())
            return 1;
    } else if (op == QLatin1String("wave")) {
        // The panel's redraws at one zoom: the first builds the summary (for the
        // first zoom of the run only), each later one works out the visible columns
        // at another pan position. Prints the first, or the median or slowest of 20 later ones.
        FileSource source(a);
        if (!source.open())
            return 1;
        const qint64 visible = 621, count = qint64(b.section(u' ', 0, 0).toDouble() * visible);
        const qint32 S = source.int32At(40);
        t.start();
        const WaveformSummary summary(source);
        qint64 first = -1;
        std::vector<qint64> later;
        for (int i = 0; i <= 20; ++i) {
            if (i > 0)
                t.start();
            const qint64 left = (count - visible) * ((i * 7) % 21) / 20;
            if (summary.columns(source, count, left, left + visible, S).size() != visible)
                return 1;
            (i == 0 ? first : later.emplace_back()) = t.nsecsElapsed();
        }
        std::sort(later.begin(), later.end());
        const qint64 shown = b.endsWith(QLatin1String("median")) ? later[later.size() / 2]
                             : b.endsWith(QLatin1String("worst")) ? later.back()
                                                                  : first;
        std::printf("%.9f\n", double(shown) / 1e9);
        return 0;
    } else {
        return 2;
    }
    std::printf("%.9f\n", double(t.nsecsElapsed()) / 1e9);
    return 0;
}

void report(const char *what, const std::vector<Run> &ours, const char *refName, const std::vector<Run> &refs,
            double maxRatio)
{
    auto best = [](const std::vector<Run> &runs) {
        double s = 1e300, peak = 0;
        bool ok = true;
        for (const Run &r : runs) {
            s = std::min(s, r.seconds);
            peak = std::max(peak, r.peakMiB);
            ok = ok && r.ok;
        }
        return std::tuple{s, peak, ok};
    };
    const auto [s, peak, ok] = best(ours);
    const auto [rs, rpeak, rok] = best(refs);
    std::printf("%-24s %9.3f s  peak %6.1f MiB | %-22s %9.3f s  peak %6.1f MiB | ratio %.2f (target <= %.1f)%s\n",
                what, s, peak, refName, rs, rpeak, s / rs, maxRatio, ok && rok ? "" : "  [A RUN FAILED]");
    for (size_t i = 0; i < ours.size() && i < refs.size(); ++i)
        std::printf("    run %zu: %.3f s vs %.3f s\n", i + 1, ours[i].seconds, refs[i].seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--child"))
        return child(args.at(2), args.value(3), args.value(4));

    qint64 mib = 1024;
    QString base = QDir::tempPath();
    int reps = 2;
    QStringList only = {QStringLiteral("cleanup"), QStringLiteral("command8"), QStringLiteral("search"),
                        QStringLiteral("wave")};
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--only") && i + 1 < args.size())
            only = args.at(++i).split(u',');
        else if (args.at(i) == QLatin1String("--dir") && i + 1 < args.size())
            base = args.at(++i);
        else if (args.at(i) == QLatin1String("--reps") && i + 1 < args.size())
            reps = std::max(1, args.at(++i).toInt());
        else
            mib = std::max<qint64>(1, args.at(i).toLongLong());
    }
    self = QCoreApplication::applicationFilePath().toStdString();

    QTemporaryDir dir(QDir(base).filePath(QStringLiteral("tamo-wavbench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(base));
        return 1;
    }
    const QString wav = dir.filePath(QStringLiteral("big.wav"));
    const QString noTag = dir.filePath(QStringLiteral("notag.wav"));
    const QString work = dir.filePath(QStringLiteral("work.wav"));
    const QString copy = dir.filePath(QStringLiteral("copy.wav"));
    const QString out = dir.filePath(QStringLiteral("O.Wav"));
    const qint64 bytes = mib << 20;
    std::printf("Generating two WAV files of %lld MiB in %s ...\n", mib, qPrintable(dir.path()));
    std::fflush(stdout);
    if (!generate(wav, bytes, true) || !generate(noTag, bytes, false)) {
        std::fprintf(stderr, "cannot write the test files\n");
        return 1;
    }
    ::sync();

    // CleanUp rewrites its file, so each run works on a fresh copy made (and synced) beforehand.
    // Replacing a file also frees the old one's blocks, which a copy does not: the
    // shell's replacement (copy, sync, rename over the original) is measured too.
    std::vector<Run> ours, refs, replaces;
    for (int i = 0; i < reps && only.contains(QStringLiteral("cleanup")); ++i) {
        shell(QStringLiteral("cp %1 %2").arg(q(wav), q(work)));
        ::sync();
        refs.push_back(shell(QStringLiteral("cp %1 %2 && sync %2").arg(q(wav), q(copy))));
        QFile::remove(copy);
        ::sync();
        ours.push_back(ourOp("cleanup", work));
        QFile::remove(work);
        shell(QStringLiteral("cp %1 %2").arg(q(wav), q(work)));
        ::sync();
        replaces.push_back(shell(QStringLiteral("cp %1 %2 && sync %2 && mv %2 %1 && sync %1").arg(q(work), q(copy))));
        QFile::remove(work);
        ::sync();
    }
    if (!ours.empty()) {
        report("CleanUp", ours, "cp + sync", refs, 1.1);
        report("CleanUp", ours, "cp + sync + mv over", replaces, 1.1);
    }

    ours.clear();
    refs.clear();
    for (int i = 0; i < reps && only.contains(QStringLiteral("command8")); ++i) {
        ::sync();
        refs.push_back(shell(QStringLiteral("cp %1 %2 && sync %2").arg(q(wav), q(copy))));
        QFile::remove(copy);
        ::sync();
        ours.push_back(ourOp("deblock", wav, out));
        QFile::remove(out);
    }
    if (!ours.empty())
        report("Command8 (de-block)", ours, "cp + sync", refs, 1.1);

    ours.clear();
    refs.clear();
    shell(QStringLiteral("cat %1 > /dev/null").arg(q(noTag))); // warm the cache
    for (int i = 0; i < std::max(reps, 5) && only.contains(QStringLiteral("search")); ++i) {
        refs.push_back(shell(QStringLiteral("cat %1 > /dev/null").arg(q(noTag))));
        ours.push_back(ourOp("search", noTag));
    }
    if (!ours.empty())
        report("\"data\" search, no tag", ours, "cat > /dev/null", refs, 2.0);

    // Redraws of the 621-pixel viewport on a canvas 1x to 20x as wide (the zoom
    // bar's range), warm cache; each zoom in a fresh process, so each "first"
    // includes building the summary of the whole file.
    for (const int zoom : {1, 2, 5, 10, 20}) {
        if (!only.contains(QStringLiteral("wave")))
            break;
        const Run first = ourOp("wave", wav, QString::number(zoom));
        const Run median = ourOp("wave", wav, QStringLiteral("%1 median").arg(zoom));
        const Run worst = ourOp("wave", wav, QStringLiteral("%1 worst").arg(zoom));
        std::printf("Waveform, canvas %2dx      first %8.2f ms  later redraws: median %6.3f ms, slowest %6.3f ms  "
                    "peak %6.1f MiB (target <= 5 ms after the first)%s\n",
                    zoom, first.seconds * 1e3, median.seconds * 1e3, worst.seconds * 1e3,
                    std::max(first.peakMiB, worst.peakMiB), first.ok && median.ok && worst.ok ? "" : "  [FAILED]");
    }
    QFile::remove(wav);
    QFile::remove(noTag);
    return 0;
}
