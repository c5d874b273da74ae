#pragma once

#include <QString>
#include <QVariant>

namespace kestrel {

// Gives a control its design name, the type name of the control it stands
// for (the font and picture rules go by it) and, in an indexed set, its
// element number.
template <typename T>
T* Named(T* control, const char* name, const char* typeName, int index = -1) {
    control->setObjectName(QString::fromLatin1(name));
    control->setProperty("typeName", QString::fromLatin1(typeName));
    if (index >= 0)
        control->setProperty("index", index);
    return control;
}

}  // namespace kestrel
