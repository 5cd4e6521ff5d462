// SPDX-License-Identifier: GPL-3.0-or-later
// Times the keyboard export against the shell doing the same work on the same
// files in the same session: a set of 64 WAVs already in the keyboard's format
// against `cp -r`, conversion of 24-bit 48 kHz stereo against sox, `TAMO export`
// of an SFZ instrument of 64 FLAC regions against sox converting its FLAC files one
// by one, and the key mapping of 64 samples. Each measured operation runs in a
// fresh child process, whose peak memory is reported too.
//   tamo_exportbench [total MiB, default 64] [--dir FOLDER] [--reps N] [--only export,convert,sfz,map]

#include "benchsupport.h"
#include "export/exportcommand.h"
#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "wav/keyboardformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tamo;

namespace {

constexpr int kFiles = 64;

using tamo::bench::Run;
using tamo::bench::runChild;

std::string self;

Run shell(const QString &command) { return runChild({"/bin/sh", "-c", command.toStdString()}); }
Run ourOp(const char *op, const QString &a, const QString &b)
{
    return runChild({self, "--child", op, a.toStdString(), b.toStdString()});
}
QString q(const QString &path) { return u'\'' + path + u'\''; }

// A WAV of about `bytes` bytes of noise: `bits` per sample, stereo, at `rate`.
bool generate(const QString &path, qint64 bytes, int bits, int rate)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const int block = 2 * bits / 8;
    const qint64 data = (bytes - 44) / block * block;
    QByteArray h(44, '\0');
    const auto put32 = [&](int at, qint64 v) { qToLittleEndian(quint32(v), h.data() + at); };
    const auto put16 = [&](int at, int v) { qToLittleEndian(quint16(v), h.data() + at); };
    h.replace(0, 4, "RIFF");
    put32(4, 36 + data);
    h.replace(8, 8, "WAVEfmt ");
    put32(16, 16);
    put16(20, 1);
    put16(22, 2);
    put32(24, rate);
    put32(28, qint64(rate) * block);
    put16(32, block);
    put16(34, bits);
    h.replace(36, 4, "data");
    put32(40, data);
    f.write(h);
    // Noise at a quarter of full scale, so neither side clips.
    const int bytesPerSample = bits / 8;
    QByteArray chunk(qsizetype(bytesPerSample) << 20, Qt::Uninitialized);
    quint32 x = 0x9E3779B9u;
    for (qint64 left = data; left > 0;) {
        for (qsizetype i = 0; i + bytesPerSample <= chunk.size(); i += bytesPerSample) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            const qint32 v = qint32(x >> (33 - bits)) - (qint32(1) << (bits - 2));
            for (int b = 0; b < bytesPerSample; ++b)
                chunk[i + b] = char(v >> (8 * b));
        }
        const qsizetype n = qsizetype(std::min<qint64>(left, chunk.size()));
        if (f.write(chunk.constData(), n) != n)
            return false;
        left -= n;
    }
    return f.flush();
}

// A FLAC file of 24-bit 48 kHz stereo of about `bytes` bytes: noise over a slow
// sine, so that it packs about as well as recorded sound does.
bool generateFlac(const QString &path, qint64 bytes, quint32 seed)
{
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    const QByteArray name = QFile::encodeName(path);
    SNDFILE *f = sf_open(name.constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<int> block(std::size_t(info.samplerate) * 2);
    quint32 x = seed | 1u;
    qint64 frame = 0;
    bool ok = true;
    for (struct stat st{}; ok && (::stat(name.constData(), &st) != 0 || st.st_size < bytes);) {
        for (std::size_t i = 0; i < block.size(); i += 2, ++frame) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            const double tone = 0.3 * std::sin(double(frame) * 0.0137);
            const int noise = int(x >> 16) - (1 << 15); // about 1/256 of full scale
            block[i] = int(tone * 2147483647.0) + (noise << 8);
            block[i + 1] = block[i] / 2 - (noise << 7);
        }
        ok = sf_writef_int(f, block.data(), sf_count_t(block.size() / 2)) == sf_count_t(block.size() / 2);
    }
    return sf_close(f) == 0 && ok;
}

QString sampleFile(int i) { return QStringLiteral("S%1.WAV").arg(i, 2, 10, QChar(u'0')); }

int child(const QString &op, const QString &a, const QString &b)
{
    QElapsedTimer t;
    t.start();
    if (op == u"export") {
        exporter::ExportRequest request;
        request.record = msp::MspRecord::newDocument();
        request.record.setGlobal(msp::GlobalField::SampleCount, kFiles);
        for (int k = 1; k <= kFiles; ++k)
            request.record.setSampleName(k, sampleFile(k).left(3).toLatin1());
        request.mspFileName = QStringLiteral("SET.MSP");
        request.targetFolder = b;
        request.sourceFor = [&](int slot) { return QDir(a).filePath(sampleFile(slot)); };
        const exporter::ExportResult r = exporter::exportForKeyboard(request);
        if (r.status != exporter::ExportStatus::Done || r.copied != kFiles) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message));
            return 1;
        }
    } else if (op == u"convert") {
        const wav::ConvertResult r = wav::convertFileToKeyboardFormat(a, b);
        if (!r.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(r.error));
            return 1;
        }
    } else if (op == u"sfz") {
        QString printed, errors;
        QTextStream out(&printed), err(&errors);
        if (exporter::runExportCommand(a, b, out, err) != 0) {
            std::fprintf(stderr, "%s", qPrintable(errors));
            return 1;
        }
    } else {
        return 2;
    }
    std::printf("%.9f\n", double(t.nsecsElapsed()) / 1e9);
    return 0;
}

void report(const char *what, const std::vector<Run> &ours, const char *refName, const std::vector<Run> &refs,
            double maxRatio)
{
    const auto best = [](const std::vector<Run> &runs) {
        double s = 1e300, peak = 0, cpu = 1e300;
        bool ok = true;
        for (const Run &r : runs) {
            s = std::min(s, r.seconds);
            cpu = std::min(cpu, r.cpuSeconds);
            peak = std::max(peak, r.peakMiB);
            ok = ok && r.ok;
        }
        return std::tuple{s, peak, cpu, ok};
    };
    const auto [s, peak, cpu, ok] = best(ours);
    const auto [rs, rpeak, rcpu, rok] = best(refs);
    const std::string target = maxRatio > 0 ? " (target <= " + std::to_string(maxRatio).substr(0, 3) + ")" : "";
    std::printf("%-24s %8.3f s  cpu %7.3f s  peak %6.1f MiB | %-24s %8.3f s  cpu %7.3f s  peak %6.1f MiB | ratio %.2f%s%s\n",
                what, s, cpu, peak, refName, rs, rcpu, rpeak, s / rs, target.c_str(), ok && rok ? "" : "  [A RUN FAILED]");
    for (size_t i = 0; i < ours.size() && i < refs.size(); ++i)
        std::printf("    run %zu: %.3f s vs %.3f s\n", i + 1, ours[i].seconds, refs[i].seconds);
}

// The key mapping alone, once the roots are known: the best of many runs.
void benchMapping()
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    record.setGlobal(msp::GlobalField::SampleCount, kFiles);
    msp::SlotRoots roots;
    QRandomGenerator random(3);
    for (int k = 0; k < kFiles; ++k)
        roots << int(random.bounded(128));
    qint64 best = -1;
    for (int i = 0; i < 200; ++i) {
        msp::MspRecord copy = record;
        QElapsedTimer t;
        t.start();
        msp::mapKeys(copy, roots);
        const qint64 ns = t.nsecsElapsed();
        best = best < 0 ? ns : std::min(best, ns);
    }
    std::printf("%-20s %8.3f ms (target < 100 ms)\n", "map keys, 64 roots", double(best) / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == u"--child")
        return child(args.at(2), args.value(3), args.value(4));

    qint64 mib = 64;
    QString base = QDir::tempPath();
    int reps = 2;
    QStringList only = {QStringLiteral("export"), QStringLiteral("convert"), QStringLiteral("sfz"),
                         QStringLiteral("map")};
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == u"--only" && i + 1 < args.size())
            only = args.at(++i).split(u',');
        else if (args.at(i) == u"--dir" && i + 1 < args.size())
            base = args.at(++i);
        else if (args.at(i) == u"--reps" && i + 1 < args.size())
            reps = std::max(1, args.at(++i).toInt());
        else
            mib = std::max<qint64>(1, args.at(i).toLongLong());
    }
    self = QCoreApplication::applicationFilePath().toStdString();
    QTemporaryDir dir(QDir(base).filePath(QStringLiteral("tamo-exportbench-XXXXXX")));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(base));
        return 1;
    }
    const qint64 bytes = mib << 20;
    const QString set = dir.filePath(QStringLiteral("set")), ourCopy = dir.filePath(QStringLiteral("stick"));
    const QString shellCopy = dir.filePath(QStringLiteral("copy"));

    if (only.contains(QStringLiteral("export"))) {
        std::printf("Generating %d in-format WAVs, %lld MiB in all, in %s ...\n", kFiles, mib, qPrintable(dir.path()));
        std::fflush(stdout);
        QDir().mkpath(set);
        for (int k = 1; k <= kFiles; ++k) {
            if (!generate(QDir(set).filePath(sampleFile(k)), bytes / kFiles, 16, wav::kKeyboardRate))
                return 1;
        }
        ::sync();
        std::vector<Run> ours, refs, synced, oursBusy, syncedBusy;
        for (int i = 0; i < reps; ++i) {
            refs.push_back(shell(QStringLiteral("cp -r %1 %2").arg(q(set), q(shellCopy))));
            shell(QStringLiteral("rm -rf %1 && sync").arg(q(shellCopy)));
            synced.push_back(shell(QStringLiteral("cp -r %1 %2 && sync").arg(q(set), q(shellCopy))));
            shell(QStringLiteral("rm -rf %1 && sync").arg(q(shellCopy)));
            QDir().mkpath(ourCopy);
            ours.push_back(ourOp("export", set, ourCopy));
            shell(QStringLiteral("rm -rf %1 && sync").arg(q(ourCopy)));
        }
        // The same while another program keeps writing to the same disk.
        const QString busy = dir.filePath(QStringLiteral("busy"));
        // Built before the fork: the child only execs. It leads a process group of
        // its own, so that its dd ends with it.
        const QByteArray loop =
            QStringLiteral("while :; do dd if=/dev/zero of=%1 bs=1M count=64 2>/dev/null; done").arg(q(busy)).toLocal8Bit();
        const pid_t writer = fork();
        if (writer == 0) {
            setpgid(0, 0);
            execl("/bin/sh", "sh", "-c", loop.constData(), static_cast<char *>(nullptr));
            _exit(127);
        }
        if (writer > 0)
            setpgid(writer, writer); // also here, so that the kill below never misses it
        for (int i = 0; writer > 0 && i < reps; ++i) {
            syncedBusy.push_back(shell(QStringLiteral("cp -r %1 %2 && sync").arg(q(set), q(shellCopy))));
            shell(QStringLiteral("rm -rf %1").arg(q(shellCopy)));
            QDir().mkpath(ourCopy);
            oursBusy.push_back(ourOp("export", set, ourCopy));
            shell(QStringLiteral("rm -rf %1").arg(q(ourCopy)));
        }
        if (writer > 0) {
            kill(-writer, SIGTERM);
            waitpid(writer, nullptr, 0);
        } else {
            std::fprintf(stderr, "cannot start the background writer\n");
        }
        QFile::remove(busy);
        report("export, in format", ours, "cp -r", refs, 0);
        report("export, in format", ours, "cp -r && sync", synced, 1.1);
        report("export, another writing", oursBusy, "cp -r && sync, the same", syncedBusy, 1.1);
        QDir(set).removeRecursively();
    }

    if (only.contains(QStringLiteral("convert"))) {
        const QString in = dir.filePath(QStringLiteral("in24.wav")), out = dir.filePath(QStringLiteral("out.wav"));
        std::printf("Generating a 24-bit 48 kHz stereo WAV of %lld MiB ...\n", mib);
        std::fflush(stdout);
        if (!generate(in, bytes, 24, 48000))
            return 1;
        ::sync();
        std::vector<Run> ours, refs;
        for (int i = 0; i < reps; ++i) {
            refs.push_back(shell(QStringLiteral("sox %1 -b 16 -r 44100 %2").arg(q(in), q(out))));
            QFile::remove(out);
            ours.push_back(ourOp("convert", in, out));
            QFile::remove(out);
        }
        report("convert 24/48 -> 16/44.1", ours, "sox", refs, 1.5);
        QFile::remove(in);
    }

    if (only.contains(QStringLiteral("sfz"))) {
        const QString samples = dir.filePath(QStringLiteral("sfz")), sfz = QDir(samples).filePath(QStringLiteral("piano.sfz"));
        std::printf("Generating an SFZ of %d regions over 24-bit 48 kHz stereo FLACs, %lld MiB in all ...\n", kFiles, mib);
        std::fflush(stdout);
        QDir().mkpath(samples);
        QByteArray text = "<control> default_path=./\n<group> ampeg_release=0.4\n";
        for (int k = 1; k <= kFiles; ++k) {
            const QString flac = QStringLiteral("S%1.flac").arg(k, 2, 10, QChar(u'0'));
            if (!generateFlac(QDir(samples).filePath(flac), bytes / kFiles, quint32(k) * 0x9E3779B9u))
                return 1;
            text += QStringLiteral("<region> sample=%1 key=%2\n").arg(flac).arg(30 + k).toUtf8();
        }
        QFile file(sfz);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return 1;
        file.close();
        ::sync();
        std::vector<Run> ours, refs;
        for (int i = 0; i < reps; ++i) {
            QDir().mkpath(shellCopy);
            refs.push_back(shell(QStringLiteral("for f in %1/*.flac; do sox \"$f\" -b 16 -r 44100 %2/\"$(basename \"$f\" .flac)\".wav "
                                                "|| exit 1; done")
                                     .arg(q(samples), q(shellCopy))));
            shell(QStringLiteral("rm -rf %1 && sync").arg(q(shellCopy)));
            ours.push_back(ourOp("sfz", sfz, ourCopy));
            shell(QStringLiteral("rm -rf %1 && sync").arg(q(ourCopy)));
        }
        report("SFZ import + export", ours, "sox one by one", refs, 0.3);
        QDir(samples).removeRecursively();
    }

    if (only.contains(QStringLiteral("map")))
        benchMapping();
    return 0;
}
