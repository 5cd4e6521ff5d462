// SPDX-License-Identifier: GPL-3.0-or-later
// The MSP editor in the locale's language: the design's texts under C, French for French, English otherwise.
#include "app/startup.h"
#include "msp_editor/mspeditorwindow.h"
#include "ui/scriptedplatform.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestI18n : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editorSpeaksTheLocale()
    {
        const struct { QString locale, control, caption; } cases[] = {
            {u"C"_s, u"Command5"_s, u"Ecrire les infos"_s},          {u"en_US"_s, u"Command5"_s, u"Write info"_s},
            {u"de_DE"_s, u"Label7"_s, u"1=mono/2=stereo"_s},         {u"fr_FR"_s, u"Command5"_s, u"\u00C9crire les infos"_s},
            {u"fr_CA"_s, u"Command9"_s, u"Ajouter un échantillon WAV"_s}, {u"fr_FR"_s, u"CaptionText19"_s, u"TOUCHE"_s}};
        const tamo::ui::ScriptedPlatform platform;
        for (const auto &c : cases) {
            tamo::app::installTranslations(QLocale(c.locale));
            tamo::msp_editor::MspEditorWindow window;
            const QWidget *widget = window.findChild<QWidget *>(c.control);
            QCOMPARE(widget ? widget->property("text").toString() : QString(), c.caption);
            window.show(), window.grab(); // fitted as drawn, the loop captions keep their row's size ("Début de boucle" had 6.25 pt)
            for (const QString &caption : {u"LoopStartLabel"_s, u"LoopEndLabel"_s})
                QCOMPARE(window.findChild<QWidget *>(caption)->font().pointSizeF(), window.findChild<QWidget *>(u"LoopSet"_s)->font().pointSizeF());
        }
        tamo::app::installTranslations(QLocale::c());
    }
};

QTEST_MAIN(TestI18n)
#include "test_i18n.moc"
