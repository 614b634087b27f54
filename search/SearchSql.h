#pragma once
// The SQL of the licence searches, made without widgets so it can be checked directly: the two
// US base texts (amateur and GMRS, active or not), the single-value US searches (zip code, last
// name, city) and the Canadian ones (last name or club, city, postal code).
// A value the user typed never becomes SQL text: it is a `?` parameter bound at run time, so a
// quote in it is just a character. Literals the program writes itself use single quotes.
// Collaborators: readSearchRows (runs a SearchSql, splitting it in rowid ranges), the Search menu
// handlers, the county and date searches (build on usBaseSearch and add their own tests).

#include <QString>
#include <QVariantList>

// One test of a search's where clause: its text with one `?` per value, the values bound in that
// order. A test the program writes itself (a join, a status literal) has no values.
struct SearchCondition {
    QString text;
    QVariantList values;
    // The text joins tests with "or": among other tests it stands in parentheses.
    bool alternatives = false;
    // SQLite finds the matching rows through an index by this test (an `=` or `in` on an indexed
    // column); a search with no such test walks whole tables.
    bool indexed = false;
};

// A fixed test (no values).
SearchCondition fixedTest(const QString& text);
// "<column><op>?", e.g. column "[fcc_en].city", op " = " or " like ".
SearchCondition compared(const QString& column, const QString& op, const QVariant& value, bool indexed = false);
// "<column> in (?,?,…)", one mark per value.
SearchCondition inList(const QString& column, const QVariantList& values, bool indexed = false);
// "<column> between ? and ?".
SearchCondition between(const QString& column, const QVariant& low, const QVariant& high);
// "<a><op>? or <b><op>? …", the same value for every column.
SearchCondition anyOf(const QStringList& columns, const QString& op, const QVariant& value);

// A search ready to run: the select up to its "where", the tests joined by " and ", and the
// result column the rows are ordered by (ascending) once fetched; empty: the order SQLite returns.
// The ordering is not in the SQL: on the full data set SQLite would satisfy it by walking the
// call-sign index and fetching every row in random order (a minute for every licence), while
// scanning in storage order and sorting the fetched rows takes a fraction of a second. Call signs
// are upper case, so the result's byte order is the column's case-blind order.
// `splitTable` names a table of the FROM list whose rowid ranges may split the rows into parts
// read at once by several threads (rangeSql); empty: read as one statement.
struct SearchSql {
    QString select;
    QList<SearchCondition> conditions;
    QString orderBy;
    QString splitTable;

    // A statement of the program's own that is run as it stands (no tests to add to).
    static SearchSql plain(const QString& sql, const QVariantList& params = {});

    // The text as one statement, and its values in order.
    QString sql() const;
    QVariantList params() const;
    // The same rows restricted to the split table's rowids from ?N to ?N+1, N being one past the
    // last of params(): every test of sql() in force, whatever joins them.
    QString rangeSql() const;
    bool walksWholeTable() const;

private:
    QString whereText(bool nested) const;
    QVariantList m_plainParams;
};

// The two forms of a base text differ only in the blanks around the equals sign of the service
// test (" = " spaced, "=" closed); the zip, last-name and date searches use the spaced form, the
// city and county searches the closed one.
enum class BaseForm { Spaced, Closed };

// The amateur base (18 columns: FCC_EN, FCC_AM and FCC_HD joined on unique_system_identifier) or
// the GMRS base (15 columns, no FCC_AM). Active: license_status='A'; not active: every
// "status=" of the base turned into "status!=", i.e. any other status. Ends with the service
// test; a caller adds its own tests.
SearchSql usBaseSearch(bool isAmat, bool isActive, BaseForm form);
QString usBaseSql(bool isAmat, bool isActive, BaseForm form);

// True when the value holds a % or an _: it is then compared with `like`, otherwise with `=`.
bool isPatternValue(const QString& value);

enum class UsSearchField { ZipCode, LastName, City };
// The value of a last-name or city search as it is searched: ProperCase of the typed text (the
// stored names are proper-cased by the import); a zip code as typed.
QString usSearchValue(UsSearchField field, const QString& typed);
// The base (spaced for zip code and last name, closed for city), then
// "[fcc_en].<column> like ?" for a pattern value or "[fcc_en].<column> = ?" otherwise; rows
// ordered by call_sign.
SearchSql usSearchSql(UsSearchField field, bool isAmat, bool isActive, const QString& typed);

enum class CdnSearchField { LastName, City, PostalCode };
// select * from canada: the last name also matches either club-name line (like with wildcards,
// `=` without, so exact and case-sensitive); city and postal code always by pattern (like, so case
// does not matter). The value exactly as typed, the empty text included; storage order.
// Canada has one table: it is split by its rowids too.
SearchSql cdnSearchSql(CdnSearchField field, const QString& typed);
