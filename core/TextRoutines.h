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
