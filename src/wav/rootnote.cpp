#include "wav/rootnote.h"

#include "wav/soundfile.h"

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
    return found;
}

RootNote detectRoot(const QString &path)
{
    const SoundFile file(path);
    SF_INSTRUMENT instrument;
    if (file.instrument(&instrument) && static_cast<unsigned char>(instrument.basenote) <= 127)
        return {int(instrument.basenote), RootSource::SamplerChunk};
    if (const std::optional<int> note = noteFromFileName(QFileInfo(path).fileName()))
        return {note, RootSource::FileName};
    return {};
}

QString rootSourceText(RootSource source)
{
    switch (source) {
    case RootSource::SamplerChunk:
        return QStringLiteral("sampler chunk");
    case RootSource::FileName:
        return QStringLiteral("file name");
    case RootSource::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace tamo::wav
