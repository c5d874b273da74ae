#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace kestrel::test {

// Answers the pop-up menus a window opens while it lives, as the engineer
// would: each menu's name is kept, and the action named `answer` is chosen
// with the keyboard, or the menu is closed when there is none.
class PopupAnswers : public QObject {
public:
    PopupAnswers() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &PopupAnswers::Answer);
        timer_.start();
    }

    QStringList shown;
    QString answer;

private:
    void Answer() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        shown << menu->objectName();
        QAction* action = answer.isEmpty() ? nullptr : menu->findChild<QAction*>(answer);
        if (!action) {
            menu->close();
            return;
        }
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    }

    QTimer timer_;
};

}  // namespace kestrel::test
