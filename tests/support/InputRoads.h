#pragma once

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <memory>

namespace kestrel::test {

// Puts `text` into a box by one of the roads an engineer has, as real
// events: "typed <keys>", "ctrl+v" (as Qt sends it), "ctrl+v x11" (with the
// control character X11 attaches), "control text" (a bare control
// character, then the text typed), "shift+insert", "menu paste" (the box's
// own context menu) and "drop". Paste roads take the text from the
// clipboard, which this sets. "keys <keys>" types its keys, "^X" being
// Ctrl+X with the control character X11 attaches. False when the road is
// unknown.
inline bool EnterByRoad(QLineEdit* box, const QString& road, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    if (road.startsWith(QStringLiteral("typed "))) {
        QTest::keyClicks(box, road.mid(6));
    } else if (road.startsWith(QStringLiteral("keys "))) {
        const QString keys = road.mid(5);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (keys[i] != u'^' || i + 1 == keys.size()) {
                QTest::keyClick(box, keys[i].toLatin1());
                continue;
            }
            const char letter = keys[++i].toLatin1();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (letter - 'A'), Qt::ControlModifier,
                            QString(QChar(letter - 'A' + 1)));
            QCoreApplication::sendEvent(box, &press);
        }
    } else if (road == u"ctrl+v x11") {
        return EnterByRoad(box, QStringLiteral("keys ^V"), text);
    } else if (road == u"ctrl+v") {
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (road == u"control text") {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\x03"));
        QCoreApplication::sendEvent(box, &press);
        QTest::keyClicks(box, text);
    } else if (road == u"shift+insert") {
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    } else if (road == u"menu paste") {
        std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QStringLiteral("&Paste"))) {
                action->trigger();
                return true;
            }
        }
        return false;
    } else if (road == u"drop") {
        QMimeData data;
        data.setText(text);
        const QPoint at(box->width() - 1, box->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &drop);
    } else {
        return false;
    }
    return true;
}

}  // namespace kestrel::test
