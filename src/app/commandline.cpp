// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include "export/exportcommand.h"
#include "export/pitchcheck.h"
#include "export/soundfontexport.h"
#include "app/rendercommand.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace tamo::app {

namespace {

constexpr int kUsageError = 2;
// Long enough for the longest identifier, "TAMO00".
constexpr qint64 kKindBytes = 6;

StartRequest exitWith(int code)
{
    StartRequest request;
    request.action = StartRequest::Action::Exit;
    request.exitCode = code;
    return request;
}

// Written out rather than laid out by QCommandLineParser, whose columns break the
// export line badly; every line fits 80 columns.
constexpr const char *kHelpText = R"(Usage: TAMO [options] [file]
       TAMO export <input> <folder> [--preset BANK:PROGRAM] [--velocity-layers]
                   [--layers first] [--find-loops] [--normalize]
                   [--trim-silence]
       TAMO presets <file.sf2>
       TAMO render <input> <out.wav> [--midi FILE.mid] [--bits 16|24]
                   [--preset BANK:PROGRAM]
       TAMO check <set>

Editor for the user sound files of an arranger keyboard: MSP multisamples,
USD drum-kit banks and USV user-voice banks. Without a file it shows a menu of
the three editors.

Options:
  -h, --help       Show this help and exit.
  -v, --version    Show the version and exit.
  --preset BANK:PROGRAM
                   export: only this preset of a SoundFont, into folder itself.
  --velocity-layers
                   export: one MSP per velocity layer of a SoundFont preset
                   (otherwise the layer playing at velocity 100 is kept).
  --layers first   export: of SoundFont or SFZ layers sounding together on
                   a key, only the first plays (overlapping slots, with a
                   warning);
                   by default they are mixed into one sample per zone.
  --find-loops     export: a loop for every sustained sample that has none,
                   in whole periods of its tone (crossfaded only where no
                   clean loop exists); one line per sample tells the loop
                   or "no loop: <reason>". Samples' own loops are kept.
  --normalize      export: one gain for the whole set, so that its loudest
                   sample peaks at -1 dBFS; the balance between samples stays.
  --trim-silence   export: leading and trailing silence below -60 dBFS left
                   out; loops move with the sound.

Arguments:
  file             An MSP, USD or USV file to open in its editor.
  export <input> <folder>
                   Write the set the keyboard reads (the MSP file and its WAV
                   files, converted where needed) into folder. The input is an
                   MSP file, an SFZ instrument, a folder of sound files, a
                   SoundFont (.sf2, .sf3: one subfolder per preset) or a
                   folder of SFZ and SoundFont files (one subfolder each).
                   The input's files are never changed.
  presets <file.sf2>
                   List a SoundFont's presets as BANK:PROGRAM NAME.
  render <input> <out.wav>
                   Play the set export would write from input through a model
                   of the keyboard's voices into a 44.1 kHz stereo WAV: the
                   MIDI file given with --midi, else a test phrase (each
                   sample's root, a scale, a chord, a held note). --bits 24
                   writes 24-bit samples (16 otherwise).
  check <set>      Listen to each sample of a set (an MSP file, a folder of
                   sound files, an SFZ file, a SoundFont, or a folder of MSP
                   files) and compare its pitch with its root: one line per
                   sample (root and where it came from, the pitch heard, the
                   difference, the confidence) and a summary.

Exit status: 0 done; 1 no display, or the export or render failed, or check
found a sample 50 cents or more out of tune; 2 a bad argument or an unreadable
set.
)";

StartRequest fail(QTextStream &err, const QString &reason)
{
    err << "TAMO: " << reason << '\n';
    err.flush();
    return exitWith(kUsageError);
}

// Options the window system reads for itself (QApplication takes them out of argv
// later); accepted here so that they are not refused as unknown.
QList<QCommandLineOption> windowSystemOptions()
{
    QList<QCommandLineOption> options;
    for (const char *name : {"platform", "platformtheme", "display", "style", "stylesheet", "qwindowgeometry",
                             "qwindowtitle"}) {
        options.append(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
        options.back().setFlags(QCommandLineOption::HiddenFromHelp);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    options.append(reverse);
    return options;
}

StartRequest openRequest(const QString &path, QTextStream &err)
{
    const QFileInfo info(path);
    if (!info.exists())
        return fail(err, QStringLiteral("cannot open %1: no such file").arg(path));
    // A folder, a FIFO or a device would never give a document (and a FIFO would
    // block the start).
    if (!info.isFile())
        return fail(err, QStringLiteral("cannot open %1: not a regular file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(err, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    const std::optional<FileKind> kind = fileKindOf(file.read(kKindBytes), info.fileName());
    if (!kind)
        return fail(err, QStringLiteral("cannot open %1: not an MSP, USD or USV file").arg(path));
    StartRequest request;
    request.action = StartRequest::Action::OpenFile;
    request.kind = *kind;
    request.path = info.absoluteFilePath();
    return request;
}

} // namespace

std::optional<FileKind> fileKindOf(QByteArrayView firstBytes, const QString &fileName)
{
    if (firstBytes.startsWith("TAMO00"))
        return FileKind::Msp;
    if (firstBytes.startsWith("KUSD"))
        return FileKind::Usd;
    if (firstBytes.startsWith("KUSV"))
        return FileKind::Usv;
    const QString suffix = QFileInfo(fileName).suffix().toUpper();
    if (suffix == u"MSP")
        return FileKind::Msp;
    if (suffix == u"USD")
        return FileKind::Usd;
    if (suffix == u"USV")
        return FileKind::Usv;
    return std::nullopt;
}

StartRequest parseCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    // "-platform xcb", as every Qt program takes it, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions(windowSystemOptions());
    const QCommandLineOption preset(QStringLiteral("preset"),
                                    QStringLiteral("export: only this SoundFont preset (BANK:PROGRAM)."),
                                    QStringLiteral("BANK:PROGRAM"));
    const QCommandLineOption velocityLayers(QStringLiteral("velocity-layers"),
                                            QStringLiteral("export: one MSP per velocity layer of a SoundFont preset\n"
                                                           "(otherwise the layer playing at velocity 100 is kept)."));
    const QCommandLineOption layers(QStringLiteral("layers"), QStringLiteral("export: first or mix."), QStringLiteral("first|mix"));
    parser.addOption(preset);
    parser.addOption(velocityLayers);
    parser.addOption(layers);
    const QCommandLineOption findLoops(QStringLiteral("find-loops"), QStringLiteral("export: find loops."));
    const QCommandLineOption normalize(QStringLiteral("normalize"), QStringLiteral("export: normalise the set."));
    const QCommandLineOption trimSilence(QStringLiteral("trim-silence"), QStringLiteral("export: trim silence."));
    parser.addOptions({findLoops, normalize, trimSilence});
    const QCommandLineOption midiFile(QStringLiteral("midi"), QStringLiteral("render: the MIDI file played."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption bits(QStringLiteral("bits"), QStringLiteral("render: 16 or 24."), QStringLiteral("BITS"));
    parser.addOptions({midiFile, bits});

    if (!parser.parse(arguments))
        return fail(err, parser.errorText() + QStringLiteral(" See TAMO --help."));
    if (parser.isSet(help)) {
        out << kHelpText;
        out.flush();
        return exitWith(0);
    }
    if (parser.isSet(version)) {
        out << "TAMO " << TAMO_VERSION << '\n';
        out.flush();
        return exitWith(0);
    }
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty() && files.first() == u"presets") {
        if (files.size() != 2)
            return fail(err, QStringLiteral("presets takes one SoundFont file"));
        return exitWith(exporter::runPresetsCommand(files.at(1), out, err) == 0 ? 0 : 1);
    }
    const bool render = !files.isEmpty() && files.first() == u"render";
    if ((parser.isSet(midiFile) || parser.isSet(bits)) && !render)
        return fail(err, QStringLiteral("--midi and --bits go with render"));
    if (render) {
        if (files.size() != 3)
            return fail(err, QStringLiteral("render takes an input and a WAV file to write"));
        bool number = true;
        const RenderOptions renderOptions{.midiPath = parser.value(midiFile),
                                          .bits = parser.isSet(bits) ? parser.value(bits).toInt(&number) : 16,
                                          .preset = parser.value(preset)};
        if (!number || (renderOptions.bits != 16 && renderOptions.bits != 24))
            return fail(err, QStringLiteral("--bits is 16 or 24"));
        return exitWith(runRenderCommand(files.at(1), files.at(2), renderOptions, out, err) == 0 ? 0 : 1);
    }
    if (!files.isEmpty() && files.first() == u"check") {
        if (files.size() != 2)
            return fail(err, QStringLiteral("check takes one set"));
        return exitWith(exporter::runCheckCommand(files.at(1), out, err));
    }
    const exporter::ExportOptions options{.findLoops = parser.isSet(findLoops),
                                          .normalize = parser.isSet(normalize),
                                          .trimSilence = parser.isSet(trimSilence),
                                          .firstLayer = parser.value(layers) == u"first"};
    if (parser.isSet(layers) && parser.value(layers) != u"first" && parser.value(layers) != u"mix")
        return fail(err, QStringLiteral("--layers is first or mix"));
    if (parser.isSet(layers) && (files.isEmpty() || files.first() != u"export"))
        return fail(err, QStringLiteral("--layers goes with export"));
    if (options.any() && (files.isEmpty() || files.first() != u"export"))
        return fail(err, QStringLiteral("--find-loops, --normalize and --trim-silence go with export"));
    if (!files.isEmpty() && files.first() == u"export") {
        if (files.size() != 3)
            return fail(err, QStringLiteral("export takes an input and a target folder"));
        if (exporter::isSoundFontExportInput(files.at(1)))
            return exitWith(exporter::runSoundFontExport(files.at(1), files.at(2), parser.value(preset),
                                                         parser.isSet(velocityLayers), out, err, options) == 0
                                ? 0
                                : 1);
        if (parser.isSet(preset) || parser.isSet(velocityLayers))
            return fail(err, QStringLiteral("--preset and --velocity-layers go with a SoundFont file"));
        return exitWith(exporter::runExportCommand(files.at(1), files.at(2), out, err, options) == 0 ? 0 : 1);
    }
    if (files.size() > 1)
        return fail(err, QStringLiteral("one file at a time, not %1").arg(files.size()));
    if (files.isEmpty())
        return {};
    return openRequest(files.first(), err);
}

} // namespace tamo::app
