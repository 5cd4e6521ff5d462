// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp/keymapping.h"

#include "msp/valueformats.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace tamo::msp {

namespace {

constexpr std::array kSlotFields = {
    SampleField::StartKey, SampleField::EndKey, SampleField::Volume,  SampleField::Dca,
    SampleField::CutOff,   SampleField::Dcf,    SampleField::PitchMode, SampleField::Fine,
    SampleField::Key,      SampleField::Attack, SampleField::Sustain, SampleField::Decay,
    SampleField::Release,
};

constexpr int kTopKey = 127;

} // namespace

void copySlotFrom(const MspRecord &source, int from, MspRecord &target, int to)
{
    target.setSampleName(to, source.sampleName(from));
    for (const SampleField field : kSlotFields)
        target.setSample(field, to, source.sample(field, from));
    for (int block = 0; block < kSampleReservedBlocks; ++block)
        target.setSampleReserved(block, to, source.sampleReserved(block, from));
}

QList<int> mapKeys(MspRecord &record, const SlotRoots &roots)
{
    const int used = record.usedSlotCount();
    const auto rootOf = [&](int slot) {
        const std::optional<int> root = slot <= roots.size() ? roots.at(slot - 1) : std::nullopt;
        return root && *root >= 0 && *root <= kTopKey ? root : std::nullopt;
    };
    QList<int> order(used);
    std::iota(order.begin(), order.end(), 1);
    // Rootless samples sort after every root.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rootOf(a).value_or(kTopKey + 1) < rootOf(b).value_or(kTopKey + 1); });
    const auto mapped = std::count_if(order.begin(), order.end(), [&](int slot) { return rootOf(slot).has_value(); });
    if (mapped == 0)
        return order;

    const MspRecord before = record;
    for (int k = 1; k <= used; ++k)
        copySlotFrom(before, order.at(k - 1), record, k);

    // Zone k covers the keys after boundary[k - 1] up to boundary[k], as shown.
    QList<int> boundary(mapped + 1, 0);
    boundary[mapped] = kTopKey;
    for (qsizetype first = 0; first < mapped;) {
        const int root = *rootOf(order.at(first));
        qsizetype last = first; // the group of samples sharing this root
        while (last + 1 < mapped && *rootOf(order.at(last + 1)) == root)
            ++last;
        const int groupEnd = last + 1 < mapped ? (root + *rootOf(order.at(last + 1))) / 2 : kTopKey;
        const int groupStart = boundary.at(first);
        const qsizetype parts = last - first + 1;
        for (qsizetype j = 1; j <= parts; ++j)
            boundary[first + j] = groupStart + int((groupEnd - groupStart) * j / parts);
        first = last + 1;
    }
    for (int k = 1; k <= mapped; ++k) {
        // The stored bytes are those the key picker would store for these notes.
        const int lowestKey = k == 1 ? 0 : boundary.at(k - 1) + 1;
        record.setSample(SampleField::StartKey, k, storedStartNote(lowestKey).value_or(0));
        record.setSample(SampleField::EndKey, k, quint8(boundary.at(k)));
        record.setSample(SampleField::Key, k, quint8(*rootOf(order.at(k - 1))));
    }
    return order;
}

void setSlotKey(MspRecord &record, int slot, int key)
{
    key = std::clamp(key, 1, kTopKey);
    record.setSample(SampleField::StartKey, slot, storedStartNote(key).value_or(0));
    record.setSample(SampleField::EndKey, slot, quint8(key));
    record.setSample(SampleField::Key, slot, quint8(key));
}

void mapOneKeyPerSound(MspRecord &record, int firstKey)
{
    for (int slot = 1; slot <= record.usedSlotCount(); ++slot)
        setSlotKey(record, slot, firstKey + slot - 1);
}

QList<int> keyCoverage(const MspRecord &record)
{
    QList<int> count(kTopKey + 1, 0);
    for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
        const int first = record.sample(SampleField::StartKey, slot) + 1;
        const int last = std::min<int>(record.sample(SampleField::EndKey, slot), kTopKey);
        for (int key = first; key <= last; ++key)
            ++count[key];
    }
    return count;
}

int slotForKey(const MspRecord &record, int key)
{
    for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
        if (key > record.sample(SampleField::StartKey, slot) && key <= record.sample(SampleField::EndKey, slot))
            return slot;
    }
    return 0;
}

} // namespace tamo::msp
