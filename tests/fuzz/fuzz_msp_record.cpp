// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP reader and the value formats: any byte image is read whole, from memory
// and from a file alike, and every shown value can be stored back as it shows.

#include "fuzzsupport.h"

#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "msp/valueformats.h"

#include <QFile>

#include <algorithm>

using namespace tamo;
using namespace tamo::msp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    const qsizetype kept = std::min<qsizetype>(bytes.size(), kMspRecordSize);
    const MspRecord record = MspRecord::fromBytes(bytes);
    const QByteArray image = record.bytes();
    FUZZ_CHECK(image.size() == kMspRecordSize);
    FUZZ_CHECK(QByteArrayView(image).first(kept) == bytes.first(kept));
    FUZZ_CHECK(image.sliced(kept).count('\0') == kMspRecordSize - kept);
    FUZZ_CHECK(record.isValid() == bytes.startsWith("TAMO00"));
    FUZZ_CHECK(record.usedSlotCount() == std::min(record.sampleCount(), kMaxSamples));

    MspRecord loaded;
    const QString path = fuzz::writeFile(QStringLiteral("FUZZ.MSP"), bytes);
    FUZZ_CHECK(LoadMspFile(path, loaded, nullptr));
    FUZZ_CHECK(loaded == record);
    // A save writes over the record's bytes only: a longer file keeps the rest.
    FUZZ_CHECK(SaveMspFile(path, MspRecord::newDocument()).ok);
    QFile saved(path);
    FUZZ_CHECK(saved.open(QIODevice::ReadOnly)
               && saved.readAll() == MspRecord::newDocument().bytes() + bytes.sliced(kept).toByteArray());

    // Each byte of the input as a stored value, the next two as a pick.
    for (qsizetype i = 0; i + 2 < std::min<qsizetype>(bytes.size(), 96); i += 3) {
        const quint8 stored = quint8(bytes[i]);
        const int picked = qint16(quint16(quint8(bytes[i + 1])) << 8 | quint8(bytes[i + 2]));
        for (int f = int(ValueFormat::Plain); f <= int(ValueFormat::LowNibble); ++f) {
            const auto format = ValueFormat(f);
            const int shown = shownValue(format, stored);
            (void)sliderStartValue(format, stored);
            FUZZ_CHECK(storedValue(format, shown, stored).has_value());
            if (const std::optional<quint8> s = storedValue(format, picked, stored)) {
                FUZZ_CHECK(shownValue(format, *s) == picked);
                // A nibble written leaves the other one as it was.
                if (format == ValueFormat::HighNibble)
                    FUZZ_CHECK((*s & 0x0f) == (stored & 0x0f));
                if (format == ValueFormat::LowNibble)
                    FUZZ_CHECK((*s & 0xf0) == (stored & 0xf0));
            }
        }
        (void)NoteName(picked);
        const std::optional<quint8> start = storedStartNote(picked);
        if (start && picked != 0)
            FUZZ_CHECK(StartNoteName(*start) == NoteName(picked));
    }
    return 0;
}
