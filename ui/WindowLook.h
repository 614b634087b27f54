#pragma once
// The look the program's secondary windows share: a cream background under the platform's own
// style (a theme paints with its own palette, as the main window does).
// Collaborators: StyleManager (which style is active), every secondary window.

class QWidget;

void paintCream(QWidget* window);
