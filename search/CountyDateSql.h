#pragma once
// The SQL of the county search and the date search, made without widgets: the licence select of
// the US searches restricted to one state, to counties picked by name or to the lines of a
// district, and (for the date search) to a range of grant, expiry or last-action dates. Every
// value the user chose is a bound parameter, one per county.
// Collaborators: TCountySearch, TDateSearch (run the text), the zip table (the county lists).

#include "core/Database.h"
#include "core/Query.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A statement and the values of its '?' parameters, in order.
struct BoundSql {
    QString sql;
    QVariantList params;
};

// The counties a search is restricted to: picked by name in the county list, or the lines of a
// district file (one county or none stays a list: an empty district matches no row).
struct CountyChoice {
    QStringList counties;
    bool fromDistrict = false;
};

enum class DateKind { Grant, Expire, LastAction };

// The select of the amateur (18 columns) or GMRS (15 columns) licences of the US searches; active
// ones, or with isActive false every licence whose status is not "A". Ends in a condition, so
// further conditions follow with " and ".
QString usLicenceSelect(bool isAmat, bool isActive);

BoundSql countySearchSql(bool isAmat, bool isActive, const QString& state, const CountyChoice& choice);
// Active licences only; both days of the range included, the time of day ignored.
BoundSql dateSearchSql(bool isAmat, const QString& state, const CountyChoice& choice, DateKind kind, const QDate& start,
                       const QDate& end);

// The counties of a state in the zip table, by name, read through the zip query.
QStringList stateCounties(Database& zipdb, Query& zipQuery, const QString& state);
