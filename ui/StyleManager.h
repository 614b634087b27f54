#pragma once
// StyleManager: the visual styles the program carries. "Windows" is the platform's own look;
// every other name is a Fusion palette of its own, dark names dark and light names light. In
// every style text reads against its background and the outlines of radio buttons, check boxes
// and edit boxes stand out from the window and from the box.
// Collaborators: TForm1 (Theme menu), main() (the start-up style).

#include <QColor>
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
    // The colour the styles outline radio buttons, check boxes and edit boxes with: at least 3:1
    // against the palette's window and base colours.
    static QColor borderColor(const QPalette& palette);
    // The WCAG contrast ratio of two colours, from 1 (same) to 21 (black on white).
    static double contrastRatio(const QColor& a, const QColor& b);
};
