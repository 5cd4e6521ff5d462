// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/replacechar.h"

#include <cstring>

namespace tamo::util {

namespace {

bool isByteCode(int code)
{
    return code >= 0 && code <= 255;
}

} // namespace

// Copies the stretches between occurrences whole and puts `to` in each gap. A
// recursion per occurrence would run out of stack on long texts, so this walks the
// text once instead.
std::optional<QByteArray> ReplaceChar(QByteArrayView text, int from, int to)
{
    if (!isByteCode(from) || !isByteCode(to))
        return std::nullopt;
    QByteArray result;
    result.reserve(text.size());
    const char wanted = char(from);
    const char replacement = char(to);
    const char *rest = text.data();
    qsizetype left = text.size();
    while (left > 0) {
        const void *hit = std::memchr(rest, static_cast<unsigned char>(wanted), size_t(left));
        if (!hit) {
            result.append(rest, left);
            break;
        }
        const qsizetype before = static_cast<const char *>(hit) - rest;
        result.append(rest, before);
        result.append(replacement);
        rest += before + 1;
        left -= before + 1;
    }
    return result;
}

std::optional<QByteArray> ReplaceCharLoop(QByteArrayView text, int from, int to)
{
    if (!isByteCode(from) || !isByteCode(to))
        return std::nullopt;
    QByteArray result;
    result.reserve(text.size());
    for (const char c : text)
        result.append(static_cast<unsigned char>(c) == from ? char(to) : c);
    return result;
}

} // namespace tamo::util
