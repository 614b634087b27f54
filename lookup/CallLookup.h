#pragma once
// The look-up other programs ask for: one call sign answered as one record in the widely used
// HamDB layout (every value a string), from the US amateur licences first, then GMRS, then the
// Canadian list, by the main window's rules (active licence, current holder of a reassigned
// call, the previous-call fall-back), with grid and position from the zip/postal table as the
// record display computes them. Also the record as a line of the batch file's CSV columns.
// No widgets; each CallLookup holds its own prepared statements, so one per thread.
// Collaborators: LicenceLookup (licence), PreparedZipLookup (core/ZipCodes), THamUtil (grid),
// quillmarsh-lookup.

#include "core/Database.h"
#include "core/ZipCodes.h"
#include "geo/HamCalc.h"
#include "licence/LicenceQueries.h"

#include <QByteArray>
#include <QString>

struct HamDbRecord {
    bool found = false;
    QString call, licenceClass, expires, status, grid, lat, lon, fname, mi, name, suffix, addr1, addr2, state, zip, country;
    // Batch columns the layout has no place for.
    QString entityName, lastName, county, granted;
};

class CallLookup {
public:
    // Both connections must outlive it; one thread uses it at a time.
    CallLookup(Database& condb, Database& zipdb);
    // The call as typed; upper-cased here. Never a wildcard: % and _ are characters.
    HamDbRecord find(const QString& call);

private:
    void placeOf(HamDbRecord& r, const QString& key);
    LicenceLookup m_licences;
    PreparedZipLookup m_zip;
    THamUtil m_ham;
};

// {"hamdb":{"version":"1","callsign":{…},"messages":{"status":"OK"}}}; for a record not found
// every field is "NOT_FOUND" and so is the status. "expires" is month/day/year, as the layout's
// clients read it (the CSV line keeps the tables' year-month-day). One line, no trailing line end.
QByteArray hamDbJson(const HamDbRecord& record);
// The same fields as XML.
QByteArray hamDbXml(const HamDbRecord& record);
// The record as a line of the batch file's columns (batchHeader()); empty when not found.
QString hamDbCsvLine(const HamDbRecord& record);
