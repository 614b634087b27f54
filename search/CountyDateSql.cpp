#include "search/CountyDateSql.h"

namespace {

// State and counties; the parameters are appended to out.
void appendArea(SearchSql& out, const QString& state, const CountyChoice& choice) {
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

SearchSql countySearchSql(bool isAmat, bool isActive, const QString& state, const CountyChoice& choice) {
    SearchSql out;
    out.sql = usBaseSql(isAmat, isActive, BaseForm::Closed);
    appendArea(out, state, choice);
    return out;
}

SearchSql dateSearchSql(bool isAmat, const QString& state, const CountyChoice& choice, DateKind kind, const QDate& start,
                        const QDate& end) {
    SearchSql out;
    out.sql = usBaseSql(isAmat, true, BaseForm::Spaced);
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
