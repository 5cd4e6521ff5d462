// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/keyboardtools.h"

#include "export/drumkit.h"
#include "export/exportplan.h"
#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/valueformats.h"
#include "msp_editor/keymapwindow.h"
#include "msp_editor/liveplay.h"
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
#include "wav/soundfile.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QStyle>

#include <atomic>
#include <mutex>
#include <thread>

namespace tamo::msp_editor {

namespace {

// A held key plays on (through the sample's loop) until it is let go.
constexpr double kPreviewSeconds = 20.0;
// More lines than this of an import report are summed up in one.
constexpr qsizetype kReportLines = 30;

// The one rule for a name typed by the user, a sample's or an instrument's: told
// while typing, never rewritten silently.
QString nameProblem(const QString &typed)
{
    QString name = typed.trimmed();
    if (name.endsWith(QStringLiteral(".msp"), Qt::CaseInsensitive))
        name.chop(4);
    if (exporter::isSampleName(name))
        return {};
    return QCoreApplication::translate("tamo::msp_editor::KeyboardTools",
                                       "A name has 1 to 8 letters, digits or ! # $ % & ' ( ) - @ ^ _ ` { } ~ (no space).");
}

// The name as stored: the rule's characters in capitals.
QString typedName(const QString &typed)
{
    QString name = typed.trimmed().toUpper();
    if (name.endsWith(QStringLiteral(".MSP")))
        name.chop(4);
    return name;
}

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
    add("MnuPlay", tr("&Play..."), [this] { play(); });
    QMenu *midi = m_menu->addMenu(tr("MIDI &input"));
    midi->setObjectName(QStringLiteral("MnuMidiInput"));
    // Listed afresh each time it opens: MIDI devices come and go.
    connect(midi, &QMenu::aboutToShow, this, [this, midi] { fillMidiMenu(midi); });
    add("MnuRenameSample", tr("&Rename sample..."), [this] { renameSelectedSample(); });
    add("MnuFindLoop", tr("&Find loop"), [this] {
        const int slot = m_hooks.selectedSlot();
        const QString path = m_document.soundFile(slot);
        findLoopForSample(
            slot, path, m_hooks.window,
            [this](const QString &tool, const QString &written, const QByteArray &before) { Q_EMIT fileWritten(tool, written, before); },
            [this, path](qint64 start, qint64 end, qint64 crossfade) { Q_EMIT loopProposed(path, start, end, crossfade); },
            [this, slot](const QString &tool, const SampleLoop &loop) { m_document.keepLoop(slot, tool, loop); }, m_document.keptLoop(slot));
        Q_EMIT loopProposed(path, 0, 0, 0);
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
        QStringList names; // General MIDI drum keys where the names say, as the command line does
        for (int slot = 1; slot <= after.record.usedSlotCount(); ++slot)
            names << QFileInfo(m_document.soundFile(slot)).completeBaseName();
        const QList<int> keys = exporter::drumKeysFor(names);
        for (int slot = 1; slot <= after.record.usedSlotCount(); ++slot)
            msp::setSlotKey(after.record, slot, keys.at(slot - 1));
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

bool KeyboardTools::mapAddedDrums(int first, int last)
{
    MspContent after = m_document.content();
    // Only sounds count: a file no decoder opens gets no key.
    QStringList paths;
    QList<std::optional<int>> roots;
    QList<int> added, taken;
    for (int slot = 1; slot <= after.record.usedSlotCount(); ++slot) {
        const QString path = m_document.soundFile(slot);
        if (path.isEmpty() || !wav::SoundFile(path).isOpen())
            continue;
        paths << path;
        roots << rootOf(slot).note;
        const int key = after.record.sample(msp::SampleField::Key, slot);
        if (slot >= first && slot <= last)
            added << slot;
        else if (after.record.sample(msp::SampleField::StartKey, slot) + 1 == key && after.record.sample(msp::SampleField::EndKey, slot) == key)
            taken << key; // already a drum of its own
    }
    if (added.isEmpty() || !exporter::isDrumKit(paths, roots))
        return false;
    QStringList names;
    for (const int slot : std::as_const(added))
        names << QFileInfo(m_document.soundFile(slot)).completeBaseName();
    const QList<int> keys = exporter::drumKeysFor(names, taken);
    for (qsizetype i = 0; i < added.size(); ++i)
        msp::setSlotKey(after.record, added.at(i), keys.at(i));
    m_document.change(tr("Map keys"), after);
    return true;
}

void KeyboardTools::samplesAdded(int first, int last)
{
    if (mapAddedDrums(first, last))
        return;
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
    const QList<exporter::SampleCheck> pitches = m_pitch->checks([this](int slot) { return rootOf(slot); });
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
        const exporter::SampleCheck pitch = pitches.value(row);
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
        connect(m_keyMap, &KeyMapWindow::keyReleased, this, [this] {
            if (!m_live || !m_live->isSounding()) {
                util::StopPlaying();
            } else if (!(QApplication::keyboardModifiers() & Qt::ShiftModifier)) {
                for (int note : std::as_const(m_mouseNotes))
                    m_live->noteOff(note);
                m_mouseNotes.clear();
            }
        });
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
    for (const exporter::SampleCheck &pitch : m_pitch->checks([this](int slot) { return rootOf(slot); })) {
        pitches << (pitch.pitch.note > 0 ? tr("\u266A %1").arg(exporter::pitchText(pitch.heard())) : QString());
        off << pitch.disagrees();
    }
    m_keyMap->showPitches(pitches, off);
    refreshLiveSet();
}

void KeyboardTools::play()
{
    showKeyMap();
    if (!m_live) {
        m_live = new LivePlay(this);
        m_keyMap->installEventFilter(m_live);
        connect(m_live, &LivePlay::statusChanged, m_keyMap, &KeyMapWindow::setPlayStatus);
        refreshLiveSet();
        m_live->openRememberedMidiPort();
    }
    if (!m_live->start())
        ui::message(m_live->status(), ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_keyMap);
    m_keyMap->setPlayStatus(m_live->status());
    m_keyMap->activateWindow();
    m_keyMap->setFocus();
}

void KeyboardTools::refreshLiveSet()
{
    if (!m_live)
        return;
    QByteArray state = m_document.record().bytes();
    for (int slot = 1; slot <= m_document.record().usedSlotCount(); ++slot)
        state += m_document.soundFile(slot).toUtf8() + '\n';
    if (state == m_liveSet)
        return;
    m_liveSet = state;
    // A loop the set keeps for a file not in the keyboard's format plays as the export will write it.
    m_live->setSet(m_document.record(), [this](int slot) { return m_document.soundFile(slot); },
                   [this](int slot) -> std::optional<voice::LoopInstead> {
                       const exporter::SampleLoop kept = m_document.keptLoop(slot);
                       if (kept.kind == exporter::SampleLoop::Kind::Keep)
                           return std::nullopt;
                       return kept.kind == exporter::SampleLoop::Kind::Forward ? voice::LoopInstead{kept.start, kept.end} : voice::LoopInstead{};
                   });
}

void KeyboardTools::fillMidiMenu(QMenu *menu)
{
    menu->clear();
    const QString current = m_live ? m_live->midiPort() : QString();
    const auto add = [&](const QString &text, const QString &port) {
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(port == current);
        connect(action, &QAction::triggered, this, [this, port] {
            if (!m_live)
                play();
            if (!m_live->openMidiPort(port))
                ui::message(tr("The MIDI input %1 could not be opened.").arg(port), ui::Buttons::Ok,
                            ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        });
    };
    add(tr("None"), QString());
    const QStringList ports = LivePlay::midiPorts();
    for (const QString &port : ports)
        add(port, port);
    if (ports.isEmpty())
        menu->addAction(tr("No MIDI input found"))->setEnabled(false);
}

bool KeyboardTools::playKey(int key)
{
    const int slot = msp::slotForKey(m_document.record(), key);
    if (slot == 0)
        return false;
    if (m_live && m_live->isSounding()) {
        // A plain click lets go of the chord Shift-clicks held.
        if (!(QApplication::keyboardModifiers() & Qt::ShiftModifier)) {
            for (int note : std::as_const(m_mouseNotes))
                m_live->noteOff(note);
            m_mouseNotes.clear();
        }
        m_live->noteOn(key);
        m_mouseNotes << key;
        return true;
    }
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
                    slotLine(slot), m_hooks.window, 8, nameProblem);
    if (!typed)
        return;
    const QString name = typedName(*typed);
    for (int other = 1; other <= m_document.record().usedSlotCount(); ++other) {
        if (other != slot && slotLine(other).compare(name, Qt::CaseInsensitive) == 0) {
            ui::message(tr("Another sample is already named %1.").arg(name), ui::Buttons::Ok,
                        ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
            return;
        }
    }
    MspContent after = m_document.content();
    // The sound stays where it was: the file the sample was read from is kept.
    m_document.renameSample(after, slot, name.toLatin1().leftJustified(8, ' '));
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
        m_document.renameSample(after, slot, names.at(i).toLatin1()); // the sounds stay
    }
    m_document.change(tr("Rename sample"), after);
}

namespace {

// Runs the export on a thread of its own while the window stays live: progress and
// Cancel show at once, also while the sources are analysed before any file is written.
exporter::ExportResult exportWithProgress(exporter::ExportRequest job, QWidget *window)
{
    struct Shared {
        std::mutex mutex;
        std::optional<exporter::ExportProgress> last; // not yet shown
    };
    auto shared = std::make_shared<Shared>();
    std::atomic_bool cancel = false;
    job.cancel = &cancel;
    job.progress = [shared](const exporter::ExportProgress &p) {
        const std::lock_guard lock(shared->mutex);
        shared->last = p;
    };
    // A busy bar until the writing starts.
    QProgressDialog progress(QCoreApplication::translate("tamo::msp_editor::KeyboardTools", "Preparing the copies..."),
                             QCoreApplication::translate("tamo::msp_editor::KeyboardTools", "Cancel"), 0, 0, window);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        cancel = true;
        progress.setLabelText(QCoreApplication::translate("tamo::msp_editor::KeyboardTools", "Cancelling..."));
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
        std::optional<exporter::ExportProgress> p;
        {
            const std::lock_guard lock(shared->mutex);
            p.swap(shared->last);
        }
        if (!p || cancel)
            return;
        progress.setMaximum(1000);
        progress.setLabelText(p->analysing ? QCoreApplication::translate("tamo::msp_editor::KeyboardTools", "Preparing %1").arg(p->fileName)
                                           : QCoreApplication::translate("tamo::msp_editor::KeyboardTools", "Writing %1").arg(p->fileName));
        progress.setValue(p->totalBytes > 0 ? int(p->doneBytes * 1000 / p->totalBytes) : 0);
    });
    poll.start(100);
    progress.show();
    QEventLoop loop;
    exporter::ExportResult result;
    std::thread worker([&] {
        result = exporter::exportForKeyboard(job);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return result;
}

} // namespace

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
    if (m_document.record().usedSlotCount() == 0
        && ui::message(tr("The set holds no sample: the keyboard would get an instrument that plays nothing.\r\n\r\n"
                          "Export it anyway?"),
                       ui::Buttons::YesNoDefaultNo, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window)
               != ui::Answer::Yes)
        return;
    bool replaceAgreed = false;
    const QString mspName = mspNameForExport(chosen.fileName, &replaceAgreed);
    if (mspName.isEmpty())
        return;
    exporter::ExportRequest job;
    job.record = m_document.record();
    job.targetFolder = chosen.fileName;
    job.mspFileName = mspName;
    QList<exporter::SlotSource> sources;
    for (int slot = 1; slot <= job.record.usedSlotCount(); ++slot)
        sources << m_document.exportSource(slot);
    job.sourceFor = [sources](int slot) { return sources.value(slot - 1); };
    // A stick too small is told before the user chooses what to prepare.
    if (const QString shortage = exporter::spaceShortage(job); !shortage.isEmpty()) {
        ui::message(shortage, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    const std::optional<QList<bool>> ticks = ui::askChoices(
        tr("Export for the keyboard"),
        tr("Prepare the exported copies (your sound files stay as they are):"),
        {tr("Find loops for held notes that have none"),
         tr("Normalize: one gain, the loudest sample at -1 dBFS"),
         tr("Trim silence below -60 dBFS at the start and end")},
        {false, false, false}, m_hooks.window);
    if (!ticks)
        return;
    job.options = {.findLoops = ticks->value(0), .normalize = ticks->value(1), .trimSilence = ticks->value(2)};
    const exporter::ExportResult result = exportWithProgress(job, m_hooks.window);
    if (result.status == exporter::ExportStatus::Failed) {
        ui::message(result.message, ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, m_hooks.window);
        return;
    }
    if (result.status == exporter::ExportStatus::Cancelled) {
        ui::message(tr("Cancelled: nothing was written."), ui::Buttons::Ok, ui::Icon::Information, ui::kProgramTitle,
                    m_hooks.window);
        return;
    }
    // A short summary; each file's line behind the details button.
    const qsizetype files = result.written.size();
    QStringList summary{tr("%n file(s) written to %1 (%2 WAV copied, %3 converted).", nullptr, int(files))
                            .arg(QDir::toNativeSeparators(chosen.fileName))
                            .arg(result.copied)
                            .arg(result.converted),
                        tr("The instrument is %1.").arg(mspName)};
    QStringList details = result.notes + result.loops;
    // Replacing was agreed to already: the files are counted, not listed again.
    if (replaceAgreed && !result.replaced.isEmpty())
        summary << tr("%n older file(s) replaced.", nullptr, int(result.replaced.size()));
    else
        for (const QString &path : result.replaced)
            details << tr("Replaced: %1").arg(QDir::toNativeSeparators(path));
    if (!details.isEmpty())
        summary << tr("See the details for each file.");
    ui::MessageBox report;
    report.text = summary.join(QStringLiteral("\r\n"));
    report.icon = ui::Icon::Information;
    report.details = details.join(QStringLiteral("\r\n"));
    ui::message(report, m_hooks.window);
}

QString KeyboardTools::mspNameForExport(const QString &folder, bool *replaceAgreed)
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
                                                         proposal.chopped(4), m_hooks.window, 12, nameProblem);
        if (!typed)
            return {};
        name = typedName(*typed) + QStringLiteral(".MSP");
    }
    const QString existing = util::findFileCaseInsensitive(folder, name);
    if (!existing.isEmpty()) {
        if (ui::message(tr("%1 already exists in %2. Replace that instrument?")
                            .arg(existing, QDir::toNativeSeparators(folder)),
                        ui::Buttons::YesNoDefaultNo, ui::Icon::Question, ui::kProgramTitle, m_hooks.window)
            != ui::Answer::Yes)
            return {};
        name = existing;
        *replaceAgreed = true;
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
                               const QStringList &report)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    sfz::fillMspRecord(imported, record);
    MspContent content{record, {}, {}};
    for (qsizetype i = 0; i < imported.samples.size() && i < msp::kMaxSamples; ++i)
        content.sources.at(std::size_t(i)) = exporter::SlotSource(imported.samples.at(i).sourcePath, imported.samples.at(i).cut);
    m_importFiles = imported.files;
    m_hooks.loadImported(content);
    m_importedSfz = name;
    m_importedFirstSource = m_document.soundFile(1);
    if (report.isEmpty())
        return;
    // The summary holds the report's headings; the lines under them (a zone, a file
    // each) wait behind the details button, so the box fits the screen.
    QStringList summary;
    for (const QString &line : std::as_const(report))
        if (!line.startsWith(u' ') && summary.size() < kReportLines)
            summary << line;
    ui::MessageBox box;
    box.text = tr("%1 imported.\r\n\r\n%2").arg(heading, summary.join(u"\r\n"));
    box.icon = ui::Icon::Information;
    if (summary.size() < report.size()) {
        box.text += QStringLiteral("\r\n") + tr("See the details for each file.");
        box.details = report.join(u"\r\n");
    }
    ui::message(box, m_hooks.window);
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

QString KeyboardTools::soundFontFolder() const
{
    return m_soundFontFiles ? m_soundFontFiles->path() : QString();
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
