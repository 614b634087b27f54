#pragma once
// The SQL of the licence searches, made without widgets so it can be checked directly: the two
// US base texts (amateur and GMRS, active or not), the single-value US searches (zip code, last
// name, city) and the Canadian ones (last name or club, city, postal code).
// A value the user typed never becomes SQL text: it is a `?` parameter bound at run time, so a
// quote in it is just a character. Literals the program writes itself use single quotes.
// Collaborators: TTableResults (runs a SearchSql), the Search menu handlers, the county and date
// searches (build on usBaseSql and bind their own values after it).

#include <QString>
#include <QVariantList>

// A search ready to run: the select text, the values for its parameters in order, and the result
// column the rows are ordered by (ascending) once fetched; empty: the order SQLite returns.
// The ordering is not in the SQL: on the full data set SQLite would satisfy it by walking the
// call-sign index and fetching every row in random order (a minute for every licence), while
// scanning in storage order and sorting the fetched rows takes a fraction of a second. Call signs
// are upper case, so the result's byte order is the column's case-blind order.
// `splitTable` names a table of the FROM list whose rowid ranges may split the rows into parts
// read at once by several threads (the text's conditions must all be joined by "and", so that
// " and [table].rowid between ? and ?" narrows it); empty: read as one statement.
struct SearchSql {
    QString sql;
    QVariantList params;
    QString orderBy;
    QString splitTable;
};

// The two forms of a base text differ only in the blanks around the equals sign of the service
// test (" = " spaced, "=" closed); the zip, last-name and date searches use the spaced form, the
// city and county searches the closed one.
enum class BaseForm { Spaced, Closed };

// The amateur base (18 columns: FCC_EN, FCC_AM and FCC_HD joined on unique_system_identifier) or
// the GMRS base (15 columns, no FCC_AM). Active: license_status='A'; not active: every
// "status=" of the base turned into "status!=", i.e. any other status. Ends with the service
// test; a caller appends " and ..." conditions.
QString usBaseSql(bool isAmat, bool isActive, BaseForm form);

// True when the value holds a % or an _: it is then compared with `like`, otherwise with `=`.
bool isPatternValue(const QString& value);

enum class UsSearchField { ZipCode, LastName, City };
// The value of a last-name or city search as it is searched: ProperCase of the typed text (the
// stored names are proper-cased by the import); a zip code as typed.
QString usSearchValue(UsSearchField field, const QString& typed);
// The base (spaced for zip code and last name, closed for city), then
// " and [fcc_en].<column> like ?1" for a pattern value or " and [fcc_en].<column> = ?1"
// otherwise; rows ordered by call_sign.
SearchSql usSearchSql(UsSearchField field, bool isAmat, bool isActive, const QString& typed);

enum class CdnSearchField { LastName, City, PostalCode };
// select * from canada: the last name also matches either club-name line (like with wildcards,
// `=` without, so exact and case-sensitive); city and postal code always by pattern (like, so case
// does not matter). The value exactly as typed, the empty text included; storage order.
SearchSql cdnSearchSql(CdnSearchField field, const QString& typed);
