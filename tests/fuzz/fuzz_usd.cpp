// SPDX-License-Identifier: GPL-3.0-or-later
// The drum-kit bank reader: any bytes end in a load, a refusal with its message,
// or a silent failure; a load writes back as the same kits with a good checksum.

#include "fuzzsupport.h"

#include "usd/usdfile.h"

using namespace tamo;
using namespace tamo::usd;
using namespace tamo::bank;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const UsdReadResult result = readUsd(bytes);
    FUZZ_CHECK(result.document.has_value() == (result.outcome == ReadOutcome::Loaded));
    const qsizetype body = bytes.size() - kHeaderSize;
    if (!bytes.startsWith(QByteArrayView("KUSD\x03", 5))) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused && result.messages == QStringList{kUsdHeaderMessage});
    } else if (bytes.size() > kMaxUsdFileSize) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Failed && result.messages.isEmpty());
    } else if (body % kUsdEntrySize != 0) {
        FUZZ_CHECK(result.outcome == ReadOutcome::Refused && result.messages.last() == kUsdFormatMessage);
    } else {
        const bool loads = body > 0;
        FUZZ_CHECK(result.outcome == (loads ? ReadOutcome::Loaded : ReadOutcome::Failed));
    }

    const UsdReadResult opened = OpenUSDFile(fuzz::writeFile(QStringLiteral("FUZZ.USD"), bytes));
    FUZZ_CHECK(opened.outcome == result.outcome && opened.messages == result.messages
               && opened.document == result.document);
    if (!result.document)
        return 0;

    // Written back: the same bytes but the checksum, which then reads clean.
    const QByteArray image = usdBytes(*result.document);
    FUZZ_CHECK(image.size() == bytes.size());
    FUZZ_CHECK(QByteArrayView(image).first(kCheckHighOffset) == bytes.first(kCheckHighOffset));
    FUZZ_CHECK(QByteArrayView(image).sliced(kHeaderSize) == bytes.sliced(kHeaderSize));
    const UsdReadResult again = readUsd(image);
    FUZZ_CHECK(again.outcome == ReadOutcome::Loaded && again.messages.isEmpty());
    FUZZ_CHECK(again.document->Entries == result.document->Entries);
    return 0;
}
