#include "search/SearchSql.h"

#include "core/TextRoutines.h"

#include <algorithm>

namespace {

const QString kColumns = QStringLiteral(
    "select [fcc_en].call_sign,[fcc_en].entity_name,[fcc_en].first_name,[fcc_en].mi,[fcc_en].last_name,"
    "[fcc_en].street_address,[fcc_en].po_box,[fcc_en].city,[fcc_en].county,[fcc_en].state,[fcc_en].zip_code,");

const QString kAmateur = kColumns + QStringLiteral(
    "[fcc_am].operator_class,[fcc_am].previous_callsign,[fcc_hd].license_status,[fcc_hd].grant_date,"
    "[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date from fcc_en, fcc_am, fcc_hd  where");

const QString kGmrs = kColumns + QStringLiteral(
    "[fcc_hd].grant_date,[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date from fcc_en, fcc_hd  "
    "where");

} // namespace

SearchCondition fixedTest(const QString& text) { return SearchCondition{text, {}, false, false}; }

SearchCondition compared(const QString& column, const QString& op, const QVariant& value, bool indexed) {
    return SearchCondition{column + op + QLatin1Char('?'), {value}, false, indexed};
}

SearchCondition inList(const QString& column, const QVariantList& values, bool indexed) {
    QStringList marks;
    marks.reserve(values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    return SearchCondition{column + QStringLiteral(" in (") + marks.join(QLatin1Char(',')) + QLatin1Char(')'), values, false, indexed};
}

SearchCondition between(const QString& column, const QVariant& low, const QVariant& high) {
    return SearchCondition{column + QStringLiteral(" between ? and ?"), {low, high}, false, false};
}

SearchCondition anyOf(const QStringList& columns, const QString& op, const QVariant& value) {
    SearchCondition c;
    QStringList tests;
    for (const QString& column : columns) {
        tests << column + op + QLatin1Char('?');
        c.values << value;
    }
    c.text = tests.join(QStringLiteral(" or "));
    c.alternatives = columns.size() > 1;
    return c;
}

SearchSql SearchSql::plain(const QString& sql, const QVariantList& params) {
    SearchSql s;
    s.select = sql;
    s.m_plainParams = params;
    return s;
}

QString SearchSql::whereText(bool nested) const {
    QStringList tests;
    tests.reserve(conditions.size());
    for (const SearchCondition& c : conditions)
        tests << (c.alternatives && nested ? QLatin1Char('(') + c.text + QLatin1Char(')') : c.text);
    return tests.join(QStringLiteral(" and "));
}

QString SearchSql::sql() const {
    if (conditions.isEmpty())
        return select;
    return select + QLatin1Char(' ') + whereText(conditions.size() > 1);
}

QVariantList SearchSql::params() const {
    QVariantList all = m_plainParams;
    for (const SearchCondition& c : conditions)
        all += c.values;
    return all;
}

QString SearchSql::rangeSql() const {
    const qsizetype first = params().size() + 1;
    const QString range = QStringLiteral("[%1].rowid between ?%2 and ?%3").arg(splitTable).arg(first).arg(first + 1);
    if (conditions.isEmpty())
        return select + QLatin1Char(' ') + range;
    return select + QLatin1Char(' ') + whereText(true) + QStringLiteral(" and ") + range;
}

bool SearchSql::walksWholeTable() const {
    return std::none_of(conditions.begin(), conditions.end(), [](const SearchCondition& c) { return c.indexed; });
}

SearchSql usBaseSearch(bool isAmat, bool isActive, BaseForm form) {
    SearchSql s;
    s.select = isAmat ? kAmateur : kGmrs;
    const QString status = isActive ? QStringLiteral("[fcc_hd].license_status='A'") : QStringLiteral("[fcc_hd].license_status!='A'");
    s.conditions << fixedTest(QStringLiteral("[fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier"));
    if (isAmat)
        s.conditions << fixedTest(QStringLiteral("[fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier"));
    s.conditions << fixedTest(status)
                 << fixedTest(QStringLiteral("[fcc_en].service") + (form == BaseForm::Spaced ? QStringLiteral(" = ") : QStringLiteral("="))
                              + (isAmat ? QStringLiteral("'AMAT'") : QStringLiteral("'GMRS'")));
    return s;
}

QString usBaseSql(bool isAmat, bool isActive, BaseForm form) { return usBaseSearch(isAmat, isActive, form).sql(); }

bool isPatternValue(const QString& value) {
    return value.contains(QLatin1Char('%')) || value.contains(QLatin1Char('_'));
}

QString usSearchValue(UsSearchField field, const QString& typed) {
    return field == UsSearchField::ZipCode ? typed : ProperCase(typed);
}

SearchSql usSearchSql(UsSearchField field, bool isAmat, bool isActive, const QString& typed) {
    const QString value = usSearchValue(field, typed);
    const char* column = field == UsSearchField::ZipCode ? "zip_code" : field == UsSearchField::LastName ? "last_name" : "city";
    const BaseForm form = field == UsSearchField::City ? BaseForm::Closed : BaseForm::Spaced;
    SearchSql s = usBaseSearch(isAmat, isActive, form);
    const bool pattern = isPatternValue(value);
    // Each of the three columns has an index of its own; `like` cannot use it.
    s.conditions << compared(QStringLiteral("[fcc_en].") + QLatin1String(column), pattern ? QStringLiteral(" like ") : QStringLiteral(" = "),
                             value, !pattern);
    s.orderBy = QStringLiteral("call_sign");
    s.splitTable = QStringLiteral("fcc_en");
    return s;
}

SearchSql cdnSearchSql(CdnSearchField field, const QString& typed) {
    SearchSql s;
    s.select = QStringLiteral("select * from canada where");
    s.splitTable = QStringLiteral("canada");
    switch (field) {
    case CdnSearchField::LastName:
        // The club names have no index: SQLite walks the table either way.
        s.conditions << anyOf({QStringLiteral("surname"), QStringLiteral("club_name1"), QStringLiteral("club_name2")},
                              isPatternValue(typed) ? QStringLiteral(" like ") : QStringLiteral(" = "), typed);
        break;
    case CdnSearchField::City:
        s.conditions << compared(QStringLiteral("city"), QStringLiteral(" like "), typed);
        break;
    case CdnSearchField::PostalCode:
        s.conditions << compared(QStringLiteral("postal_code"), QStringLiteral(" like "), typed);
        break;
    }
    return s;
}
