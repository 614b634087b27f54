#pragma once
// Byte-level text helpers for the importers. The source files are mostly ASCII with some
// UTF-8 or Windows-1252 records, so the hot loops work on raw bytes and only convert a record
// when it holds a byte above 0x7F that is not valid UTF-8. Everything handed to the database
// is UTF-8. None of these allocate unless they append to a caller's buffer.
// Collaborators: the record builders (RecordParsers), the line reader.

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace bytetext {

bool isAscii(std::string_view s);
bool isValidUtf8(std::string_view s);

// Appends s, read as Windows-1252, to out as UTF-8. The five bytes the code page leaves
// undefined map to the C1 control of the same value, as Latin-1 would.
void appendCp1252AsUtf8(std::string_view s, std::string& out);

// Returns s unchanged when it is ASCII or valid UTF-8; otherwise converts it from
// Windows-1252 into scratch and returns a view of scratch.
std::string_view toUtf8(std::string_view s, std::string& scratch);

// The record's text as a QString, decoded the same way (for the slower paths and tests).
QString decodeRecord(std::string_view s);

// Appends the proper-cased form of UTF-8 text: a letter after an ASCII letter becomes
// lower case, every other ASCII letter upper case; bytes above 0x7F are never letters, so
// this gives the same result as ProperCase() on the decoded text.
void appendProperCase(std::string_view s, std::string& out);

// Strips every byte of code 32 or below from both ends.
std::string_view trimControl(std::string_view s);

// The first n characters (not bytes) of UTF-8 text.
std::string_view utf8Prefix(std::string_view s, int n);
// Number of characters of UTF-8 text.
int utf8Length(std::string_view s);

inline std::string_view view(const QByteArray& b) { return {b.constData(), size_t(b.size())}; }
inline QString toQString(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

} // namespace bytetext
