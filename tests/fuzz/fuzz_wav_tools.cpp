// The WAV file tools: CleanUp and the de-block tool ("Command8"),
// in memory and on files, and the sampler chunk for any data size.

#include "fuzzsupport.h"

#include "wav/wavbytes.h"
#include "wav/wavformat.h"
#include "wav/wavinfo.h"
#include "wav/wavtools.h"

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
    const QString path = fuzz::writeFile(QStringLiteral("SAMPLE.wav"), bytes);
    FUZZ_CHECK(cleanUpWavFile(path).status == plan.status);
    FUZZ_CHECK(fuzz::readFile(path) == (plan.status == CleanUpStatus::Done ? QByteArrayView(result) : bytes));
    FUZZ_CHECK(fuzz::onlyFile(QStringLiteral("SAMPLE.wav")));
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    checkCleanUp(bytes);
    checkDeblock(bytes);
    checkSizes(bytes);
    return 0;
}
