#include "ui/WindowLook.h"

#include "ui/StyleManager.h"

#include <QWidget>

void paintCream(QWidget* window) {
    const QString style = StyleManager::activeStyle();   // empty before any style was chosen
    if (!style.isEmpty() && style != StyleManager::nativeStyleName())
        return;
    QPalette p = window->palette();
    p.setColor(QPalette::Window, QColor(0xFF, 0xFB, 0xF0));
    window->setPalette(p);
    window->setAutoFillBackground(true);
}
