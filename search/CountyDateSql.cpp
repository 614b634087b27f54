#include "search/CountyDateSql.h"

#include "search/SearchRows.h"

#include <algorithm>
#include <thread>

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

ResultTable readCountySearch(const QString& databaseFile, const std::function<SearchSql(const CountyChoice&)>& build,
                             const CountyChoice& choice, std::atomic<qint64>* done) {
    // A county listed twice is one entry of the in list; split, it would be read by both parts.
    QStringList counties = choice.counties;
    std::sort(counties.begin(), counties.end());
    counties.erase(std::unique(counties.begin(), counties.end()), counties.end());
    if (counties.size() < 2)
        return readSearchRows(databaseFile, build(choice), done);
    const qsizetype half = counties.size() / 2;
    const SearchSql first = build({counties.mid(0, half), choice.fromDistrict});
    const SearchSql second = build({counties.mid(half), choice.fromDistrict});
    ResultTable rows, rest;
    QString error;
    std::thread helper([&] {
        try {
            rest = readSearchRows(databaseFile, second, done);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
    });
    try {
        rows = readSearchRows(databaseFile, first, done);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (!error.isEmpty())
        throw DatabaseError(error);
    rows.appendTable(std::move(rest));
    return rows;
}
