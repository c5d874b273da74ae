#include "ModalWidgets.h"

#include <QApplication>
#include <QWidget>

namespace kestrel {

int CloseModalWidgets() {
    int closed = 0;
    // Bounded: a widget that would not hide must not hold the caller for ever.
    for (int left = 64; left > 0; --left) {
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            open = QApplication::activeModalWidget();
        if (!open)
            break;
        const QPointer<QWidget> widget = open;
        if (auto* dialog = qobject_cast<QDialog*>(open))
            dialog->reject();
        else
            open->close();
        // Hiding ends a dialog's or a menu's loop even where closing was
        // refused (a box that answers only by a button).
        if (widget && widget->isVisible())
            widget->hide();
        ++closed;
    }
    return closed;
}

}  // namespace kestrel
