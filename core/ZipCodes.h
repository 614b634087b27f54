#pragma once
// The zip/postal table (zipcodes in the zip database): every statement that reads or writes it
// is here, so its columns and keys are known in one place. The look-ups, the searches' county
// lists, the map, setup, the editor and the import all come through these.
// Collaborators: Database/Statement (core); the licence displays, the batch conversion, the zip
// editor, the county windows, the import engine.

#include "core/Database.h"
#include "core/Query.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>

// The table's name, for the checks that it is there and the import's record of what is loaded.
QString zipTableName();
bool zipTableExists(Database& zipdb);

// A record's key into the table: the first five characters of a US zip code, the first three of
// a Canadian postal code.
QString usZipKey(const QString& zipCode);
QString canadianPostalKey(const QString& postalCode);

// The place of a key: the first row with it. unique is false when the key stands more than once.
struct ZipGeography {
    bool found = false;
    bool unique = false;
    double latitude = 0;
    double longitude = 0;
    QString county;
};
ZipGeography zipGeography(Database& zipdb, const QString& key);

// The same statement prepared once, for a caller that looks up many keys (the batch conversion,
// the look-up service). The connection must outlive it; one thread uses it at a time.
class PreparedZipLookup {
public:
    explicit PreparedZipLookup(Database& zipdb);
    ZipGeography find(const QString& key);

private:
    Statement m_row;
};

// The US state codes (provinces, military codes and American Samoa left out), sorted.
QStringList usStateCodes(Database& zipdb);
// The distinct counties of a state, sorted.
QStringList stateCounties(Database& zipdb, const QString& state);
// Every (zip, county) pair in the table's own order (by key), as bytes valid during the call.
void forEachZipCounty(Database& zipdb, const std::function<void(std::string_view zip, std::string_view county)>& visit);

// The import's insert of one row: ?1..?6 are zip, city, state, latitude, longitude, county.
QString zipInsertSql();

// The editor's statements. Every row for an empty text; otherwise the rows whose code holds the
// text anywhere, ASCII case ignored, the text matched literally (% and _ are characters).
void openZipSearch(Database& zipdb, Query& querySearch, const QString& text);
struct ZipTableRow {
    QString zip;
    QString city;
    QString state;
    double latitude = 0;
    double longitude = 0;
    QString county;
};
bool zipCodeExists(Database& zipdb, const QString& zip);
void insertZipRow(Database& zipdb, const ZipTableRow& row);
// The number of rows changed: 0 when no row has the key.
int updateZipRow(Database& zipdb, qint64 key, const ZipTableRow& row);
