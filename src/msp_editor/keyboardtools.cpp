// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/keyboardtools.h"

#include "export/exportplan.h"
#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/valueformats.h"
#include "msp_editor/keymapwindow.h"
#include "msp_editor/looptool.h"
#include "msp_editor/mspdocument.h"
#include "msp_editor/pitchtools.h"
#include "sfz/sfzimport.h"
#include "export/soundfontexport.h"
#include "msp_editor/presetchooser.h"
#include "ui/platform.h"
#include "util/playback/playit.h"
#include "util/recentfiles.h"
#include "util/shortname.h"
#include "wav/pitchedpreview.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QStyle>

#include <atomic>

namespace tamo::msp_editor {

namespace {

// A held key plays on (through the sample's loop) until it is let go.
constexpr double kPreviewSeconds = 20.0;
// More lines than this of an import report are summed up in one.
constexpr qsizetype kReportLines = 30;

} // namespace

KeyboardTools::KeyboardTools(MspDocument &document, EditorHooks hooks, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_hooks(std::move(hooks))
{
    m_menu = new QMenu(tr("&Keyboard"), m_hooks.window);
    m_menu->setObjectName(QStringLiteral("MnuKeyboard"));
    const auto add = [this](const char *name, const QString &text, auto slot) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add("MnuMapKeys", tr("&Map keys"), [this] { mapKeys(); });
    add("MnuKeyMap", tr("&Key map..."), [this] { showKeyMap(); });
    add("MnuRenameSample", tr("&Rename sample..."), [this] { renameSelectedSample(); });
    add("MnuFindLoop", tr("&Find loop"), [this] {
        const int slot = m_hooks.selectedSlot();
        findLoopForSample(slot, m_document.soundFile(slot), m_hooks.window,
                          [this](const QString &tool, const QString &path, const QByteArray &before) {
                              Q_EMIT fileWritten(tool, path, before);
                          });
    });
    add("MnuCheckPitch", tr("Check &pitch..."), [this] { m_pitch->checkPitch([this](int slot) { return rootOf(slot); }); });
    m_pitch = new PitchTools(m_document, m_hooks.window, this);
    connect(m_pitch, &PitchTools::measured, this, &KeyboardTools::viewRefreshed);
    m_menu->addSeparator();
    add("MnuImportSfz", tr("&Import SFZ..."), [this] { importSfz(); });
    add("MnuImportSoundFont", tr("Import &SoundFont..."), [this] { importSoundFont(); });
    add("MnuExportKeyboard", tr("&Export for the keyboard..."), [this] { exportForKeyboard(); });
}

KeyboardTools::~KeyboardTools() = default;

KeyMapWindow *KeyboardTools::keyMap() const { return m_keyMap; }

QString KeyboardTools::slotLine(int slot) const
{
    return exporter::sampleNameText(m_document.record().sampleName(slot));
}

void KeyboardTools::importDropped(const QString &path)
{
    if (exporter::isSoundFontExportInput(path))
        importSoundFont(path);
    else
        importSfz(path);
}

const KeyboardTools::FileFacts &KeyboardTools::factsFor(const QString &path)
{
    const QFileInfo info(path);
    FileFacts &facts = m_facts[path];
    // A file changed since it was last looked at is looked at again.
    if (facts.size != info.size() || facts.modified != info.lastModified() || path.isEmpty()) {
        facts.size = info.size();
        facts.modified = info.lastModified();
        facts.root = path.isEmpty() ? wav::RootNote{} : wav::detectRoot(path);
        facts.format = wav::checkKeyboardFormat(path);
        if (path.isEmpty())
            facts.format.reason = tr("missing");
    }
    return facts;
}

wav::RootNote KeyboardTools::rootOf(int slot) { return factsFor(m_document.soundFile(slot)).root; }

bool KeyboardTools::mapFromRoots(bool quiet)
{
    MspContent after = m_document.content();
    msp::SlotRoots roots;
    bool found = false;
    for (int slot = 1; slot <= after.record.usedSlotCount(); ++slot) {
        roots << rootOf(slot).note;
        found = found || roots.last().has_value();
    }
    if (!found) {
        // A drum kit: each sound on a key of its own.
        if (quiet || after.record.usedSlotCount() == 0)
            return false;
        msp::mapOneKeyPerSound(after.record);
        m_document.change(tr("Map keys"), after);
        ui::message(exporter::kOneKeyPerSound + u'.', ui::Buttons::Ok, ui::Icon::Information, ui::kProgramTitle, m_hooks.window);
        return true;
    }
    const QList<int> order = msp::mapKeys(after.record, roots);
    QList<exporter::SlotSource> sources(after.sources.begin(), after.sources.end());
    sources = msp::reorderedBySlot(sources, order);
    std::copy(sources.begin(), sources.end(), after.sources.begin());
    m_document.change(tr("Map keys"), after);
    return true;
}

void KeyboardTools::mapKeys() { mapFromRoots(false); }

void KeyboardTools::samplesAdded(int first, int last)
{
    for (int slot = first; slot <= last; ++slot) {
        if (rootOf(slot).note) {
            mapFromRoots(true);
            return;
        }
    }
}

void KeyboardTools::viewRefreshed()
{
    decorateList();
    updateKeyMap();
}

void KeyboardTools::decorateList()
{
    QListWidget *list = m_hooks.sampleList;
    const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < list->count() && row < msp::kMaxSamples; ++row) {
        const int slot = row + 1;
        const QString path = m_document.soundFile(slot);
        const FileFacts &facts = factsFor(path);
        QStringList tip;
        tip << (facts.root.note ? tr("Root %1, from the %2").arg(msp::NoteName(*facts.root.note),
                                                                             wav::rootSourceText(facts.root.source))
                                : tr("No root key found"));
        if (facts.root.overruledName)
            tip << tr("The name's %1 is overruled by the sampler chunk").arg(msp::NoteName(*facts.root.overruledName));
        const exporter::SampleCheck pitch = m_pitch->check(slot, facts.root);
        tip << m_pitch->line(pitch);
        if (exporter::isMadeUpName(slotLine(slot), path))
            tip << tr("A name made up for %1").arg(QFileInfo(path).fileName());
        if (!path.isEmpty())
            tip << QDir::toNativeSeparators(path);
        QListWidgetItem *item = list->item(row);
        if (facts.format.ok) {
            item->setIcon(QIcon());
            item->setForeground(list->palette().text());
        } else {
            // Says what to do, so that nobody rewrites the header by hand.
            tip << tr("Not in the keyboard's format: %1. Export for the keyboard converts it.")
                       .arg(facts.format.reason);
            item->setIcon(warning);
            item->setForeground(QColor(190, 0, 0));
        }
        item->setBackground(pitch.disagrees() ? QBrush(QColor(255, 214, 160)) : QBrush());
        item->setToolTip(tip.join(u'\n'));
    }
}

void KeyboardTools::showKeyMap()
{
    if (!m_keyMap) {
        m_keyMap = new KeyMapWindow(m_hooks.window);
        connect(m_keyMap, &KeyMapWindow::sampleClicked, this, &KeyboardTools::sampleChosen);
        connect(m_keyMap, &KeyMapWindow::keyClicked, this, &KeyboardTools::playKey);
        connect(m_keyMap, &KeyMapWindow::keyReleased, this, [] { util::StopPlaying(); });
    }
    updateKeyMap();
    m_keyMap->show();
    m_keyMap->raise();
}

void KeyboardTools::updateKeyMap()
{
    if (!m_keyMap)
        return;
    QStringList sourceNames;
    for (int slot = 1; slot <= m_document.record().usedSlotCount(); ++slot)
        sourceNames << QFileInfo(m_document.soundFile(slot)).fileName();
    m_keyMap->showRecord(m_document.record(), m_hooks.selectedSlot(), sourceNames);
    // What each sample sounds like beside its root, marked when 50 cents or more off.
    QStringList pitches;
    QList<bool> off;
    for (int slot = 1; slot <= m_document.record().usedSlotCount(); ++slot) {
        const exporter::SampleCheck pitch = m_pitch->check(slot, rootOf(slot));
        pitches << (pitch.pitch.note > 0 ? tr("\u266A %1").arg(exporter::pitchText(pitch.pitch.note)) : QString());
        off << pitch.disagrees();
    }
    m_keyMap->showPitches(pitches, off);
}

bool KeyboardTools::playKey(int key)
{
    const int slot = msp::slotForKey(m_document.record(), key);
    if (slot == 0)
        return false;
    const QString source = m_document.soundFile(slot);
    const int root = m_document.record().sample(msp::SampleField::Key, slot);
    QString error;
    const wav::Frames preview = wav::pitchedPreview(source, key - root, kPreviewSeconds, &error);
    if (preview.samples.empty())
        return false;
    util::PlayFrames(preview.samples, preview.channels, preview.rate);
    return true;
}

void KeyboardTools::renameSelectedSample()
{
    if (const QList<int> slots = m_hooks.selectedSlots(); slots.size() > 1) {
        renameSamples(slots);
        return;
    }
    const int slot = m_hooks.selectedSlot();
    if (slot == 0) {
        ui::message(tr("Select a sample first."), ui::Buttons::Ok, ui::Icon::Exclamation,
                    ui::kProgramTitle, m_hooks.window);
        return;
    }
    const std::optional<QString> typed =
        ui::askText(tr("Rename sample"), tr("New name (up to 8 characters):"),
                    slotLine(slot), m_hooks.window, 8);
    if (!typed)
        return;
    const QString name = typed->trimmed().toUpper();
    if (!exporter::isSampleName(name)) {
        ui::message(tr("A sample name has 1 to 8 letters, digits or ! # $ % & ' ( ) - @ ^ _ ` { } ~ ."),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    for (int other = 1; other <= m_document.record().usedSlotCount(); ++other) {
        if (other != slot && slotLine(other).compare(name, Qt::CaseInsensitive) == 0) {
            ui::message(tr("Another sample is already named %1.").arg(name), ui::Buttons::Ok,
                        ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
            return;
        }
    }
    MspContent after = m_document.content();
    // The sound stays where it was: the file the sample was read from is kept.
    after.sources.at(std::size_t(slot - 1)) = m_document.exportSource(slot);
    after.record.setSampleName(slot, name.toLatin1().leftJustified(8, ' '));
    m_document.change(tr("Rename sample"), after);
    Q_EMIT sampleChosen(slot);
}

void KeyboardTools::renameSamples(const QList<int> &slots)
{
    const QString source = m_document.soundFile(slots.first());
    const std::optional<QString> typed = ui::askText(
        tr("Rename samples"), tr("Common start of the %1 names (each ends with its KEY):").arg(slots.size()),
        source.isEmpty() ? slotLine(slots.first()) : exporter::nameWithoutNote(QFileInfo(source).completeBaseName()),
        m_hooks.window);
    if (!typed)
        return;
    if (util::shortNameCharacters(*typed).isEmpty()) {
        ui::message(tr("A sample name has 1 to 8 letters, digits or ! # $ % & ' ( ) - @ ^ _ ` { } ~ ."),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    QSet<QString> others;
    QList<int> keys;
    for (int slot = 1; slot <= m_document.record().usedSlotCount(); ++slot) {
        if (!slots.contains(slot))
            others.insert(slotLine(slot).toUpper());
    }
    for (const int slot : slots)
        keys << m_document.record().sample(msp::SampleField::Key, slot);
    const QStringList names = exporter::namesWithNotes(*typed, keys, others);
    MspContent after = m_document.content();
    for (qsizetype i = 0; i < slots.size(); ++i) {
        const int slot = slots.at(i);
        after.sources.at(std::size_t(slot - 1)) = m_document.exportSource(slot); // the sounds stay
        after.record.setSampleName(slot, names.at(i).toLatin1());
    }
    m_document.change(tr("Rename sample"), after);
}

void KeyboardTools::exportForKeyboard()
{
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogRequest::Mode::Folder;
    request.title = tr("Export for the keyboard");
    request.initialFolder = util::startFolder(util::FileKind::Export);
    const ui::FileDialogResult chosen = ui::fileDialog(request, m_hooks.window);
    if (chosen.cancelled || chosen.fileName.isEmpty())
        return;
    util::rememberFolder(util::FileKind::Export, chosen.fileName);
    const QString mspName = mspNameForExport(chosen.fileName);
    if (mspName.isEmpty())
        return;
    const std::optional<QList<bool>> ticks = ui::askChoices(
        tr("Export for the keyboard"),
        tr("Prepare the exported copies (your sound files stay as they are):"),
        {tr("Find loops for held notes that have none"),
         tr("Normalize: one gain, the loudest sample at -1 dBFS"),
         tr("Trim silence below -60 dBFS at the start and end")},
        {false, false, false}, m_hooks.window);
    if (!ticks)
        return;
    exporter::ExportRequest job;
    job.options = {.findLoops = ticks->value(0), .normalize = ticks->value(1), .trimSilence = ticks->value(2)};
    job.record = m_document.record();
    job.targetFolder = chosen.fileName;
    job.mspFileName = mspName;
    QList<exporter::SlotSource> sources;
    for (int slot = 1; slot <= job.record.usedSlotCount(); ++slot)
        sources << m_document.exportSource(slot);
    job.sourceFor = [sources](int slot) { return sources.value(slot - 1); };
    std::atomic_bool cancel = false;
    job.cancel = &cancel;
    QProgressDialog progress(tr("Exporting for the keyboard..."), tr("Cancel"), 0, 1000,
                             m_hooks.window);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    job.progress = [&](const exporter::ExportProgress &p) {
        progress.setLabelText(tr("Writing %1").arg(p.fileName));
        progress.setValue(p.totalBytes > 0 ? int(p.doneBytes * 1000 / p.totalBytes) : 0);
        if (progress.wasCanceled())
            cancel = true;
    };
    const exporter::ExportResult result = exporter::exportForKeyboard(job);
    progress.reset();
    if (result.status == exporter::ExportStatus::Failed) {
        ui::message(result.message, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
    } else if (result.status == exporter::ExportStatus::Done) {
        QStringList lines{tr("%1 files written to %2 (%3 WAV copied, %4 converted).")
                              .arg(result.written.size())
                              .arg(QDir::toNativeSeparators(chosen.fileName))
                              .arg(result.copied)
                              .arg(result.converted),
                          tr("The instrument is %1.").arg(mspName)};
        lines << result.notes << result.loops;
        for (const QString &path : result.replaced)
            lines << tr("Replaced: %1").arg(QDir::toNativeSeparators(path));
        ui::message(lines.join(QStringLiteral("\r\n")), ui::Buttons::Ok, ui::Icon::Information, ui::kProgramTitle, m_hooks.window);
    }
}

QString KeyboardTools::mspNameForExport(const QString &folder)
{
    QString name = QFileInfo(m_document.path()).fileName();
    if (m_document.path().isEmpty()) {
        // Never saved: the name is asked, not taken from the folder.
        const QString source = m_document.record().usedSlotCount() > 0 ? m_document.soundFile(1) : QString();
        // The SFZ's name while the document is still the import's.
        const bool imported = !m_importedSfz.isEmpty() && source == m_importedFirstSource;
        const QString proposal = exporter::mspNameFor(
            imported            ? m_importedSfz
            : !source.isEmpty() ? exporter::nameWithoutNote(QFileInfo(source).completeBaseName())
                                : QStringLiteral("SET"));
        const std::optional<QString> typed = ui::askText(tr("Export for the keyboard"),
                                                         tr("Name of the instrument (up to 8 characters):"),
                                                         proposal.chopped(4), m_hooks.window, 12);
        if (!typed || typed->trimmed().isEmpty())
            return {};
        QString typedName = typed->trimmed();
        if (typedName.endsWith(QStringLiteral(".msp"), Qt::CaseInsensitive))
            typedName.chop(4);
        name = exporter::mspNameFor(typedName);
    }
    const QString existing = util::findFileCaseInsensitive(folder, name);
    if (!existing.isEmpty()) {
        if (ui::message(tr("%1 already exists in %2. Replace that instrument?")
                            .arg(existing, QDir::toNativeSeparators(folder)),
                        ui::Buttons::YesNoDefaultNo, ui::Icon::Question, ui::kProgramTitle, m_hooks.window)
            != ui::Answer::Yes)
            return {};
        name = existing;
    }
    return name;
}

QString KeyboardTools::askInstrumentFile(const QString &title, const QString &filter)
{
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogRequest::Mode::Open;
    request.title = title;
    request.initialFolder = util::startFolder(util::FileKind::Sfz);
    request.filter = filter;
    const ui::FileDialogResult chosen = ui::fileDialog(request, m_hooks.window);
    if (chosen.cancelled || chosen.fileName.isEmpty())
        return {};
    util::rememberFolder(util::FileKind::Sfz, QFileInfo(chosen.fileName).absolutePath());
    return chosen.fileName;
}

// An imported instrument becomes the untitled document, each slot with its zone's cut;
// the report follows, shortened to what a message box holds.
void KeyboardTools::loadImport(const sfz::SfzImport &imported, const QString &name, const QString &heading,
                               QStringList report)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    sfz::fillMspRecord(imported, record);
    MspContent content{record, {}};
    for (qsizetype i = 0; i < imported.samples.size() && i < msp::kMaxSamples; ++i)
        content.sources.at(std::size_t(i)) = exporter::SlotSource(imported.samples.at(i).sourcePath, imported.samples.at(i).cut);
    m_hooks.loadImported(content);
    m_importedSfz = name;
    m_importedFirstSource = m_document.soundFile(1);
    if (report.isEmpty())
        return;
    if (report.size() > kReportLines) {
        const qsizetype more = report.size() - kReportLines;
        report = report.first(kReportLines);
        report << tr("... and %1 more lines.").arg(more);
    }
    ui::message(tr("%1 imported.\r\n\r\n%2").arg(heading, report.join(u"\r\n")), ui::Buttons::Ok,
                ui::Icon::Information, ui::kProgramTitle, m_hooks.window);
}

void KeyboardTools::importSfz(const QString &givenPath)
{
    const QString path = givenPath.isEmpty()
        ? askInstrumentFile(tr("Import SFZ"), tr("SFZ Files (*.SFZ)|*.SFZ"))
        : givenPath;
    if (path.isEmpty() || !m_hooks.askSaveModified())
        return;
    sfz::SfzImport imported;
    {
        const ui::BusyPointer busy;
        imported = sfz::importSfz(path);
    }
    if (!imported.ok()) {
        ui::message(imported.error.text(), ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    loadImport(imported, QFileInfo(path).completeBaseName(), QFileInfo(path).fileName(), imported.report);
}

void KeyboardTools::importSoundFont(const QString &givenPath)
{
    const QString path = givenPath.isEmpty()
        ? askInstrumentFile(tr("Import SoundFont"), tr("SoundFont Files (*.SF2;*.SF3)|*.SF2;*.SF3"))
        : givenPath;
    if (path.isEmpty())
        return;
    sf2::SoundFont font;
    {
        const ui::BusyPointer busy;
        font = sf2::readSoundFontFile(path);
    }
    if (!font.ok() || font.presets.isEmpty()) {
        ui::message(font.ok() ? tr("%1 holds no preset.").arg(path) : font.error, ui::Buttons::Ok,
                    ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    PresetChooser chooser(font, tr("Import SoundFont: %1").arg(QFileInfo(path).fileName()), m_hooks.window);
    if (chooser.exec() != QDialog::Accepted || chooser.chosenPreset() < 0 || !m_hooks.askSaveModified())
        return;
    exporter::PresetImport imported;
    {
        const ui::BusyPointer busy;
        imported = exporter::importPreset(font, chooser.chosenPreset(), false);
    }
    if (!imported.ok() || imported.sets.isEmpty()) {
        ui::message(imported.error, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    m_soundFontFiles = imported.files;
    const QString preset = font.presets.at(chooser.chosenPreset()).name;
    loadImport(imported.sets.first().import, preset, preset, imported.report);
}

} // namespace tamo::msp_editor
