// SPDX-License-Identifier: GPL-3.0-or-later
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
    // More entries than the counts hold, like any file too large to be a bank: no load,
    // decided at once without searching what may be gigabytes.
    if (bytes.size() > kMaxUsvFileSize) {
        result.outcome = ReadOutcome::Failed;
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
    const std::optional<QByteArray> bytes =
        bank::readBankFile(path, QByteArrayLiteral("KUSV") + char(kUsvVersion), kMaxUsvFileSize);
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

QString readBackProblem(const UsvFile &doc, const QByteArray &image)
{
    const UsvReadResult again = readUsv(image);
    if (again.document && again.document->Voices == doc.Voices
        && again.document->TaggedEntries == doc.TaggedEntries)
        return {};
    // A read takes the first "KORG1" after the header as the tag: one that voices
    // copied side by side spell out comes before the real one.
    const qsizetype tag = bank::kHeaderSize + kVoiceSize * doc.Voices.size();
    const qsizetype early = image.indexOf(kTagMark, bank::kHeaderSize);
    if (early < 0 || early >= tag)
        return QStringLiteral("the new file would not read back as the same entries");
    const qsizetype first = (early - bank::kHeaderSize) / kVoiceSize;
    const qsizetype last =
        qMin((early + kTagMark.size() - 1 - bank::kHeaderSize) / kVoiceSize, doc.Voices.size() - 1);
    QStringList voices;
    for (qsizetype i = first; i <= last; ++i)
        voices << QStringLiteral("%1 \"%2\"")
                      .arg(i + 1)
                      .arg(bank::displayName(doc.Voices[i].name()).trimmed());
    const bool one = voices.size() == 1;
    return QStringLiteral("%1 %2 %3 \"KORG1\", which would be read back as the section tag")
        .arg(one ? QStringLiteral("the voice") : QStringLiteral("the voices"),
             voices.join(QStringLiteral(" and ")), one ? QStringLiteral("spells") : QStringLiteral("spell"));
}

SaveResult SaveUSVFile(const QString &path, const UsvFile &doc)
{
    const QByteArray image = usvBytes(doc);
    // Never replace a bank by one that reads back as something else.
    const QString problem = readBackProblem(doc, image);
    if (!problem.isEmpty())
        return {false, problem};
    return saveFileAtomically(path, image);
}

} // namespace tamo::usv
