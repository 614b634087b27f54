#include "search/CountyDateSql.h"

#include "search/SearchRows.h"

#include <algorithm>

namespace {

// State and counties; both are the leading columns of one index (state, county, …).
void addArea(SearchSql& out, const QString& state, const CountyChoice& choice) {
    out.conditions << compared(QStringLiteral("[fcc_en].state"), QStringLiteral("="), state, true);
    if (!choice.fromDistrict && choice.counties.size() == 1) {
        out.conditions << compared(QStringLiteral("[fcc_en].county"), QStringLiteral("="), choice.counties.first(), true);
        return;
    }
    QVariantList counties;
    counties.reserve(choice.counties.size());
    for (const QString& county : choice.counties)
        counties << county;
    out.conditions << inList(QStringLiteral("[fcc_en].county"), counties, true);
}

} // namespace

SearchSql countySearchSql(bool isAmat, bool isActive, const QString& state, const CountyChoice& choice) {
    SearchSql out = usBaseSearch(isAmat, isActive, BaseForm::Closed);
    addArea(out, state, choice);
    return out;
}

SearchSql dateSearchSql(bool isAmat, const QString& state, const CountyChoice& choice, DateKind kind, const QDate& start,
                        const QDate& end) {
    SearchSql out = usBaseSearch(isAmat, true, BaseForm::Spaced);
    addArea(out, state, choice);
    const char* column = kind == DateKind::Grant ? "grant_date" : kind == DateKind::Expire ? "expired_date" : "last_action_date";
    // Stored dates are year-month-day texts, so comparing texts compares days.
    out.conditions << between(QStringLiteral("[fcc_hd].") + QLatin1String(column), start.toString(QStringLiteral("yyyy-MM-dd")),
                              end.toString(QStringLiteral("yyyy-MM-dd")));
    return out;
}


ResultTable readCountySearch(const QString& databaseFile, const std::function<SearchSql(const CountyChoice&)>& build,
                             const CountyChoice& choice, JobControl* control) {
    // A county listed twice is one entry of the in list; split, it would be read by both parts.
    QStringList counties = choice.counties;
    std::sort(counties.begin(), counties.end());
    counties.erase(std::unique(counties.begin(), counties.end()), counties.end());
    if (counties.size() < 2)
        return readSearchRows(databaseFile, build(choice), control);
    const qsizetype half = counties.size() / 2;
    const SearchSql halves[2] = {build({counties.mid(0, half), choice.fromDistrict}), build({counties.mid(half), choice.fromDistrict})};
    ResultTable rows[2];
    parallelFor(2, [&](int i) { rows[i] = readSearchRows(databaseFile, halves[i], control); }, control, 2);
    rows[0].appendTable(std::move(rows[1]));
    return std::move(rows[0]);
}
