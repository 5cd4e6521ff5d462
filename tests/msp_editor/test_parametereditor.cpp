// Parameter editing through the MSP editor window: a click on a field, the pop-up
// driven with real mouse events, then the saved file's bytes.
#include "msp/msprecord.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace Qt::StringLiterals;

namespace {

constexpr double kTwip = 15.0;
constexpr int kSlot = 2; // the selected sample in most cases

// What happened while a field's pop-up was open.
struct PopupRun {
    QString kind;       // "FrmSlider", "Form2", or empty when none opened
    QString startValue; // the slider's Text1 when it opened
    QStringList scale;  // the slider's numbers, top to bottom
    int startNote = -1; // NoteValue when the key picker opened
    QRect geometry;
};

QStringList scaleOf(QWidget *slider)
{
    auto labels = slider->findChildren<QLabel *>(u"Label1"_s);
    std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
    QStringList texts;
    for (QLabel *l : labels)
        texts << l->text();
    return texts;
}

// Clicks a field; `act` runs once the modal pop-up is up, then the pop-up is
// closed if act left it open.
PopupRun clickField(Form1 &form, const QString &name, const std::function<void(QWidget *)> &act = {})
{
    PopupRun run;
    QWidget *field = form.findChild<QWidget *>(name);
    if (!field)
        return run;
    QTimer::singleShot(0, &form, [&] {
        QWidget *popup = QApplication::activeModalWidget();
        if (!popup)
            return;
        run.kind = popup->objectName();
        run.geometry = popup->geometry();
        if (auto *text1 = popup->findChild<QLabel *>(u"Text1"_s))
            run.startValue = text1->text();
        run.scale = scaleOf(popup);
        run.startNote = NoteValue;
        if (act)
            act(popup);
        if (popup->isVisible())
            popup->close();
    });
    QTest::mouseClick(field, Qt::LeftButton);
    QCoreApplication::processEvents(); // lets the check run when no pop-up opened
    return run;
}

// Slider gestures: drag to the top or bottom end of the track, then click the value.
void dragSlider(QWidget *slider, int gesture)
{
    auto *track = slider->findChild<QWidget *>(u"Picture2"_s);
    if (gesture != 0) {
        const QPoint end(5, gesture > 0 ? 0 : int(2925 / kTwip));
        QTest::mousePress(track, Qt::LeftButton, {}, QPoint(5, 50));
        QTest::mouseMove(track, end);
        QTest::mouseRelease(track, Qt::LeftButton, {}, end);
    }
    QTest::mouseClick(slider->findChild<QWidget *>(u"Text1"_s), Qt::LeftButton);
}

// Presses on the key picker's keyboard at X, Y twips, scrolling it into view first.
void pickKey(QWidget *picker, double X, double Y)
{
    auto *canvas = picker->findChild<QWidget *>(u"Picture2"_s);
    auto *scroll = picker->findChild<QScrollBar *>(u"HScroll1"_s);
    scroll->setValue(qBound(0, int(X) - 4000, scroll->maximum()));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(int(X / kTwip), int(Y / kTwip)));
}

void clickEntry(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

QString shown(const Form1 &form, const QString &name)
{
    if (auto *edit = form.findChild<QLineEdit *>(name))
        return edit->text();
    return form.findChild<QLabel *>(name)->text();
}

bool isShown(const Form1 &form, const QString &name)
{
    return !form.findChild<QWidget *>(name)->isHidden();
}

} // namespace

class TestParameterEditor : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_image; // the document as it was before the edit

    // A document of `samples` samples with `patch` applied to its bytes, shown
    // with `select` selected (0: none).
    void open(Form1 &form, int samples, const QList<QPair<qsizetype, quint8>> &patch, int select = kSlot)
    {
        msp::MspRecord record = msp::MspRecord::newDocument();
        for (int slot = 1; slot <= samples; ++slot)
            record.setSampleName(slot, QByteArray("SAMPLE") + char('0' + slot));
        record.setGlobal(msp::GlobalField::SampleCount, quint8(samples));
        QByteArray bytes = record.bytes();
        for (const auto &[offset, value] : patch)
            bytes[offset] = char(value);
        m_image = bytes;
        form.record() = msp::MspRecord::fromBytes(bytes);
        form.RefreshMspView();
        form.selectSlot(select);
        form.show();
        MspModified = false;
    }

    // Saves through the window's Save and returns the file's bytes.
    QByteArray saved(Form1 &form)
    {
        form.CurrentMspPath = m_dir.filePath(u"EDIT.MSP"_s);
        ui::ScriptedPlatform platform;
        form.MnuSave_Click();
        [&] { QVERIFY(platform.messages().isEmpty()); }();
        return test::readAll(form.CurrentMspPath);
    }

    // The image expected after the edit: only the listed bytes differ.
    QByteArray expectedWith(const QList<QPair<qsizetype, quint8>> &changes) const
    {
        QByteArray bytes = m_image;
        for (const auto &[offset, value] : changes)
            bytes[offset] = char(value);
        return bytes;
    }

    static qsizetype at(msp::SampleField f) { return msp::sampleFieldOffset(f, kSlot); }
    static qsizetype at(msp::GlobalField f) { return msp::globalFieldOffset(f); }

private Q_SLOTS:
    void sliderFieldStoresThePick_data();
    void sliderFieldStoresThePick();
    void keyFieldStoresThePick_data();
    void keyFieldStoresThePick();
    void keyPickerClosedWithoutAPickChangesNothing();
    void toggles_data();
    void toggles();
    void doubleClickTogglesOnce();
    void choosers_data();
    void choosers();
    void openingAChooserStoresNothing();
    void guardsStopCommands_data();
    void guardsStopCommands();
    void popupsAppearBesideTheField_data();
    void popupsAppearBesideTheField();
    void popupsStayOnTheScreen();
};

void TestParameterEditor::sliderFieldStoresThePick_data()
{
    using msp::GlobalField;
    using msp::SampleField;
    QTest::addColumn<QString>("field");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("gesture"); // 0 close at once, 1 drag to the top, -1 to the bottom
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("scale");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("shownAfter");
    const QStringList s0_127{u"127"_s, u"63"_s, u"0"_s};
    const QStringList s0_63{u"63"_s, u"31"_s, u"0"_s};
    const QStringList s1_7{u"7"_s, u"4"_s, u"1"_s};
    const QStringList s64{u"64"_s, u"0"_s, u"-64"_s};
    QTest::newRow("VOLUME closed at once") << u"Text17"_s << at(SampleField::Volume) << 100 << 0 << u"100"_s
                                           << s0_127 << 100 << u"100"_s;
    QTest::newRow("ATTACK 27 picked 0") << u"Text28"_s << at(SampleField::Attack) << 27 << -1 << u"100"_s
                                        << s0_127 << 127 << u"0"_s;
    QTest::newRow("RELEASE 96 picked 64") << u"Text31"_s << at(SampleField::Release) << 96 << 1 << u"0"_s
                                          << QStringList{u"64"_s, u"32"_s, u"0"_s} << 32 << u"64"_s;
    QTest::newRow("DCA SLOP of 0x35 picked 1") << u"Text34"_s << at(SampleField::Dca) << 0x35 << -1 << u"5"_s
                                               << s1_7 << 0x31 << u"1"_s;
    QTest::newRow("DCA OFFS of 0x35 picked 7") << u"Text33"_s << at(SampleField::Dca) << 0x35 << 1 << u"3"_s
                                               << QStringList{u"7"_s, u"3"_s, u"0"_s} << 0x75 << u"7"_s;
    QTest::newRow("DCF SLOP of 0x35 picked 7") << u"Text35"_s << at(SampleField::Dcf) << 0x35 << 1 << u"5"_s
                                               << s1_7 << 0x37 << u"7"_s;
    QTest::newRow("CUT OFF picked 3") << u"Text32"_s << at(SampleField::CutOff) << 90 << -1 << u"90"_s
                                      << QStringList{u"127"_s, u"65"_s, u"3"_s} << 3 << u"3"_s;
    QTest::newRow("FINE 252 closed at once") << u"Text20"_s << at(SampleField::Fine) << 252 << 0 << u"99"_s
                                             << QStringList{u"99"_s, u"49"_s, u"0"_s} << 252 << u"99"_s;
    QTest::newRow("FINE TUNE picked -64") << u"Text37"_s << at(GlobalField::FineTune) << 64 << -1 << u"0"_s
                                          << s64 << 0 << u"-64"_s;
    QTest::newRow("FINE TUNE picked 64") << u"Text37"_s << at(GlobalField::FineTune) << 64 << 1 << u"0"_s
                                         << s64 << 128 << u"64"_s;
    QTest::newRow("REVERB 7 closed at once") << u"Text21"_s << at(GlobalField::Reverb) << 7 << 0 << u"4"_s
                                             << s0_63 << 8 << u"4"_s;
    QTest::newRow("LEVEL picked 63") << u"Text22"_s << at(GlobalField::Level) << 64 << 1 << u"32"_s << s0_63
                                     << 126 << u"63"_s;
    // A start value whose stored form is no byte leaves the byte alone.
    QTest::newRow("LEVEL 255 closed at once") << u"Text22"_s << at(GlobalField::Level) << 255 << 0 << u"128"_s
                                              << s0_63 << 255 << u"127"_s;
    QTest::newRow("CHORUS amount of type 9") << u"Text27"_s << at(GlobalField::Chorus) << 10 << -1 << u"5"_s
                                             << s0_63 << 0 << u"0"_s;
}

void TestParameterEditor::sliderFieldStoresThePick()
{
    QFETCH(QString, field);
    QFETCH(qsizetype, offset);
    QFETCH(int, before);
    QFETCH(int, gesture);
    QFETCH(QString, start);
    QFETCH(QStringList, scale);
    QFETCH(int, after);
    QFETCH(QString, shownAfter);
    Form1 form;
    // Effect type 9 shows the OVERDRIVE and CHORUS amounts.
    const qsizetype effect = msp::globalFieldOffset(msp::GlobalField::Effect);
    open(form, 3, {{effect, 9}, {offset, quint8(before)}});
    const PopupRun run = clickField(form, field, [&](QWidget *slider) { dragSlider(slider, gesture); });
    QCOMPARE(run.kind, u"FrmSlider"_s);
    QCOMPARE(run.startValue, start);
    QCOMPARE(run.scale, scale);
    QCOMPARE(shown(form, field), shownAfter);
    QCOMPARE(form.selectedSlot(), kSlot);
    QVERIFY(MspModified);
    QCOMPARE(saved(form), expectedWith({{offset, quint8(after)}}));
}

void TestParameterEditor::keyFieldStoresThePick_data()
{
    using msp::SampleField;
    QTest::addColumn<QString>("field");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<int>("before");
    QTest::addColumn<double>("X");
    QTest::addColumn<double>("Y");
    QTest::addColumn<int>("startNote");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("START picked C3") << u"Text15"_s << at(SampleField::StartKey) << 40 << 7050.0 << 1000.0 << 41
                                     << 59 << u"C3"_s;
    QTest::newRow("START picked note 0") << u"Text15"_s << at(SampleField::StartKey) << 40 << 100.0 << 1000.0
                                         << 41 << 0 << u"C#-2"_s;
    QTest::newRow("END picked 129") << u"Text16"_s << at(SampleField::EndKey) << 127 << 15015.0 << 1000.0
                                    << 127 << 129 << u"A8"_s;
    QTest::newRow("KEY picked C#3") << u"Text19"_s << at(SampleField::Key) << 60 << 7200.0 << 300.0 << 60
                                    << 61 << u"C#3"_s;
}

void TestParameterEditor::keyFieldStoresThePick()
{
    QFETCH(QString, field);
    QFETCH(qsizetype, offset);
    QFETCH(int, before);
    QFETCH(double, X);
    QFETCH(double, Y);
    QFETCH(int, startNote);
    QFETCH(int, after);
    QFETCH(QString, shownAfter);
    Form1 form;
    open(form, 3, {{offset, quint8(before)}});
    const PopupRun run = clickField(form, field, [&](QWidget *picker) { pickKey(picker, X, Y); });
    QCOMPARE(run.kind, u"Form2"_s);
    QCOMPARE(run.startNote, startNote);
    QCOMPARE(shown(form, field), shownAfter);
    QCOMPARE(form.selectedSlot(), kSlot);
    QVERIFY(MspModified);
    QCOMPARE(saved(form), expectedWith({{offset, quint8(after)}}));
}

void TestParameterEditor::keyPickerClosedWithoutAPickChangesNothing()
{
    Form1 form;
    open(form, 3, {{at(msp::SampleField::StartKey), 0}});
    const PopupRun run =
        clickField(form, u"Text15"_s, [](QWidget *picker) { QTest::keyClick(picker, Qt::Key_Escape); });
    QCOMPARE(run.kind, u"Form2"_s);
    QVERIFY(!MspModified);
    QCOMPARE(saved(form), m_image);
}

void TestParameterEditor::toggles_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("shownAfter");
    const qsizetype pitch = at(msp::SampleField::PitchMode);
    const qsizetype effect = at(msp::GlobalField::Effect);
    QTest::newRow("PITCH 0") << u"Text18"_s << pitch << 0 << 1 << u"FIXED"_s;
    QTest::newRow("PITCH 1") << u"Text18"_s << pitch << 1 << 0 << u"STANDARD"_s;
    QTest::newRow("PITCH 5 stays") << u"Text18"_s << pitch << 5 << 5 << u"5"_s;
    QTest::newRow("ROTOR on") << u"Text24"_s << effect << 3 << 131 << u"ON"_s;
    QTest::newRow("ROTOR off") << u"Text24"_s << effect << 131 << 3 << u"OFF"_s;
}

void TestParameterEditor::toggles()
{
    QFETCH(QString, field);
    QFETCH(qsizetype, offset);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QString, shownAfter);
    Form1 form;
    open(form, 3, {{offset, quint8(before)}});
    const PopupRun run = clickField(form, field);
    QVERIFY(run.kind.isEmpty());
    QCOMPARE(shown(form, field), shownAfter);
    if (field == u"Text24"_s) // the effect type stays
        QCOMPARE(shown(form, u"Label33"_s), u"CHORUS"_s);
    QCOMPARE(form.selectedSlot(), kSlot);
    QVERIFY(MspModified);
    QCOMPARE(saved(form), expectedWith({{offset, quint8(after)}}));
}

void TestParameterEditor::doubleClickTogglesOnce()
{
    Form1 form;
    open(form, 3, {{at(msp::GlobalField::Effect), 3}});
    QWidget *rotor = form.findChild<QWidget *>(u"Text24"_s);
    QTest::mousePress(rotor, Qt::LeftButton);
    QTest::mouseRelease(rotor, Qt::LeftButton);
    QTest::mouseDClick(rotor, Qt::LeftButton);
    QTest::mouseRelease(rotor, Qt::LeftButton);
    QCOMPARE(shown(form, u"Text24"_s), u"ON"_s);
    QCOMPARE(saved(form), expectedWith({{at(msp::GlobalField::Effect), 131}}));
}

void TestParameterEditor::choosers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("list");
    QTest::addColumn<qsizetype>("offset");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("shownAfter");
    const qsizetype octave = at(msp::GlobalField::Octave);
    const qsizetype effect = at(msp::GlobalField::Effect);
    QTest::newRow("+1") << u"Text23"_s << u"List2"_s << octave << 0 << u"      +1"_s << 1 << u"+1"_s;
    QTest::newRow("-2") << u"Text23"_s << u"List2"_s << octave << 2 << u"       -2"_s << 254 << u"-2"_s;
    QTest::newRow("-1") << u"Text23"_s << u"List2"_s << octave << 0 << u"       -1"_s << 255 << u"-1"_s;
    QTest::newRow("DIST + DELAY, rotor on") << u"Label33"_s << u"List3"_s << effect << 131 << u"DIST + DELAY"_s
                                            << 135 << u"DIST + DELAY"_s;
    QTest::newRow("OFF, rotor off") << u"Label33"_s << u"List3"_s << effect << 8 << u"OFF"_s << 0 << u"OFF"_s;
}

void TestParameterEditor::choosers()
{
    QFETCH(QString, field);
    QFETCH(QString, list);
    QFETCH(qsizetype, offset);
    QFETCH(int, before);
    QFETCH(QString, entry);
    QFETCH(int, after);
    QFETCH(QString, shownAfter);
    Form1 form;
    open(form, 3, {{offset, quint8(before)}}, 0);
    auto *chooser = form.findChild<QListWidget *>(list);
    QVERIFY(chooser->isHidden());
    QCOMPARE(chooser->palette().color(QPalette::Base), QColor(224, 224, 224));
    QVERIFY(clickField(form, field).kind.isEmpty());
    QVERIFY(!chooser->isHidden());
    // Directly under the field, at its left edge.
    QWidget *f = form.findChild<QWidget *>(field);
    QCOMPARE(chooser->pos(), f->geometry().bottomLeft() + QPoint(0, 1));
    clickEntry(chooser, entry);
    QVERIFY(chooser->isHidden());
    QCOMPARE(shown(form, field), shownAfter);
    QVERIFY(MspModified);
    QCOMPARE(saved(form), expectedWith({{offset, quint8(after)}}));
    if (list == u"List3"_s && after == 135) {
        QCOMPARE(shown(form, u"Label30"_s), u"DISTOR"_s);
        QCOMPARE(shown(form, u"Label31"_s), u"DELAY"_s);
        QVERIFY(isShown(form, u"Text25"_s) && isShown(form, u"Text26"_s));
        QVERIFY(!isShown(form, u"Text27"_s) && !isShown(form, u"Label32"_s));
        QCOMPARE(shown(form, u"Text24"_s), u"ON"_s);
    }
}

void TestParameterEditor::openingAChooserStoresNothing()
{
    Form1 form;
    // Type 12 has no entry; opening marks entry 0 but must not store it.
    open(form, 1, {{at(msp::GlobalField::Effect), 12}, {at(msp::GlobalField::Octave), 1}});
    clickField(form, u"Label33"_s);
    clickField(form, u"Text23"_s);
    auto *list2 = form.findChild<QListWidget *>(u"List2"_s);
    auto *list3 = form.findChild<QListWidget *>(u"List3"_s);
    QVERIFY(!list2->isHidden() && !list3->isHidden());
    QCOMPARE(list2->currentItem()->text(), u"      +1"_s);
    QCOMPARE(list3->currentRow(), 0);
    QVERIFY(!MspModified);
    QCOMPARE(saved(form), m_image);
}

void TestParameterEditor::guardsStopCommands_data()
{
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("select");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("works");
    const QStringList perSample{u"Text15"_s, u"Text17"_s, u"Text18"_s, u"Text33"_s};
    const QStringList global{u"Text21"_s, u"Text23"_s, u"Text24"_s, u"Label33"_s, u"Text37"_s};
    for (const QString &f : perSample + global)
        QTest::addRow("no samples, %s", qPrintable(f)) << 0 << 0 << f << false;
    for (const QString &f : perSample)
        QTest::addRow("no selection, %s", qPrintable(f)) << 2 << 0 << f << false;
    for (const QString &f : global)
        QTest::addRow("no selection, %s", qPrintable(f)) << 2 << 0 << f << true;
    // Effect OFF hides the amount fields: they take no click.
    QTest::newRow("hidden amount field") << 2 << 1 << u"Text26"_s << false;
}

void TestParameterEditor::guardsStopCommands()
{
    QFETCH(int, samples);
    QFETCH(int, select);
    QFETCH(QString, field);
    QFETCH(bool, works);
    Form1 form;
    open(form, samples, {}, select);
    const PopupRun run = clickField(form, field);
    const bool listOpened = !form.findChild<QWidget *>(u"List2"_s)->isHidden()
                            || !form.findChild<QWidget *>(u"List3"_s)->isHidden();
    const bool changedSomething = !run.kind.isEmpty() || listOpened || MspModified;
    QCOMPARE(changedSomething, works);
    if (!works)
        QCOMPARE(saved(form), m_image);
}

void TestParameterEditor::popupsAppearBesideTheField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("offset");
    QTest::newRow("REVERB, +570") << u"Text21"_s << 570;
    QTest::newRow("RELEASE, -300") << u"Text31"_s << -300;
    QTest::newRow("DCF SLOP, -1000") << u"Text35"_s << -1000;
    QTest::newRow("KEY picker") << u"Text19"_s << 0;
}

void TestParameterEditor::popupsAppearBesideTheField()
{
    QFETCH(QString, field);
    QFETCH(int, offset);
    Form1 form;
    open(form, 3, {});
    // Brings the field to the left middle of the screen, so that nothing is clamped.
    QWidget *f = form.findChild<QWidget *>(field);
    const QRect screen = f->screen()->availableGeometry();
    form.move(form.pos() + QPoint(screen.left() + 20, screen.center().y()) - f->mapToGlobal(QPoint(0, 0)));
    const QPoint fieldTopLeft = f->mapToGlobal(QPoint(0, 0));
    const PopupRun run = clickField(form, field);
    QVERIFY(!run.kind.isEmpty());
    QVERIFY(screen.contains(run.geometry));
    QCOMPARE(run.geometry.left(), fieldTopLeft.x() + f->width());
    if (run.kind == u"Form2"_s) {
        QCOMPARE(run.geometry.top(), fieldTopLeft.y());
    } else {
        // The slider's middle lies `offset` twips below the field's top.
        const double middle = run.geometry.top() + run.geometry.height() / 2.0;
        QVERIFY(qAbs(middle - (fieldTopLeft.y() + offset / kTwip)) <= 1.5);
    }
}

void TestParameterEditor::popupsStayOnTheScreen()
{
    Form1 form;
    open(form, 3, {});
    QWidget *f = form.findChild<QWidget *>(u"Text35"_s);
    const QRect screen = f->screen()->availableGeometry();
    // The field near the bottom right corner: the pop-ups would run off the screen.
    form.move(form.pos() + screen.bottomRight() - QPoint(f->width() + 10, 40) - f->mapToGlobal(QPoint(0, 0)));
    QVERIFY(screen.contains(clickField(form, u"Text35"_s).geometry));
    QVERIFY(screen.contains(clickField(form, u"Text19"_s).geometry));
}

QTEST_MAIN(TestParameterEditor)
#include "test_parametereditor.moc"
