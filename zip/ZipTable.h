#pragma once
// The zip editor's statements and checks: the grid's search, the duplicate check, the insert and
// the update of one row of zipcodes, every typed value bound as a parameter; and the checks a
// record passes before anything is written. No widgets, so tests call it directly.
// Collaborators: TDM (Zipdb with QuerySearch, QueryAdd, QueryUpdate), TfrmZipCRUD, TfrmPostalEditor.

#include "core/Database.h"
#include "core/Query.h"

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

// Every row for an empty text; otherwise the rows whose code holds the text anywhere, ASCII case
// ignored. The text is matched literally: % and _ are characters like any other.
void openZipSearch(Database& zipdb, Query& querySearch, const QString& text);

// A coordinate box as a number: the user's decimal separator or a point. Nothing when the text
// is no finite number.
std::optional<double> parseCoordinate(const QString& text);

// The first reason the record cannot be written, naming its box; empty when it can.
// Adding needs a code and coordinates within +-90 / +-180; updating also needs a whole-number key.
QString zipRecordProblem(const ZipRecordText& record, bool update);

bool zipCodeExists(Database& zipdb, Query& queryAdd, const QString& zip);
// Both expect a record without problems; they throw DatabaseError when the statement fails.
void insertZipRecord(Database& zipdb, Query& queryAdd, const ZipRecordText& record);
// The number of rows changed: 0 when no row has the key.
int updateZipRecord(Database& zipdb, Query& queryUpdate, const ZipRecordText& record);
