#pragma once
// District files: a district is a named group of counties of one US state, kept as one text file
// named after the district in the state's folder under the districts folder. One county per
// line, CR LF after every line (the last included); a district without counties is a file of
// 0 bytes. A file read with a UTF-8 or UTF-16 byte-order mark is written back in that encoding;
// every other file is written as UTF-8 without one.
// Collaborators: TDistrictEditor (creates and edits them), TCountySearch and TDateSearch (read
// them); decodeText (files without a byte-order mark).

#include <QString>
#include <QStringList>

enum class DistrictEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

struct DistrictList {
    QStringList counties;
    DistrictEncoding encoding = DistrictEncoding::Utf8;
};

// The lines of a file's bytes, and the encoding to write them back in.
DistrictList decodeDistrict(const QByteArray& bytes);
// The bytes of a district file; no counties give no bytes at all (not even a byte-order mark).
QByteArray encodeDistrict(const QStringList& counties, DistrictEncoding encoding);

// Throw std::runtime_error naming the file and the reason.
DistrictList readDistrictFile(const QString& path);
void writeDistrictFile(const QString& path, const QStringList& counties, DistrictEncoding encoding);
// Creates the district as an empty file; an existing file of that name is an error.
void createEmptyDistrict(const QString& path);

// A name the user may give a district: not empty, no control character, none of " * / : < > ? \ |
// and not "." or "..".
bool isValidDistrictName(const QString& name);

// The folder of a state's districts (no trailing slash) and the file of one district in it.
QString districtStateFolder(const QString& districtsPath, const QString& state);
QString districtFilePath(const QString& stateFolder, const QString& name);
// The names of the districts in a state's folder, by name. A missing folder (a state that came
// into the zip table after the district folders were made) is created and has no districts;
// one that cannot be created or read throws std::runtime_error.
QStringList districtNames(const QString& stateFolder);
