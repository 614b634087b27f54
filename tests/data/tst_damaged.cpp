// Damaged source files through the import engine: every case says which rows it must give
// and what it must count, and that no record takes fields from the line after it.

#include "data/ImportEngine.h"
#include "TestSupport.h"

#include <QTest>

namespace {

QByteArray en(const QByteArray& usi, const QByteArray& call, const QByteArray& last, const QByteArray& street, const QByteArray& city) {
    return ulsLine("EN", {{2, usi}, {5, call}, {8, last + ", ANN"}, {9, "ANN"}, {11, last}, {16, street}, {17, city}, {18, "OH"},
                          {19, "44101"}, {22, "000"}, {23, "0000000001"}},
                   30);
}

QByteArray hd(const QByteArray& usi, const QByteArray& grant, const QByteArray& expired, const QByteArray& effective) {
    return ulsLine("HD", {{2, usi}, {5, "W1AW"}, {6, "A"}, {7, "HA"}, {8, grant}, {9, expired}, {43, effective}, {44, "01/02/2020"}}, 59);
}

const QByteArray kA = en("1", "W1AW", "ABLE", "1 FIRST ST", "AKRON");
const QByteArray kB = en("2", "K2BB", "BAKER", "2 SECOND ST", "BEREA");
const QByteArray kC = en("3", "N3CC", "CHASE", "3 THIRD ST", "CANTON");
const QString kRowA = QStringLiteral("1|W1AW|Able|1 First St|Akron");
const QString kRowB = QStringLiteral("2|K2BB|Baker|2 Second St|Berea");
const QString kRowC = QStringLiteral("3|N3CC|Chase|3 Third St|Canton");

// B with its own start spoilt in the given way.
QByteArray damagedB(const QByteArray& head) { return head + kB.mid(2); }

const QByteArray kCdnHeader = "2026-04-17  Canadian Amateur Call Sign List\r\n \r\nThere are 2 call signs in this report.\r\n \r\n";

} // namespace

class TestDamaged : public QObject {
    Q_OBJECT
private slots:
    void damagedInputs_data();
    void damagedInputs();
};

void TestDamaged::damagedInputs_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("stored");   // the rows, in file order, fields joined by "|"
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("skippedLines");
    QTest::addColumn<int>("repaired");
    QTest::addColumn<int>("badDates");

    const int EN = int(TDataType::AMT_EN);
    const QStringList abc{kRowA, kRowB, kRowC};
    auto three = [](const QByteArray& middle, const QByteArray& eol = "\r\n") { return kA + eol + middle + eol + kC + eol; };

    QTest::newRow("clean") << EN << three(kB) << abc << 0 << 0 << 0 << 0;
    QTest::newRow("leading blank") << EN << three(damagedB(" EN")) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("leading tab") << EN << three(damagedB("\tEN")) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("leading NUL") << EN << three(damagedB(QByteArray("\0EN", 3))) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("byte-order mark inside the file") << EN << three(damagedB("\xEF\xBB\xBF" "EN")) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("lower-case type") << EN << three(damagedB("en")) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("CR between type and separator") << EN << three(damagedB("EN\r")) << abc << 0 << 0 << 1 << 0;
    QTest::newRow("LF-only file, leading blank") << EN << three(damagedB(" EN"), "\n") << abc << 0 << 0 << 1 << 0;
    QTest::newRow("CR-only file") << EN << three(kB, "\r") << abc << 0 << 0 << 0 << 0;
    QTest::newRow("unknown type with a record's worth of fields")
        << EN << three(damagedB("XX")) << QStringList{kRowA, kRowC} << 1 << 1 << 0 << 0;
    QTest::newRow("a broken record's rest after a complete record")
        << EN << three(kB.mid(kB.indexOf("2 SECOND"))) << QStringList{kRowA, kRowC} << 1 << 1 << 0 << 0;

    QByteArray broken = kB;
    broken.replace("2 SECOND ST", "2 SECOND\r\nST");
    QTest::newRow("real continuation still joined") << EN << three(broken) << abc << 0 << 0 << 0 << 0;
    QByteArray brokenName = kB;
    brokenName.replace("BAKER, ANN", "BAKER,\r\nANN");
    QTest::newRow("break early in the record still joined") << EN << three(brokenName) << abc << 0 << 0 << 0 << 0;
    QByteArray strayCr = kB;
    strayCr.replace("2 SECOND ST", "2 SECOND\rST");
    QTest::newRow("stray CR inside a field") << EN << three(strayCr) << abc << 0 << 0 << 0 << 0;

    // Without an LF in the first 8 MiB, a CR there once made the whole file CR-ended.
    const QByteArray junk = QByteArray(1 << 20, 'x') + '\r' + QByteArray(8 << 20, 'y') + "\r\n";
    QTest::newRow("stray CR inside the first block") << EN << junk + three(kB) << abc << 1 << 2 << 0 << 0;
    QTest::newRow("over-long line") << EN << three("EN|9|" + QByteArray(100000, 'A')) << QStringList{kRowA, kRowC} << 1 << 1 << 0 << 0;

    QByteArray manyLines;
    for (int i = 0; i < 5000; ++i)
        manyLines += "x|y\r\n";
    QTest::newRow("multi-line junk counted with its lines")
        << EN << kA + "\r\n" + manyLines + kC + "\r\n" << QStringList{kRowA, kRowC} << 1 << 5000 << 0 << 0;
    QByteArray manyShort;
    for (int i = 0; i < 40000; ++i)
        manyShort += "xyz\r\n";
    // Short pieces join until the record would pass its length bound; the rest is skipped in one run.
    const QByteArray longTail = kA + "\r\n" + manyShort + kC + "\r\n";
    QTest::newRow("continuation past the length bound") << EN << longTail << QStringList{kRowA, kRowC} << 1 << -1 << 0 << 0;

    const int HD = int(TDataType::AMT_HD);
    const QByteArray dates = hd("1", "05/17/2024", "13/45/2024", "02/29/2024") + "\r\n" + hd("2", "aa/bb/cccc", "//////////", "") +
                             "\r\n" + hd("3", "02/30/2023", "5/17/2024", "2024-05-17") + "\r\n";
    QTest::newRow("HD dates that are not dates")
        << HD << dates
        << QStringList{"1|2024-05-17|1900-01-01|2024-02-29", "2|1900-01-01|1900-01-01|1900-01-01", "3|1900-01-01|1900-01-01|2024-05-17"}
        << 0 << 0 << 0 << 5;

    const int CDN = int(TDataType::CDN);
    const QByteArray cdn = kCdnHeader + "VA1AA  Bill\r\n" + QByteArray(70000, 'Z') + "\r\nVA1AB  Joan\r\n";
    QTest::newRow("Canadian over-long line") << CDN << cdn << QStringList{"VA1AA|Bill", "VA1AB|Joan"} << 1 << 1 << 0 << 0;
}

void TestDamaged::damagedInputs() {
    QFETCH(int, kind);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, stored);
    QFETCH(int, skipped);
    QFETCH(int, skippedLines);
    QFETCH(int, repaired);
    QFETCH(int, badDates);

    ImportFixture fx;
    const TDataType k = TDataType(kind);
    const ImportResult r = fx.import(k, content);
    QVERIFY2(r.ok, qPrintable(r.error));
    QString sql;
    switch (k) {
    case TDataType::AMT_EN:
        sql = QStringLiteral("select unique_system_identifier, call_sign, last_name, street_address, city, entity_name from FCC_EN order by rowid");
        break;
    case TDataType::AMT_HD:
        sql = QStringLiteral("select unique_system_identifier, grant_date, expired_date, effective_date from FCC_HD order by rowid");
        break;
    default: sql = QStringLiteral("select callsign, first_name from canada order by rowid"); break;
    }
    QStringList got;
    for (QStringList row : fx.rows(sql)) {
        if (k == TDataType::AMT_EN) {
            // The entity name holds the last name first: a record glued to the next shows here.
            const QString name = row.takeLast();
            QVERIFY2(name.startsWith(row.at(2) + QLatin1Char(',')) && name.size() < 40, qPrintable(name.left(80)));
        }
        got << row.join(QLatin1Char('|'));
    }
    QCOMPARE(got, stored);
    QCOMPARE(r.rows, qint64(stored.size()));
    QCOMPARE(r.skipped, qint64(skipped));
    if (skippedLines >= 0)
        QCOMPARE(r.skippedLines, qint64(skippedLines));
    else   // the pieces that still fitted joined the record's unused last field
        QVERIFY2(r.skippedLines > 1000 && r.skippedLines < 40000, qPrintable(QString::number(r.skippedLines)));
    QCOMPARE(r.repaired, qint64(repaired));
    QCOMPARE(r.badDates, qint64(badDates));
    if (skipped > 0 || badDates > 0 || repaired > 0) {
        const QString text = r.skippedText();
        QVERIFY2(text.contains(r.file), qPrintable(text));
        if (r.skippedLines > r.skipped)
            QVERIFY2(text.contains(QStringLiteral("covering %1 lines").arg(r.skippedLines)), qPrintable(text));
    }
}

#include "tst_damaged.moc"
QObject* makeTestDamaged() { return new TestDamaged; }
