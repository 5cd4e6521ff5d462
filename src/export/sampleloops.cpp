// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/sampleloops.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cmath>

namespace tamo::exporter {

namespace {

constexpr QByteArrayView kHeader = "TAMO sample loops 1";
constexpr qint64 kMaxFileBytes = 1 << 20; // 64 short lines need far less
constexpr qint64 kMaxFrame = qint64(1) << 40;

} // namespace

void SampleLoop::applyTo(SlotSource &source) const
{
    if (kind == Kind::Keep || source.path.isEmpty() || wav::checkKeyboardFormat(source.path).ok)
        return;
    wav::SourceCut &cut = source.cut;
    cut.loop = kind;
    cut.loopStart = kind == Kind::Forward ? start : 0;
    cut.loopEnd = kind == Kind::Forward ? end : 0;
    cut.crossfade = kind == Kind::Forward ? crossfade : 0;
    cut.loopLength = kind == Kind::Forward ? length : 0;
}

QByteArray loopKey(const QByteArray &storedName) { return storedName.trimmed(); }

QString loopsFilePath(const QString &mspPath) { return mspPath + QStringLiteral(".loops"); }

QByteArray loopsFileBytes(const SampleLoops &loops, const msp::MspRecord &record)
{
    QByteArray lines;
    QList<QByteArray> written;
    for (int slot = 1; record.isValid() && slot <= record.usedSlotCount(); ++slot) {
        const QByteArray key = loopKey(record.sampleName(slot));
        const SampleLoop loop = loops.value(key);
        if (key.isEmpty() || loop.kind == SampleLoop::Kind::Keep || written.contains(key))
            continue;
        written << key;
        lines += key.toPercentEncoding();
        if (loop.kind == SampleLoop::Kind::None)
            lines += " none\n";
        else
            lines += QByteArray(" forward ") + QByteArray::number(loop.start) + ' ' + QByteArray::number(loop.end) + ' '
                     + QByteArray::number(loop.crossfade) + ' ' + QByteArray::number(loop.length, 'g', 17) + '\n';
    }
    if (lines.isEmpty())
        return {};
    return kHeader.toByteArray() + "\n# sample, none | forward start end crossfade length (frames of its sound file)\n" + lines;
}

SampleLoops parseLoopsFile(const QByteArray &bytes)
{
    SampleLoops loops;
    for (const QByteArray &line : bytes.left(kMaxFileBytes).split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2 || line.startsWith('#')) // the header has no kind: passed over too
            continue;
        const QByteArray name = QByteArray::fromPercentEncoding(words[0]);
        if (name.isEmpty() || name.size() > msp::kSampleNameSize || name != name.trimmed())
            continue;
        SampleLoop loop;
        if (words[1] == "none" && words.size() == 2) {
            loop.kind = SampleLoop::Kind::None;
        } else if (words[1] == "forward" && words.size() == 6) {
            bool ok[4] = {};
            loop = {SampleLoop::Kind::Forward, words[2].toLongLong(&ok[0]), words[3].toLongLong(&ok[1]),
                    words[4].toLongLong(&ok[2]), words[5].toDouble(&ok[3])};
            const qint64 span = loop.end - loop.start;
            if (!(ok[0] && ok[1] && ok[2] && ok[3]) || loop.start < 0 || span <= 0 || loop.end > kMaxFrame
                || loop.crossfade < 0 || loop.crossfade > span || !std::isfinite(loop.length)
                || (loop.length != 0 && std::abs(loop.length - double(span)) > 1))
                continue;
        } else {
            continue;
        }
        loops.insert(name, loop);
    }
    return loops;
}

SampleLoops readLoopsBeside(const QString &mspPath)
{
    QFile file(loopsFilePath(mspPath));
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return parseLoopsFile(file.read(kMaxFileBytes));
}

SaveResult saveLoopsBeside(const QString &mspPath, const SampleLoops &loops, const msp::MspRecord &record)
{
    const QString path = loopsFilePath(mspPath);
    const QByteArray bytes = loopsFileBytes(loops, record);
    if (!bytes.isEmpty())
        return saveFileAtomically(path, bytes);
    // An old file would bring loops back that were removed since.
    QFile old(path);
    if (QFileInfo(path).isFile() && !old.remove())
        return {false, old.errorString()};
    return {true, {}};
}

} // namespace tamo::exporter
