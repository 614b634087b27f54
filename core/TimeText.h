#pragma once
// How the program writes dates and times: the locale's short date with a four-digit year and its
// long time (without a time-zone name), and the clock's "month dd yyyy" date.

#include <QDateTime>
#include <QLocale>
#include <QString>

// The wall-clock parts of dt (its own time spec is ignored), e.g. "5/17/2024 5:21:00 AM".
QString DateTimeText(const QDateTime& dt);
QString LongTimeText(const QTime& t);
// The locale's short date, its year always in four digits: "5/17/2024".
QString ShortDateText(const QDate& d);
// Full month name, two-digit day, four-digit year: "May 07 2024".
QString ClockDateText(const QDate& d);
// The locale's long date format without its day of the week ("MMMM d, yyyy"): a date box whose
// format names the weekday refuses a typed day or year, which would disagree with the weekday shown.
QString TypableLongDateFormat(const QLocale& locale);
// The computer's present offset of local time from UTC, in seconds.
int LocalUtcOffsetSeconds();
