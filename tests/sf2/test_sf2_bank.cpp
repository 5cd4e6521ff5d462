// SPDX-License-Identifier: GPL-3.0-or-later
// A whole General MIDI bank from Debian (timgm6mb-soundfont, installed by
// scripts/test.sh) becomes one set per preset, every slot's WAV beside its MSP.

#include "export/soundfontexport.h"
#include "export/soundimport.h"
#include "msp/mspfile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

class TestSf2Bank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPresetOfTimGm6mb()
    {
        const QString bank = u"/usr/share/sounds/sf2/TimGM6mb.sf2"_s;
        if (!QFileInfo::exists(bank))
            QSKIP("timgm6mb-soundfont is not installed");
        QTemporaryDir dir;
        const QString out = dir.filePath(u"bank"_s);
        QString lines, errors;
        QTextStream outStream(&lines), errStream(&errors);
        QCOMPARE(exporter::runSoundFontExport(bank, out, {}, false, outStream, errStream), 0);
        QCOMPARE(errors, QString());
        const QStringList presets = QDir(out).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(presets.size(), int(lines.count(u'\n')));
        QVERIFY(presets.size() > 100);
        for (const QString &preset : presets) {
            const QDir folder(QDir(out).filePath(preset));
            const QStringList msps = folder.entryList({u"*.MSP"_s}, QDir::Files);
            QCOMPARE(msps.size(), 1);
            msp::MspRecord record;
            QVERIFY(msp::LoadMspFile(folder.filePath(msps.first()), record, nullptr));
            QVERIFY2(record.usedSlotCount() > 0, qPrintable(preset));
            for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
                const QString wav = exporter::keyboardFileName(record.sampleName(slot));
                QVERIFY2(QFileInfo(folder.filePath(wav)).size() > 44, qPrintable(preset + u'/' + wav));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSf2Bank)
#include "test_sf2_bank.moc"
