// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tamo::util {

// The text with every byte equal to `from` replaced by `to`. Codes are single-byte
// characters (0..255); a code outside that range gives nullopt.
std::optional<QByteArray> ReplaceChar(QByteArrayView text, int from, int to);

// Same result as ReplaceChar, byte by byte.
std::optional<QByteArray> ReplaceCharLoop(QByteArrayView text, int from, int to);

} // namespace tamo::util
