#pragma once
// The zip editor's record form as the table sees it: the checks a record passes before anything
// is written, and its insert and update through the zip module. No widgets, so tests call it
// directly.
// Collaborators: the zip module (core/ZipCodes: the statements), TfrmZipCRUD, TfrmPostalEditor.

#include "core/Database.h"
#include "core/ZipCodes.h"

#include <QString>
#include <optional>

// The texts of the seven boxes of the record form.
struct ZipRecordText {
    QString zip;
    QString city;
    QString state;
    QString latitude;
    QString longitude;
    QString county;
    QString key;
};

// A coordinate box as a number: the user's decimal separator or a point. Nothing when the text
// is no finite number.
std::optional<double> parseCoordinate(const QString& text);

// The first reason the record cannot be written, naming its box; empty when it can.
// Adding needs a code and coordinates within +-90 / +-180; updating also needs a whole-number key.
QString zipRecordProblem(const ZipRecordText& record, bool update);

// Both expect a record without problems; they throw DatabaseError when the statement fails.
void insertZipRecord(Database& zipdb, const ZipRecordText& record);
// The number of rows changed: 0 when no row has the key.
int updateZipRecord(Database& zipdb, const ZipRecordText& record);
