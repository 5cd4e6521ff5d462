#include "msp/wavbytes.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string_view>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace tamo::msp {

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

qint64 findDataTag(ByteSource &source, qint64 from)
{
    static constexpr std::string_view tag("data", 4);
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
        const std::string_view window(buf, size_t(kept + got));
        const size_t hit = window.find(tag);
        if (hit != std::string_view::npos)
            return pos - kept + qint64(hit);
        pos += got;
        const qsizetype keep = std::min<qsizetype>(kOverlap, qsizetype(window.size()));
        std::memmove(buf, buf + window.size() - size_t(keep), size_t(keep));
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

} // namespace tamo::msp
