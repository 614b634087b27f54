#include "ui/StyleManager.h"

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <cmath>

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

// Of black and white, the one that reads better on the colour.
QColor readableOn(const QColor& background) {
    return StyleManager::contrastRatio(Qt::black, background) >= StyleManager::contrastRatio(Qt::white, background) ? QColor(Qt::black)
                                                                                                                      : QColor(Qt::white);
}

QColor mixed(const QColor& from, const QColor& to, double t) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t), float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

// The nearest colour on the way from `start` to `target` that reaches the ratio against both
// backgrounds (target itself when none nearer does).
QColor reaching(const QColor& start, const QColor& target, const QColor& back1, const QColor& back2, double ratio) {
    for (int step = 0; step <= 20; ++step) {
        const QColor c = mixed(start, target, step / 20.0);
        if (StyleManager::contrastRatio(c, back1) >= ratio && StyleManager::contrastRatio(c, back2) >= ratio)
            return c;
    }
    return target;
}

QPalette buildPalette(const StyleDef& s) {
    const QColor face(s.window);
    const QColor accent(s.accent);
    const QColor text = s.dark ? QColor(0xe8, 0xe8, 0xe8) : QColor(0x1a, 0x1a, 0x1a);
    const QColor base = s.dark ? face.darker(135) : QColor(Qt::white);
    const QColor alt = s.dark ? face.lighter(115) : face.lighter(104);
    const QColor button = s.dark ? face.lighter(125) : face;
    QPalette p;
    p.setColor(QPalette::Window, face);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, alt);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    // Hints (the drop-down's "N matches") stay readable: half way to the text at least.
    p.setColor(QPalette::PlaceholderText, reaching(mixed(base, text, 0.5), text, base, base, 3.0));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, s.dark ? accent.lighter(130) : accent);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, readableOn(accent));
    const QColor disabled = s.dark ? QColor(0x80, 0x80, 0x80) : QColor(0x9a, 0x9a, 0x9a);
    p.setColor(QPalette::Disabled, QPalette::Text, disabled);
    p.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return p;
}

// The platform's palette, its selection darkened where white text would not read on it.
QPalette nativePalette(const QStyle& style) {
    QPalette p = style.standardPalette();
    const QColor text = p.color(QPalette::HighlightedText);
    p.setColor(QPalette::Highlight, reaching(p.color(QPalette::Highlight), readableOn(text) == Qt::black ? QColor(Qt::black) : QColor(Qt::white),
                                             text, text, 4.5));
    return p;
}

// Fusion draws the outline of radio buttons, check boxes and edit boxes a shade darker than the
// window, which vanishes on a dark window. This draws that outline again in a colour that stands
// out from both the window and the box (StyleManager::borderColor), on every style.
class OutlinedStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override {
        QProxyStyle::drawPrimitive(pe, opt, p, w);
        const bool focused = (opt->state & State_HasFocus) && (opt->state & State_KeyboardFocusChange);
        switch (pe) {
        case PE_IndicatorRadioButton: {
            if (focused)
                break;
            // Fusion's own circle: the same centre and radius.
            const QRect check = opt->rect.adjusted(0, 0, -1, -1);
            const QPointF centre = QRectF(check).center() + QPointF(0.5, 0.5);
            const qreal radius = (check.width() + (check.width() + 1) % 2) / 2.0 - 1;
            p->save();
            p->setRenderHint(QPainter::Antialiasing, true);
            // Wide enough that smoothing leaves whole pixels of the colour on the curve.
            p->setPen(QPen(StyleManager::borderColor(opt->palette), 1.5));
            p->setBrush(Qt::NoBrush);
            p->drawEllipse(centre, radius, radius);
            p->restore();
            break;
        }
        case PE_IndicatorCheckBox:
            if (focused)
                break;
            p->save();
            p->setPen(QPen(StyleManager::borderColor(opt->palette), 1));
            p->setBrush(Qt::NoBrush);
            p->drawRect(opt->rect.adjusted(0, 0, -1, -1));
            p->restore();
            break;
        case PE_FrameLineEdit:
            if (opt->state & State_HasFocus)
                break;   // the focus colour marks it then
            outlineBox(opt->rect, opt->palette, p);
            break;
        default: break;
        }
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p, const QWidget* w) const override {
        QProxyStyle::drawComplexControl(cc, opt, p, w);
        if (cc == CC_ComboBox && !(opt->state & State_HasFocus))
            outlineBox(opt->rect, opt->palette, p);
    }

private:
    static void outlineBox(const QRect& r, const QPalette& palette, QPainter* p) {
        p->save();
        p->setRenderHint(QPainter::Antialiasing, true);
        p->translate(0.5, 0.5);
        p->setPen(QPen(StyleManager::borderColor(palette), 1));
        p->setBrush(Qt::NoBrush);
        p->drawRoundedRect(r.adjusted(0, 0, -1, -1), 2, 2);
        p->restore();
    }
};

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
    return qApp ? nativePalette(*qApp->style()) : QPalette();
}

double StyleManager::contrastRatio(const QColor& a, const QColor& b) {
    // WCAG 2 relative luminance of sRGB colours and the ratio (L1 + 0.05) / (L2 + 0.05).
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor StyleManager::borderColor(const QPalette& palette) {
    const QColor window = palette.color(QPalette::Window);
    return reaching(mixed(window, palette.color(QPalette::WindowText), 0.3), palette.color(QPalette::WindowText), window,
                    palette.color(QPalette::Base), 3.0);
}

bool StyleManager::trySetStyle(const QString& name) {
    if (!qApp)
        return false;
    if (nativeKey().isEmpty()) {
        const QStyle* current = qApp->style();
        if (const auto* proxy = qobject_cast<const QProxyStyle*>(current))
            current = proxy->baseStyle();
        nativeKey() = current->name();
    }
    if (name == nativeStyleName()) {
        QStyle* style = QStyleFactory::create(nativeKey());
        if (!style)
            return false;
        QApplication::setStyle(new OutlinedStyle(style));
        QApplication::setPalette(nativePalette(*style));
    } else {
        const StyleDef* def = findStyle(name);
        if (!def)
            return false;
        QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
        if (!style)
            return false;
        QApplication::setStyle(new OutlinedStyle(style));
        QApplication::setPalette(buildPalette(*def));
    }
    currentName() = name;
    return true;
}

QString StyleManager::activeStyle() { return currentName(); }
