#include "search/CountyDateSql.h"

#include <QDateTime>
#include <QFileInfo>

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

namespace {

void readInto(Database& db, const SearchSql& search, ResultTable& rows, std::atomic<qint64>* done) {
    Statement st(db, search.sql);
    st.bindAll(search.params);
    qsizetype counted = 0;
    rows.fetch(st, [&](qsizetype n) {
        if (done)
            done->fetch_add(n - counted, std::memory_order_relaxed);
        counted = n;
    });
}

} // namespace

ResultTable readCountySearch(Database& db, Database& partner, const std::function<SearchSql(const CountyChoice&)>& build,
                             const CountyChoice& choice, std::atomic<qint64>* done) {
    // A county listed twice is one entry of the in list; split, it would be read by both parts.
    QStringList counties = choice.counties;
    std::sort(counties.begin(), counties.end());
    counties.erase(std::unique(counties.begin(), counties.end()), counties.end());
    ResultTable rows;
    if (counties.size() < 2) {
        readInto(db, build(choice), rows, done);
        return rows;
    }
    const qsizetype half = counties.size() / 2;
    const SearchSql first = build({counties.mid(0, half), choice.fromDistrict});
    const SearchSql second = build({counties.mid(half), choice.fromDistrict});
    ResultTable rest;
    QString error;
    std::thread helper([&] {
        try {
            readInto(partner, second, rest, done);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
    });
    try {
        readInto(db, first, rows, done);
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

Database& keptSearchConnection(const QString& file) {
    static Database db;
    static QString openedAs;
    const QFileInfo info(file);
    const QString identity = QStringLiteral("%1|%2|%3|%4")
                                 .arg(file)
                                 .arg(info.size())
                                 .arg(info.lastModified().toMSecsSinceEpoch())
                                 .arg(info.birthTime().toMSecsSinceEpoch());
    if (!db.isOpen() || identity != openedAs) {
        db.openReadOnly(file);
        openedAs = identity;
    }
    return db;
}
