// The user-voice bank reader: the first "KORG1" after the header splits the file,
// wherever it lies; a load writes back as the same entries with a good checksum.

#include "fuzzsupport.h"

#include "usv/usvfile.h"

using namespace tamo;
using namespace tamo::usv;
using usd::Checksum;
using usd::HeaderChecksum;
using usd::kBadChecksumMessage;
using usd::kHeaderSize;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::MemFile file;
    const QByteArrayView bytes = fuzz::input(data, size);
    const qsizetype length = bytes.size();

    const UsvReadResult result = readUsv(bytes);
    const bool header = bytes.startsWith(QByteArrayView("KUSV\x00", 5));
    FUZZ_CHECK(result.document.has_value() == (result.outcome == ReadOutcome::Loaded));

    qsizetype tag = length > kHeaderSize ? QByteArrayView(bytes).indexOf(QByteArrayView("KORG1"), kHeaderSize) : -1;
    if (tag < 0)
        tag = length;
    if (!header) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused);
        FUZZ_CHECK(result.messages == QStringList{kUsvHeaderMessage});
    } else {
        // Stored checksum bytes missing from a short file count as zero.
        const auto stored = [&bytes](qsizetype at) { return at < bytes.size() ? quint8(bytes[at]) : quint8(0); };
        const bool checksumOk
            = HeaderChecksum(length > kHeaderSize ? bytes.sliced(kHeaderSize) : QByteArrayView())
              == Checksum{stored(usd::kCheckHighOffset), stored(usd::kCheckLowOffset)};
        FUZZ_CHECK(result.messages.count(kBadChecksumMessage) == (checksumOk ? 0 : 1));
        const bool badVoices = (tag - kHeaderSize) % kVoiceSize != 0;
        FUZZ_CHECK(result.messages.contains(kUsvFormatMessage) == badVoices);
        if (badVoices)
            FUZZ_CHECK(result.outcome == ReadOutcome::Refused);
        else if (tag == kHeaderSize || tag == length)
            FUZZ_CHECK(result.outcome == ReadOutcome::Failed);
    }

    const UsvReadResult opened = OpenUSVFile(file.set(bytes));
    FUZZ_CHECK(opened.outcome == result.outcome && opened.messages == result.messages
               && opened.document == result.document);

    if (!result.document)
        return 0;
    const UsvFile &doc = *result.document;
    FUZZ_CHECK(doc.Voices.size() == (tag - kHeaderSize) / kVoiceSize);
    FUZZ_CHECK(doc.Voices.size() >= 1 && doc.Voices.size() <= usd::kMaxEntries);
    FUZZ_CHECK(doc.TaggedEntries.size() >= 1 && doc.TaggedEntries.size() <= usd::kMaxEntries);
    FUZZ_CHECK(doc.SectionTag.size() == kTagSize && doc.SectionTag.startsWith("KORG1"));
    for (qsizetype i = 0; i < doc.Voices.size(); ++i)
        FUZZ_CHECK(doc.Voices[i].bytes() == bytes.sliced(kHeaderSize + i * kVoiceSize, kVoiceSize));
    // Tagged entries: the bytes there, a last one cut by the end padded with zeros.
    const qsizetype first = tag + kTagSize;
    for (qsizetype j = 0; j < doc.TaggedEntries.size(); ++j) {
        const qsizetype at = first + j * kTaggedEntrySize;
        const qsizetype have = std::clamp<qsizetype>(length - at, 0, kTaggedEntrySize);
        const QByteArray &entry = doc.TaggedEntries[j].bytes();
        FUZZ_CHECK(entry.size() == kTaggedEntrySize);
        FUZZ_CHECK(QByteArrayView(entry).first(have) == bytes.sliced(at, have));
        FUZZ_CHECK(QByteArrayView(entry).sliced(have).count('\0') == kTaggedEntrySize - have);
    }
    // Never more than half an entry is made up, never more than half one dropped.
    const qsizetype after = length - first;
    FUZZ_CHECK(qAbs(doc.TaggedEntries.size() * kTaggedEntrySize - after) <= kTaggedEntrySize / 2);

    const QByteArray image = usvBytes(doc);
    const UsvReadResult again = readUsv(image);
    FUZZ_CHECK(again.outcome == ReadOutcome::Loaded && again.messages.isEmpty());
    FUZZ_CHECK(again.document->Voices == doc.Voices);
    FUZZ_CHECK(again.document->TaggedEntries == doc.TaggedEntries);
    FUZZ_CHECK(again.document->SectionTag == kWrittenTag);
    FUZZ_CHECK(usvBytes(*again.document) == image);
    return 0;
}
