#pragma once
// Finds a window's child by object name; a missing one stops the test with its name.

#include <QWidget>

template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}
