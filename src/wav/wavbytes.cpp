// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/wavbytes.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tamo::wav {

bool ByteSource::readPadded(qint64 pos, char *dst, qint64 len)
{
    std::memset(dst, 0, size_t(len));
    const qint64 total = size();
    // Only the part inside [0, size) is read; the rest stays 0.
    const qint64 begin = std::max<qint64>(pos, 0);
    const qint64 end = std::min<qint64>(pos + len, total);
    if (begin >= end)
        return true;
    return readAt(begin, dst + (begin - pos), end - begin) >= 0;
}

qint32 ByteSource::int32At(qint64 pos)
{
    char b[4];
    readPadded(pos, b, 4);
    return qFromLittleEndian<qint32>(b);
}

qint16 ByteSource::int16At(qint64 pos)
{
    char b[2];
    readPadded(pos, b, 2);
    return qFromLittleEndian<qint16>(b);
}

QByteArray ByteSource::bytesAt(qint64 pos, qint64 len)
{
    const qint64 begin = std::max<qint64>(pos, 0);
    const qint64 end = std::min<qint64>(pos + len, size());
    if (begin >= end)
        return {};
    QByteArray out(qsizetype(end - begin), Qt::Uninitialized);
    const qint64 got = readAt(begin, out.data(), end - begin);
    out.truncate(qsizetype(std::max<qint64>(got, 0)));
    return out;
}

qint64 MemorySource::readAt(qint64 pos, char *dst, qint64 len)
{
    if (pos < 0 || len < 0)
        return -1;
    if (pos >= m_bytes.size())
        return 0;
    const qint64 n = std::min<qint64>(len, m_bytes.size() - pos);
    std::memcpy(dst, m_bytes.data() + pos, size_t(n));
    return n;
}

bool FileSource::open()
{
    // Some systems open a folder and then read nothing from it; QFile then has no reason to give.
    if (QFileInfo(m_file.fileName()).isDir()) {
        m_error = qt_error_string(EISDIR);
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    m_size = m_file.size();
    return true;
}

qint64 FileSource::readAt(qint64 pos, char *dst, qint64 len)
{
    if (pos < 0 || len < 0)
        return -1;
    qint64 done = 0;
    while (done < len) {
#ifdef Q_OS_UNIX
        const ssize_t n = ::pread(m_file.handle(), dst + done, size_t(len - done), off_t(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
#else
        if (!m_file.seek(pos + done))
            return -1;
        const qint64 n = m_file.read(dst + done, len - done);
#endif
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

namespace {

// The offset of the first "data" in [p, p + n), or -1. The scan must keep up with
// the reads from the system's cache, so it tests 32 places at a time for a "d"
// with an "a" three bytes on, and only those (rare) places in full.
qsizetype findTag(const char *p, qsizetype n)
{
    static constexpr std::string_view tag("data", 4);
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i d = _mm_set1_epi8('d');
    const __m128i a = _mm_set1_epi8('a');
    auto candidates = [&](qsizetype at) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at));
        const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + at + 3));
        return unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, d), _mm_cmpeq_epi8(last, a))));
    };
    for (; i + 32 + 3 <= n; i += 32) {
        unsigned mask = candidates(i) | (candidates(i + 16) << 16);
        for (; mask; mask &= mask - 1) {
            const int bit = std::countr_zero(mask);
            if (std::memcmp(p + i + bit, tag.data(), 4) == 0)
                return i + bit;
        }
    }
#endif
    const size_t hit = std::string_view(p + i, size_t(n - i)).find(tag);
    return hit == std::string_view::npos ? -1 : i + qsizetype(hit);
}

} // namespace

qint64 findDataTag(ByteSource &source, qint64 from)
{
    constexpr qsizetype kOverlap = 3;
    // Small enough to stay in the CPU cache between the read and the scan.
    constexpr qsizetype kBlock = 256 * 1024;
    const qint64 total = source.size();
    if (from < 0)
        from = 0;
    if (total - from < 4)
        return -1;
    QByteArray buffer(kBlock + kOverlap, Qt::Uninitialized);
    char *const buf = buffer.data();
    qsizetype kept = 0; // the last bytes of the previous block, carried over
    qint64 pos = from;  // file offset of buf[kept]
    while (pos < total) {
        const qint64 want = std::min<qint64>(kBlock, total - pos);
        const qint64 got = source.readAt(pos, buf + kept, want);
        if (got <= 0)
            return -1;
        const qsizetype filled = kept + qsizetype(got);
        const qsizetype hit = findTag(buf, filled);
        if (hit >= 0)
            return pos - kept + hit;
        pos += got;
        const qsizetype keep = std::min(kOverlap, filled);
        std::memmove(buf, buf + filled - keep, size_t(keep));
        kept = keep;
    }
    return -1;
}

qint64 findDataTag(QByteArrayView bytes)
{
    MemorySource source(bytes);
    return findDataTag(source);
}

void putInt32(char *dst, qint32 value) { qToLittleEndian(value, dst); }
void putInt16(char *dst, qint16 value) { qToLittleEndian(value, dst); }

} // namespace tamo::wav
