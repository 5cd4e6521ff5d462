// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"

#include <QList>

#include <optional>

namespace tamo::msp {

// The root key (0..127) of each used slot, or none: roots[k - 1] for slot k.
using SlotRoots = QList<std::optional<int>>;

// Maps the samples of the used slots across the keyboard from their roots:
// - KEY becomes the root;
// - the samples with a root are ordered by root, equal roots in slot order, and
//   those without one follow in slot order, keeping their values; slots move
//   whole, name and reserved bytes included;
// - START and END tile the keyboard as the editor shows them (START shows the
//   note after its stored value): the lowest zone starts at the bottom (stored 0),
//   the highest ends at 127, each zone ends halfway to the next root (the lower
//   key on a tie) and the next starts on the following key, so every key 1..127 is
//   covered exactly once (key 0 no START can show). Samples sharing a root share
//   its zone, split into consecutive parts as even as the keys allow; a part may be
//   empty (START shown one past END) when there are more such samples than keys.
// Returns, for each new slot k, the slot it came from: order[k - 1]. Missing
// entries of roots count as none; a record with no root is left as it is.
QList<int> mapKeys(MspRecord &record, const SlotRoots &roots);

// Where drum maps start: C1 as the editor names notes.
constexpr int kFirstDrumKey = 36;

// For samples with no root (a drum kit): each used slot, in slot order, gets a key
// of its own from firstKey up (KEY, START and END on that key alone; past 127 the
// top key). The others are silent.
void mapOneKeyPerSound(MspRecord &record, int firstKey = kFirstDrumKey);
// Slot's KEY, START and END on key alone (clamped to 1..127).
void setSlotKey(MspRecord &record, int slot, int key);

// How many samples' zones cover each key 0..127, reading START and END as the
// editor shows them (START shows the note after its stored value): 0 is a gap,
// more than 1 an overlap.
QList<int> keyCoverage(const MspRecord &record);

// The slot whose zone covers the key, the lowest such slot; 0 when none does.
int slotForKey(const MspRecord &record, int key);

// Copies slot `from` of source into slot `to` of target: the name and every
// per-sample byte, reserved ones included.
void copySlotFrom(const MspRecord &source, int from, MspRecord &target, int to);

} // namespace tamo::msp

namespace tamo::msp {

// A list kept per slot (sources, roots) put in the order mapKeys returned;
// entries past the order stay where they are.
template <typename T>
QList<T> reorderedBySlot(const QList<T> &perSlot, const QList<int> &order)
{
    QList<T> result = perSlot;
    for (qsizetype k = 0; k < order.size() && k < perSlot.size(); ++k) {
        if (order.at(k) - 1 < perSlot.size())
            result[k] = perSlot.at(order.at(k) - 1);
    }
    return result;
}

} // namespace tamo::msp
