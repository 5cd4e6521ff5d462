// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/bankformat.h"

#include "util/codepage.h"
#include "util/regularfile.h"

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

std::optional<QByteArray> readBankFile(const QString &path, QByteArrayView header,
                                       qsizetype maxSize)
{
    QFile file;
    if (!util::openRegularFile(file, path))
        return std::nullopt;
    std::optional<QByteArray> bytes = util::readAtMost(file, header.size());
    if (!bytes || *bytes != header)
        return bytes;
    const std::optional<QByteArray> rest = util::readAtMost(file, maxSize + 1 - header.size());
    if (!rest)
        return std::nullopt;
    return *bytes + *rest;
}

QString displayName(QByteArrayView name)
{
    QString text;
    text.reserve(name.size());
    for (const char c : name) {
        const quint8 b = quint8(c);
        // Zero padding and control codes would garble a list row.
        text += b < 0x20 ? QChar(u' ') : util::windows1252DisplayChar(b);
    }
    return text;
}

} // namespace tamo::bank
