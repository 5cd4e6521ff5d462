// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/drumkit.h"

#include "msp/keymapping.h"
#include "msp/valueformats.h"
#include "util/shortname.h"
#include "wav/levels.h"
#include "wav/rootnote.h"
#include "wav/soundfile.h"
#include "wav/sourceanalysis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <vector>

namespace tamo::exporter {

namespace {

constexpr double kVelocity100 = 100.0 / 127.0; // Hydrogen's velocity scale is 0..1
constexpr float kSilentPeak = 0.001f;           // -60 dBFS: a placeholder, not a sound

// Lower-case words of a name, split also where case or digits change ("HiHatClosed",
// "Tom2", "crash16inch").
QStringList wordsOf(QStringView name)
{
    QStringList words{QString()};
    QChar previous;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber()) {
            words << QString();
            previous = QChar();
            continue;
        }
        if (!words.last().isEmpty() && ((previous.isLower() && c.isUpper()) || previous.isDigit() != c.isDigit()))
            words << QString();
        words.last() += c.toLower();
        previous = c;
    }
    words.removeAll(QString());
    // Toms are often named as one word ("tomhi", "floortom").
    QStringList split;
    for (const QString &word : std::as_const(words)) {
        if (word.size() > 3 && word.startsWith(u"tom"))
            split << QStringLiteral("tom") << word.mid(3);
        else if (word.size() > 3 && word.endsWith(u"tom"))
            split << word.chopped(3) << QStringLiteral("tom");
        else
            split << word;
    }
    return split;
}

// The velocity-layer marks of a file name: stem, kind of mark and rank.
struct LayerMark {
    QString stem;
    int kind = -1; // -1: none; 0: number, 1: dynamic word, 2: left/right
    int rank = 0;
};

LayerMark layerMarkOf(const QString &baseName)
{
    static const QRegularExpression numbered(QStringLiteral("^(.*?)[ _.-]+(?:v|vel|velocity|layer|l)?[ _-]?(\\d{1,3})$"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression dynamic(QStringLiteral("^(.*?)[ _.(-]+(softest|soft|medium|med|hardest|hard|ghost|heavy|"
                                                           "ppp|pp|p|mp|mf|fff|ff|f)\\)?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sides(QStringLiteral("^(.*?)[ _.(-]+([LR])\\)?$"), QRegularExpression::CaseInsensitiveOption);
    static const QStringList kDynamics{QStringLiteral("ghost"), QStringLiteral("ppp"), QStringLiteral("softest"),
                                       QStringLiteral("pp"), QStringLiteral("p"), QStringLiteral("soft"),
                                       QStringLiteral("mp"), QStringLiteral("med"), QStringLiteral("medium"),
                                       QStringLiteral("mf"), QStringLiteral("f"), QStringLiteral("hard"),
                                       QStringLiteral("ff"), QStringLiteral("heavy"), QStringLiteral("fff"),
                                       QStringLiteral("hardest")};
    if (const auto m = numbered.match(baseName); m.hasMatch() && !m.captured(1).isEmpty()) {
        // "Kick 1" and "Kick 2" are two kicks; "_01", "-v2" or "layer3" are layers.
        const QString mark = baseName.mid(m.capturedEnd(1));
        if (m.captured(2).size() >= 2 || mark.contains(QRegularExpression(QStringLiteral("[vVlL]"))))
            return {m.captured(1), 0, m.captured(2).toInt()};
    }
    if (const auto m = dynamic.match(baseName); m.hasMatch() && !m.captured(1).isEmpty())
        return {m.captured(1), 1, int(kDynamics.indexOf(m.captured(2).toLower()))};
    if (const auto m = sides.match(baseName); m.hasMatch() && !m.captured(1).isEmpty())
        return {m.captured(1), 2, m.captured(2).compare(u"L", Qt::CaseInsensitive) == 0 ? 0 : 1};
    return {baseName, -1, 0};
}

// Mono frames of a file, at most maxFrames of them.
std::vector<float> monoFrames(const QString &path, qint64 maxFrames, int &rate)
{
    wav::SoundFile file(path);
    if (!file.isOpen() || file.info().channels < 1 || file.info().samplerate <= 0)
        return {};
    rate = file.info().samplerate;
    const int channels = file.info().channels;
    const qint64 frames = std::min<qint64>(file.info().frames, maxFrames);
    std::vector<float> interleaved(std::size_t(frames) * std::size_t(channels));
    const qint64 read = sf_readf_float(file.handle(), interleaved.data(), frames);
    std::vector<float> mono(std::size_t(std::max<qint64>(read, 0)));
    for (std::size_t f = 0; f < mono.size(); ++f) {
        float sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += interleaved[f * std::size_t(channels) + std::size_t(c)];
        mono[f] = sum / float(channels);
    }
    return mono;
}

double energyOf(const std::vector<float> &x, std::size_t from, std::size_t length)
{
    double sum = 0;
    for (std::size_t i = from; i < from + length && i < x.size(); ++i)
        sum += double(x[i]) * double(x[i]);
    return sum;
}

// The period (in frames) at which the window at from repeats best, and how well
// (normalised autocorrelation, 1 for a perfect repeat).
std::pair<int, double> periodAt(const std::vector<float> &x, std::size_t from, std::size_t window, int minLag, int maxLag)
{
    std::pair<int, double> best{0, 0.0};
    const double e0 = energyOf(x, from, window);
    for (int lag = minLag; lag <= maxLag; ++lag) {
        double cross = 0;
        for (std::size_t i = 0; i < window; ++i)
            cross += double(x[from + i]) * double(x[from + i + std::size_t(lag)]);
        const double e1 = energyOf(x, from + std::size_t(lag), window);
        const double r = e0 > 0 && e1 > 0 ? cross / std::sqrt(e0 * e1) : 0.0;
        if (r > best.second + 0.02) // the shortest lag of near-equal ones: no octave slips
            best = {lag, r};
    }
    return best;
}

} // namespace

QList<int> gmDrumKeys(QStringView name)
{
    const QStringList words = wordsOf(name);
    const auto has = [&](std::initializer_list<const char *> any) {
        return std::any_of(any.begin(), any.end(), [&](const char *w) { return words.contains(QLatin1String(w)); });
    };
    const bool low = has({"low", "lo", "floor"}), high = has({"high", "hi"});
    if (has({"hat", "hihat", "hh", "hhat", "ohh", "chh"})) {
        if (has({"open", "op", "opened", "ohh", "semi", "semiopen", "swish", "free"}))
            return {46, 44, 42};
        if (has({"pedal", "pd", "foot", "ped", "chick"}))
            return {44, 42, 46};
        return {42, 44, 46};
    }
    if (has({"kick", "bd", "kik", "bassdrum"}) || (has({"bass"}) && has({"drum"})))
        return {36, 35};
    if (has({"snare", "sd", "sn", "snr", "rimshot"}))
        return has({"rim", "rimshot"}) ? QList{40, 38} : QList{38, 40};
    if (has({"stick", "sidestick", "rim", "rimclick", "rs"}))
        return {37};
    if (has({"clap", "claps", "handclap"}))
        return {39};
    if (has({"tom", "toms", "tm"})) {
        static const QList<int> kToms{50, 48, 47, 45, 43, 41};
        // The nearest tom key first, the other tom keys after it.
        qsizetype first = 1;
        if (has({"floor"}))
            first = 5;
        else if (low)
            first = 4;
        else if (has({"mid", "middle", "med"}))
            first = 2;
        else if (high)
            first = 0;
        else if (const auto number = std::find_if(words.begin(), words.end(), [](const QString &w) { return w.at(0).isDigit(); });
                 number != words.end())
            first = number->toInt() - 1;
        const int nearest = kToms.at(std::clamp<qsizetype>(first, 0, kToms.size() - 1));
        QList<int> keys = kToms;
        std::stable_sort(keys.begin(), keys.end(), [&](int a, int b) { return std::abs(a - nearest) < std::abs(b - nearest); });
        return keys;
    }
    if (has({"cowbell", "cow"}))
        return {56};
    if (has({"china"}))
        return {52};
    if (has({"splash"}))
        return {55, 57};
    if (has({"ride", "rd"}))
        return has({"bell", "cup"}) ? QList{53, 51} : QList{51, 59};
    if (has({"crash", "cymbal", "cym"}))
        return {49, 57};
    if (has({"tambourine", "tamb", "tambourin", "tamborine"}))
        return {54};
    if (has({"vibraslap"}))
        return {58};
    if (has({"bongo", "bongos"}))
        return low ? QList{61, 60} : QList{60, 61};
    if (has({"conga", "congas"}))
        return has({"mute", "slap"}) ? QList{62} : low ? QList{64, 63} : QList{63, 62, 64};
    if (has({"timbale", "timbales"}))
        return low ? QList{66, 65} : QList{65, 66};
    if (has({"agogo"}))
        return low ? QList{68, 67} : QList{67, 68};
    if (has({"cabasa"}))
        return {69};
    if (has({"maraca", "maracas", "shaker", "shake"}))
        return {70, 69};
    if (has({"whistle"}))
        return {71, 72};
    if (has({"guiro"}))
        return {73, 74};
    if (has({"clave", "claves"}))
        return {75};
    if (has({"woodblock", "block"}))
        return low ? QList{77, 76} : QList{76, 77};
    if (has({"cuica"}))
        return has({"open"}) ? QList{79, 78} : QList{78, 79};
    if (has({"triangle"}))
        return has({"open"}) ? QList{81, 80} : QList{80, 81};
    return {};
}

std::optional<DrumKit> readHydrogenKit(const QString &folder, QString *error)
{
    const QString xmlName = util::findFileCaseInsensitive(folder, QStringLiteral("drumkit.xml"));
    if (xmlName.isEmpty())
        return std::nullopt;
    QFile file(QDir(folder).filePath(xmlName));
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());

    struct Layer {
        QString file;
        double min = 0, max = 1, gain = 1;
    };
    struct Instrument {
        QString name, file; // file: the older one-sound form
        double gain = 1, volume = 1;
        QList<Layer> layers; // of its first component
    };
    QList<Instrument> instruments;
    QXmlStreamReader xml(&file);
    int components = 0;
    bool inInstrument = false, inLayer = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            if (xml.name() == u"layer")
                inLayer = false;
            else if (xml.name() == u"instrument")
                inInstrument = false;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QStringView tag = xml.name();
        if (tag == u"instrument" && !inInstrument) {
            instruments.append(Instrument());
            inInstrument = true;
            components = 0;
        } else if (inInstrument && tag == u"instrumentComponent") {
            ++components;
        } else if (inInstrument && tag == u"layer") {
            inLayer = true;
            if (components <= 1)
                instruments.last().layers.append(Layer());
        } else if (inInstrument && (tag == u"name" || tag == u"filename" || tag == u"min" || tag == u"max" || tag == u"gain"
                                    || tag == u"volume")) {
            const QString text = xml.readElementText().trimmed();
            Instrument &instrument = instruments.last();
            bool ok = false;
            const double value = text.toDouble(&ok);
            const bool ownLayer = inLayer && components <= 1 && !instrument.layers.isEmpty();
            if (tag == u"name" && !inLayer)
                instrument.name = text;
            else if (tag == u"filename")
                (ownLayer ? instrument.layers.last().file : instrument.file) = text;
            else if (ok && tag == u"min" && ownLayer)
                instrument.layers.last().min = value;
            else if (ok && tag == u"max" && ownLayer)
                instrument.layers.last().max = value;
            else if (ok && tag == u"gain" && ownLayer)
                instrument.layers.last().gain = value;
            else if (ok && tag == u"gain" && !inLayer && components == 0)
                instrument.gain = value;
            else if (ok && tag == u"volume" && !inLayer)
                instrument.volume = value;
        }
    }
    if (xml.hasError())
        return fail(QStringLiteral("%1 (line %2)").arg(xml.errorString()).arg(xml.lineNumber()));

    DrumKit kit;
    kit.declared = true;
    QStringList missing;
    int layered = 0;
    for (const Instrument &instrument : std::as_const(instruments)) {
        QList<Layer> layers = instrument.layers;
        if (layers.isEmpty() && !instrument.file.isEmpty())
            layers.append({instrument.file});
        if (layers.isEmpty())
            continue; // an unused place of the kit
        // The layer velocity 100 plays, else the nearest.
        const auto distance = [](const Layer &l) {
            return kVelocity100 < l.min ? l.min - kVelocity100 : kVelocity100 > l.max ? kVelocity100 - l.max : 0.0;
        };
        const Layer &layer = *std::min_element(layers.begin(), layers.end(),
                                               [&](const Layer &a, const Layer &b) { return distance(a) < distance(b); });
        const QString path = util::findPathCaseInsensitive(folder, layer.file);
        const QString name = instrument.name.trimmed().isEmpty() ? QFileInfo(layer.file).completeBaseName() : instrument.name;
        if (path.isEmpty()) {
            missing << layer.file;
            continue;
        }
        kit.pieces.append({name, path, std::max(0.0, instrument.gain * instrument.volume * layer.gain)});
        layered += layers.size() > 1 ? 1 : 0;
    }
    if (layered > 0)
        kit.report << QCoreApplication::translate("DrumKit", "Instruments with velocity layers (%1): each plays its layer of velocity 100.").arg(layered);
    missing.removeDuplicates();
    if (!missing.isEmpty())
        kit.report << QCoreApplication::translate("DrumKit", "Sound files drumkit.xml names but the folder lacks, left out: %1.").arg(missing.join(QStringLiteral(", ")));
    return kit;
}

DrumKit kitFromFiles(const QStringList &paths)
{
    // Files sharing a stem and a kind of mark are layers of one instrument.
    QList<LayerMark> marks;
    QHash<QString, int> members;
    for (const QString &path : paths) {
        marks << layerMarkOf(QFileInfo(path).completeBaseName());
        if (marks.last().kind >= 0)
            ++members[marks.last().stem.toLower() + QString::number(marks.last().kind)];
    }
    DrumKit kit;
    QHash<QString, qsizetype> pieceOf;
    QList<QList<qsizetype>> layersOf;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const LayerMark &mark = marks.at(i);
        const QString group = mark.stem.toLower() + QString::number(mark.kind);
        if (mark.kind < 0 || members.value(group) < 2) {
            kit.pieces.append({QFileInfo(paths.at(i)).completeBaseName(), paths.at(i)});
            layersOf.append(QList<qsizetype>{i});
            continue;
        }
        if (!pieceOf.contains(group)) {
            pieceOf.insert(group, kit.pieces.size());
            kit.pieces.append({mark.stem, paths.at(i)});
            layersOf.append(QList<qsizetype>());
        }
        layersOf[pieceOf.value(group)] << i;
    }
    for (qsizetype p = 0; p < kit.pieces.size(); ++p) {
        QList<qsizetype> layers = layersOf.at(p);
        if (layers.size() < 2)
            continue;
        std::stable_sort(layers.begin(), layers.end(), [&](qsizetype a, qsizetype b) { return marks.at(a).rank < marks.at(b).rank; });
        // Left and right: the left; layers: the one velocity 100 plays.
        const qsizetype kept = marks.at(layers.first()).kind == 2 ? 0 : std::lround(double(layers.size() - 1) * kVelocity100);
        kit.pieces[p].path = paths.at(layers.at(kept));
        QStringList others;
        for (qsizetype j = 0; j < layers.size(); ++j) {
            if (j != kept)
                others << QFileInfo(paths.at(layers.at(j))).fileName();
        }
        kit.report << QCoreApplication::translate("DrumKit", "%1: kept %2 of %3 layers; left out %4.")
                          .arg(kit.pieces.at(p).name, QFileInfo(kit.pieces.at(p).path).fileName())
                          .arg(layers.size())
                          .arg(others.join(QStringLiteral(", ")));
    }
    return kit;
}

std::optional<bool> holdsPitch(const QString &path)
{
    int rate = 0;
    const std::vector<float> x = monoFrames(path, 1 << 18, rate);
    if (x.empty() || rate <= 0)
        return std::nullopt;
    const std::size_t window = std::size_t(rate / 20), minLag = std::size_t(rate / 2000), maxLag = std::size_t(rate / 30);
    std::size_t peakAt = 0;
    for (std::size_t i = 0; i < x.size() && i < std::size_t(rate); ++i) {
        if (std::fabs(x[i]) > std::fabs(x[peakAt]))
            peakAt = i;
    }
    // Two moments of the sustain, 0.1 s and 0.35 s after the peak.
    const std::size_t first = peakAt + std::size_t(rate / 10), second = peakAt + std::size_t(rate * 35 / 100);
    if (second + window + maxLag >= x.size() || minLag < 1)
        return std::nullopt; // too short to tell
    const double attack = energyOf(x, peakAt, window), held = energyOf(x, second, window);
    if (held < attack * 1e-3) // faded by 30 dB: a hit, not a held note
        return false;
    const auto [p1, r1] = periodAt(x, first, window, int(minLag), int(maxLag));
    const auto [p2, r2] = periodAt(x, second, window, int(minLag), int(maxLag));
    if (r1 < 0.8 || r2 < 0.8 || p1 <= 0 || p2 <= 0)
        return false;
    const double ratio = double(std::max(p1, p2)) / double(std::min(p1, p2));
    return std::fabs(ratio - std::round(ratio)) < 0.03 * ratio;
}

bool isDrumKit(const QStringList &paths, const QList<std::optional<int>> &roots, QHash<QString, std::optional<bool>> *heard)
{
    const qsizetype count = paths.size();
    qsizetype drums = 0, pitched = 0;
    for (qsizetype i = 0; i < count && 2 * drums <= count && 2 * pitched < count; ++i) {
        const std::optional<bool> held = holdsPitch(paths.at(i));
        if (heard)
            heard->insert(paths.at(i), held);
        // The sound decides; a root stands only where it cannot tell.
        if (!held.value_or(roots.value(i).has_value()))
            ++drums;
        else
            ++pitched;
    }
    return count > 0 && 2 * drums > count;
}

QList<int> drumKeysFor(const QStringList &names, QList<int> taken)
{
    QList<int> keys(names.size(), -1);
    const auto isFree = [&](int key) { return !taken.contains(key); };
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QList<int> wanted = gmDrumKeys(names.at(i));
        if (const auto key = std::find_if(wanted.begin(), wanted.end(), isFree); key != wanted.end()) {
            keys[i] = *key;
            taken << *key;
        }
    }
    for (int &key : keys) {
        if (key >= 0)
            continue;
        for (int k = msp::kFirstDrumKey; k <= 127 && key < 0; ++k)
            key = isFree(k) ? k : -1;
        for (int k = msp::kFirstDrumKey - 1; k >= 1 && key < 0; --k)
            key = isFree(k) ? k : -1;
        taken << key;
    }
    return keys;
}

void placeKit(DrumKit &kit)
{
    QList<KitPiece> heard;
    QStringList silent, unreadable;
    float loudest = 0;
    for (const KitPiece &piece : std::as_const(kit.pieces)) {
        const wav::SourceAnalysis analysis = wav::analyseSource(piece.path);
        if (!analysis.ok)
            unreadable << QStringLiteral("%1 (%2)").arg(QFileInfo(piece.path).fileName(), analysis.error);
        else if (analysis.peak < kSilentPeak)
            silent << QFileInfo(piece.path).fileName();
        else {
            heard << piece;
            loudest = std::max(loudest, analysis.peak * float(piece.gain));
        }
    }
    silent.removeDuplicates();
    if (!silent.isEmpty())
        kit.report << QCoreApplication::translate("DrumKit", "Silent placeholders left out: %1.").arg(silent.join(QStringLiteral(", ")));
    if (!unreadable.isEmpty())
        kit.report << QCoreApplication::translate("DrumKit", "Unreadable sound files left out: %1.").arg(unreadable.join(QStringLiteral(", ")));

    // A note the kit was laid out at ("c#3 - stick"), "Sample: " or a file's extension
    // says nothing of the instrument.
    static const QRegularExpression notePrefix(QStringLiteral("^\\s*[A-Ga-g][#b]?-?[0-9]\\s*-\\s*"));
    static const QRegularExpression samplePrefix(QStringLiteral("^\\s*sample:\\s*"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression extension(QStringLiteral("\\.(wav|flac|aiff?|ogg)$"), QRegularExpression::CaseInsensitiveOption);
    for (KitPiece &piece : heard) {
        piece.name = QString(piece.name).remove(notePrefix).remove(samplePrefix).remove(extension).trimmed();
        if (piece.name.isEmpty())
            piece.name = QFileInfo(piece.path).completeBaseName();
    }
    // Words every name begins with (the kit's own name) say nothing of the instrument.
    QStringList common;
    for (const KitPiece &piece : std::as_const(heard)) {
        const QStringList words = piece.name.split(u' ', Qt::SkipEmptyParts);
        if (&piece == &heard.first())
            common = words;
        qsizetype same = 0;
        while (same < common.size() && same + 1 < words.size() && words.at(same) == common.at(same))
            ++same;
        common = common.first(same);
    }
    static const QRegularExpression detail(QStringLiteral("\\s*\\(.*\\)\\s*"));
    for (KitPiece &piece : heard) {
        piece.name = piece.name.split(u' ', Qt::SkipEmptyParts).mid(heard.size() > 1 ? common.size() : 0).join(u' ');
        if (const QString plain = QString(piece.name).remove(detail).trimmed(); !plain.isEmpty())
            piece.name = plain; // "Kick (Tama Superstar 22")"
    }

    // The General MIDI ones first when not all fit.
    std::stable_sort(heard.begin(), heard.end(), [](const KitPiece &a, const KitPiece &b) {
        return !gmDrumKeys(a.name).isEmpty() && gmDrumKeys(b.name).isEmpty();
    });
    if (heard.size() > msp::kMaxSamples) {
        QStringList left;
        for (const KitPiece &piece : heard.mid(msp::kMaxSamples))
            left << piece.name;
        kit.report << QCoreApplication::translate("DrumKit", "An MSP holds %1 sounds: left out %2.").arg(msp::kMaxSamples).arg(left.join(QStringLiteral(", ")));
        heard.resize(msp::kMaxSamples);
    }
    QStringList names;
    for (const KitPiece &piece : std::as_const(heard))
        names << piece.name;
    const QList<int> keys = drumKeysFor(names);
    for (qsizetype i = 0; i < heard.size(); ++i)
        heard[i].key = keys.at(i);
    std::stable_sort(heard.begin(), heard.end(), [](const KitPiece &a, const KitPiece &b) { return a.key < b.key; });
    if (loudest > 1.0f) {
        const double lower = wav::decibelsToGain(wav::kNormalizeDb) / double(loudest);
        for (KitPiece &piece : heard)
            piece.gain *= lower;
        kit.report << QCoreApplication::translate("DrumKit", "The kit's gains would clip: the whole kit is %1 dB lower.").arg(-20 * std::log10(lower), 0, 'f', 1);
    }
    kit.pieces = heard;
}

std::optional<DrumKit> drumKitOfFolder(const QString &folder, const QStringList &paths, QStringList &report)
{
    QString error;
    std::optional<DrumKit> kit = readHydrogenKit(folder, &error);
    if (!kit && !error.isEmpty())
        report << QCoreApplication::translate("DrumKit", "drumkit.xml cannot be read (%1): the folder's sound files are taken as they are.").arg(error);
    QHash<QString, std::optional<bool>> heard;
    if (!kit) {
        QList<std::optional<int>> roots;
        for (const QString &path : paths)
            roots << wav::detectRoot(path).note;
        if (!isDrumKit(paths, roots, &heard))
            return std::nullopt;
        kit = kitFromFiles(paths);
    }
    placeKit(*kit);
    for (KitPiece &piece : kit->pieces) {
        if (!kit->declared) // each sound read once: those isDrumKit did not reach are read now
            piece.pitched = (heard.contains(piece.path) ? heard.value(piece.path) : holdsPitch(piece.path)).value_or(false);
    }
    QStringList placed;
    for (const KitPiece &piece : std::as_const(kit->pieces))
        placed << QStringLiteral("%1 %2").arg(piece.name, msp::NoteName(piece.key));
    report << QCoreApplication::translate("DrumKit", "Drum kit, one key per sound: %1.").arg(placed.join(QStringLiteral(", ")));
    report << kit->report;
    return kit;
}

void fillKitRecord(const DrumKit &kit, msp::MspRecord &record, QList<SlotSource> &sources)
{
    record = msp::MspRecord::newDocument();
    sources.clear();
    QSet<QString> taken;
    QHash<QString, QString> nameOfSound; // path and gain -> the name that plays it
    const int count = int(std::min<qsizetype>(kit.pieces.size(), msp::kMaxSamples));
    record.setGlobal(msp::GlobalField::SampleCount, quint8(count));
    for (int slot = 1; slot <= count; ++slot) {
        const KitPiece &piece = kit.pieces.at(slot - 1);
        const QString sound = piece.path + u'\n' + QString::number(piece.gain, 'g', 17);
        QString name = nameOfSound.value(sound);
        if (name.isEmpty()) {
            name = util::freeStickName(util::stickName(piece.name), QString(),
                                       [&](const QString &n) { return !taken.contains(n); });
            taken.insert(name);
            nameOfSound.insert(sound, name);
        }
        record.ResetSampleSlot(slot);
        record.setSampleName(slot, name.toLatin1());
        msp::setSlotKey(record, slot, piece.key);
        wav::SourceCut cut;
        cut.gain = piece.gain;
        // A kit's tonal hit or steady cowbell plays as a one-shot; a held note in a folder
        // taken for a kit (files without roots) still gets its loop.
        cut.seekLoop = !kit.declared && piece.pitched;
        sources << SlotSource(piece.path, cut);
    }
}

} // namespace tamo::exporter
