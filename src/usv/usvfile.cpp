#include "usv/usvfile.h"

namespace tamo::usv {

QList<QByteArray> UsvFile::voiceNames() const
{
    QList<QByteArray> result;
    for (const UsvVoice &voice : Voices)
        result << voice.name();
    return result;
}

QList<QByteArray> UsvFile::taggedNames() const
{
    QList<QByteArray> result;
    for (const UsvTaggedEntry &entry : TaggedEntries)
        result << entry.name();
    return result;
}

namespace {

quint8 byteAt(QByteArrayView bytes, qsizetype offset)
{
    return offset < bytes.size() ? quint8(bytes[offset]) : quint8(0);
}

// Up to size bytes from offset; whatever lies past the end is left for the caller to pad.
QByteArrayView slice(QByteArrayView bytes, qsizetype offset, qsizetype size)
{
    if (offset >= bytes.size())
        return {};
    return bytes.sliced(offset, qMin(size, bytes.size() - offset));
}

// The number of tagged entries: bytes / 32 rounded to nearest, an exact half to even.
qsizetype taggedCount(qsizetype bytesAfterTag)
{
    if (bytesAfterTag <= 0)
        return 0;
    qsizetype count = bytesAfterTag / kTaggedEntrySize;
    const qsizetype rest = bytesAfterTag % kTaggedEntrySize;
    const qsizetype half = kTaggedEntrySize / 2;
    if (rest > half || (rest == half && count % 2 == 1))
        ++count;
    return count;
}

} // namespace

UsvReadResult readUsv(QByteArrayView bytes)
{
    using namespace bank;
    UsvReadResult result;
    static const QByteArray header = QByteArrayLiteral("KUSV") + char(kUsvVersion);
    if (!bytes.startsWith(header)) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsvHeaderMessage;
        return result;
    }
    if (!bank::headerChecksumMatches(bytes))
        result.messages << kBadChecksumMessage;

    const qsizetype length = bytes.size();
    qsizetype tag = length > kHeaderSize ? bytes.indexOf(kTagMark, kHeaderSize) : -1;
    if (tag < 0)
        tag = length;
    const qsizetype voiceBytes = tag - kHeaderSize;
    if (voiceBytes < 0 || voiceBytes % kVoiceSize != 0) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsvFormatMessage;
        return result;
    }
    const qsizetype voices = voiceBytes / kVoiceSize;
    const qsizetype tagged = taggedCount(length - tag - kTagSize);
    if (voices == 0 || tagged == 0 || voices > kMaxEntries || tagged > kMaxEntries) {
        result.outcome = ReadOutcome::Failed;
        return result;
    }

    UsvFile doc;
    doc.Magic = bytes.sliced(kMagicOffset, kMagicSize).toByteArray();
    doc.Version = quint8(bytes[kVersionOffset]);
    doc.CheckHigh = byteAt(bytes, kCheckHighOffset);
    doc.CheckLow = byteAt(bytes, kCheckLowOffset);
    doc.Voices.reserve(voices);
    for (qsizetype i = 0; i < voices; ++i)
        doc.Voices << UsvVoice(bytes.sliced(kHeaderSize + kVoiceSize * i, kVoiceSize));
    doc.SectionTag = slice(bytes, tag, kTagSize).toByteArray();
    doc.SectionTag.append(kTagSize - doc.SectionTag.size(), '\0');
    const qsizetype first = tag + kTagSize;
    doc.TaggedEntries.reserve(tagged);
    for (qsizetype j = 0; j < tagged; ++j)
        doc.TaggedEntries << UsvTaggedEntry(
            slice(bytes, first + kTaggedEntrySize * j, kTaggedEntrySize));
    result.outcome = ReadOutcome::Loaded;
    result.document = std::move(doc);
    return result;
}

UsvReadResult OpenUSVFile(const QString &path)
{
    const std::optional<QByteArray> bytes = bank::readWholeFile(path);
    if (!bytes)
        return {};
    return readUsv(*bytes);
}

QByteArray usvBytes(const UsvFile &doc)
{
    using namespace bank;
    QByteArray out;
    out.reserve(kHeaderSize + kVoiceSize * doc.Voices.size() + kTagSize
                + kTaggedEntrySize * doc.TaggedEntries.size());
    QByteArray magic = doc.Magic.left(kMagicSize);
    magic.append(kMagicSize - magic.size(), '\0');
    out += magic;
    out += char(doc.Version);
    out += char(doc.CheckHigh);
    out += char(doc.CheckLow);
    for (const UsvVoice &voice : doc.Voices)
        out += voice.bytes();
    out += kWrittenTag;
    for (const UsvTaggedEntry &entry : doc.TaggedEntries)
        out += entry.bytes();
    bank::stampHeaderChecksum(out);
    return out;
}

SaveResult SaveUSVFile(const QString &path, const UsvFile &doc)
{
    return saveFileAtomically(path, usvBytes(doc));
}

} // namespace tamo::usv
