#include "usd/usdfile.h"

#include <QFile>

namespace tamo::usd {

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

QList<QByteArray> UsdFile::names() const
{
    QList<QByteArray> result;
    result.reserve(Entries.size());
    for (const UsdEntry &entry : Entries)
        result << entry.name();
    return result;
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

UsdReadResult readUsd(QByteArrayView bytes)
{
    UsdReadResult result;
    static const QByteArray header = QByteArrayLiteral("KUSD") + char(kUsdVersion);
    if (!bytes.startsWith(header)) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsdHeaderMessage;
        return result;
    }
    if (!headerChecksumMatches(bytes))
        result.messages << kBadChecksumMessage;

    const qsizetype body = bytes.size() - kHeaderSize;
    if (body < 0 || body % kUsdEntrySize != 0) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsdFormatMessage;
        return result;
    }
    const qsizetype count = body / kUsdEntrySize;
    if (count == 0 || count > kMaxEntries) {
        result.outcome = ReadOutcome::Failed;
        return result;
    }

    UsdFile doc;
    doc.Magic = bytes.sliced(kMagicOffset, kMagicSize).toByteArray();
    doc.Version = quint8(bytes[kVersionOffset]);
    doc.CheckHigh = quint8(bytes[kCheckHighOffset]);
    doc.CheckLow = quint8(bytes[kCheckLowOffset]);
    doc.Entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        doc.Entries << UsdEntry(bytes.sliced(kHeaderSize + kUsdEntrySize * i, kUsdEntrySize));
    result.outcome = ReadOutcome::Loaded;
    result.document = std::move(doc);
    return result;
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

UsdReadResult OpenUSDFile(const QString &path)
{
    const std::optional<QByteArray> bytes = readWholeFile(path);
    if (!bytes)
        return {};
    return readUsd(*bytes);
}

QByteArray usdBytes(const UsdFile &doc)
{
    QByteArray out;
    out.reserve(kHeaderSize + kUsdEntrySize * doc.Entries.size());
    QByteArray magic = doc.Magic.left(kMagicSize);
    magic.append(kMagicSize - magic.size(), '\0');
    out += magic;
    out += char(doc.Version);
    out += char(doc.CheckHigh);
    out += char(doc.CheckLow);
    for (const UsdEntry &entry : doc.Entries)
        out += entry.bytes();
    stampHeaderChecksum(out);
    return out;
}

SaveResult SaveUSDFile(const QString &path, const UsdFile &doc)
{
    return saveFileAtomically(path, usdBytes(doc));
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

} // namespace tamo::usd
