// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV logic without a window: the header readout and chunk walks, "Ecrire les
// infos", the waveform and the file tools, in memory and on files. Input: the file's
// bytes, optionally followed by "\n#EDIT#\n" and lines "<field>=<text>" that stand for
// what the user typed before writing (field 0..12 in WavField order; the text is UTF-8).

#include "fuzzsupport.h"

#include "wav/wavbytes.h"
#include "wav/wavformat.h"
#include "wav/wavinfo.h"
#include "wav/wavtext.h"
#include "wav/wavtools.h"
#include "wav/wavwaveform.h"

#include <QtEndian>

using namespace tamo;
using namespace tamo::wav;

namespace {

void checkCleanUp(QByteArrayView bytes)
{
    MemorySource source(bytes);
    const CleanUpPlan plan = planCleanUp(source);
    FUZZ_CHECK((plan.status == CleanUpStatus::BadFileSize) == (bytes.size() < 45));
    FUZZ_CHECK(plan.status != CleanUpStatus::Failed);
    FUZZ_CHECK((plan.status == CleanUpStatus::Unreadable) == !plan.problem.isEmpty());
    QByteArray result;
    if (plan.status == CleanUpStatus::Done) {
        FUZZ_CHECK(plan.dataSize >= 0 && plan.dataOffset + 8 + plan.dataSize <= bytes.size());
        BufferSink out;
        FUZZ_CHECK(writeCleanUp(source, plan, out).status == CleanUpStatus::Done);
        result = out.bytes();
        FUZZ_CHECK(result.size() == plan.resultSize && result.size() % 2 == 0);
        FUZZ_CHECK(qFromLittleEndian<qint32>(result.constData() + 4) == result.size() - 8);
        FUZZ_CHECK(result.sliced(44, plan.dataSize) == bytes.sliced(plan.dataOffset + 8, plan.dataSize));
        // Every file it writes has a format common readers accept, in a plain 16-byte chunk.
        const SampleFormatCheck format = readSampleFormat(result.sliced(20, 16));
        FUZZ_CHECK(format.format && format.format->tag != kFormatExtensible);
        // The result is canonical, so a second CleanUp changes nothing.
        MemorySource cleaned(result);
        const CleanUpPlan second = planCleanUp(cleaned);
        BufferSink again;
        FUZZ_CHECK(second.status == CleanUpStatus::Done && writeCleanUp(cleaned, second, again).status == CleanUpStatus::Done);
        FUZZ_CHECK(again.bytes() == result);
    }
    // On a file: the same result in place, or the file left as it was; no temporary behind.
    const QString path = fuzz::writeFile(QStringLiteral("FUZZ.wav"), bytes);
    FUZZ_CHECK(cleanUpWavFile(path).status == plan.status);
    FUZZ_CHECK(fuzz::readFile(path) == (plan.status == CleanUpStatus::Done ? QByteArrayView(result) : bytes));
    FUZZ_CHECK(fuzz::onlyFile(QStringLiteral("FUZZ.wav")));
    QFile::remove(path);
}

// De-block: output byte i is the input byte that skips the gaps before it; a file gives the same.
void checkDeblock(QByteArrayView bytes)
{
    MemorySource source(bytes);
    QString error;
    BufferSink deblocked;
    FUZZ_CHECK(deblock(source, deblocked, &error));
    const QByteArray &out = deblocked.bytes();
    FUZZ_CHECK(out.size() == deblockedSize(bytes.size()));
    for (qint64 i = 0; i < out.size(); ++i) {
        const qint64 k = (i - kDeblockHeader) / kDeblockBlock;
        FUZZ_CHECK(out[i] == bytes[i < kDeblockHeader ? i : i + (k + 1) * kDeblockGap]);
    }
    const QString input = fuzz::writeFile(kDeblockInputName, bytes);
    const QString output = fuzz::scratchFolder().filePath(kDeblockOutputName);
    FUZZ_CHECK(deblockFile(input, output, &error) && fuzz::readFile(output) == out);
    QFile::remove(input);
    QFile::remove(output);
}

// n / 2 rounded to the nearest whole number, an exact half to the even one.
qint64 halfToEven(qint64 n)
{
    const qint64 floorHalf = n >= 0 ? n / 2 : -((-n + 1) / 2);
    return (n % 2 != 0 && floorHalf % 2 != 0) ? floorHalf + 1 : floorHalf;
}

// The sampler chunk for data sizes too large to fuzz in memory, taken from the input's end.
void checkSizes(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return;
    const qint32 S = qFromLittleEndian<qint32>(bytes.data() + bytes.size() - 4);
    const QByteArray sampler = samplerChunk(S);
    FUZZ_CHECK(sampler.size() == 68 && sampler.startsWith("smpl"));
    FUZZ_CHECK(qFromLittleEndian<qint32>(sampler.constData() + 52) == qint32(halfToEven(S)));
    FUZZ_CHECK(qFromLittleEndian<qint32>(sampler.constData() + 56) == qint32(halfToEven(qint64(S) + 30)));
}

bool sameView(const WavView &a, const WavView &b)
{
    return a.riff == b.riff && a.riffSize == b.riffSize && a.channels == b.channels && a.length == b.length
           && a.dataOffset == b.dataOffset && a.dataSize == b.dataSize && a.after == b.after
           && a.afterBytes == b.afterBytes && a.beforeBytes == b.beforeBytes;
}

// The drawing is the same from memory and from the file, and every level is on the canvas.
void checkWaveform(QByteArrayView bytes, const QString &path, double drawLength)
{
    const qint64 count = 621;
    MemorySource memory(bytes);
    const WaveformSummary summary(memory);
    const QList<WaveformColumn> columns = summary.columns(memory, count, 0, count, drawLength);
    FileSource file(path);
    FUZZ_CHECK(file.open());
    FUZZ_CHECK(computeWaveform(file, count, drawLength) == columns);
    FUZZ_CHECK(summary.isDrawn() == (!bytes.isEmpty() && !bytes.startsWith("data")));
    for (const WaveformColumn &c : columns)
        FUZZ_CHECK(c.isEmpty() || (c.low >= -1 && c.high <= 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView whole = fuzz::input(data, size);
    const qsizetype marker = whole.indexOf(QByteArrayView("\n#EDIT#\n"));
    const QByteArrayView bytes = marker < 0 ? whole : whole.first(marker);
    checkCleanUp(bytes); // each tool removes its files: the scratch folder holds FUZZ.wav at most
    checkDeblock(bytes);
    checkSizes(bytes);
    const QString path = fuzz::writeFile(QStringLiteral("FUZZ.wav"), bytes);

    const WavView view = readWavView(bytes);
    FUZZ_CHECK(view.length == bytes.size() && view.dataOffset == bytes.indexOf(QByteArrayView("data")));
    FileSource file(path);
    FUZZ_CHECK(file.open());
    FUZZ_CHECK(sameView(readWavView(file), view));
    // What playback plays lies in the file, behind the chunk id it was found by.
    const PlayableChunks chunks = findPlayableChunks(file);
    for (const auto &[offset, length, id] : {std::tuple{chunks.formatOffset, chunks.formatSize, "fmt "},
                                           std::tuple{chunks.dataOffset, chunks.dataSize, "data"}})
        FUZZ_CHECK(offset < 0 || (offset >= 20 && length >= 0 && offset + length <= bytes.size() && bytes.sliced(offset - 8, 4) == QByteArrayView(id)));

    // "Ecrire les infos" with the fields as shown, or as edited.
    const WavFieldTexts shown = shownTexts(view);
    WavFieldTexts texts = shown;
    QString *fields[] = {&texts.riffSize, &texts.wave,     &texts.fmt,        &texts.fmtSize,   &texts.formatTag,
                         &texts.channels, &texts.sampleRate, &texts.byteRate, &texts.blockAlign, &texts.bitsPerSample,
                         &texts.dataTag,  &texts.dataSize, &texts.trailer};
    for (const QByteArray &line : whole.sliced(marker < 0 ? whole.size() : marker + 8).toByteArray().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (const int field = line.left(eq).toInt(); eq > 0 && field >= 0 && field < int(std::size(fields)))
            *fields[field] = QString::fromUtf8(line.mid(eq + 1));
    }
    // The waveform reads as far as the size field says, the typed one included.
    checkWaveform(bytes, path, leadingNumber(shown.dataSize));
    if (texts.dataSize != shown.dataSize)
        checkWaveform(bytes, path, leadingNumber(texts.dataSize));

    const HeaderWritePlan plan = planHeaderWrite(texts, view);
    FUZZ_CHECK(marker >= 0 || plan.problem == HeaderWritePlan::Problem::None);
    FUZZ_CHECK(plan.problem == HeaderWritePlan::Problem::None || plan.pieces.isEmpty());
    QByteArray out = bytes.toByteArray();
    for (const WritePiece &piece : plan.pieces) {
        FUZZ_CHECK(piece.offset >= 0);
        if (piece.offset + piece.bytes.size() > bytes.size() + (1 << 20))
            return 0; // a write that far past the end is planned, not made
        out.resize(std::max(out.size(), qsizetype(piece.offset) + piece.bytes.size()), '\0');
        out.replace(qsizetype(piece.offset), piece.bytes.size(), piece.bytes);
    }
    // Unedited, the file stays byte-identical, however short or odd.
    if (marker < 0)
        FUZZ_CHECK(out == bytes);
    QString error;
    // A write that needs more room than there is fails and leaves the file byte-identical.
    if (out.size() > bytes.size()) {
        bool written = false;
        {
            const test::FileSizeLimit full(bytes.size());
            written = writePiecesInPlace(path, plan.pieces, &error);
        }
        FUZZ_CHECK(!written && !error.isEmpty() && fuzz::readFile(path) == bytes);
    }
    FUZZ_CHECK(writePiecesInPlace(path, plan.pieces, &error) && fuzz::readFile(path) == out);
    return 0;
}
