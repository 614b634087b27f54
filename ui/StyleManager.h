#pragma once
// StyleManager: the visual styles the program carries. "Windows" is the platform's own look;
// every other name is a Fusion palette of its own, dark names dark and light names light.
// Collaborators: TForm1 (Theme menu), main() (the start-up style).

#include <QPalette>
#include <QStringList>

class StyleManager {
public:
    static QString nativeStyleName() { return QStringLiteral("Windows"); }
    // The program's styles, "Windows" first (unsorted).
    static QStringList styleNames();
    static bool isDark(const QString& name);
    // Switches the application to the named style; false (and no change) for an unknown name.
    static bool trySetStyle(const QString& name);
    static QString activeStyle();
    // The palette a style shows; the native style's is the platform's standard palette.
    static QPalette paletteFor(const QString& name);
};
