#include "ui/StyleManager.h"

#include <QApplication>
#include <QColor>
#include <QStyle>
#include <QStyleFactory>

namespace {

struct StyleDef {
    const char* name;
    QRgb window;    // window and button face
    QRgb accent;    // selection and links
    bool dark;
};

// Each style gets its own face and accent colour so that a change of theme is visible.
const StyleDef kStyles[] = {
    {"Amakrits", 0x2b2d31, 0xd99a3b, true},
    {"Amethyst Kamri", 0xe9e1f2, 0x7b4fa3, false},
    {"Aqua Graphite", 0x3a3f44, 0x4fb3c8, true},
    {"Aqua Light Slate", 0xe3ecf0, 0x2e8fa8, false},
    {"Auric", 0x2f2a22, 0xe0b13a, true},
    {"Carbon", 0x202020, 0x6c9bd2, true},
    {"Charcoal Dark Slate", 0x2e3338, 0x7fa0b8, true},
    {"Cobalt XEMedia", 0x1f2a3c, 0x3d7fd9, true},
    {"Cyan Dusk", 0x263238, 0x26c6da, true},
    {"Cyan Night", 0x17232a, 0x00acc1, true},
    {"Emerald Light Slate", 0xe2eee8, 0x2e9e6a, false},
    {"Glossy", 0x303236, 0x5aa0e6, true},
    {"Glow", 0x262a30, 0x7ad0ff, true},
    {"Golden Graphite", 0x34322d, 0xd4a63c, true},
    {"Iceberg Classico", 0xe8f1f8, 0x3c82c4, false},
    {"Lavender Classico", 0xeeeaf6, 0x8066b8, false},
    {"Light", 0xf7f7f7, 0x2a7ad5, false},
    {"Luna", 0xece9d8, 0x316ac5, false},
    {"Obsidian", 0x1b1d22, 0x8a7ce0, true},
    {"Onyx Blue", 0x1e2530, 0x4a90e2, true},
    {"Ruby Graphite", 0x35302f, 0xc8414b, true},
    {"Sapphire Kamri", 0x1f2b44, 0x3f6fd8, true},
    {"Silver", 0xe6e6e6, 0x6b7f99, false},
    {"Sky", 0xe4f1fb, 0x2b95d6, false},
    {"Slate Classico", 0xdfe3e8, 0x50667f, false},
    {"Smokey Quartz Kamri", 0x3b3537, 0xb08a8f, true},
    {"Tablet Dark", 0x252526, 0x3794ff, true},
    {"Tablet Light", 0xfafafa, 0x0a84ff, false},
    {"Turquoise Gray", 0xe4eaea, 0x1aa39a, false},
    {"Windows10", 0xf0f0f0, 0x0078d7, false},
    {"Windows10 Blue", 0xdfeaf7, 0x1e5fb4, false},
    {"Windows10 Clear Day", 0xf4f8fb, 0x45a1e6, false},
    {"Windows10 Dark", 0x2b2b2b, 0x0a84d8, true},
    {"Windows10 Green", 0xe2efe2, 0x2f8f46, false},
    {"Windows10 Purple", 0xece4f2, 0x7a3fa0, false},
    {"Windows10 SlateGray", 0xdde2e6, 0x5b6b79, false},
};

const StyleDef* findStyle(const QString& name) {
    for (const auto& s : kStyles)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

QString& currentName() {
    static QString name;
    return name;
}

QString& nativeKey() {
    static QString key;
    return key;
}

QPalette buildPalette(const StyleDef& s) {
    const QColor face(s.window);
    const QColor accent(s.accent);
    const QColor text = s.dark ? QColor(0xe8, 0xe8, 0xe8) : QColor(0x1a, 0x1a, 0x1a);
    const QColor base = s.dark ? face.darker(135) : QColor(Qt::white);
    const QColor alt = s.dark ? face.lighter(115) : face.lighter(104);
    QPalette p;
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alt);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, s.dark ? QColor(0x9a, 0x9a, 0x9a) : QColor(0x70, 0x70, 0x70));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, s.dark ? face.lighter(125) : face);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, s.dark ? accent.lighter(130) : accent);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Disabled, QPalette::Text, s.dark ? QColor(0x80, 0x80, 0x80) : QColor(0x9a, 0x9a, 0x9a));
    p.setColor(QPalette::Disabled, QPalette::WindowText, s.dark ? QColor(0x80, 0x80, 0x80) : QColor(0x9a, 0x9a, 0x9a));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, s.dark ? QColor(0x80, 0x80, 0x80) : QColor(0x9a, 0x9a, 0x9a));
    return p;
}

} // namespace

QStringList StyleManager::styleNames() {
    QStringList names{nativeStyleName()};
    for (const auto& s : kStyles)
        names << QLatin1String(s.name);
    return names;
}

bool StyleManager::isDark(const QString& name) {
    const StyleDef* s = findStyle(name);
    return s && s->dark;
}

QPalette StyleManager::paletteFor(const QString& name) {
    if (const StyleDef* s = findStyle(name))
        return buildPalette(*s);
    return qApp ? qApp->style()->standardPalette() : QPalette();
}

bool StyleManager::trySetStyle(const QString& name) {
    if (!qApp)
        return false;
    if (nativeKey().isEmpty())
        nativeKey() = qApp->style()->name();
    if (name == nativeStyleName()) {
        QStyle* style = QStyleFactory::create(nativeKey());
        if (!style)
            return false;
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    } else {
        const StyleDef* def = findStyle(name);
        if (!def)
            return false;
        QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
        if (!style)
            return false;
        QApplication::setStyle(style);
        QApplication::setPalette(buildPalette(*def));
    }
    currentName() = name;
    return true;
}

QString StyleManager::activeStyle() { return currentName(); }
