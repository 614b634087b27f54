// The licence queries on the fixture databases, without a window: the look-ups, the wildcard
// list, the other service, the zip geography and the record rules.
#include "core/Database.h"
#include "core/Query.h"
#include "licence/LicenceQueries.h"
#include "tests/support/Fixtures.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestLicence : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void patternAndCountry_data();
    void patternAndCountry();
    void exactLookup_data();
    void exactLookup();
    void wildcardList_data();
    void wildcardList();
    void typedWildcardsMatchTheLikeQuery_data();
    void typedWildcardsMatchTheLikeQuery();
    void otherService_data();
    void otherService();
    void canadianAndZipGeography();
    void nameAndAddressRules_data();
    void nameAndAddressRules();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    Database m_condb;
    Database m_zipdb;
};

void TestLicence::initTestCase() {
    m_home = std::make_unique<QTemporaryDir>();
    useTemporaryHome(*m_home);
    writeFixtureDatabases(programDataPath());
    m_condb.open(programDataPath() + QStringLiteral("FCCdata.db"));
    m_zipdb.open(programDataPath() + QStringLiteral("postal.db"));
    // A call ending in Z before the wildcard: the end of its index range is not simply the next letter.
    m_condb.exec(QStringLiteral("insert into FCC_EN(unique_system_identifier, call_sign, service) values('300','WZ1Z','AMAT');"
                                "insert into FCC_HD(unique_system_identifier, license_status) values('300','A')"));
}

void TestLicence::patternAndCountry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("wildcard");
    QTest::addColumn<int>("country");
    QTest::newRow("plain US") << "W1AW" << "W1AW" << false << int(CallCountry::UnitedStates);
    QTest::newRow("star and question mark") << "K?A*" << "K_A%" << true << int(CallCountry::UnitedStates);
    QTest::newRow("SQL wildcards kept") << "N%_" << "N%_" << true << int(CallCountry::UnitedStates);
    QTest::newRow("A prefix") << "AA1A" << "AA1A" << false << int(CallCountry::UnitedStates);
    QTest::newRow("Canadian") << "VE3*" << "VE3%" << true << int(CallCountry::Canada);
    QTest::newRow("leading wildcard") << "*1AW" << "%1AW" << true << int(CallCountry::Other);
    QTest::newRow("lower case is not upper-cased here") << "w1aw" << "w1aw" << false << int(CallCountry::Other);
    QTest::newRow("other country") << "G4ABC" << "G4ABC" << false << int(CallCountry::Other);
    QTest::newRow("empty") << "" << "" << false << int(CallCountry::Other);
}

void TestLicence::patternAndCountry() {
    QFETCH(QString, typed);
    QFETCH(QString, pattern);
    QFETCH(bool, wildcard);
    QFETCH(int, country);
    QCOMPARE(callSignPattern(typed), pattern);
    QCOMPARE(hasSqlWildcard(callSignPattern(typed)), wildcard);
    QCOMPARE(int(callCountry(callSignPattern(typed))), country);
}

void TestLicence::exactLookup_data() {
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("shownCall");
    QTest::addColumn<QString>("shownUsi");
    QTest::newRow("active amateur") << false << "K7ABC" << int(UsLookupOutcome::Found) << "K7ABC" << "101";
    QTest::newRow("duplicate call: latest grant") << false << "W1DUP" << int(UsLookupOutcome::Found) << "W1DUP" << "105";
    QTest::newRow("expired licence") << false << "N0GONE" << int(UsLookupOutcome::NotFound) << "" << "";
    QTest::newRow("amateur call as GMRS") << true << "K7ABC" << int(UsLookupOutcome::NotFound) << "" << "";
    QTest::newRow("active GMRS") << true << "WRAB123" << int(UsLookupOutcome::Found) << "WRAB123" << "200";
    QTest::newRow("expired GMRS") << true << "WRZZ999" << int(UsLookupOutcome::NotFound) << "" << "";
    QTest::newRow("previous call of one licence (two rows)") << false << "KD7OLD" << int(UsLookupOutcome::Found) << "K7ABC" << "101";
    QTest::newRow("previous call of an expired licence") << false << "KX0GONE" << int(UsLookupOutcome::NotActive) << "" << "";
    QTest::newRow("previous call of two licences") << false << "KA1TWO" << int(UsLookupOutcome::NotFound) << "" << "";
    QTest::newRow("quote is a character") << false << "K7'ABC" << int(UsLookupOutcome::NotFound) << "" << "";
    QTest::newRow("sql text is a value") << false << "W1AW\" OR \"1\"=\"1" << int(UsLookupOutcome::NotFound) << "" << "";
}

void TestLicence::exactLookup() {
    QFETCH(bool, gmrs);
    QFETCH(QString, call);
    QFETCH(int, outcome);
    QFETCH(QString, shownCall);
    QFETCH(QString, shownUsi);
    const LicenceService service = gmrs ? LicenceService::Gmrs : LicenceService::Amateur;
    const UsLookup r = findUsLicence(m_condb, service, call);
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(r.licence.callSign, shownCall);
    QCOMPARE(r.licence.usi, shownUsi);
    // A kept look-up answers the same the second time (its statements are reset, not spent).
    LicenceLookup kept(m_condb);
    for (int pass = 0; pass < 2; ++pass) {
        const UsLookup again = kept.us(service, call);
        QCOMPARE(int(again.outcome), outcome);
        QCOMPARE(again.licence.usi, shownUsi);
    }
}

void TestLicence::wildcardList_data() {
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("prefix, expired left out, sorted") << false << "W1A%" << QStringList{"W1AAB", "W1ABC", "W1AW"};
    QTest::newRow("one character") << false << "W_AW" << QStringList{"W1AW"};
    QTest::newRow("duplicate rows once") << false << "W1D%" << QStringList{"W1DUP"};
    QTest::newRow("GMRS only") << true << "W%" << QStringList{"WRAB123", "WRQU0TE"};
    QTest::newRow("no match") << false << "K9Z%" << QStringList();
    QTest::newRow("quote in the pattern") << false << "W1A\"%" << QStringList();
}

void TestLicence::wildcardList() {
    QFETCH(bool, gmrs);
    QFETCH(QString, pattern);
    QFETCH(QStringList, calls);
    QCOMPARE(matchingCallSigns(m_condb, gmrs ? LicenceService::Gmrs : LicenceService::Amateur, pattern), calls);
}

void TestLicence::typedWildcardsMatchTheLikeQuery_data() {
    QTest::addColumn<bool>("gmrs");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("calls");
    const QStringList w1a{"W1AAB", "W1ABC", "W1AW"};
    QTest::newRow("star") << false << "W1A*" << w1a;
    QTest::newRow("question mark") << false << "W?AW" << QStringList{"W1AW"};
    QTest::newRow("percent typed") << false << "W1A%" << w1a;
    QTest::newRow("underscore typed") << false << "K_ABC" << QStringList{"K7ABC"};
    QTest::newRow("one letter") << false << "K*" << QStringList{"K7ABC", "KB1BOX"};
    QTest::newRow("wildcard first") << false << "*ABC" << QStringList{"K7ABC", "W1ABC"};
    QTest::newRow("single wildcard first") << false << "?1A*" << w1a;
    QTest::newRow("everything") << false << "*" << QStringList{"K7ABC", "KB1BOX", "N0EXP", "W1AAB", "W1ABC", "W1AW", "W1DUP", "WZ1Z"};
    QTest::newRow("lower case, as like ignores ASCII case") << false << "w1a*" << w1a;
    QTest::newRow("Z before the wildcard") << false << "WZ1Z*" << QStringList{"WZ1Z"};
    QTest::newRow("Z prefix") << false << "WZ*" << QStringList{"WZ1Z"};
    QTest::newRow("wildcard in the middle") << false << "W1*W" << QStringList{"W1AW"};
    QTest::newRow("double quote") << false << "W1A\"*" << QStringList();
    QTest::newRow("single quote") << false << "K7'*" << QStringList();
    QTest::newRow("expired only") << false << "N0G*" << QStringList();
    QTest::newRow("GMRS") << true << "W*" << QStringList{"WRAB123", "WRQU0TE"};
}

// The list as the plain like query gives it (each call once, sorted), with the typed text bound.
static QStringList likeQueryResult(Database& db, bool gmrs, const QString& pattern) {
    Query q;
    q.open(db,
           QStringLiteral("select [fcc_en].[call_sign] from [fcc_en], [fcc_hd] where "
                          "[fcc_en].unique_system_identifier=[fcc_hd].unique_system_identifier and [fcc_hd].license_status='A' "
                          "and [fcc_en].service=?2 and [fcc_en].call_sign like ?1"),
           {pattern, gmrs ? QStringLiteral("GMRS") : QStringLiteral("AMAT")});
    QStringList calls;
    for (int i = 0; i < q.recordCount(); ++i)
        calls << q.value(i, 0).toString();
    calls.removeDuplicates();
    calls.sort();
    return calls;
}

void TestLicence::typedWildcardsMatchTheLikeQuery() {
    QFETCH(bool, gmrs);
    QFETCH(QString, typed);
    QFETCH(QStringList, calls);
    const QString pattern = callSignPattern(typed);
    const LicenceService service = gmrs ? LicenceService::Gmrs : LicenceService::Amateur;
    QCOMPARE(likeQueryResult(m_condb, gmrs, pattern), calls);
    // Both ways of building the list: each candidate checked on its own, and one pass over the
    // active licences.
    QCOMPARE(matchingCallSigns(m_condb, service, pattern, 1000), calls);
    QCOMPARE(matchingCallSigns(m_condb, service, pattern, 0), calls);
    QCOMPARE(matchingCallSigns(m_condb, service, pattern), calls);
}

void TestLicence::otherService_data() {
    QTest::addColumn<bool>("gmrsShown");
    QTest::addColumn<QString>("frn");
    QTest::addColumn<QString>("other");
    QTest::newRow("amateur holder with GMRS") << false << "0002" << "WRAB123";
    QTest::newRow("expired GMRS still named") << false << "0003" << "WRZZ999";
    QTest::newRow("no GMRS licence") << false << "0008" << "";
    QTest::newRow("GMRS holder with active amateur") << true << "0002" << "K7ABC";
    QTest::newRow("GMRS holder without amateur") << true << "0011" << "";
}

void TestLicence::otherService() {
    QFETCH(bool, gmrsShown);
    QFETCH(QString, frn);
    QFETCH(QString, other);
    const std::optional<QString> found =
        otherServiceCallSign(m_condb, gmrsShown ? LicenceService::Gmrs : LicenceService::Amateur, frn);
    QCOMPARE(found.has_value(), !other.isEmpty());
    QCOMPARE(found.value_or(QString()), other);
}

void TestLicence::canadianAndZipGeography() {
    const std::optional<CanadianLicence> ca = findCanadianLicence(m_condb, QStringLiteral("VE3ABC"));
    QVERIFY(ca);
    QCOMPARE(ca->callSign, QStringLiteral("VE3ABC"));
    QCOMPARE(ca->surname, QStringLiteral("Doe"));
    QVERIFY(!findCanadianLicence(m_condb, QStringLiteral("VE3'X")));

    QCOMPARE(usZipKey(QStringLiteral("857011234")), QStringLiteral("85701"));
    QCOMPARE(canadianPostalKey(QStringLiteral("K1A 0B1")), QStringLiteral("K1A"));
    ZipGeography g = zipGeography(m_zipdb, usZipKey(QStringLiteral("857011234")));
    QVERIFY(g.found);
    QCOMPARE(g.county, QStringLiteral("Pima"));
    QCOMPARE(g.latitude, 32.2217);
    QCOMPARE(g.longitude, -110.9265);
    QVERIFY(g.unique);
    g = zipGeography(m_zipdb, canadianPostalKey(QStringLiteral("K1A 0B1")));
    QVERIFY(g.found);
    QCOMPARE(g.latitude, 45.4166);
    // A code that stands twice gives its first row and says it is not the only one (setup then
    // refuses to take the station from it).
    m_zipdb.exec(QStringLiteral("insert into zipcodes(zip,latitude,longitude,county) values('99998',1,2,'First'),('99998',3,4,'Second')"));
    g = zipGeography(m_zipdb, QStringLiteral("99998"));
    QVERIFY(g.found && !g.unique);
    QCOMPARE(g.county, QStringLiteral("First"));
    g = zipGeography(m_zipdb, QStringLiteral("99999"));
    QVERIFY(!g.found);
    QCOMPARE(g.county, QString());
}

void TestLicence::nameAndAddressRules_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::newRow("club: entity name") << "W1AW" << "Arrl Hq Operators Club" << "225 Main St";
    QTest::newRow("person with middle initial") << "K7ABC" << "John Q Public" << "1 Elm St";
    QTest::newRow("no middle initial keeps both blanks, PO box") << "KB1BOX" << "Mary  Smith" << "PO Box 1234";
}

void TestLicence::nameAndAddressRules() {
    QFETCH(QString, call);
    QFETCH(QString, name);
    QFETCH(QString, address);
    const UsLookup r = findUsLicence(m_condb, LicenceService::Amateur, call);
    QVERIFY(r.found());
    QCOMPARE(licenseeName(r.licence), name);
    QCOMPARE(streetOrPoBox(r.licence), address);
    QCOMPARE(streetOrPoBox(QString(), QString()), QStringLiteral("PO Box "));   // both empty: the words alone
}

QTEST_GUILESS_MAIN(TestLicence)
#include "tst_licence.moc"
