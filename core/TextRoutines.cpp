#include "core/TextRoutines.h"

namespace {
inline bool isAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}
inline QChar asciiUpper(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
}
inline QChar asciiLower(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? QChar(char16_t(u + 32)) : c;
}
} // namespace

QString ProperCase(const QString& text) {
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        out[i] = (i > 0 && isAsciiLetter(text.at(i - 1))) ? asciiLower(c) : asciiUpper(c);
    }
    return out;
}

QString LicenseClassName(const QString& code) {
    if (code == QLatin1String("A"))
        return QStringLiteral("Advanced");
    if (code == QLatin1String("E"))
        return QStringLiteral("Extra");
    if (code == QLatin1String("G"))
        return QStringLiteral("General");
    if (code == QLatin1String("N"))
        return QStringLiteral("Novice");
    if (code == QLatin1String("P"))
        return QStringLiteral("Technician Plus");
    if (code == QLatin1String("T"))
        return QStringLiteral("Technician");
    return QStringLiteral("Club");
}

#include <QLocale>

QString FloatText(double value) {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(value, 'g', 15);
}

QString AsciiUpperCase(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = asciiUpper(c);
    return out;
}

QString CsvQuoted(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    out += QLatin1Char('"');
    if (value.contains(QLatin1Char('"')))
        out += QString(value).replace(QLatin1Char('"'), QLatin1String("\"\""));
    else
        out += value;
    out += QLatin1Char('"');
    return out;
}
