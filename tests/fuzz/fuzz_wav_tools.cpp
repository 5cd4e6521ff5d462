// The WAV file tools: CleanUp, the header stamp and the de-block tool ("Command8"),
// in memory, on files, on a long source made by repeating the input, and on a
// source whose reads fail part-way.

#include "fuzzsupport.h"

#include "msp/wavbytes.h"
#include "msp/wavinfo.h"
#include "msp/wavtools.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace tamo;
using namespace tamo::msp;

namespace {

// The input repeated up to a length, so that block boundaries of the tools are crossed.
QByteArray repeated(QByteArrayView bytes, qint64 length)
{
    QByteArray out;
    out.reserve(qsizetype(length));
    out.append(bytes);
    while (out.size() < length)
        out.append(QByteArrayView(out).first(std::min<qsizetype>(out.size(), qsizetype(length) - out.size())));
    return out;
}

// Memory whose reads fail once they touch a given offset, like a disk error.
class FailingSource final : public ByteSource {
public:
    FailingSource(QByteArrayView bytes, qint64 failAt) : m_source(bytes), m_failAt(failAt) {}
    qint64 size() const override { return m_source.size(); }
    qint64 readAt(qint64 pos, char *dst, qint64 len) override
    {
        if (len > 0 && pos + len > m_failAt && pos < size()) {
            failed = true;
            return -1;
        }
        return m_source.readAt(pos, dst, len);
    }
    QString errorString() const override { return QStringLiteral("Input/output error"); }
    bool failed = false;

private:
    MemorySource m_source;
    qint64 m_failAt;
};

// A sink that refuses writes past a number of bytes, like a full disk.
class FullSink final : public ByteSink {
public:
    explicit FullSink(qint64 room) : m_room(room) {}
    bool write(QByteArrayView bytes) override
    {
        if (bytes.size() > m_room)
            return false;
        m_room -= bytes.size();
        return true;
    }
    QString errorString() const override { return QStringLiteral("No space left on device"); }

private:
    qint64 m_room;
};

void checkCleanUp(QByteArrayView bytes, const QDir &folder)
{
    MemorySource source(bytes);
    const CleanUpPlan plan = planCleanUp(source);
    const bool tooShort = bytes.size() < 45;
    FUZZ_CHECK((plan.status == CleanUpStatus::BadFileSize) == tooShort);
    FUZZ_CHECK(plan.status != CleanUpStatus::Failed);

    QByteArray result;
    if (plan.status == CleanUpStatus::Done) {
        FUZZ_CHECK(plan.dataSize >= 0 && plan.dataOffset + 8 + plan.dataSize <= bytes.size());
        BufferSink out;
        const CleanUpResult written = writeCleanUp(source, plan, out);
        FUZZ_CHECK(written.status == CleanUpStatus::Done);
        result = out.bytes();
        FUZZ_CHECK(result.size() == plan.resultSize);
        FUZZ_CHECK(result.size() % 2 == 0);
        FUZZ_CHECK(qFromLittleEndian<qint32>(result.constData() + 4) == result.size() - 8);
        FUZZ_CHECK(QByteArrayView(result).sliced(44, plan.dataSize)
                   == bytes.sliced(plan.dataOffset + 8, plan.dataSize));
        // The result is canonical, so a second CleanUp changes nothing.
        MemorySource cleaned(result);
        qint64 fmt = -1;
        FUZZ_CHECK(findDataChunk(cleaned, &fmt) == 36 && fmt == 12);
        const CleanUpPlan second = planCleanUp(cleaned);
        FUZZ_CHECK(second.status == CleanUpStatus::Done && second.dataSize == plan.dataSize);
        BufferSink again;
        FUZZ_CHECK(writeCleanUp(cleaned, second, again).status == CleanUpStatus::Done);
        FUZZ_CHECK(again.bytes() == result);

        // A full disk part-way fails and says so.
        FullSink full(plan.resultSize / 2);
        const CleanUpResult fullResult = writeCleanUp(source, plan, full);
        FUZZ_CHECK(fullResult.status == CleanUpStatus::Failed && !fullResult.error.isEmpty());
    }

    // A read error anywhere gives a failure or the same result, never a wrong file.
    if (!bytes.isEmpty()) {
        FailingSource failing(bytes, bytes.size() / 2);
        const CleanUpPlan failingPlan = planCleanUp(failing);
        if (failingPlan.status == CleanUpStatus::Done) {
            BufferSink out;
            const CleanUpResult written = writeCleanUp(failing, failingPlan, out);
            if (written.status == CleanUpStatus::Done)
                FUZZ_CHECK(out.bytes() == result);
            else
                FUZZ_CHECK(written.status == CleanUpStatus::Failed && !written.error.isEmpty());
        } else if (!failing.failed) {
            FUZZ_CHECK(failingPlan.status == plan.status);
        }
    }

    // On a file: the same result in place, or the file left as it was, and no
    // temporary file behind either way.
    const QString path = folder.filePath(QStringLiteral("SAMPLE.wav"));
    FUZZ_CHECK(fuzz::writeFile(path, bytes));
    const CleanUpResult onFile = cleanUpWavFile(path);
    FUZZ_CHECK(onFile.status == plan.status);
    FUZZ_CHECK(fuzz::readFile(path) == (plan.status == CleanUpStatus::Done ? QByteArrayView(result) : bytes));
    FUZZ_CHECK(fuzz::entriesOf(folder) == QStringList{QStringLiteral("SAMPLE.wav")});
}

void checkDeblock(ByteSource &source, const QByteArray &out)
{
    const qint64 n = source.size();
    FUZZ_CHECK(out.size() == deblockedSize(n));
    // Output byte i comes from the input byte that skips the gaps before it.
    const qint64 period = kDeblockGap + kDeblockBlock;
    for (qint64 i = 0; i < out.size(); i += 997) {
        qint64 from = i;
        if (i >= kDeblockHeader) {
            const qint64 k = (i - kDeblockHeader) / kDeblockBlock;
            from = kDeblockHeader + k * period + kDeblockGap + (i - kDeblockHeader) % kDeblockBlock;
        }
        char c = 0;
        FUZZ_CHECK(source.readAt(from, &c, 1) == 1);
        FUZZ_CHECK(out[qsizetype(i)] == c);
    }
}

void checkTools(QByteArrayView bytes, const QDir &folder)
{
    // Header stamp: a canonical header over the first 44 bytes, the rest kept.
    MemorySource source(bytes);
    BufferSink stamped;
    QString error;
    FUZZ_CHECK(stampTestHeader(source, stamped, &error));
    FUZZ_CHECK(stamped.bytes().size() == std::max<qsizetype>(bytes.size(), 44));
    FUZZ_CHECK(stamped.bytes().first(44) == testHeader(bytes.size()));
    if (bytes.size() > 44)
        FUZZ_CHECK(QByteArrayView(stamped.bytes()).sliced(44) == bytes.sliced(44));

    // De-block, from memory and from a file, into an atomically replaced output.
    BufferSink deblocked;
    FUZZ_CHECK(deblock(source, deblocked, &error));
    checkDeblock(source, deblocked.bytes());
    const QString input = folder.filePath(kDeblockInputName);
    const QString output = folder.filePath(kDeblockOutputName);
    FUZZ_CHECK(fuzz::writeFile(input, bytes));
    FUZZ_CHECK(deblockFile(input, output, &error));
    FUZZ_CHECK(fuzz::readFile(output) == deblocked.bytes());
    QFile::remove(input);
    QFile::remove(output);

    // A long input, over several blocks and read buffers: its length comes from
    // the last two bytes, up to about 4 blocks. Costly, so for one input in four.
    if (bytes.size() >= 2 && (quint8(bytes[0]) ^ quint8(bytes[bytes.size() / 2])) % 4 == 0) {
        const qint64 extra = qint64(quint8(bytes[bytes.size() - 1]) << 8 | quint8(bytes[bytes.size() - 2])) * 4;
        const QByteArray longBytes = repeated(bytes, bytes.size() + extra);
        MemorySource longSource(longBytes);
        BufferSink longOut;
        FUZZ_CHECK(deblock(longSource, longOut, &error));
        checkDeblock(longSource, longOut.bytes());
        // The "data" search across read blocks agrees with a byte-by-byte one.
        const qint64 d = findDataTag(longSource);
        FUZZ_CHECK(d == -1 || (d >= 0 && d + 4 <= longSource.size()));
        if (d >= 0) {
            char tag[4];
            FUZZ_CHECK(longSource.readAt(d, tag, 4) == 4 && std::memcmp(tag, "data", 4) == 0);
        }
        const qint64 inInput = findDataTag(bytes);
        if (inInput >= 0)
            FUZZ_CHECK(d == inInput);
        else
            FUZZ_CHECK(d < 0 || d + 4 > bytes.size());
    }

    // A read error part-way fails with a reason, or did not matter.
    FailingSource failing(bytes, bytes.size() / 2);
    BufferSink failedOut;
    QString failure;
    if (!deblock(failing, failedOut, &failure))
        FUZZ_CHECK(!failure.isEmpty());
    else
        FUZZ_CHECK(failedOut.bytes() == deblocked.bytes());
}

// n / 2 rounded to the nearest whole number, an exact half to the even one.
qint64 halfToEven(qint64 n)
{
    const qint64 floorHalf = n >= 0 ? n / 2 : -((-n + 1) / 2);
    return (n % 2 != 0 && floorHalf % 2 != 0) ? floorHalf + 1 : floorHalf;
}

// The sampler chunk and the test header for any size, files of gigabytes included:
// those cannot be fuzzed in memory, so their sizes are taken from the input.
void checkSizes(QByteArrayView bytes)
{
    if (bytes.size() < 8)
        return;
    const qint32 S = qFromLittleEndian<qint32>(bytes.data() + bytes.size() - 4);
    const QByteArray sampler = samplerChunk(S);
    FUZZ_CHECK(sampler.size() == 68 && sampler.startsWith("smpl"));
    FUZZ_CHECK(qFromLittleEndian<qint32>(sampler.constData() + 52) == qint32(halfToEven(S)));
    FUZZ_CHECK(qFromLittleEndian<qint32>(sampler.constData() + 56) == qint32(halfToEven(qint64(S) + 30)));

    const qint64 length = qFromLittleEndian<qint64>(bytes.data() + bytes.size() - 8) & ((qint64(1) << 40) - 1);
    const QByteArray header = testHeader(length);
    const qint64 stamped = std::max<qint64>(length, 44);
    FUZZ_CHECK(header.size() == 44);
    FUZZ_CHECK(qFromLittleEndian<quint32>(header.constData() + 4) == quint32(stamped - 8));
    FUZZ_CHECK(qFromLittleEndian<quint32>(header.constData() + 40) == quint32(stamped - 44));
    FUZZ_CHECK(deblockedSize(length) <= std::max<qint64>(length, 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QDir folder = fuzz::scratchFolder();
    const QByteArrayView bytes = fuzz::input(data, size);
    checkCleanUp(bytes, folder);
    checkTools(bytes, folder);
    checkSizes(bytes);
    return 0;
}
