// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/pitchtools.h"

#include "msp/valueformats.h"
#include "msp_editor/mspdocument.h"
#include "ui/platform.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

namespace tamo::msp_editor {

PitchTools::PitchTools(MspDocument &document, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_window(window)
{
}

exporter::SampleCheck PitchTools::check(int slot, const wav::RootNote &found)
{
    using exporter::RootOrigin;
    const msp::MspRecord &record = m_document.record();
    const exporter::SlotSource source = m_document.exportSource(slot);
    const bool fromFile = found.note && *found.note == record.sample(msp::SampleField::Key, slot)
                          && record.sample(msp::SampleField::Fine, slot) == 0;
    const RootOrigin origin = !fromFile ? RootOrigin::Set
                            : found.source == wav::RootSource::SamplerChunk ? RootOrigin::SamplerChunk
                                                                            : RootOrigin::FileName;
    const wav::PitchWindow window = exporter::pitchWindowOf(source.cut);
    std::optional<wav::PitchReading> reading = source.path.isEmpty() ? wav::PitchReading{} : exporter::knownPitch(source.path, window);
    if (!reading) {
        const QString path = source.path;
        if (!m_pending.contains(path)) {
            m_pending.insert(path);
            QThreadPool::globalInstance()->start([self = QPointer<PitchTools>(this), path, window] {
                exporter::cachedPitch(path, window);
                QMetaObject::invokeMethod(qApp, [self, path] {
                    if (self) {
                        self->m_pending.remove(path);
                        Q_EMIT self->measured();
                    }
                }, Qt::QueuedConnection);
            });
        }
        reading = wav::PitchReading{};
        reading->reason = tr("being measured");
    }
    return exporter::checkOfSlot(record, slot, source.path, origin, *reading);
}

QList<exporter::SampleCheck> PitchTools::checks(const std::function<wav::RootNote(int slot)> &rootOf)
{
    QList<exporter::SampleCheck> all;
    for (int slot = 1; slot <= m_document.record().usedSlotCount(); ++slot)
        all << check(slot, rootOf(slot));
    exporter::findRegistrations(all);
    return all;
}

QString PitchTools::line(const exporter::SampleCheck &check) const
{
    const QString text = exporter::sampleCheckText(check);
    if (!check.disagrees())
        return text;
    const wav::KeyAndFine tuned = check.proposal();
    return tr("Out of tune: %1 (KEY %2, FINE %3 would tune it)").arg(text, msp::NoteName(tuned.key)).arg(tuned.fine);
}

void PitchTools::checkPitch(const std::function<wav::RootNote(int slot)> &rootOf)
{
    const int used = m_document.record().usedSlotCount();
    QList<wav::PitchWindow> windows;
    QStringList paths;
    for (int slot = 1; slot <= used; ++slot) {
        const exporter::SlotSource source = m_document.exportSource(slot);
        windows << exporter::pitchWindowOf(source.cut);
        paths << source.path;
    }
    {
        const ui::BusyPointer busy;
        exporter::measurePitches(windows, paths); // kept for the marks too
    }
    QList<exporter::SampleCheck> off;
    QStringList choices;
    for (const exporter::SampleCheck &sample : checks(rootOf)) {
        if (!sample.disagrees())
            continue;
        const int slot = sample.slot;
        off << sample;
        const wav::KeyAndFine tuned = sample.proposal();
        choices << tr("%1 (%2): %3; KEY %4, FINE %5")
                       .arg(exporter::sampleNameText(m_document.record().sampleName(slot)), sample.name, exporter::sampleCheckText(sample),
                            msp::NoteName(tuned.key))
                       .arg(tuned.fine);
    }
    Q_EMIT measured();
    if (off.isEmpty()) {
        ui::message(tr("Every sample with a held pitch plays within 50 cents of its root."), ui::Buttons::Ok,
                    ui::Icon::Information, ui::kProgramTitle, m_window);
        return;
    }
    const std::optional<QList<bool>> ticks = ui::askChoices(
        tr("Check pitch"), tr("These samples sound 50 cents or more from their root. KEY and FINE from the sound for those ticked:"),
        choices, QList<bool>(off.size(), true), m_window);
    if (!ticks || !ticks->contains(true))
        return;
    MspContent after = m_document.content();
    for (qsizetype i = 0; i < off.size() && i < ticks->size(); ++i) {
        if (!ticks->at(i))
            continue;
        const wav::KeyAndFine tuned = off.at(i).proposal();
        after.record.setSample(msp::SampleField::Key, off.at(i).slot, quint8(tuned.key));
        after.record.setSample(msp::SampleField::Fine, off.at(i).slot, *msp::storedValue(msp::ValueFormat::Fine, tuned.fine, 0));
    }
    m_document.change(tr("Check pitch"), after);
}

} // namespace tamo::msp_editor
