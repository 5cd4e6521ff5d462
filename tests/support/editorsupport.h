// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MSP editor driven as a user drives it: documents shown, commands run, files
// dropped, fields clicked and their pop-ups worked by typed gestures. The slider's
// track starts 360 twips below its window's top and is 2925 high; the picker's
// keyboard is 15050 by 1215 twips, white keys 200 wide, black keys 120.

#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <algorithm>

namespace tamo::test::editor {

using namespace Qt::StringLiterals;
using msp::MspRecord;
using msp_editor::MspEditorWindow;
using Bytes = QList<QPair<qsizetype, quint8>>;

constexpr double kTwip = 15.0;
constexpr int kSlot = 2;

// A new document holding the named samples, with bytes of its image then replaced.
inline MspRecord documentWith(const QStringList &names, const Bytes &bytes = {})
{
    MspRecord record = MspRecord::newDocument();
    for (int i = 0; i < names.size(); ++i)
        record.setSampleName(i + 1, names.at(i).toLatin1());
    record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
    QByteArray image = record.bytes();
    for (const auto &[offset, value] : bytes)
        image[offset] = char(value);
    return MspRecord::fromBytes(image);
}

// The WAV tools' fixed files go to the documents folder of this home.
inline void useHome(const QString &home)
{
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(home).filePath(u".config"_s).toLocal8Bit());
}

inline QStringList split(const char *texts) { return QString::fromUtf8(texts).split(u'|', Qt::SkipEmptyParts); }
inline bool touch(const QString &path) { return QDir().mkpath(QFileInfo(path).absolutePath()) && writeAll(path, "RIFF"); }

// Runs a menu command or clicks a button of the window by its design name.
inline void run(QWidget &form, const QString &command)
{
    if (auto *button = form.findChild<QPushButton *>(command))
        button->click();
    else if (auto *action = form.findChild<QAction *>(command))
        action->trigger();
    else
        qFatal("no command %s", qPrintable(command));
}

// Drops files on widget at pos. Straight to the widget, as the drag manager hands a
// drop to its target: QApplication passes on only drops of a drag it runs itself.
inline void drop(QWidget &widget, const QStringList &files, QPoint pos)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    mime.setUrls(urls);
    QDropEvent event(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject &>(widget).event(&event);
}

// Shows record as the document read from path, or one never saved (modified).
inline void showRecord(MspEditorWindow &form, const MspRecord &record, const QString &path = {}, bool modified = false)
{
    form.document().reset({record, {}, {}}, path, !modified);
    form.RefreshMspView();
}

// Shows a document with slot `select` selected (0: none), unmodified.
inline MspRecord open(MspEditorWindow &form, const QStringList &names, const Bytes &bytes = {}, int select = kSlot)
{
    const MspRecord record = documentWith(names, bytes);
    showRecord(form, record);
    form.selectSlot(select);
    form.show();
    return record;
}

inline QString shown(const QWidget &window, const QString &name)
{
    const auto *edit = window.findChild<QLineEdit *>(name);
    return edit ? edit->text() : window.findChild<QLabel *>(name)->text();
}

inline QStringList listed(const MspEditorWindow &form)
{
    QStringList lines;
    for (int i = 0; i < form.sampleList()->count(); ++i)
        lines << form.sampleList()->item(i)->text().trimmed();
    return lines;
}

inline void clickItem(QListWidget *list, QListWidgetItem *item)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// Where a value lies on the slider's track, in twips below its top; whether the
// knob's centre sits there (within two twips).
inline double placeOf(const msp_editor::ValueSlider &s, int value) { return (s.maximum - value) * 2925.0 / (s.maximum - s.minimum); }
inline bool knobAt(const msp_editor::ValueSlider &s, double place)
{
    const QWidget *knob = s.findChild<QWidget *>(u"Picture1"_s);
    return qAbs((knob->y() + knob->height() / 2.0) * kTwip - 360 - place) <= 2 * kTwip;
}

// What a click on a field does in the pop-up it opens.
struct Gesture {
    enum Kind { Click, Hold, Drag, PickKey, Escape, DoubleClick, Choose };
    enum Closer { Close, EscapeKey, Text1, Label2 }; // how the slider is closed
    Gesture(Kind k = Click, QPointF to = {}, Closer c = Close, const QString &chosen = {}) : kind(k), at(to), closer(c), entry(chosen) {}
    Kind kind;
    QPointF at;    // Drag: where the knob is let go, twips from the track's top left; PickKey: on the keyboard
    Closer closer;
    QString entry; // Choose: the chooser entry clicked; empty: none
};
inline Gesture drag(double y, Gesture::Closer closer) { return {Gesture::Drag, {120, y}, closer}; }
inline Gesture pickKey(double x, double y) { return {Gesture::PickKey, {x, y}}; }
inline Gesture choose(const QString &entry) { return {Gesture::Choose, {}, Gesture::Close, entry}; }

// Clicks a field and works the pop-up. A drag presses 1000 twips down the track,
// moves to 600 (100.9 in 0..127), then to `at`, and lets go. A key pick scrolls
// there as a user would and presses. Returns what the pop-up showed on opening,
// "<value> in <scale top to bottom>" or "note <shown note> at <scroll>" (empty when
// none opened), then what went wrong.
inline QString clickField(MspEditorWindow &form, const QString &name, const Gesture &gesture = {})
{
    QString seen;
    QTimer::singleShot(0, &form, [&] {
        QWidget *popup = QApplication::activeModalWidget();
        if (!popup)
            return;
        const auto at = [](QPointF twips) { return (twips / kTwip).toPoint(); };
        if (auto *slider = qobject_cast<msp_editor::ValueSlider *>(popup)) {
            auto labels = popup->findChildren<QLabel *>(u"Label1"_s);
            std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
            const int start = shown(*popup, u"Text1"_s).toInt();
            const bool knobRight = knobAt(*slider, placeOf(*slider, start));
            seen = u"%1 in %2 %3 %4"_s.arg(start).arg(labels.at(0)->text(), labels.at(1)->text(), labels.at(2)->text());
            auto *track = popup->findChild<QWidget *>(u"Picture2"_s);
            const bool drag = gesture.kind == Gesture::Drag, onTrack = gesture.at.y() >= 0 && gesture.at.y() <= 2925;
            if (drag) {
                QTest::mousePress(track, Qt::LeftButton, {}, at({120, 1000}));
                seen += shown(*popup, u"Text1"_s).toInt() == start ? QString() : u" moved by a press"_s;
                QTest::mouseMove(track, at({120, 600}));
                QTest::mouseMove(track, at(gesture.at));
                QTest::mouseRelease(track, Qt::LeftButton, {}, at(gesture.at));
            }
            seen += knobRight && knobAt(*slider, !drag ? placeOf(*slider, start) : onTrack ? gesture.at.y() : 600) ? QString() : u" knob misplaced"_s;
            if (gesture.closer == Gesture::EscapeKey)
                QTest::keyClick(popup, Qt::Key_Escape);
            else if (gesture.closer == Gesture::Close)
                popup->close();
            else
                QTest::mouseClick(popup->findChild<QWidget *>(gesture.closer == Gesture::Text1 ? u"Text1"_s : u"Label2"_s), Qt::LeftButton);
        } else {
            auto *scroll = popup->findChild<QScrollBar *>(u"HScroll1"_s);
            seen = u"note %1 at %2"_s.arg(qobject_cast<msp_editor::KeyPicker *>(popup)->note()).arg(scroll->value());
            if (gesture.kind == Gesture::PickKey) {
                scroll->setValue(qBound(0, int(gesture.at.x()) - 4000, scroll->maximum()));
                auto *keyboard = popup->findChild<QWidget *>(u"Picture2"_s);
                // At a fraction of a pixel, as a high-resolution pointer may press.
                const QPointF to = gesture.at / kTwip;
                QMouseEvent press(QEvent::MouseButtonPress, to, keyboard->mapToGlobal(to), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(keyboard, &press);
            } else if (gesture.kind == Gesture::Escape) {
                QTest::keyClick(popup, Qt::Key_Escape);
            }
        }
        if (popup->isVisible()) {
            seen += u" left open"_s;
            popup->close();
        }
    });
    QTest::mouseClick(form.findChild<QWidget *>(name), Qt::LeftButton);
    QCoreApplication::processEvents(); // lets the check run when no pop-up opened
    return seen;
}

// Keys pressed in order: a character (below 0x80) as typed, anything else a Qt::Key.
inline void press(QWidget *widget, const QList<int> &keys)
{
    for (const int key : keys)
        key < 0x80 ? QTest::keyClick(widget, char(key)) : QTest::keyClick(widget, Qt::Key(key));
}

} // namespace tamo::test::editor
