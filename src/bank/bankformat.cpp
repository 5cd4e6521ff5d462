#include "bank/bankformat.h"

#include <QFile>

namespace tamo::bank {

Checksum HeaderChecksum(QByteArrayView afterHeader)
{
    // Only the sum modulo 65536 matters, so a wrapping 32-bit sum is enough.
    quint32 sum = 0;
    for (const char c : afterHeader)
        sum += quint8(c);
    const quint32 low = sum % 256;
    const quint32 high = ((sum % 65536 + low) / 256) % 256;
    return {quint8(high), quint8(low)};
}

namespace {

// Header bytes past the end of a short file count as zero.
quint8 byteAt(QByteArrayView bytes, qsizetype offset)
{
    return offset < bytes.size() ? quint8(bytes[offset]) : quint8(0);
}

} // namespace

bool headerChecksumMatches(QByteArrayView bytes)
{
    const Checksum sum = HeaderChecksum(bytes.size() > kHeaderSize ? bytes.sliced(kHeaderSize)
                                                                   : QByteArrayView());
    return byteAt(bytes, kCheckHighOffset) == sum.high
           && byteAt(bytes, kCheckLowOffset) == sum.low;
}

void stampHeaderChecksum(QByteArray &image)
{
    const Checksum sum = HeaderChecksum(QByteArrayView(image).sliced(kHeaderSize));
    image[kCheckHighOffset] = char(sum.high);
    image[kCheckLowOffset] = char(sum.low);
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QString displayName(QByteArrayView name)
{
    // Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned codes
    // pass through as the C1 controls Windows maps them to.
    static constexpr char16_t k80to9F[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(name.size());
    for (const char c : name) {
        const quint8 b = quint8(c);
        if (b < 0x20)
            text += u' '; // zero padding and control codes would garble a list row
        else if (b >= 0x80 && b <= 0x9F)
            text += QChar(k80to9F[b - 0x80]);
        else
            text += QChar(char16_t(b));
    }
    return text;
}

} // namespace tamo::bank
