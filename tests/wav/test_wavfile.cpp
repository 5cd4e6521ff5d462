// SPDX-License-Identifier: GPL-3.0-or-later
// WAV reading, header write-back, waveform, the file tools and the keyboard format
// (root notes, the check, the conversion), on files made by common tools and on a full disk.

#include "helper_sound.h"
#include "helper_wav.h"
#include "wav/heldloop.h"
#include "wav/keyboardformat.h"
#include "wav/rootnote.h"
#include "wav/samplewriter.h"
#include "wav/wavbytes.h"
#include "wav/wavinfo.h"
#include "wav/wavtext.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include "faultsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace tamo::wav;
using namespace tamo::test::wavgen;
using namespace tamo::test;

Q_DECLARE_METATYPE(tamo::wav::SourceCut)

// The canonical 44-byte header of a file of L bytes with S bytes of data.
static QByteArray header44(qint64 L, qint64 S) { return wavFile({}).replace(4, 4, le32(L - 8)).replace(40, 4, le32(S)); }
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

class TestWavFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void view_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("d");
        QTest::addColumn<qint64>("after");
        const QByteArray wrappingChunk = riff(fmtChunk() + "JUNK" + le32(0xFFFFFFF8) + QByteArray(8, 'j') + chunk("data", payload(400)));
        QTest::newRow("trailer") << wavFile(payload(100), QByteArray("\0s\xb0", 3)) << 36LL << 3LL;
        QTest::newRow("short file") << QByteArray("RIFF\x10", 5) << -1LL << 0LL;
        // Sizes near 2^31 and negative: the data would end far past the file or before its start.
        QTest::newRow("size 0x7FFFFFFF") << wavFile(payload(400)).replace(40, 4, le32(0x7FFFFFFF)) << 36LL << 401 - (1LL << 31);
        QTest::newRow("size -1") << wavFile(payload(400)).replace(40, 4, le32(-1)) << 36LL << 401LL;
        // The chunk walk would wrap past the end or, in 32 bits, back to where it started.
        QTest::newRow("chunk size 0xFFFFFFF8") << wrappingChunk << 52LL << 0LL;
    }

    void view()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, d);
        QFETCH(qint64, after);
        const WavView v = readWavView(file);
        QCOMPARE(v.dataOffset, d);
        QCOMPARE(v.riffSize, int32At(file.leftJustified(8, '\0'), 4)); // bytes past the end read as 0
        QCOMPARE(v.sampleRate, file.size() < 28 ? 0 : 44100);
        if (d < 0)
            return;
        QCOMPARE(v.dataSize, int32At(file, d + 4));
        QCOMPARE(v.after, after);
        QCOMPARE(v.afterBytes, after < 0 ? QByteArray() : file.right(after).left(kWavTextLimit));
        QCOMPARE(v.before, d - 36);
        QCOMPARE(v.beforeBytes, file.mid(36, std::min(d - 36, kWavTextLimit)));
    }

    void dataTagAcrossBlocks()
    {
        QByteArray misses(700000, 'a');
        for (qsizetype i = 0; i + 4 <= misses.size(); i += 97)
            misses.replace(i, 4, "dXta");
        // Around the 32-byte scan steps, the 256 KiB read blocks and the end.
        for (qsizetype at : {0, 31, 32, 262141, 262143, 262144, 524287, 699996, 699997}) {
            const QByteArray bytes = QByteArray(misses).replace(at, 4, QByteArray("data").left(misses.size() - at));
            QCOMPARE(findDataTag(bytes), bytes.indexOf("data"));
        }
    }

    // CleanUp writes a canonical file that readers accept (a plain format tag, the source's
    // format fields), or refuses and leaves the file as it was.
    void cleanUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("sizeLimit"); // 0: none
        QTest::addColumn<CleanUpStatus>("status");
        QTest::addColumn<int>("tag"); // written
        QTest::addColumn<int>("S");
        const CleanUpStatus done = CleanUpStatus::Done, unreadable = CleanUpStatus::Unreadable;
        const QByteArray data = chunk("data", payload(600));
        QTest::newRow("canonical") << wavFile(payload(1000)) << 0LL << done << 1 << 1000;
        // "data" inside a comment and an earlier sampler chunk, the format chunk not first.
        QTest::newRow("decoys") << riff(chunk("JUNK", QByteArray(28, '\0')) + fmtChunk()
                                        + chunk("LIST", "INFOICMTmetadata!") + chunk("smpl", "xxdata")
                                        + chunk("data", payload(1000)) + chunk("smpl", payload(60)))
                                << 0LL << done << 1 << 1000;
        // CleanUp then finds the data as the panel does.
        QTest::newRow("wrapping chunk size") << riff(fmtChunk() + "JUNK" + le32(0xFFFFFFF8) + QByteArray(8, 'j') + chunk("data", payload(1000)))
                                             << 0LL << done << 1 << 1000;
        QTest::newRow("extensible 24-bit stereo")
            << riff(chunk("fmt ", fmtBody(0xFFFE, 2, 24)) + chunk("fact", le32(100)) + data) << 0LL << done << 1 << 600;
        QTest::newRow("extensible float") << riff(chunk("fmt ", fmtBody(0xFFFE, 1, 32, 3)) + data) << 0LL << done << 3 << 600;
        QTest::newRow("odd chunk, no pad byte")
            << riff(chunk("fmt ", fmtBody(1, 1, 16)) + "LIST" + le32(3) + "abc" + data) << 0LL << done << 1 << 600;
        QTest::newRow("44 bytes") << wavFile({}) << 0LL << CleanUpStatus::BadFileSize << 0 << 0;
        QTest::newRow("no data") << riff(fmtChunk() + chunk("LIST", "xxxxDATAmeta")) << 0LL << CleanUpStatus::DataNotFound << 0 << 0;
        QTest::newRow("past the end after a chunk") << wavFile(payload(20), {}, chunk("LIST", payload(100))).replace(148, 4, le32(40))
                                                    << 0LL << CleanUpStatus::WrongDataSize << 0 << 0;
        // A write failing after the first blocks: the source stays as it was.
        QTest::newRow("write fails") << wavFile(payload(3 * kStreamBlockSize)) << qint64(kStreamBlockSize)
                                     << CleanUpStatus::Failed << 0 << 0;
        QTest::newRow("extensible, short chunk") << riff(chunk("fmt ", fmtBody(0xFFFE, 2, 24).left(18)) + data) << 0LL << unreadable << 0 << 0;
        QTest::newRow("ADPCM") << riff(chunk("fmt ", fmtBody(2, 1, 4)) + data) << 0LL << unreadable << 0 << 0;
    }

    void cleanUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, sizeLimit);
        QFETCH(CleanUpStatus, status);
        QFETCH(int, tag);
        QFETCH(int, S);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("PIANO1.wav"));
        QVERIFY(writeAll(path, file));
        const auto run = [&] {
            const CleanUpResult r = cleanUpWavFile(path);
            return r.status == status && r.error.isEmpty() == (status != CleanUpStatus::Failed && status != CleanUpStatus::Unreadable);
        };
        QVERIFY(sizeLimit ? runInChildWithFileSizeLimit(sizeLimit, run) : run());
        // Replaced by a rename, or not at all: no temporary file is left behind.
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("PIANO1.wav")});
        const QByteArray out = readAll(path);
        if (status != CleanUpStatus::Done) {
            QVERIFY(out == file);
            return;
        }
        const qsizetype smpl = 44 + S + S % 2;
        QCOMPARE(out.size(), smpl + 68);
        QCOMPARE(out.left(44), header44(out.size(), S).replace(20, 16, le16(tag) + file.mid(file.indexOf("fmt ") + 10, 14)));
        QCOMPARE(out.mid(44, S), payload(S));
        QCOMPARE(out.mid(smpl), cleanUpSampler(S));
        // libsndfile reads the loop end one past the last frame.
        const sound::Contents c = sound::read(path);
        QVERIFY(c.ok && c.instrument && c.instrument->loop_count == 1);
        QCOMPARE(c.info.frames, S / qFromLittleEndian<qint16>(out.constData() + 32));
        QCOMPARE(std::pair(c.instrument->loops[0].start, c.instrument->loops[0].end),
                 std::pair(quint32(int32At(out, smpl + 52)), quint32(int32At(out, smpl + 56) + 1)));
    }

    // Full-scale frames keep their top bits (floor, as libsndfile cuts them); odd data is
    // padded so that the sampler chunk after it is found.
    void pcmFile_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::newRow("16-bit stereo") << 16 << 2;
        QTest::newRow("24-bit mono, odd data") << 24 << 1;
    }

    void pcmFile()
    {
        QFETCH(int, bits);
        QFETCH(int, channels);
        const std::vector<qint32> frames{0x12345678, -0x12345678, 0x7fffffff, -0x7fffffff - 1, 0x00018000, -0x00018000};
        const QString path = m_dir.filePath(QStringLiteral("pcm%1.wav").arg(bits));
        QVERIFY(writePcmFile(path, frames, channels, 22050, bits, samplerChunk(61, 25, {{0, 1, 3, 0}}, 22050)).isEmpty());
        const sound::Contents c = sound::read(path);
        QVERIFY(c.ok && c.instrument);
        QCOMPARE(std::tuple(c.info.samplerate, c.info.channels, int(c.info.frames)), std::tuple(22050, channels, 6 / channels));
        const double full = bits == 24 ? 8388608.0 : 32768.0;
        for (size_t i = 0; i < frames.size(); ++i)
            QCOMPARE(double(c.samples[i]), std::floor(frames[i] / (2147483648.0 / full)) / full);
        QCOMPARE(std::tuple(int(c.instrument->basenote), int(c.instrument->detune), c.instrument->loop_count),
                 std::tuple(61, 25, 1));
        QCOMPARE(std::pair(c.instrument->loops[0].start, c.instrument->loops[0].end), std::pair(1u, 3u));
    }

    // Stamped over a short file and a longer one: the header replaces the first 44 bytes.
    void testHeader()
    {
        for (const QByteArray &before : {QByteArray("0123456789"), QByteArray(44, 'x') + payload(1001)}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("GRANDP00.wav"));
            QString error;
            QVERIFY2(writeAll(path, before) && stampTestHeaderFile(path, &error), qPrintable(error));
            const qsizetype length = std::max<qsizetype>(before.size(), 44);
            QCOMPARE(readAll(path), header44(length, length - 44) + before.mid(44));
            QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("GRANDP00.wav")});
        }
    }

    // "Ecrire les infos": with nothing edited the file is byte-identical, however short;
    // an edit writes its bytes ("°" stands for a zero byte), and when a write fails (here
    // past a size limit) the file is byte-identical too.
    void writeBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("edit"); // 0: none, 1: texts, 2: channels 2 and a data size past the limit
        QTest::addColumn<QByteArray>("expected");
        const QByteArray whole = wavFile(payload(8), "tail");
        for (qsizetype n = 0; n <= whole.size(); ++n)
            QTest::addRow("unedited, %lld bytes", qlonglong(n)) << whole.left(n) << 0 << whole.left(n);
        const QByteArray file = wavFile(payload(10), QByteArray("\0\xb0z", 3));
        QTest::newRow("edited") << file << 1
                                << QByteArray(file).replace(8, 6, "WAVEXY").replace(22, 2, le16(2))
                                       .replace(54, 3, QByteArray("\0\0y\x80\xe9", 5));
        QTest::newRow("edited, past the limit") << whole << 2 << whole;
        const QByteArray list = wavFile(payload(8), "tail", chunk("LIST", "INFOx"));
        QTest::newRow("edited, LIST, past the limit") << list << 2 << list;
    }

    void writeBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, edit);
        QFETCH(QByteArray, expected);
        const QString path = m_dir.filePath(QStringLiteral("w.wav"));
        QVERIFY(writeAll(path, file));
        const WavView view = readWavView(file);
        WavFieldTexts texts = shownTexts(view);
        if (edit == 1) {
            QCOMPARE(texts.trailer, QStringLiteral("°°z"));
            texts.trailer = QStringLiteral("°°y€é");
            texts.wave = QStringLiteral("WAVEXY"); // as many bytes as characters: 8 to 13
            texts.fmt.clear();
        }
        if (edit)
            texts.channels = QStringLiteral("2");
        if (edit == 2)
            texts.dataSize = QStringLiteral("100000");
        const HeaderWritePlan plan = planHeaderWrite(texts, view);
        QCOMPARE(plan.problem, HeaderWritePlan::Problem::None);
        QString error;
        bool written = false;
        {
            const FileSizeLimit limit(file.size() + 100);
            written = writePiecesInPlace(path, plan.pieces, &error);
        }
        QCOMPARE(written, edit != 2);
        QCOMPARE(readAll(path), expected);
        QCOMPARE(error, edit == 2 ? errorText(EFBIG) : QString());
    }

    // The waveform draws every sample format at its real level, the first channel of each frame.
    void waveformLevels_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        for (const int bits : {8, 16, 24, 32})
            QTest::addRow("PCM %d-bit", bits) << 1 << bits << 1;
        QTest::newRow("float") << 3 << 32 << 1;
        QTest::newRow("double, stereo") << 3 << 64 << 2;
        QTest::newRow("extensible 24-bit stereo") << 0xFFFE << 24 << 2;
    }

    void waveformLevels()
    {
        QFETCH(int, tag);
        QFETCH(int, bits);
        QFETCH(int, channels);
        const int real = tag == 0xFFFE ? 1 : tag, bytes = bits / 8;
        const QList<double> levels = {0.5, -0.25, 0.75, -1.0, 0.125, 0.0, -0.5, 0.25};
        QByteArray data;
        for (const double level : levels)
            for (int c = 0; c < channels; ++c) // other channels at another level, never drawn
                data += sampleAt(c ? -level / 2 : level, real, bytes);
        const QByteArray file = riff(chunk("fmt ", fmtBody(tag, channels, bits)) + chunk("data", data));
        const qint64 count = 621, frame = qint64(channels) * bytes, S = data.size();
        const QList<WaveformColumn> columns = computeWaveform(file, count, double(S));
        for (qint64 c = 0; c < count; ++c) { // frame k lands in column floor(count * k * frame / S)
            const qint64 k = (c * S + count * frame - 1) / (count * frame);
            const bool hit = k < levels.size() && k * frame * count / S == c;
            QCOMPARE(columns[c].isEmpty(), !hit);
            if (hit)
                QVERIFY2(qAbs(columns[c].low - levels[k]) < 0.01 && columns[c].high == columns[c].low,
                         qPrintable(QStringLiteral("column %1").arg(c)));
        }
    }

    // Property: the summary's whole blocks give each column the same low and high as
    // reading every frame of it, at every zoom, for a window and past the file's end.
    void waveformSummary_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("drawLength");
        for (const int bits : {16, 24})
            for (const qint64 count : {7, 50, 333, 5000})
                QTest::addRow("%d-bit, %lld columns", bits, count) << bits << count << 1e12;
        QTest::newRow("16-bit, typed length a third") << 16 << 50LL << 200000.0;
    }

    void waveformSummary()
    {
        QFETCH(int, bits);
        QFETCH(qint64, count);
        QFETCH(double, drawLength);
        const qint64 bytes = bits / 8, frames = 200003, S = (frames + 1000) * bytes; // 1000 frames past the end
        QByteArray data(frames * bytes, Qt::Uninitialized);
        quint32 x = 12345;
        for (char &b : data)
            b = char((x = x * 1103515245u + 12345u) >> 23);
        const QByteArray file = riff(chunk("fmt ", fmtBody(1, 1, bits)) + "data" + le32(S) + data);
        MemorySource source(file);
        const WaveformSummary summary(source);
        QVERIFY(summary.blockFrames() * 3 < S / bytes / 7); // wide columns span whole blocks
        QList<WaveformColumn> expected(count);
        for (qint64 k = 0; k < S / bytes && double((k + 1) * bytes) <= drawLength; ++k) {
            qint32 v = 0; // little-endian, sign from the top byte
            for (qint64 i = bytes - 1; i >= 0 && k < frames; --i)
                v = v * 256 + (i == bytes - 1 ? qint8(data.at(k * bytes + i)) : quint8(data.at(k * bytes + i)));
            expected[k * bytes * count / S].add(k < frames ? float(v / double(1 << (bits - 1))) : 0.0f);
        }
        QCOMPARE(summary.columns(source, count, 0, count, drawLength), expected);
        QCOMPARE(summary.columns(source, count, count / 3, count / 2, drawLength),
                 expected.mid(count / 3, count / 2 - count / 3));
    }

    // Found by fuzzing: the loop end S / 2 + 15 was summed in 32 bits and wrapped near 2^31.
    void samplerLoop()
    {
        // 0x7FFFFFE2: the end past 2^31 / 2; 0x7FFFFFFF and 1001: halves to even.
        for (auto [size, start, end] :
             {std::tuple{0x7FFFFFE2, 1073741809, 1073741824}, {0x7FFFFFFF, 1073741824, 1073741838}, {1001, 500, 516}}) {
            const QByteArray sampler = samplerChunk(size);
            QCOMPARE(std::pair(int32At(sampler, 52), int32At(sampler, 56)), std::pair(start, end));
        }
    }

    // A file over 4 GiB (sparse): every offset is past 32 bits.
    void sparseOver4GiB()
    {
        const QString path = m_dir.filePath(QStringLiteral("HUGE.wav"));
        const qint64 gap = 0xFFFFFFF0LL; // a LIST chunk that carries the data past 4 GiB
        const QByteArray head = riff(fmtChunk()) + "LIST" + le32(gap);
        const QByteArray data = payload(16);
        const QByteArray tail = chunk("data", data) + "end!";
        const qint64 d = head.size() + gap;
        QFile file(path);
        if (!sparseFile(path, head, d) || !file.open(QIODevice::Append) || file.write(tail) != tail.size())
            QSKIP("This file system cannot hold a sparse file over 4 GiB.");
        file.close();
        FileSource source(path);
        QVERIFY(source.open());
        const WavView view = readWavView(source);
        QCOMPARE(std::tuple(view.length, view.dataOffset, view.dataSize, view.afterBytes),
                 std::tuple(d + tail.size(), d, 16, QByteArray("end!")));
        const QList<WaveformColumn> columns = computeWaveform(source, 621, 16);
        QCOMPARE(std::count_if(columns.cbegin(), columns.cend(), [](WaveformColumn c) { return !c.isEmpty(); }), 8);
        // The chunk walk reaches the data past 4 GiB; the result is small and canonical.
        QCOMPARE(cleanUpWavFile(path).status, CleanUpStatus::Done);
        const QByteArray cleaned = readAll(path);
        QCOMPARE(cleaned.size(), 44 + 16 + 68);
        QCOMPARE(cleaned.mid(44, 16), data);
    }

    void root_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("samplerNote"); // -1: no sampler chunk; -2: not a sound file
        QTest::addColumn<int>("note");        // -1: none
        QTest::addColumn<RootSource>("source");
        QTest::newRow("sampler chunk before the name") << "Piano_C3.wav" << 64 << 64 << RootSource::SamplerChunk;
        QTest::newRow("C3 after a space") << "Piano C3.wav" << -1 << 60 << RootSource::FileName;
        QTest::newRow("c#3 after _") << "pad_c#3.wav" << -1 << 61 << RootSource::FileName;
        QTest::newRow("at the name's end, highest") << "Lead_G8" << -1 << 127 << RootSource::FileName;
        QTest::newRow("flat b after letter b") << "bb2.wav" << -1 << 58 << RootSource::FileName;
        QTest::newRow("unreadable file, name used") << "Junk_E3.wav" << -2 << 64 << RootSource::FileName;
        QTest::newRow("glued to letters") << "Cello2.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("above G8") << "Lead A8.wav" << -1 << -1 << RootSource::None;
        QTest::newRow("glued in an 8.3 name") << "PIANOC3.WAV" << -1 << 60 << RootSource::FileName;
        QTest::newRow("glued sharp S") << "STRGFS2.WAV" << -1 << 54 << RootSource::FileName;
        QTest::newRow("glued, small letters") << "Abc3.wav" << -1 << -1 << RootSource::None;
    }
    void root()
    {
        QFETCH(QString, name);
        QFETCH(int, samplerNote);
        QFETCH(int, note);
        QFETCH(RootSource, source);
        const QString path = m_dir.filePath(name);
        QVERIFY(samplerNote == -2 ? writeAll(path, "RIFF junk")
                                  : sound::write(path, kWav16, 44100, 1, 100,
                                                 samplerNote >= 0 ? std::optional(samplerNote) : std::nullopt));
        // A name's other note is kept beside the chunk's (Piano_C3 is 60).
        const std::optional<int> overruled = samplerNote >= 0 && samplerNote != 60 ? std::optional(60) : std::nullopt;
        const RootNote expected{note >= 0 ? std::optional(note) : std::nullopt, source, overruled};
        QCOMPARE(detectRoot(path), expected);
    }

    // The keyboard's format check, and the conversion of the same file: a stopped or
    // refused conversion says why, and the target is not created.
    void keyboardFormat_data()
    {
        QTest::addColumn<int>("format"); // -1: not a sound file
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("withLoop");
        QTest::addColumn<QString>("reason");    // empty: ok; a trailing space: the start of it
        QTest::addColumn<QString>("converted"); // dithered, kept (the same samples), cancelled, or the error's start
        const int pcm24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        QTest::newRow("mono") << kWav16 << 44100 << 1 << false << "" << "kept";
        QTest::newRow("24-bit 48 kHz stereo, loop") << pcm24 << 48000 << 2 << true << "24-bit, 48000 Hz" << "dithered";
        QTest::newRow("cancelled") << pcm24 << 48000 << 2 << false << "24-bit, 48000 Hz" << "cancelled";
        QTest::newRow("OGG") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 44100 << 2 << false << "OGG" << "dithered";
        QTest::newRow("three channels") << kWav16 << 44100 << 3 << false << "3 channels" << "3 channels";
        QTest::newRow("unreadable") << -1 << 0 << 0 << false << "unreadable: " << "unreadable: ";
    }
    void keyboardFormat()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(bool, withLoop);
        QFETCH(QString, reason);
        QFETCH(QString, converted);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("IN.WAV")), target = dir.filePath(QStringLiteral("OUT.WAV"));
        const qint64 frames = 3 * rate / 2 + 7; // more than one block
        const sound::Loop loop{quint32(rate / 4), quint32(rate)};
        QVERIFY(format < 0 ? writeAll(source, QByteArray(100, 'x'))
                           : sound::write(source, format, rate, channels, frames, withLoop ? std::optional(62) : std::nullopt,
                                          withLoop ? std::optional(loop) : std::nullopt));
        const FormatCheck check = checkKeyboardFormat(source);
        QCOMPARE(std::pair(check.ok, check.readable), std::pair(reason.isEmpty(), format > 0));
        QVERIFY2(reason.endsWith(u' ') ? check.reason.startsWith(reason) && check.reason.size() > reason.size()
                                       : check.reason == reason, qPrintable(check.reason));

        const bool cancel = converted == u"cancelled", ok = converted == u"dithered" || converted == u"kept";
        const ConvertResult result = convertFileToKeyboardFormat(source, target, [cancel](double) { return !cancel; });
        QCOMPARE(std::pair(result.ok, result.cancelled), std::pair(ok, cancel));
        if (!ok) {
            QVERIFY2(cancel || result.error.startsWith(converted), qPrintable(result.error));
            QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("IN.WAV")});
            return;
        }
        QCOMPARE(result.dithered, converted == u"dithered");
        QCOMPARE(readAll(target).mid(36, 4), QByteArray("data")); // the canonical header
        const sound::Contents in = sound::read(source), out = sound::read(target);
        QVERIFY(out.ok);
        QCOMPARE(std::tuple(out.info.format, out.info.samplerate, out.info.channels), std::tuple(kWav16, 44100, channels));
        QVERIFY(std::abs(double(out.info.frames) - double(frames) * 44100 / rate) <= 1.0);
        // Within the dither (and, for a lossy or resampled source, a little more).
        QVERIFY2(std::abs(out.peak - in.peak) <= 4.0f / 32768, qPrintable(QString::number(out.peak - in.peak)));
        QVERIFY(result.dithered || out.samples == in.samples);
        QCOMPARE(out.instrument.has_value(), withLoop);
        if (withLoop)
            QCOMPARE(std::tuple(int(out.instrument->basenote), out.instrument->loop_count, qint64(out.instrument->loops[0].start),
                                qint64(out.instrument->loops[0].end)),
                     std::tuple(62, 1, qint64(std::llround(loop.start * 44100.0 / rate)), qint64(std::llround(loop.end * 44100.0 / rate))));
    }

    // Command8 on a file: the header, then every 65536-byte block without the 8
    // bytes before it, a last partial one too, across the tool's reads of many blocks.
    void deblockFileKeepsEveryBlock_data()
    {
        QTest::addColumn<int>("periods");
        QTest::addColumn<int>("tail");
        QTest::newRow("2 blocks, odd tail") << 2 << 1001;
        QTest::newRow("130 blocks, tail inside the gap") << 130 << 5;
        QTest::newRow("64 blocks, no tail") << 64 << 0;
    }

    void deblockFileKeepsEveryBlock()
    {
        QFETCH(int, periods);
        QFETCH(int, tail);
        const QByteArray in = payload(44 + periods * 65544LL + tail);
        QByteArray expected = in.left(44);
        for (qsizetype at = 44; at < in.size(); at += 65544)
            expected += in.mid(at + 8, 65536);
        const QString input = m_dir.filePath(QStringLiteral("IN8.wav")), output = m_dir.filePath(QStringLiteral("OUT8.wav"));
        QString error;
        QVERIFY2(writeAll(input, in) && deblockFile(input, output, &error), qPrintable(error));
        QCOMPARE(readAll(output), expected);
    }

    // A cut of a 1000-frame mono file whose sampler chunk says root 62 and loops
    // frames 200..799: the frames and the sampler chunk written, worked out by hand.
    void cut_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<SourceCut>("cut");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<QList<qint64>>("chunk"); // unity note, pitch fraction, then each loop's first and last frame; empty: none
        using L = SourceCut::Loop;
        QTest::newRow("window keeps the file's loop, moved") << 44100 << SourceCut{100, 950} << qint64(850) << QList<qint64>{62, 0, 100, 699};
        QTest::newRow("one-shot drops it") << 44100 << SourceCut{0, -1, L::None} << qint64(1000) << QList<qint64>{62, 0};
        QTest::newRow("loop outside the window") << 44100 << SourceCut{850, -1} << qint64(150) << QList<qint64>{62, 0};
        QTest::newRow("forward loop, root, cents below") << 44100 << SourceCut{.start = 100, .end = 900, .loop = L::Forward, .loopStart = 300, .loopEnd = 500, .rootKey = 67, .fineCents = -25}
                                                         << qint64(800) << QList<qint64>{66, 3221225472, 200, 399};
        QTest::newRow("half level") << 44100 << SourceCut{.gain = 0.5} << qint64(1000) << QList<qint64>{62, 0, 200, 799};
        QTest::newRow("22050 Hz: loop scaled") << 22050 << SourceCut{.start = 100, .end = 601, .loop = L::Forward, .loopStart = 200, .loopEnd = 300, .rootKey = 60} << qint64(1002)
                                               << QList<qint64>{60, 0, 200, 399};
        QTest::newRow("22050 Hz: own loop clipped, scaled") << 22050 << SourceCut{100, 601} << qint64(1002) << QList<qint64>{62, 0, 200, 1001};
    }
    void cut()
    {
        QFETCH(int, rate);
        QFETCH(SourceCut, cut);
        QFETCH(qint64, frames);
        QFETCH(QList<qint64>, chunk);
        const QString source = m_dir.filePath(QStringLiteral("cut.wav")), target = m_dir.filePath(QStringLiteral("CUT.WAV"));
        QVERIFY(sound::write(source, kWav16, rate, 1, 1000, 62, sound::Loop{200, 800})
                && convertFileToKeyboardFormat(source, target, {}, cut).ok);
        const QByteArray out = readAll(target);
        const qint64 dataSize = int32At(out, 40), at = 44 + dataSize; // the sampler chunk follows the samples
        QCOMPARE(dataSize, 2 * frames);
        QList<qint64> found;
        if (out.mid(at, 4) == "smpl") {
            found << quint32(int32At(out, at + 20)) << quint32(int32At(out, at + 24));
            for (int i = 0; i < int32At(out, at + 36); ++i)
                found << int32At(out, at + 52 + 24 * i) << int32At(out, at + 56 + 24 * i);
        }
        QCOMPARE(found, chunk);
        // Without resampling the window's own samples, scaled; dither moves them a step at most.
        const sound::Contents in = sound::read(source), written = sound::read(target);
        for (qint64 i = 0; rate == 44100 && i < frames; ++i)
            QVERIFY(std::abs(written.samples[std::size_t(i)] - float(cut.gain) * in.samples[std::size_t(cut.start + i)])
                    <= (cut.gain == 1.0 ? 0.0f : 1.5f / 32768));
    }

    // A held note read in stretches of at most `chunk` frames: the loop again and again while held (the frame
    // after its last one its first); let go, on to the end.
    void heldLoop_data()
    {
        QTest::addColumn<QList<qint64>>("shape"); // frames, loop start, loop end, chunk, frames read while held
        QTest::addColumn<QList<qint64>>("heard");
        QTest::newRow("three passes, tail") << QList<qint64>{10, 3, 7, 4, 15} << QList<qint64>{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("let go inside") << QList<qint64>{10, 3, 7, 100, 9} << QList<qint64>{0, 1, 2, 3, 4, 5, 6, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("one-frame loop at the end") << QList<qint64>{3, 2, 3, 1, 5} << QList<qint64>{0, 1, 2, 2, 2};
        QTest::newRow("loop past the end") << QList<qint64>{5, 1, 6, 2, 20} << QList<qint64>{0, 1, 2, 3, 4};
    }
    void heldLoop()
    {
        QFETCH(QList<qint64>, shape);
        QFETCH(QList<qint64>, heard);
        HeldLoop state{.frames = shape[0], .loopStart = shape[1], .loopEnd = shape[2]};
        QList<qint64> played;
        for (FrameRun run{0, 1}; run.count > 0;) {
            state.held = played.size() < shape[4];
            run = nextHeldRun(state, std::min(shape[3], state.held ? shape[4] - played.size() : shape[3]));
            for (qint64 i = 0; i < run.count; ++i) played << run.from + i;
        }
        QCOMPARE(played, heard);
    }
};

QTEST_GUILESS_MAIN(TestWavFile)
#include "test_wavfile.moc"
