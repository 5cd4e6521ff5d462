// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/rootnote.h"

#include <algorithm>

#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace tamo::wav {

std::optional<int> noteFromFileName(QStringView fileName)
{
    // A separator or an end on both sides keeps "Cello2" or "Abc3" from reading as notes.
    static const QRegularExpression pattern(
        QStringLiteral("(?<![^ _.-])([A-Ga-g])([#b]?)(-?[0-9])(?![^ _.-])"));
    std::optional<int> found;
    QRegularExpressionMatchIterator it = pattern.globalMatch(fileName.toString());
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
        int note = kPitchClass[m.capturedView(1).at(0).toUpper().unicode() - u'A'];
        if (m.capturedView(2) == u"#")
            ++note;
        else if (m.capturedView(2) == u"b")
            --note;
        // C-2 is note 0, so the octave counts from -2.
        note += (m.capturedView(3).toInt() + 2) * 12;
        found = note >= 0 && note <= 127 ? std::optional<int>(note) : std::nullopt;
    }
    if (found)
        return found;
    // Glued to letters, as 8.3 names write it ("PIANOC3", "STRGFS2" with S for
    // sharp), read only in a name without small letters, at the end of its base:
    // there "Abc3" or "Cello2" cannot be meant.
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QStringView base = dot > 0 ? fileName.left(dot) : fileName;
    static const QRegularExpression glued(QStringLiteral("^[A-Z0-9_ -]*[A-Z]([A-G])([S#]?)(-?[0-9])$"));
    const QRegularExpressionMatch m = glued.match(base.toString());
    if (!m.hasMatch())
        return std::nullopt;
    static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    const int note = kPitchClass[m.capturedView(1).at(0).unicode() - u'A'] + (m.capturedLength(2) > 0 ? 1 : 0)
                     + (m.capturedView(3).toInt() + 2) * 12;
    return note >= 0 && note <= 127 ? std::optional<int>(note) : std::nullopt;
}

RootNote detectRoot(const QString &path)
{
    const SoundFile file(path);
    SF_INSTRUMENT instrument;
    const std::optional<int> named = noteFromFileName(QFileInfo(path).fileName());
    if (file.instrument(&instrument) && static_cast<unsigned char>(instrument.basenote) <= 127) {
        // A fraction above the unity note is a key above, tuned down by FINE: the way
        // the export writes KEY and FINE back, so that roots survive a second export.
        const int fraction = std::clamp(int(instrument.detune), 0, 99);
        const int chunk = std::min(127, int(instrument.basenote) + (fraction > 0 ? 1 : 0));
        return {chunk, RootSource::SamplerChunk, named != chunk ? named : std::nullopt, fraction > 0 ? 100 - fraction : 0};
    }
    if (named)
        return {named, RootSource::FileName, std::nullopt};
    return {};
}

QString rootSourceText(RootSource source)
{
    switch (source) {
    case RootSource::SamplerChunk:
        return QCoreApplication::translate("RootNote", "sampler chunk");
    case RootSource::FileName:
        return QCoreApplication::translate("RootNote", "file name");
    case RootSource::None:
        break;
    }
    return QCoreApplication::translate("RootNote", "none");
}

} // namespace tamo::wav
