#pragma once

#include <QAccessible>
#include <QMap>
#include <QWidget>

namespace kestrel::test {

// What a screen reader says for each control of `form` that takes the
// focus, by the control's name (and element number).
inline QMap<QString, QString> SpokenNames(QWidget* form) {
    QMap<QString, QString> names;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->objectName().isEmpty() ||
            w->objectName().startsWith(u"qt_"))
            continue;
        const QVariant index = w->property("index");
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(w);
        names.insert(w->objectName() +
                         (index.isValid() ? QStringLiteral("(%1)").arg(index.toInt()) : QString()),
                     control ? control->text(QAccessible::Name) : QString());
    }
    return names;
}

}  // namespace kestrel::test
