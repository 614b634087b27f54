#include "tests/support/Fixtures.h"

#include "core/Database.h"
#include "core/SchemaCheck.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

void useTemporaryHome(const QTemporaryDir& dir) {
    qputenv("HOME", dir.path().toUtf8());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DOCUMENTS_DIR", (dir.path() + QStringLiteral("/Documents")).toUtf8());
    QDir::setCurrent(qEnvironmentVariable("QM_DIST_DIR"));
}

QString programDataPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quillmarsh/");
}

namespace {

struct Licence {
    const char* usi;
    const char* call;
    const char* entity;
    const char* first;
    const char* mi;
    const char* last;
    const char* street;
    const char* pobox;
    const char* city;
    const char* state;
    const char* zip;
    const char* frn;
    const char* service;
    const char* status;
    const char* grant;
    const char* opClass;    // nullptr: no amateur row
    const char* previous;
};

const Licence kLicences[] = {
    {"100", "W1AW", "Arrl Hq Operators Club", "", "", "", "225 Main St", "", "Newington", "CT", "06111", "0001", "AMAT", "A",
     "2020-01-01", "", ""},
    {"101", "K7ABC", "", "John", "Q", "Public", "1 Elm St", "", "Tucson", "AZ", "857011234", "0002", "AMAT", "A", "2019-05-17",
     "E", "KD7OLD"},
    {"102", "N0EXP", "", "Ann", "B", "Carter", "9 Oak Rd", "", "Tucson", "AZ", "85701", "0003", "AMAT", "A", "2018-01-01", "G",
     ""},
    {"103", "KB1BOX", "", "Mary", "", "Smith", "", "1234", "Nowhere", "ZZ", "99999", "0004", "AMAT", "A", "2017-01-01", "T", ""},
    {"104", "W1DUP", "", "Old", "", "Holder", "2 Old St", "", "Newington", "CT", "06111", "0005", "AMAT", "A", "2010-01-01", "G",
     ""},
    {"105", "W1DUP", "", "New", "", "Holder", "3 New St", "", "Newington", "CT", "06111", "0006", "AMAT", "A", "2022-06-01", "E",
     ""},
    {"106", "N0GONE", "", "Gone", "", "Away", "4 Gone St", "", "Tucson", "AZ", "85701", "0007", "AMAT", "E", "2001-01-01", "T",
     "KX0GONE"},
    {"107", "W1ABC", "", "Al", "", "Bee", "5 A St", "", "Newington", "CT", "06111", "0008", "AMAT", "A", "2015-01-01", "P",
     "KA1TWO"},
    {"108", "W1AZZ", "", "Zed", "", "Zee", "6 Z St", "", "Newington", "CT", "06111", "0009", "AMAT", "E", "2015-01-01", "T",
     "KA1TWO"},
    {"109", "W1AAB", "", "Bo", "", "Bee", "7 A St", "", "Newington", "CT", "06111", "0010", "AMAT", "A", "2016-01-01", "A", ""},
    {"200", "WRAB123", "", "John", "Q", "Public", "1 Elm St", "", "Tucson", "AZ", "85701", "0002", "GMRS", "A", "2021-01-01",
     nullptr, ""},
    {"201", "WRZZ999", "", "Ann", "B", "Carter", "9 Oak Rd", "", "Tucson", "AZ", "85701", "0003", "GMRS", "E", "2012-01-01",
     nullptr, ""},
    {"202", "WRQU0TE", "", "Pat", "", "O'Neil", "8 Quote St", "", "Tucson", "AZ", "85701", "0011", "GMRS", "A", "2021-01-01",
     nullptr, ""},
};

} // namespace

void writeFixtureDatabases(const QString& appDataPath) {
    QDir().mkpath(appDataPath);
    Database condb;
    condb.open(appDataPath + QStringLiteral("FCCdata.db"));
    runSchemaScript(condb, QStringLiteral("fcc.sql"));
    Database zipdb;
    zipdb.open(appDataPath + QStringLiteral("postal.db"));
    runSchemaScript(zipdb, QStringLiteral("postal.sql"));

    Statement zip(zipdb, QStringLiteral("insert into zipcodes(zip,city,state,latitude,longitude,county) values(?1,?2,?3,?4,?5,?6)"));
    const QVariantList zips[] = {
        {"06111", "Newington", "CT", 41.6869, -72.7305, "Hartford"},
        {"85701", "Tucson", "AZ", 32.2217, -110.9265, "Pima"},
        {"K1A", "Ottawa", "ON", 45.4166, -75.7, "Ottawa Region"},
        {"XYZ", "Pole", "NU", 89.0, 0.0, ""},
    };
    for (const auto& z : zips) {
        zip.bindAll(z);
        zip.execute();
    }

    Statement en(condb, QStringLiteral("insert into FCC_EN values(?1,?2,'L',?3,?4,?5,?6,?7,?8,?9,?10,?11,'',?12,?13)"));
    Statement hd(condb, QStringLiteral("insert into FCC_HD values(?1,?2,?3,'2030-01-01','1900-01-01',?3,?3)"));
    Statement am(condb, QStringLiteral("insert into FCC_AM values(?1,?2,?3)"));
    for (const Licence& l : kLicences) {
        en.bindAll({l.usi, l.call, l.entity, l.first, l.mi, l.last, l.street, l.pobox, l.city, l.state, l.zip, l.frn, l.service});
        en.execute();
        hd.bindAll({l.usi, l.status, l.grant});
        hd.execute();
        if (l.opClass) {
            am.bindAll({l.usi, l.opClass, l.previous});
            am.execute();
        }
    }

    // A licence whose amateur row came twice in the file: still one licence for the previous call.
    am.bindAll({"101", "E", "KD7OLD"});
    am.execute();

    Statement ca(condb, QStringLiteral("insert into canada values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,'',?12,?13,?14,?15,?16,?17)"));
    const QVariantList cans[] = {
        {"VE3ABC", "John", "Doe", "1 Rideau St", "Ottawa", "ON", "K1A 0B1", "A", "", "", "", "", "", "", "", "", ""},
        {"VA3CLB", "", "", "2 Club Rd", "Ottawa", "ON", "K1A 0B2", "A", "B", "C", "D", "ABC RADIO CLUB", "", "2 Club Rd",
         "Ottawa", "ON", "K1A 0B2"},
        {"VE8POL", "Ice", "Man", "1 Pole", "Alert", "NU", "XYZ 1A1", "", "", "", "", "", "", "", "", "", ""},
        {"VE9XYZ", "No", "Zip", "3 Far St", "Far", "NB", "E9Z 9Z9", "", "", "", "", "", "", "", "", "", ""},
    };
    for (const auto& c : cans) {
        ca.bindAll(c);
        ca.execute();
    }
}
