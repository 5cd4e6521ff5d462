// The MSP reader and every value shown from the record: any byte image is read
// whole, each field goes through its value format, and edits stay inside the record.

#include "fuzzsupport.h"

#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "msp/valueformats.h"

#include <algorithm>

using namespace tamo;
using namespace tamo::msp;

namespace {

constexpr ValueFormat kFormats[] = {
    ValueFormat::Plain,      ValueFormat::Half,           ValueFormat::Fine,
    ValueFormat::Reverse127, ValueFormat::Reverse99,      ValueFormat::Reverse96,
    ValueFormat::SignedOffset64, ValueFormat::HighNibble, ValueFormat::LowNibble,
};

// The value picked in a pop-up comes back as a signed 16-bit number.
void checkFormat(ValueFormat format, quint8 stored, qint16 picked)
{
    const int shown = shownValue(format, stored);
    (void)sliderStartValue(format, stored);
    // What is stored for a pick shows as that pick; the other nibble survives.
    for (const int p : {int(picked), shown}) {
        const std::optional<quint8> s = storedValue(format, p, stored);
        if (!s)
            continue;
        FUZZ_CHECK(shownValue(format, *s) == p);
        if (format == ValueFormat::HighNibble)
            FUZZ_CHECK((*s & 0x0f) == (stored & 0x0f));
        if (format == ValueFormat::LowNibble)
            FUZZ_CHECK((*s & 0xf0) == (stored & 0xf0));
    }
    // The shown value of a stored byte can always be stored again.
    FUZZ_CHECK(storedValue(format, shown, stored).has_value());
}

void showSample(const MspRecord &record, int slot)
{
    FUZZ_CHECK(record.sampleName(slot).size() == 8);
    FUZZ_CHECK(!StartNoteName(record.sample(SampleField::StartKey, slot)).isEmpty());
    FUZZ_CHECK(!NoteName(record.sample(SampleField::EndKey, slot)).isEmpty());
    FUZZ_CHECK(!NoteName(record.sample(SampleField::Key, slot)).isEmpty());
    FUZZ_CHECK(!PitchModeText(record.sample(SampleField::PitchMode, slot)).isEmpty());
    FUZZ_CHECK(FineValue(record.sample(SampleField::Fine, slot)) <= 100);
    (void)PlainValue(record.sample(SampleField::Volume, slot));
    (void)Reverse127(record.sample(SampleField::Attack, slot));
    (void)Reverse99(record.sample(SampleField::Decay, slot));
    (void)PlainValue(record.sample(SampleField::Sustain, slot));
    (void)Reverse96(record.sample(SampleField::Release, slot));
    (void)PlainValue(record.sample(SampleField::CutOff, slot));
    FUZZ_CHECK(HighNibble(record.sample(SampleField::Dca, slot)) < 16);
    FUZZ_CHECK(LowNibble(record.sample(SampleField::Dcf, slot)) < 16);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::MemFile file;
    const QByteArrayView bytes = fuzz::input(data, size);
    const qsizetype kept = std::min<qsizetype>(bytes.size(), kMspRecordSize);

    MspRecord record = MspRecord::fromBytes(bytes);
    const QByteArray image = record.bytes();
    FUZZ_CHECK(image.size() == kMspRecordSize);
    FUZZ_CHECK(QByteArrayView(image).first(kept) == bytes.first(kept));
    FUZZ_CHECK(std::all_of(image.begin() + kept, image.end(), [](char c) { return c == 0; }));
    FUZZ_CHECK(record.isValid() == bytes.startsWith("TAMO00"));

    // The file reader gives the same record as the memory one, whatever the bytes.
    MspRecord loaded;
    QString error;
    FUZZ_CHECK(LoadMspFile(file.set(bytes), loaded, &error));
    FUZZ_CHECK(loaded == record);

    // The global fields as the view shows them.
    const int count = record.sampleCount();
    FUZZ_CHECK(count >= 0 && count <= 255);
    FUZZ_CHECK(record.usedSlotCount() == std::min(count, kMaxSamples));
    const quint8 effect = record.global(GlobalField::Effect);
    const EffectView view = EffectName(effect);
    FUZZ_CHECK(view.name.isEmpty() == ((effect & 0x7f) >= kEffectTypeCount));
    for (const EffectView::Amount &amount : view.amount)
        FUZZ_CHECK(amount.shown != amount.caption.isEmpty());
    FUZZ_CHECK(!RotorText(effect).isEmpty());
    FUZZ_CHECK(!OctaveText(record.global(GlobalField::Octave)).isEmpty());
    FUZZ_CHECK(HalfValue(record.global(GlobalField::Level)) <= 127);
    (void)SignedOffset64(record.global(GlobalField::FineTune));

    // Every slot, used or not, and the slot numbers around them.
    for (int slot = 0; slot <= kMaxSamples + 1; ++slot) {
        if (slot < 1 || slot > kMaxSamples) {
            FUZZ_CHECK(record.sampleName(slot).isEmpty());
            FUZZ_CHECK(record.sample(SampleField::Volume, slot) == 0);
            continue;
        }
        showSample(record, slot);
    }

    // Every value format over bytes of the input, with picks taken from it too.
    for (qsizetype i = 0; i + 2 < std::min<qsizetype>(bytes.size(), 96); i += 3) {
        const quint8 stored = quint8(bytes[i]);
        const qint16 picked = qint16(quint16(quint8(bytes[i + 1])) << 8 | quint8(bytes[i + 2]));
        for (const ValueFormat format : kFormats)
            checkFormat(format, stored, picked);
        const std::optional<quint8> start = storedStartNote(picked);
        if (start && picked != 0)
            FUZZ_CHECK(StartNoteName(*start) == NoteName(picked));
        (void)NoteName(picked);
    }

    // Edits picked by the input stay inside the record.
    if (bytes.size() >= 12) {
        const int from = qint8(bytes[8]);
        const int to = qint8(bytes[9]);
        const QByteArray before = record.bytes();
        record.copySlot(from, to);
        if (from < 1 || from > kMaxSamples || to < 1 || to > kMaxSamples)
            FUZZ_CHECK(record.bytes() == before);
        else
            FUZZ_CHECK(record.sampleName(to) == record.sampleName(from));
        record.ResetSampleSlot(qint8(bytes[10]));
        record.setSampleName(qint8(bytes[11]), bytes.sliced(12, std::min<qsizetype>(bytes.size() - 12, 20)));
        record.setSample(SampleField::Key, qint8(bytes[11]), quint8(bytes[10]));
        FUZZ_CHECK(record.bytes().size() == kMspRecordSize);
        FUZZ_CHECK(record.magic() == image.first(kMagicSize));
    }
    return 0;
}
