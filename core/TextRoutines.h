#pragma once
// Small text routines shared by the importers, the displays and the searches.

#include <QString>

// Upper-cases the first letter of every word and lower-cases the rest (ASCII letters only;
// a letter follows a "word" only when the character before it is an ASCII letter).
QString ProperCase(const QString& text);
// Display name of an operator class code; anything unknown (also lower case) is "Club".
QString LicenseClassName(const QString& code);
// A number in the shortest general form with at most 15 significant digits, locale separator.
QString FloatText(double value);
// Upper case of the ASCII letters a to z only; every other character stays as it is.
QString AsciiUpperCase(const QString& text);
// One CSV field: the value between double quotes, a double quote inside it doubled.
QString CsvQuoted(const QString& value);
