#include "search/CountyDateSql.h"

namespace {

const char* const kAmateurColumns =
    "select [fcc_en].call_sign,[fcc_en].entity_name,[fcc_en].first_name,[fcc_en].mi,[fcc_en].last_name,"
    "[fcc_en].street_address,[fcc_en].po_box,[fcc_en].city,[fcc_en].county,[fcc_en].state,[fcc_en].zip_code,"
    "[fcc_am].operator_class,[fcc_am].previous_callsign,[fcc_hd].license_status,[fcc_hd].grant_date,"
    "[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date "
    "from fcc_en cross join fcc_hd cross join fcc_am where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier "
    "and [fcc_en].unique_system_identifier=[fcc_am].unique_system_identifier";

const char* const kGmrsColumns =
    "select [fcc_en].call_sign,[fcc_en].entity_name,[fcc_en].first_name,[fcc_en].mi,[fcc_en].last_name,"
    "[fcc_en].street_address,[fcc_en].po_box,[fcc_en].city,[fcc_en].county,[fcc_en].state,[fcc_en].zip_code,"
    "[fcc_hd].grant_date,[fcc_hd].expired_date,[fcc_hd].effective_date,[fcc_hd].last_action_date "
    "from fcc_en cross join fcc_hd where [fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier";

// The licences are found from their state and county and joined from there ("cross join" keeps
// that order whatever indexes the planner sees).

// State and counties; the parameters are appended to out.
void appendArea(BoundSql& out, const QString& state, const CountyChoice& choice) {
    out.sql += QLatin1String(" and [fcc_en].state=?");
    out.params << state;
    if (!choice.fromDistrict && choice.counties.size() == 1) {
        out.sql += QLatin1String(" and [fcc_en].county=?");
        out.params << choice.counties.first();
        return;
    }
    QStringList marks;
    marks.reserve(choice.counties.size());
    for (const QString& county : choice.counties) {
        marks << QStringLiteral("?");
        out.params << county;
    }
    out.sql += QLatin1String(" and [fcc_en].county in (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

QString usLicenceSelect(bool isAmat, bool isActive) {
    QString sql = QLatin1String(isAmat ? kAmateurColumns : kGmrsColumns);
    sql += isActive ? QLatin1String(" and [fcc_hd].license_status='A'") : QLatin1String(" and [fcc_hd].license_status!='A'");
    sql += isAmat ? QLatin1String(" and [fcc_en].service='AMAT'") : QLatin1String(" and [fcc_en].service='GMRS'");
    return sql;
}

BoundSql countySearchSql(bool isAmat, bool isActive, const QString& state, const CountyChoice& choice) {
    BoundSql out{usLicenceSelect(isAmat, isActive), {}};
    appendArea(out, state, choice);
    return out;
}

BoundSql dateSearchSql(bool isAmat, const QString& state, const CountyChoice& choice, DateKind kind, const QDate& start,
                       const QDate& end) {
    BoundSql out{usLicenceSelect(isAmat, true), {}};
    appendArea(out, state, choice);
    const char* column = kind == DateKind::Grant ? "grant_date" : kind == DateKind::Expire ? "expired_date" : "last_action_date";
    // Stored dates are year-month-day texts, so comparing texts compares days.
    out.sql += QStringLiteral(" and [fcc_hd].%1 between ? and ?").arg(QLatin1String(column));
    out.params << start.toString(QStringLiteral("yyyy-MM-dd")) << end.toString(QStringLiteral("yyyy-MM-dd"));
    return out;
}

QStringList stateCounties(Database& zipdb, Query& zipQuery, const QString& state) {
    zipQuery.open(zipdb, QStringLiteral("select distinct county from zipcodes where state=? order by county"), {state});
    QStringList counties;
    counties.reserve(zipQuery.recordCount());
    for (const QVariantList& row : zipQuery.rows())
        counties << row.at(0).toString();
    return counties;
}
