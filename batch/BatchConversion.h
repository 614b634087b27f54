#pragma once
// The batch conversion without its window: a text file of call signs becomes a CSV file with one
// line per call sign (holder, mailing address, county, licence dates, and the latitude, longitude
// and grid locator of the holder's zip code), or an empty line when the call has no active
// amateur licence. Also the reading of the input (lines, the optional delimiter) and the naming
// of the output.
// The output is written to a temporary file beside the target and renamed into place only when
// complete, so a failed or cancelled run leaves an existing file as it was.
// Collaborators: PreparedAmateurLookup and the record rules (licence), THamUtil (grid), Paths
// (text decoding), BatchRunner (runs convertBatchFile on a worker thread).

#include "core/Database.h"
#include "geo/HamCalc.h"
#include "licence/LicenceQueries.h"

#include "core/CsvFile.h"   // batchHeader()

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>


// The lines of a decoded text, split at CR, LF or CR LF; a final line end makes no extra line.
QStringList splitInputLines(const QString& text);

// The call signs of a decoded input in order, upper-cased (ASCII letters only). With the line
// feed as delimiter each line is one call sign exactly as it stands (an empty line or a blank
// after the call stays, and finds nothing). Any other delimiter also splits each line at that
// character; blanks around each piece are dropped and empty pieces skipped.
QStringList batchCallSigns(const QString& text, QChar delimiter);

// The output name proposed for an input: its extension replaced by ".csv" (added when it has
// none); an input that already ends in ".csv" (any case) gets "<name>-out.csv" instead, so the
// proposal never names the input itself.
QString proposedOutputName(const QString& inputFile);
// Whether two names lead to the same file (also through links or "..").
bool sameFile(const QString& a, const QString& b);

// Converts one call sign at a time, reusing its prepared statements across calls.
class BatchConverter {
public:
    BatchConverter(Database& condb, Database& zipdb);

    // One output line without its line end: the 17 fields, or an empty text when the call sign
    // has no active amateur licence.
    QString ConvertCallsign(const QString& callSign);

private:
    struct Place {
        QString grid;
        QString latitude;
        QString longitude;
        bool found = false;
    };
    const Place& place(const QString& zipKey);

    PreparedAmateurLookup m_lookup;
    THamUtil m_ham;
    // Many holders share a zip code: each one's row is read and formatted once per run.
    QHash<QString, Place> m_places;
    int m_callSign, m_entityName, m_street, m_poBox, m_city, m_state, m_zip, m_first, m_last, m_mi, m_county, m_grant,
        m_expired;
};

struct BatchJob {
    QString inputFile;
    QString outputFile;
    QChar delimiter = QLatin1Char('\n');
    QString licenceDatabase;   // FCCdata.db
    QString zipDatabase;       // postal.db
};

struct BatchResult {
    bool ok = false;
    bool cancelled = false;
    qint64 calls = 0;   // call signs read from the input
    QString error;      // what went wrong, when neither ok nor cancelled
};

struct BatchProgress {
    // Told once the input has been read, with the number of call signs.
    std::function<void(qint64 total)> begun;
    // Told after each call sign.
    std::function<void(qint64 done)> advanced;
};

// The whole run: reads the input, opens its own read-only connections to the two databases,
// converts every call sign and writes the output. Stops without writing anything as soon as
// `cancel` is set. Reports failures in the result instead of throwing.
BatchResult convertBatchFile(const BatchJob& job, const BatchProgress& progress, const std::atomic_bool& cancel);
