#include "core/TimeText.h"

#include <QLocale>
#include <QRegularExpression>

namespace {
QString longTimeFormatWithoutZone() {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    // A zone name does not belong in a time whose offset the program has already applied.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?\\s*"));
    f.replace(zone, QStringLiteral(" "));
    return f.trimmed();
}

// The locale's short date with the year written in full ("5/17/2024", not "5/17/24").
QString shortDateFormatWithFullYear() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}
} // namespace

QString ShortDateText(const QDate& d) { return QLocale().toString(d, shortDateFormatWithFullYear()); }

QString LongTimeText(const QTime& t) { return QLocale().toString(t, longTimeFormatWithoutZone()); }

QString DateTimeText(const QDateTime& dt) {
    return ShortDateText(dt.date()) + QLatin1Char(' ') + LongTimeText(dt.time());
}

QString ClockDateText(const QDate& d) { return QLocale().toString(d, QStringLiteral("MMMM dd yyyy")); }

int LocalUtcOffsetSeconds() { return QDateTime::currentDateTime().offsetFromUtc(); }

QString TypableLongDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    // The weekday with the punctuation and blanks that part it from the rest, wherever it stands.
    static const QRegularExpression weekday(QStringLiteral("\\s*(?<![d'])d{3,4}(?!d)[,.]?\\s*"));
    format.replace(weekday, QStringLiteral(" "));
    format = format.trimmed();
    // What stands before a weekday at the end ("d MMMM yyyy, dddd") is left dangling.
    while (format.endsWith(QLatin1Char(',')))
        format.chop(1);
    return format.isEmpty() ? QStringLiteral("d MMMM yyyy") : format;
}
