// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/soundimport.h"

#include "msp/valueformats.h"
#include "util/paths.h"
#include "util/shortname.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace tamo::exporter {

namespace {

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QByteArray sampleNameFor(const QString &path)
{
    const QString fileName = util::fileNameExtract(util::ShortFileName(path));
    const qsizetype dot = fileName.indexOf(u'.');
    if (dot <= 0)
        return {};
    // Upper case as on the stick; the file is still found (the lookup ignores case).
    const QString name = fileName.left(std::min<qsizetype>(dot, msp::kSampleNameSize)).toUpper();
    QStringEncoder encoder("windows-1252");
    QByteArray bytes;
    for (const QChar c : name) {
        if (!encoder.isValid()) {
            bytes += c.unicode() < 256 ? char(c.unicode()) : '_';
            continue;
        }
        encoder.resetState();
        const QByteArray one = encoder.encode(QString(c));
        bytes += !encoder.hasError() && one.size() == 1 ? one : QByteArray("_");
    }
    return bytes;
}

QString sampleRootText(const AddedSample &sample)
{
    QString text = QStringLiteral("%1: root %2 from the sampler chunk")
                       .arg(QFileInfo(sample.path).fileName(), msp::NoteName(sample.root.note.value_or(0)));
    if (sample.root.overruledName)
        text += QStringLiteral("; the name's %1 is overruled").arg(msp::NoteName(*sample.root.overruledName));
    return text + u'.';
}

AddResult addSoundFiles(msp::MspRecord &record, const QStringList &paths)
{
    AddResult result;
    for (const QString &path : paths) {
        if (record.sampleCount() >= msp::kMaxSamples) {
            result.limitReached = true;
            break;
        }
        const QByteArray name = sampleNameFor(path);
        if (name.isEmpty()) {
            result.skipped << path;
            continue;
        }
        const int slot = record.sampleCount() + 1;
        record.setGlobal(msp::GlobalField::SampleCount, quint8(slot));
        record.ResetSampleSlot(slot);
        record.setSampleName(slot, name);
        result.added.append({slot, path, wav::detectRoot(path)});
    }
    return result;
}

QString sampleNameText(const QByteArray &storedName)
{
    QStringDecoder decoder("windows-1252");
    return trimSpaces(decoder.isValid() ? QString(decoder.decode(storedName)) : QString::fromLatin1(storedName));
}

QString keyboardFileName(const QByteArray &storedName)
{
    const QString base = sampleNameText(storedName);
    if (base.isEmpty() || base.contains(QChar(u'\0')) || base.contains(u'/') || base.contains(u'\\')
        || base == u"." || base == u"..")
        return {};
    return base + QStringLiteral(".WAV");
}

QString soundFileBeside(const QString &mspPath, const QByteArray &storedName)
{
    const QString wavName = keyboardFileName(storedName);
    if (wavName.isEmpty())
        return {};
    const QString folder = QFileInfo(mspPath).absolutePath();
    const QString name = wavName.chopped(4) + QStringLiteral(".wav");
    // The name as stored (any case), else the long name whose short form it is.
    const QString found = util::longNameForShort(folder, name);
    const QString path = QDir(folder).filePath(found);
    return !found.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

bool isSampleName(QStringView text)
{
    if (text.isEmpty() || text.size() > msp::kSampleNameSize)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')
               || QStringView(u"!#$%&'()-@^_`{}~").contains(c);
    });
}

QString mspNameFor(QStringView name)
{
    QString base = util::shortNameCharacters(name);
    base.removeIf([](QChar c) { return !util::isStickName(QString(c)); }); // no "#", "(" or "!" on the stick
    base.truncate(msp::kSampleNameSize);
    if (base.isEmpty())
        base = QStringLiteral("_");
    return base + QStringLiteral(".MSP");
}

QString mspNameForFolder(const QString &folder)
{
    return mspNameFor(QFileInfo(QDir(folder).absolutePath()).fileName());
}

} // namespace tamo::exporter
