// District files (format, byte-order marks, names, folders) and the county and date search
// statements run against the county fixture.
#include "CountyFixture.h"

#include "search/CountyDateSql.h"
#include "search/DistrictFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(TextEncoding)
Q_DECLARE_METATYPE(DateKind)

namespace {

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

QStringList cells(const Query& q) {
    QStringList out = q.fieldNames();
    for (const QVariantList& row : q.rows())
        for (const QVariant& v : row)
            out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    return out;
}

QStringList cells(const ResultTable& t) {
    QStringList out = t.fieldNames();
    for (qsizetype r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.columnCount(); ++c) {
            const QVariant v = t.value(r, c);
            out << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
    return out;
}

} // namespace

class TestDistrictLogic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_env = std::make_unique<CountyFixtureEnv>(); }
    void cleanupTestCase() { m_env.reset(); }

    void decodeAndWriteBack_data();
    void decodeAndWriteBack();
    void emptyDistrictIsZeroBytes();
    void fileRoundTripAndFailures();
    void districtNames();
    void validNames_data();
    void validNames();

    void countySearch_data();
    void countySearch();
    void dateSearch_data();
    void dateSearch();

private:
    std::unique_ptr<CountyFixtureEnv> m_env;
};

void TestDistrictLogic::decodeAndWriteBack_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("counties");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("written");   // what writing the list back gives

    const QStringList two{QStringLiteral("Prince George's"), QStringLiteral("Doña Ana")};
    const QByteArray utf8 = QByteArray("Prince George's\r\nDo\xC3\xB1" "a Ana\r\n");
    QTest::newRow("utf-8, no mark") << utf8 << two << TextEncoding::Utf8 << utf8;
    QTest::newRow("utf-8 mark kept") << QByteArray("\xEF\xBB\xBF") + utf8 << two << TextEncoding::Utf8Bom
                                     << QByteArray("\xEF\xBB\xBF") + utf8;
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : QStringLiteral("Prince George's\r\nDoña Ana\r\n")) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    QTest::newRow("utf-16le mark kept") << le << two << TextEncoding::Utf16LE << le;
    QTest::newRow("utf-16be mark kept") << be << two << TextEncoding::Utf16BE << be;
    QTest::newRow("8-bit code page becomes utf-8") << QByteArray("Prince George's\r\nDo\xF1" "a Ana\r\n") << two
                                                   << TextEncoding::Utf8 << utf8;
    QTest::newRow("LF ends and no end on the last line")
        << QByteArray("Prince George's\nDo\xC3\xB1" "a Ana") << two << TextEncoding::Utf8 << utf8;
    QTest::newRow("a blank line inside is kept") << QByteArray("A\r\n\r\nB\r\n") << QStringList{"A", "", "B"}
                                                 << TextEncoding::Utf8 << QByteArray("A\r\n\r\nB\r\n");
}

void TestDistrictLogic::decodeAndWriteBack() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, counties);
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, written);
    const DistrictList d = decodeDistrict(bytes);
    QCOMPARE(d.counties, counties);
    QCOMPARE(d.encoding, encoding);
    QCOMPARE(encodeDistrict(d.counties, d.encoding), written);
}

void TestDistrictLogic::emptyDistrictIsZeroBytes() {
    for (auto e : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16LE, TextEncoding::Utf16BE})
        QCOMPARE(encodeDistrict({}, e), QByteArray());
    QVERIFY(decodeDistrict(QByteArray()).counties.isEmpty());
    QVERIFY(decodeDistrict(QByteArray("\xEF\xBB\xBF")).counties.isEmpty());
}

void TestDistrictLogic::fileRoundTripAndFailures() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Capital Area"));
    createEmptyDistrict(path);
    QCOMPARE(QFileInfo(path).size(), 0);
    QVERIFY(errorOf([&] { createEmptyDistrict(path); }).contains(QDir::toNativeSeparators(path)));

    writeDistrictFile(path, {QStringLiteral("Montgomery"), QStringLiteral("Queen Anne's")}, TextEncoding::Utf8Bom);
    QCOMPARE(fileBytes(path), QByteArray("\xEF\xBB\xBFMontgomery\r\nQueen Anne's\r\n"));
    const DistrictList back = readDistrictFile(path);
    QCOMPARE(back.counties, (QStringList{QStringLiteral("Montgomery"), QStringLiteral("Queen Anne's")}));
    QCOMPARE(back.encoding, TextEncoding::Utf8Bom);
    writeDistrictFile(path, {}, back.encoding);
    QCOMPARE(fileBytes(path), QByteArray());

    // Each failure names the file and says why.
    const QString gone = dir.filePath(QStringLiteral("Gone"));
    const QString readGone = errorOf([&] { readDistrictFile(gone); });
    QVERIFY2(readGone.contains(QDir::toNativeSeparators(gone)) && readGone.contains(QStringLiteral("no longer exists")),
             qPrintable(readGone));
    const QString noFolder = dir.filePath(QStringLiteral("XX/North"));
    const QString writeNoFolder = errorOf([&] { writeDistrictFile(noFolder, {QStringLiteral("A")}, TextEncoding::Utf8); });
    QVERIFY2(writeNoFolder.contains(QDir::toNativeSeparators(noFolder)) && writeNoFolder.contains(QStringLiteral(": ")),
             qPrintable(writeNoFolder));
    QDir(dir.path()).mkdir(QStringLiteral("Folder"));
    QVERIFY(!errorOf([&] { writeDistrictFile(dir.filePath(QStringLiteral("Folder")), {}, TextEncoding::Utf8); }).isEmpty());
}

void TestDistrictLogic::districtNames() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Districts/WY"));
    // A state folder that is not there yet is made, with no districts in it.
    QVERIFY(::districtNames(folder).isEmpty());
    QVERIFY(QFileInfo(folder).isDir());
    for (const char* name : {"beta", "Alpha", ".hidden start", "Gamma"})
        createEmptyDistrict(districtFilePath(folder, QLatin1String(name)));
    QDir(folder).mkdir(QStringLiteral("a folder"));
    // Neither a named pipe nor a link to nothing is a district.
    QVERIFY(::mkfifo(QFile::encodeName(districtFilePath(folder, QStringLiteral("pipe"))).constData(), 0600) == 0);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), districtFilePath(folder, QStringLiteral("dangling"))));
    QCOMPARE(::districtNames(folder), (QStringList{".hidden start", "Alpha", "beta", "Gamma"}));
}

void TestDistrictLogic::validNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "Gulf Coast" << true;
    QTest::newRow("apostrophe and brackets") << "O'Neil's (north)" << true;
    QTest::newRow("non-ASCII") << "Región Norte" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    for (const char* bad : {"a/b", "a:b", "a\\b", "a\"b", "a*b", "a?b", "a<b", "a>b", "a|b", "tab\there", "line\nbreak"})
        QTest::newRow(bad) << QString::fromLatin1(bad) << false;
}

void TestDistrictLogic::validNames() {
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(isValidDistrictName(name), valid);
}

void TestDistrictLogic::countySearch_data() {
    QTest::addColumn<bool>("amat");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("counties");
    QTest::addColumn<bool>("district");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("one county with an apostrophe") << true << true << "MD" << QStringList{"Prince George's"} << false
                                                   << QStringList{"W3AAA"};
    QTest::newRow("several, apostrophes among them")
        << true << true << "MD" << QStringList{"Prince George's", "Queen Anne's", "Montgomery"} << false
        << QStringList{"W3AAA", "W3BBB", "W3CCC", "W3GGG"};
    QTest::newRow("a double quote in a county") << true << true << "MD" << QStringList{"Odd \"Quoted\" County", "Anne Arundel"}
                                                << false << QStringList{"W3DDD", "W3HHH"};
    QTest::newRow("same county name, other state") << true << true << "TX" << QStringList{"Montgomery"} << false
                                                   << QStringList{"K5FFF"};
    QTest::newRow("district of one county") << true << true << "MD" << QStringList{"Prince George's"} << true
                                            << QStringList{"W3AAA"};
    QTest::newRow("empty district") << true << true << "MD" << QStringList{} << true << QStringList{};
    QTest::newRow("non-active amateur") << true << false << "MD" << QStringList{"Prince George's", "Montgomery"} << false
                                        << QStringList{"W3EEE"};
    QTest::newRow("active GMRS") << false << true << "MD" << QStringList{"Prince George's", "Montgomery"} << false
                                 << QStringList{"WRAA100"};
    QTest::newRow("non-active GMRS") << false << false << "MD" << QStringList{"Prince George's", "Montgomery"} << true
                                     << QStringList{"WRAA200", "WRAA300"};
    QTest::newRow("county without licences") << true << true << "TX" << QStringList{"Harris"} << false << QStringList{};
}

void TestDistrictLogic::countySearch() {
    QFETCH(bool, amat);
    QFETCH(bool, active);
    QFETCH(QString, state);
    QFETCH(QStringList, counties);
    QFETCH(bool, district);
    QFETCH(QStringList, calls);
    const SearchSql q = countySearchSql(amat, active, state, CountyChoice{counties, district});
    QCOMPARE(q.params().size(), counties.size() + 1);
    QVERIFY(!q.sql().contains(QStringLiteral("George")));
    Query rows;
    rows.open(m_env->dm.condb, q.sql(), q.params());
    QCOMPARE(sortedCalls(rows), calls);
    QCOMPARE(rows.fieldCount(), amat ? 18 : 15);
    QCOMPARE(rows.fieldNames().first(), QStringLiteral("call_sign"));
    QCOMPARE(rows.fieldNames().last(), QStringLiteral("last_action_date"));

    // Read in two parts at once: the rows of the one statement, in its order,
    // also with every county listed twice (one entry of the in list, so not read by both parts).
    const QString file = m_env->dm.condb.fileName();
    auto build = [&](const CountyChoice& c) { return countySearchSql(amat, active, state, c); };
    JobControl done;
    const ResultTable parts = readCountySearch(file, build, {counties, district}, &done);
    QCOMPARE(cells(parts), cells(rows));
    QCOMPARE(done.done(), qint64(parts.rowCount()));
    QCOMPARE(cells(readCountySearch(file, build, {counties + counties, district})), cells(rows));
    auto broken = [&](const CountyChoice& c) {
        SearchSql q = build(c);
        q.conditions << fixedTest(QStringLiteral("and"));
        return q;
    };
    QVERIFY_THROWS_EXCEPTION(DatabaseError, readCountySearch(file, broken, {counties, district}));
}

void TestDistrictLogic::dateSearch_data() {
    QTest::addColumn<bool>("amat");
    QTest::addColumn<QStringList>("counties");
    QTest::addColumn<bool>("district");
    QTest::addColumn<DateKind>("kind");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QStringList>("calls");

    const QStringList pgMont{"Prince George's", "Montgomery"};
    const QDate d0315(2020, 3, 15), d0316(2020, 3, 16);
    QTest::newRow("grant, same day") << true << pgMont << false << DateKind::Grant << d0315 << d0315
                                     << QStringList{"W3AAA", "W3GGG"};
    QTest::newRow("grant, both days included") << true << pgMont << false << DateKind::Grant << d0315 << d0316
                                               << QStringList{"W3AAA", "W3BBB", "W3GGG"};
    QTest::newRow("grant, start after end") << true << pgMont << false << DateKind::Grant << d0316 << d0315 << QStringList{};
    QTest::newRow("expiry, active ones only") << true << pgMont << false << DateKind::Expire << QDate(2030, 3, 15)
                                              << QDate(2030, 3, 15) << QStringList{"W3AAA", "W3GGG"};
    QTest::newRow("last action") << true << pgMont << false << DateKind::LastAction << QDate(2024, 1, 1) << QDate(2024, 12, 31)
                                 << QStringList{"W3GGG"};
    QTest::newRow("GMRS grant") << false << pgMont << false << DateKind::Grant << d0315 << d0315 << QStringList{"WRAA100"};
    QTest::newRow("GMRS: other statuses never") << false << pgMont << false << DateKind::LastAction << QDate(2000, 1, 1)
                                                << QDate(2020, 1, 1) << QStringList{};
    QTest::newRow("district") << true << QStringList{"Queen Anne's", "Anne Arundel"} << true << DateKind::Grant
                              << QDate(2019, 1, 1) << QDate(2021, 12, 31) << QStringList{"W3CCC", "W3DDD"};
}

void TestDistrictLogic::dateSearch() {
    QFETCH(bool, amat);
    QFETCH(QStringList, counties);
    QFETCH(bool, district);
    QFETCH(DateKind, kind);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, calls);
    const SearchSql q = dateSearchSql(amat, QStringLiteral("MD"), CountyChoice{counties, district}, kind, start, end);
    Query rows;
    rows.open(m_env->dm.condb, q.sql(), q.params());
    QCOMPARE(sortedCalls(rows), calls);
    QCOMPARE(rows.fieldCount(), amat ? 18 : 15);
    // Read in two parts at once: the rows of the one statement, in its order.
    auto build = [&](const CountyChoice& c) { return dateSearchSql(amat, QStringLiteral("MD"), c, kind, start, end); };
    QCOMPARE(cells(readCountySearch(m_env->dm.condb.fileName(), build, {counties, district})), cells(rows));
}

QTEST_MAIN(TestDistrictLogic)
#include "tst_district_logic.moc"
