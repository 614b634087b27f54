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
} // namespace

QString LongTimeText(const QTime& t) { return QLocale().toString(t, longTimeFormatWithoutZone()); }

QString DateTimeText(const QDateTime& dt) {
    return QLocale().toString(dt.date(), QLocale::ShortFormat) + QLatin1Char(' ') + LongTimeText(dt.time());
}

QString ClockDateText(const QDate& d) { return QLocale().toString(d, QStringLiteral("MMMM dd yyyy")); }

int LocalUtcOffsetSeconds() { return QDateTime::currentDateTime().offsetFromUtc(); }
