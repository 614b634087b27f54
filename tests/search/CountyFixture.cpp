#include "CountyFixture.h"

#include "core/Database.h"
#include "core/SharedRoutines.h"
#include "tests/support/Fixtures.h"

#include <QDir>
#include <QFile>

namespace {

struct Row {
    const char* usi;
    const char* call;
    const char* state;
    const char* county;
    const char* service;
    const char* status;
    const char* grant;
    const char* expired;
    const char* lastAction;
};

const Row kRows[] = {
    {"1", "W3AAA", "MD", "Prince George's", "AMAT", "A", "2020-03-15", "2030-03-15", "2020-03-15"},
    {"2", "W3BBB", "MD", "Montgomery", "AMAT", "A", "2020-03-16", "2030-03-16", "2020-03-16"},
    {"3", "W3CCC", "MD", "Queen Anne's", "AMAT", "A", "2021-07-01", "2031-07-01", "2021-07-01"},
    {"4", "W3DDD", "MD", "Anne Arundel", "AMAT", "A", "2019-12-31", "2029-12-31", "2019-12-31"},
    {"5", "W3EEE", "MD", "Prince George's", "AMAT", "E", "2020-03-15", "2030-03-15", "2020-03-15"},
    {"6", "K5FFF", "TX", "Montgomery", "AMAT", "A", "2020-03-15", "2030-03-15", "2020-03-15"},
    {"7", "WRAA100", "MD", "Prince George's", "GMRS", "A", "2020-03-15", "2030-03-15", "2020-03-15"},
    {"8", "WRAA200", "MD", "Prince George's", "GMRS", "E", "2012-05-05", "2022-05-05", "2012-05-05"},
    {"9", "WRAA300", "MD", "Montgomery", "GMRS", "C", "2013-01-01", "2023-01-01", "2014-02-02"},
    {"10", "W3GGG", "MD", "Montgomery", "AMAT", "A", "2020-03-15", "2030-03-15", "2024-02-02"},
    {"11", "W3HHH", "MD", "Odd \"Quoted\" County", "AMAT", "A", "2018-08-08", "2028-08-08", "2018-08-08"},
};

} // namespace

void writeCountyFixture(const QString& appDataPath) {
    // The look-up fixture (other states, no counties in its licences) with the county rows added.
    writeFixtureDatabases(appDataPath);
    Database condb;
    condb.open(appDataPath + QStringLiteral("FCCdata.db"));
    Database zipdb;
    zipdb.open(appDataPath + QStringLiteral("postal.db"));

    Statement zip(zipdb, QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values(?1,?2,?3,0,0,?4)"));
    const char* const zips[][4] = {
        {"20770", "Greenbelt", "MD", "Prince George's"}, {"20771", "Greenbelt", "MD", "Prince George's"},
        {"20850", "Rockville", "MD", "Montgomery"},      {"21617", "Centreville", "MD", "Queen Anne's"},
        {"21401", "Annapolis", "MD", "Anne Arundel"},    {"21999", "Oddtown", "MD", "Odd \"Quoted\" County"},
        {"77301", "Conroe", "TX", "Montgomery"},         {"77001", "Houston", "TX", "Harris"},
    };
    for (const auto& z : zips) {
        zip.bindAll({QString::fromUtf8(z[0]), QString::fromUtf8(z[1]), QString::fromUtf8(z[2]), QString::fromUtf8(z[3])});
        zip.execute();
    }

    Statement en(condb, QStringLiteral("insert into FCC_EN values(?1,?2,'L','','First','','Last','1 Main St','','Town',?3,'00000',?4,'',?5)"));
    Statement hd(condb, QStringLiteral("insert into FCC_HD values(?1,?2,?3,?4,'',?3,?5)"));
    Statement am(condb, QStringLiteral("insert into FCC_AM values(?1,'E','')"));
    for (const Row& r : kRows) {
        en.bindAll({r.usi, r.call, r.state, QString::fromUtf8(r.county), r.service});
        en.execute();
        hd.bindAll({r.usi, r.status, r.grant, r.expired, r.lastAction});
        hd.execute();
        if (QByteArray(r.service) == "AMAT") {
            am.bindAll({r.usi});
            am.execute();
        }
    }
}

CountyFixtureEnv::CountyFixtureEnv() : home(std::make_unique<QTemporaryDir>()) {
    useTemporaryHome(*home);
    app.AppDataPath = programDataPath();
    app.DistrictsPath = app.AppDataPath + QStringLiteral("Districts/");
    app.SettingsFile = app.AppDataPath + QStringLiteral("Quillmarsh.cfg");
    writeCountyFixture(app.AppDataPath);
    settings = std::make_unique<TSettings>(app.SettingsFile);
    dm.condb.open(app.AppDataPath + QStringLiteral("FCCdata.db"));
    dm.Zipdb.open(app.AppDataPath + QStringLiteral("postal.db"));
    GetStateList(dm.Zipdb, app.StateList);
    for (const QString& state : std::as_const(app.StateList))
        QDir().mkpath(app.DistrictsPath + state);
}

QString CountyFixtureEnv::putDistrict(const QString& state, const QString& name, const QByteArray& bytes) const {
    const QString path = stateFolder(state) + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList sortedCalls(const Query& query) {
    QStringList calls;
    for (int r = 0; r < query.recordCount(); ++r)
        calls << query.text(r, QStringLiteral("call_sign"));
    calls.sort();
    return calls;
}
