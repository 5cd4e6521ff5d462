// SPDX-License-Identifier: GPL-3.0-or-later
// The user-voice bank reader: the first "KORG1" after the header splits the file,
// wherever it lies; a load writes back as the same entries with a good checksum.

#include "fuzzsupport.h"

#include "usv/usvfile.h"

using namespace tamo;
using namespace tamo::usv;
using bank::kHeaderSize;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const UsvReadResult result = readUsv(bytes);
    FUZZ_CHECK(result.document.has_value() == (result.outcome == ReadOutcome::Loaded));
    qsizetype tag = bytes.size() > kHeaderSize ? bytes.indexOf(QByteArrayView("KORG1"), kHeaderSize) : -1;
    if (tag < 0)
        tag = bytes.size();
    if (!bytes.startsWith(QByteArrayView("KUSV\x00", 5))) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused && result.messages == QStringList{kUsvHeaderMessage});
    } else if ((tag - kHeaderSize) % kVoiceSize != 0) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused && result.messages.last() == kUsvFormatMessage);
    } else if (tag == kHeaderSize || tag == bytes.size()) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Failed);
    }

    const UsvReadResult opened = OpenUSVFile(fuzz::writeFile(QStringLiteral("FUZZ.USV"), bytes));
    FUZZ_CHECK(opened.outcome == result.outcome && opened.messages == result.messages
               && opened.document == result.document);
    if (!result.document)
        return 0;
    const UsvFile &doc = *result.document;
    FUZZ_CHECK(doc.Voices.size() == (tag - kHeaderSize) / kVoiceSize);
    FUZZ_CHECK(doc.TaggedEntries.size() >= 1 && doc.TaggedEntries.size() <= bank::kMaxEntries);
    for (qsizetype i = 0; i < doc.Voices.size(); ++i)
        FUZZ_CHECK(doc.Voices[i].bytes() == bytes.sliced(kHeaderSize + i * kVoiceSize, kVoiceSize));
    // Never more than half a tagged entry made up or dropped at the end.
    const qsizetype after = bytes.size() - tag - kTagSize;
    FUZZ_CHECK(qAbs(doc.TaggedEntries.size() * kTaggedEntrySize - after) <= kTaggedEntrySize / 2);

    const QByteArray image = usvBytes(doc);
    const UsvReadResult again = readUsv(image);
    FUZZ_CHECK(again.outcome == ReadOutcome::Loaded && again.messages.isEmpty());
    FUZZ_CHECK(again.document->Voices == doc.Voices && again.document->TaggedEntries == doc.TaggedEntries);
    FUZZ_CHECK(usvBytes(*again.document) == image);
    return 0;
}
