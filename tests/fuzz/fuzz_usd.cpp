// The drum-kit bank reader: any bytes end in a load, a refusal with its message,
// or a silent failure; a load writes back as the same kits with a good checksum.

#include "fuzzsupport.h"

#include "usd/usdfile.h"

using namespace tamo;
using namespace tamo::usd;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::MemFile file;
    const QByteArrayView bytes = fuzz::input(data, size);

    const UsdReadResult result = readUsd(bytes);
    const bool header = bytes.startsWith(QByteArrayView("KUSD\x03", 5));
    const qsizetype body = bytes.size() - kHeaderSize;
    // Stored checksum bytes missing from a short file count as zero.
    const auto stored = [&bytes](qsizetype at) { return at < bytes.size() ? quint8(bytes[at]) : quint8(0); };
    const bool checksumOk
        = HeaderChecksum(bytes.size() > kHeaderSize ? bytes.sliced(kHeaderSize) : QByteArrayView())
          == Checksum{stored(kCheckHighOffset), stored(kCheckLowOffset)};

    FUZZ_CHECK(result.document.has_value() == (result.outcome == ReadOutcome::Loaded));
    if (!header) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused);
        FUZZ_CHECK(result.messages == QStringList{kUsdHeaderMessage});
    } else {
        // The checksum note comes first, alone, and never stops the read.
        FUZZ_CHECK(result.messages.count(kBadChecksumMessage) == (checksumOk ? 0 : 1));
        FUZZ_CHECK(checksumOk || result.messages.first() == kBadChecksumMessage);
        const bool badLength = body % kUsdEntrySize != 0;
        FUZZ_CHECK(result.messages.contains(kUsdFormatMessage) == badLength);
        if (badLength)
            FUZZ_CHECK(result.outcome == ReadOutcome::Refused);
        else if (body == 0 || body / kUsdEntrySize > kMaxEntries)
            FUZZ_CHECK(result.outcome == ReadOutcome::Failed);
        else
            FUZZ_CHECK(result.outcome == ReadOutcome::Loaded);
    }

    // The file reader agrees with the memory one.
    const UsdReadResult opened = OpenUSDFile(file.set(bytes));
    FUZZ_CHECK(opened.outcome == result.outcome && opened.messages == result.messages
               && opened.document == result.document);

    if (!result.document)
        return 0;
    const UsdFile &doc = *result.document;
    FUZZ_CHECK(doc.Entries.size() == body / kUsdEntrySize);
    for (qsizetype i = 0; i < doc.Entries.size(); ++i) {
        FUZZ_CHECK(doc.Entries[i].bytes() == bytes.sliced(kHeaderSize + i * kUsdEntrySize, kUsdEntrySize));
        FUZZ_CHECK(displayName(doc.Entries[i].name()).size() == kNameSize);
    }

    // Written back: the same bytes but the checksum, which then reads clean.
    const QByteArray image = usdBytes(doc);
    FUZZ_CHECK(image.size() == bytes.size());
    FUZZ_CHECK(QByteArrayView(image).first(kCheckHighOffset) == bytes.first(kCheckHighOffset));
    FUZZ_CHECK(QByteArrayView(image).sliced(kHeaderSize) == bytes.sliced(kHeaderSize));
    const UsdReadResult again = readUsd(image);
    FUZZ_CHECK(again.outcome == ReadOutcome::Loaded && again.messages.isEmpty());
    FUZZ_CHECK(again.document->Entries == doc.Entries);
    return 0;
}
