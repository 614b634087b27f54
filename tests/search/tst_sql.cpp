// The SQL of every search against the fixture database, and the table that holds the rows.
#include "SearchTests.h"

#include "core/ResultTable.h"
#include "search/SearchRows.h"
#include "search/SearchSql.h"

#include "core/Database.h"

Q_DECLARE_METATYPE(SearchSql)

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

Q_DECLARE_METATYPE(UsSearchField)
Q_DECLARE_METATYPE(CdnSearchField)

namespace {

QStringList firstColumn(const ResultTable& t) {
    QStringList out;
    for (qsizetype r = 0; r < t.rowCount(); ++r)
        out << t.text(r, 0);
    return out;
}

QStringList everyCell(const ResultTable& t) {
    QStringList out = t.fieldNames();
    for (qsizetype r = 0; r < t.rowCount(); ++r)
        for (int c = 0; c < t.columnCount(); ++c)
            out << (t.kind(r, c) == ResultTable::Kind::Null ? QStringLiteral("<null>") : t.text(r, c));
    return out;
}

const QStringList kNewington{"W1AAB", "W1ABC", "W1AW", "W1DUP", "W1DUP"};

} // namespace

void TestSearchSql::usSearches_data() {
    QTest::addColumn<UsSearchField>("field");
    QTest::addColumn<bool>("amat");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("calls");
    const auto zip = UsSearchField::ZipCode, last = UsSearchField::LastName, city = UsSearchField::City;
    // K7ABC's amateur row came twice in its file, so the join lists it twice, as SQLite does.
    QTest::newRow("zip exact, by call sign") << zip << true << true << "06111" << kNewington;
    QTest::newRow("zip with %") << zip << true << true << "8570%" << QStringList{"K7ABC", "K7ABC", "N0EXP"};
    QTest::newRow("zip with _") << zip << true << true << "8570_" << QStringList{"N0EXP"};
    QTest::newRow("zip with trailing blank") << zip << true << true << "06111 " << QStringList();
    QTest::newRow("every active GMRS licence") << zip << false << true << "%" << QStringList{"WRAB123", "WRQU0TE"};
    QTest::newRow("non-active amateur") << zip << true << false << "85701" << QStringList{"N0GONE"};
    QTest::newRow("non-active GMRS") << zip << false << false << "85701" << QStringList{"WRZZ999"};
    QTest::newRow("last name proper-cased") << last << true << true << "bee" << QStringList{"W1AAB", "W1ABC"};
    QTest::newRow("last name pattern ignores case") << last << true << true << "%ee" << QStringList{"W1AAB", "W1ABC"};
    QTest::newRow("apostrophe") << last << false << true << "o'neil" << QStringList{"WRQU0TE"};
    QTest::newRow("double quote found literally") << last << true << true << "mc\"fly" << QStringList{"K1QUO"};
    QTest::newRow("double quote, no match") << last << false << true << "o\"neil" << QStringList();
    QTest::newRow("quotes are no SQL") << last << true << true << "x\" or \"1\"=\"1" << QStringList();
    QTest::newRow("city proper-cased") << city << true << true << "newington" << kNewington;
    QTest::newRow("city with _") << city << true << true << "tuc_on" << QStringList{"K7ABC", "K7ABC", "N0EXP"};
    QTest::newRow("city upper case, non-active") << city << true << false << "TUCSON" << QStringList{"N0GONE"};
}

void TestSearchSql::usSearches() {
    QFETCH(UsSearchField, field);
    QFETCH(bool, amat);
    QFETCH(bool, active);
    QFETCH(QString, typed);
    QFETCH(QStringList, calls);
    const SearchSql s = usSearchSql(field, amat, active, typed);
    QVERIFY(!s.sql().contains(typed));   // the value is bound, never part of the text
    QCOMPARE(firstColumn(readSearchRows(searchDatabaseFile(), s)), calls);
}

void TestSearchSql::canadianSearches_data() {
    QTest::addColumn<CdnSearchField>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("calls");
    const auto last = CdnSearchField::LastName, city = CdnSearchField::City, postal = CdnSearchField::PostalCode;
    QTest::newRow("surname exact") << last << "Doe" << QStringList{"VE3ABC"};
    QTest::newRow("surname exact keeps case") << last << "doe" << QStringList();
    QTest::newRow("club first line") << last << "ABC RADIO CLUB" << QStringList{"VA3CLB"};
    QTest::newRow("club second line") << last << "RADIO CLUB" << QStringList{"VE7CLB"};
    QTest::newRow("club pattern, storage order") << last << "%club%" << QStringList{"VA3CLB", "VE7CLB"};
    QTest::newRow("empty: any empty name line") << last << ""
                                                << QStringList{"VE3ABC", "VA3CLB", "VE8POL", "VE9XYZ", "VE2NOC", "VE7CLB"};
    QTest::newRow("apostrophe") << last << "O'Brien" << QStringList();
    QTest::newRow("city in any case") << city << "ottawa" << QStringList{"VE3ABC", "VA3CLB"};
    QTest::newRow("empty city") << city << "" << QStringList{"VE2NOC"};
    QTest::newRow("double quote") << city << "O\"Hare" << QStringList();
    QTest::newRow("postal area") << postal << "k1a%" << QStringList{"VE3ABC", "VA3CLB"};
    QTest::newRow("postal without wildcard, any case") << postal << "k1a 0b1" << QStringList{"VE3ABC"};
    QTest::newRow("empty postal code") << postal << "" << QStringList{"VE2NOC"};
}

void TestSearchSql::canadianSearches() {
    QFETCH(CdnSearchField, field);
    QFETCH(QString, typed);
    QFETCH(QStringList, calls);
    QCOMPARE(firstColumn(readSearchRows(searchDatabaseFile(), cdnSearchSql(field, typed))), calls);
}

void TestSearchSql::resultColumns() {
    const QStringList amateur{"call_sign", "entity_name", "first_name", "mi", "last_name", "street_address",
                              "po_box", "city", "county", "state", "zip_code", "operator_class",
                              "previous_callsign", "license_status", "grant_date", "expired_date", "effective_date",
                              "last_action_date"};
    QStringList gmrs = amateur;
    gmrs.removeOne(QStringLiteral("operator_class"));
    gmrs.removeOne(QStringLiteral("previous_callsign"));
    gmrs.removeOne(QStringLiteral("license_status"));
    const QString db = searchDatabaseFile();
    QCOMPARE(readSearchRows(db, usSearchSql(UsSearchField::ZipCode, true, true, "%")).fieldNames(), amateur);
    QCOMPARE(readSearchRows(db, usSearchSql(UsSearchField::City, false, false, "%")).fieldNames(), gmrs);
    QCOMPARE(readSearchRows(db, cdnSearchSql(CdnSearchField::City, "%")).fieldNames(),
             QStringList({"callsign", "first_name", "surname", "address_line", "city", "prov", "postal_code", "qual_a", "qual_b",
                          "qual_c", "qual_d", "qual_e", "club_name1", "club_name2", "club_address", "club_city", "club_prov",
                          "club_postal"}));

    // The two forms of the base differ only around the service test; not active turns the
    // status test around and nothing else.
    QVERIFY(usBaseSql(true, true, BaseForm::Spaced).endsWith(" and [fcc_en].service = 'AMAT'"));
    QVERIFY(usBaseSql(false, true, BaseForm::Closed).endsWith(" and [fcc_en].service='GMRS'"));
    QCOMPARE(usBaseSql(true, false, BaseForm::Closed),
             QString(usBaseSql(true, true, BaseForm::Closed)).replace("license_status='A'", "license_status!='A'"));
    QVERIFY(usSearchSql(UsSearchField::City, true, true, "Ames").sql().endsWith("service='AMAT' and [fcc_en].city = ?"));
    QVERIFY(usSearchSql(UsSearchField::ZipCode, true, true, "8%").sql().endsWith("service = 'AMAT' and [fcc_en].zip_code like ?"));
}

void TestSearchSql::partsReadLikeOneStatement_data() {
    QTest::addColumn<SearchSql>("search");
    QTest::addColumn<int>("least");   // rows the fixture has for it
    QTest::newRow("zip pattern") << usSearchSql(UsSearchField::ZipCode, true, true, "%") << 10;
    QTest::newRow("last name pattern, GMRS, not active") << usSearchSql(UsSearchField::LastName, false, false, "%") << 1;
    QTest::newRow("city exact") << usSearchSql(UsSearchField::City, true, true, "Newington") << 5;
    SearchSql storageOrder = usSearchSql(UsSearchField::ZipCode, true, true, "%");
    storageOrder.orderBy.clear();
    QTest::newRow("zip pattern, storage order") << storageOrder << 10;
    // Alternatives joined by "or": the range must narrow all of them, not only the last.
    QTest::newRow("Canadian last name or club, exact") << cdnSearchSql(CdnSearchField::LastName, "Doe") << 1;
    QTest::newRow("Canadian last name or club, pattern") << cdnSearchSql(CdnSearchField::LastName, "%") << 2;
    QTest::newRow("Canadian city") << cdnSearchSql(CdnSearchField::City, "%") << 2;
    QTest::newRow("Canadian postal code") << cdnSearchSql(CdnSearchField::PostalCode, "%") << 2;
}

// Reading in rowid ranges on several threads gives the rows of one statement, in its order.
void TestSearchSql::partsReadLikeOneStatement() {
    QFETCH(SearchSql, search);
    QFETCH(int, least);
    QVERIFY(!search.splitTable.isEmpty());
    const ResultTable one = readSearchRows(searchDatabaseFile(), search, nullptr, 1);
    QVERIFY2(one.rowCount() >= least, qPrintable(QString::number(one.rowCount())));
    {
        // The same as the statement text run directly.
        Database db;
        db.openReadOnly(searchDatabaseFile());
        Statement st(db, search.sql());
        st.bindAll(search.params());
        ResultTable direct;
        direct.fetch(st);
        if (!search.orderBy.isEmpty())
            direct.sort(direct.fieldIndex(search.orderBy), true);
        QCOMPARE(everyCell(direct), everyCell(one));
    }
    for (int parts : {2, 3, 7}) {
        JobControl done;
        const ResultTable t = readSearchRows(searchDatabaseFile(), search, &done, parts);
        QCOMPARE(everyCell(t), everyCell(one));
        QCOMPARE(done.done(), qint64(t.rowCount()));
    }
}

void TestSearchSql::partsFailAndCancelAsOne() {
    // A database error of a part comes back to the caller; so does a cancel.
    SearchSql broken = usSearchSql(UsSearchField::ZipCode, true, true, "%");
    broken.conditions << fixedTest(QStringLiteral("no_such_column = 1"));
    QVERIFY_THROWS_EXCEPTION(DatabaseError, readSearchRows(searchDatabaseFile(), broken, nullptr, 3));
    JobControl cancelled;
    cancelled.cancel();
    QVERIFY_THROWS_EXCEPTION(JobCancelled,
                             readSearchRows(searchDatabaseFile(), usSearchSql(UsSearchField::ZipCode, true, true, "%"), &cancelled, 3));
}

void TestSearchSql::keptConnectionsFollowTheFile() {
    // Connections are kept from one search to the next; a search must still see the file as it
    // is now: changed in place by another connection, or replaced under the same name (as an
    // update swaps its databases in).
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("FCCdata.db"));
    QVERIFY(QFile::copy(searchDatabaseFile(), file));
    const SearchSql all = usSearchSql(UsSearchField::ZipCode, true, true, "%");
    const QStringList before = firstColumn(readSearchRows(file, all));
    const QStringList exact = firstColumn(readSearchRows(file, usSearchSql(UsSearchField::City, true, true, "Newington")));
    QVERIFY(before.contains("W1AW"));
    QCOMPARE(exact, kNewington);
    {
        Database db;
        db.open(file);
        db.exec(QStringLiteral("update FCC_EN set city='Elsewhere' where call_sign='W1AW'"));
    }
    QStringList moved = kNewington;
    moved.removeOne("W1AW");
    QCOMPARE(firstColumn(readSearchRows(file, usSearchSql(UsSearchField::City, true, true, "Newington"))), moved);

    const QString replacement = dir.filePath(QStringLiteral("new.db"));
    QVERIFY(QFile::copy(searchDatabaseFile(), replacement));
    {
        Database db;
        db.open(replacement);
        db.exec(QStringLiteral("delete from FCC_EN where call_sign='W1AW'"));
    }
    QVERIFY(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(file).constData()) == 0);
    QStringList left = before;
    left.removeAll("W1AW");
    QCOMPARE(firstColumn(readSearchRows(file, all)), left);
    QCOMPARE(firstColumn(readSearchRows(file, usSearchSql(UsSearchField::City, true, true, "Newington"))), moved);
}

void TestSearchSql::tableOrderAndJoin() {
    // Mixed kinds sort as SQLite sorts them: NULL, numbers by value, then text byte by byte.
    ResultTable mixed(QStringList{"v", "tag"});
    const QVariantList values{QStringLiteral("b"), 10, QVariant(), QStringLiteral("B"), 2.5, 10, QStringLiteral("a")};
    for (int i = 0; i < values.size(); ++i)
        mixed.appendRow({values.at(i), i});
    auto tags = [&] {
        QStringList t;
        for (qsizetype r = 0; r < mixed.rowCount(); ++r)
            t << mixed.text(r, 1);
        return t;
    };
    mixed.sort(0, true);
    QCOMPARE(tags(), QStringList({"2", "4", "1", "5", "3", "6", "0"}));
    mixed.sort(0, false);   // equal values keep the order they had
    QCOMPARE(tags(), QStringList({"0", "6", "3", "1", "5", "4", "2"}));
    QCOMPARE(mixed.value(0, 0), QVariant(QStringLiteral("b")));
    QCOMPARE(mixed.value(3, 0).toLongLong(), 10);
    QVERIFY(mixed.value(6, 0).isNull());

    // Parts joined without copying, across chunk boundaries, then merged, give the stable sort
    // of the whole.
    auto part = [](int from, int count) {
        ResultTable t(QStringList{"key", "n"});
        for (int i = from; i < from + count; ++i)
            t.appendRow({QString::number((i * 7919) % 1000), i});
        return t;
    };
    ResultTable whole = part(0, 70000);
    whole.appendTable(part(70000, 5000));
    QCOMPARE(whole.rowCount(), 75000);
    QCOMPARE(whole.text(69999, 1), QStringLiteral("69999"));
    QCOMPARE(whole.text(70000, 1), QStringLiteral("70000"));
    whole.sort(0, true);

    ResultTable a = part(0, 70000), b = part(70000, 5000);
    a.sort(0, true);
    b.sort(0, true);
    ResultTable joined;
    joined.appendTable(std::move(a));
    joined.appendTable(std::move(b));
    joined.mergeSortedRuns(0, {0, 70000});
    for (qsizetype r = 0; r < whole.rowCount(); r += 997)
        QCOMPARE(joined.text(r, 1), whole.text(r, 1));
    QCOMPARE(joined.text(74999, 1), whole.text(74999, 1));
}
