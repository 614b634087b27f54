#pragma once
// Finds a window's child by object name; a missing one stops the test with its name. Reaches a
// modal window while its opener waits in exec().

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

template <typename T>
T* child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// Runs f once on the first visible top-level window of type T, from inside the modal loop that
// shows it; f closes the window (or leaves that to whatever it clicks).
template <typename T>
void whenShown(std::function<void(T&)> f) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, f] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<T*>(w); window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                f(*window);
                return;
            }
    });
    timer->start();
}
