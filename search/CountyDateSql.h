#pragma once
// The SQL of the county search and the date search, made without widgets: the licence select of
// the US searches restricted to one state, to counties picked by name or to the lines of a
// district, and (for the date search) to a range of grant, expiry or last-action dates. Every
// value the user chose is a bound parameter, one per county.
// Collaborators: usBaseSql (the licence select), TCountySearch, TDateSearch (run the text), the
// zip table (the county lists).

#include "core/Database.h"
#include "core/Job.h"
#include "core/Query.h"
#include "core/ResultTable.h"
#include "search/SearchSql.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

// The counties a search is restricted to: picked by name in the county list, or the lines of a
// district file (one county or none stays a list: an empty district matches no row).
struct CountyChoice {
    QStringList counties;
    bool fromDistrict = false;
};

enum class DateKind { Grant, Expire, LastAction };

// The rows come in the order SQLite gives (no ordering), read as one statement.
SearchSql countySearchSql(bool isAmat, bool isActive, const QString& state, const CountyChoice& choice);
// Active licences only; both days of the range included, the time of day ignored.
SearchSql dateSearchSql(bool isAmat, const QString& state, const CountyChoice& choice, DateKind kind, const QDate& start,
                        const QDate& end);

// The rows of a county or date search read from the licence database file. With several counties
// the counties are read in two parts at once, the first half in text order and the rest, and
// joined in that order: SQLite takes the counties of an `in` list in text order, so the rows are
// those of one statement, in its order, in about half the time on two cores. `build` makes the
// statement for a choice of counties; `control` counts the rows read so far and can stop the
// read. Each part is read by
// readSearchRows, on the connections it keeps from one search to the next.
ResultTable readCountySearch(const QString& databaseFile, const std::function<SearchSql(const CountyChoice&)>& build,
                             const CountyChoice& choice, JobControl* control = nullptr);
