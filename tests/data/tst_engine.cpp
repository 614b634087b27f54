// The import engine on a temporary database: what each kind stores, progress, rollback of a
// failed, cancelled or empty file, the note of a completed load, the table's indexes, and the
// worker thread.

#include "core/Job.h"
#include "core/SourceRecord.h"
#include "data/ImportEngine.h"
#include "data/TableIndexes.h"
#include "TestSupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray amLines(int n, int badAt = 0) {
    QByteArray out;
    for (int i = 1; i <= n; ++i)
        out += ulsLine("AM", {{2, QByteArray::number(i)}, {6, i == badAt ? "X" : "E"}, {16, "N1OLD"}}, 18) + "\r\n";
    return out;
}

const QByteArray kCdnHeader = "2026-04-17  Canadian Amateur Call Sign List\r\n \r\nThere are 3 call signs in this report.\r\n \r\n";

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private slots:
    void amImport();
    void enImport();
    void hdImportsAppend();
    void oneIndexBuildForAmateurAndGmrs();
    void failedGmrsLoadStillIndexesAmateurRows();
    void pendingIndexesSettled();
    void cancelledIndexBuildStaysPending();
    void canadianImport();
    void zipImport();
    void emptyFiles_data();
    void emptyFiles();
    void progressEveryStep_data();
    void progressEveryStep();
    void rejectedRowRollsBack();
    void importsThatWriteNothing_data();
    void importsThatWriteNothing();
    void cancelRollsBack();
    void threadedImport();
};

void TestEngine::amImport() {
    ImportFixture fx;
    const QByteArray file = ulsLine("AM", {{2, "1"}, {6, "E"}, {16, "KF6QZN"}}, 18) + "\r\n" +
                            ulsLine("AM", {{2, "2"}, {6, "T"}}, 15) + "\r\n" +   // too short
                            ulsLine("AM", {{2, "3"}, {6, "G"}, {18, "TRUSTEE|NAME"}}, 18) + "\r\n";
    const ImportResult r = fx.import(TDataType::AMT_AM, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.lines, 3);
    QCOMPARE(r.rows, 2);
    QCOMPARE(r.skipped, 1);
    QCOMPARE(r.skipReasons.value(QString::fromLatin1("AM record with fewer than 16 fields")), 1);
    QCOMPARE(r.skipExamples, QStringList{"line 2: AM record with fewer than 16 fields"});
    QCOMPARE(fx.rows(QStringLiteral("select * from FCC_AM order by 1")),
             (QList<QStringList>{{"1", "E", "KF6QZN"}, {"3", "G", ""}}));
    // The load is noted with its rows, in its own transaction.
    QCOMPARE(fx.rows(QStringLiteral("select kind, tbl, service, rows from quillmarsh_source")),
             (QList<QStringList>{{"AMT_AM", "FCC_AM", "AMAT", "2"}}));
}

void TestEngine::enImport() {
    ImportFixture fx;
    fx.addZip(QStringLiteral("06111"), QStringLiteral("Hartford"));
    fx.addZip(QStringLiteral("06111"), QStringLiteral("second row"));
    auto en = [](const QByteArray& usi, const QByteArray& call, const QByteArray& last, const QByteArray& street, const QByteArray& zip) {
        return ulsLine("EN", {{2, usi}, {5, call}, {8, last + ", ANN"}, {9, "ANN"}, {11, last}, {16, street}, {17, "NEWINGTON"},
                              {18, "CT"}, {19, zip}, {22, "000"}, {23, "0000000001"}},
                       30);
    };
    QByteArray file = en("1", "W1AW", "O'BRIEN", "12 MAIN ST", "061111234") + "\r\n";
    // A record broken over two lines, as the real files have a few.
    QByteArray broken = en("2", "K1ABC", "SMITH", "12 ELM ST", "06111");
    broken.replace("12 ELM ST", "12 ELM\r\nST");
    file += broken + "\r\n";
    file += en("3", "N1X", "M\xDCLLER", "1 RUE", "99999") + "\r\n";
    file += en("4", "W1Q", "'); drop table FCC_EN; --", "x", "") + "\r\n";
    file += ulsLine("EN", {{2, "5"}}, 22) + "\r\n";

    const ImportResult r = fx.import(TDataType::AMT_EN, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.lines, 6);
    QCOMPARE(r.rows, 4);
    QCOMPARE(r.joined, 1);
    QCOMPARE(r.skipped, 1);
    const auto rows = fx.rows(QStringLiteral("select unique_system_identifier, call_sign, last_name, street_address, zip_code, county, "
                                             "service from FCC_EN order by 1"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], (QStringList{"1", "W1AW", "O'Brien", "12 Main St", "06111", "Hartford", "AMAT"}));
    QCOMPARE(rows[1], (QStringList{"2", "K1ABC", "Smith", "12 Elm St", "06111", "Hartford", "AMAT"}));
    QCOMPARE(rows[2], (QStringList{"3", "N1X", QString::fromUtf8("MÜLler"), "1 Rue", "99999", "", "AMAT"}));
    QCOMPARE(rows[3], (QStringList{"4", "W1Q", "'); Drop Table Fcc_En; --", "X", "", "", "AMAT"}));
    // No value is stored as NULL.
    QCOMPARE(fx.rows(QStringLiteral("select count(1) from FCC_EN where county is null or po_box is null")).at(0).at(0), "0");
}

void TestEngine::hdImportsAppend() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_HD"));
    QVERIFY(!indexes.isEmpty());
    auto hd = [](const QByteArray& usi, const QByteArray& status) {
        return ulsLine("HD", {{2, usi}, {6, status}, {8, "01/31/2023"}, {9, "04/27/2033"}, {43, "05/09/2025"}, {44, "05/10/2025"}}, 59) + "\r\n";
    };
    QVERIFY(fx.import(TDataType::AMT_HD, hd("1", "A") + hd("2", "E")).ok);
    const ImportResult gmrs = fx.import(TDataType::GMRS_HD, hd("3", "A"));
    QVERIFY(gmrs.ok);
    QCOMPARE(fx.count(QStringLiteral("FCC_HD")), 3);
    QCOMPARE(fx.rows(QStringLiteral("select * from FCC_HD where unique_system_identifier='3'")).at(0),
             (QStringList{"3", "A", "2023-01-31", "2033-04-27", "1900-01-01", "2025-05-09", "2025-05-10"}));
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_HD")), indexes);
}

namespace {
QByteArray enLines(int from, int n) {
    QByteArray out;
    for (int i = from; i < from + n; ++i)
        out += ulsLine("EN", {{2, QByteArray::number(i)}, {5, "W1A" + QByteArray::number(i)}, {19, "06111"}, {23, "0000000001"}}, 30) + "\r\n";
    return out;
}
} // namespace

void TestEngine::oneIndexBuildForAmateurAndGmrs() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_EN"));
    QCOMPARE(indexes.size(), 7);
    QVERIFY(fx.import(TDataType::AMT_EN, enLines(1, 10)).ok);
    // Between the two loads the definitions wait in the database, not in memory.
    QVERIFY(fx.indexSql(QStringLiteral("FCC_EN")).isEmpty());
    QCOMPARE(fx.rows(QStringLiteral("select sql from quillmarsh_pending_index where tbl='FCC_EN' order by name")).size(), 7);
    QVERIFY(fx.import(TDataType::GMRS_EN, enLines(100, 5)).ok);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_EN")), indexes);
    QCOMPARE(fx.rows(QStringLiteral("select count(1) from sqlite_master where name='quillmarsh_pending_index'")).at(0).at(0), "0");
    QCOMPARE(fx.count(QStringLiteral("FCC_EN")), 15);
}

void TestEngine::failedGmrsLoadStillIndexesAmateurRows() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_HD"));
    auto hd = [](int usi) { return ulsLine("HD", {{2, QByteArray::number(usi)}, {6, "A"}}, 59) + "\r\n"; };
    QVERIFY(fx.import(TDataType::AMT_HD, hd(1) + hd(2)).ok);
    QVERIFY(fx.indexSql(QStringLiteral("FCC_HD")).isEmpty());
    ImportEngine gmrs(fx.job(TDataType::GMRS_HD, fx.path(QStringLiteral("GMRS/HD.dat"))));   // no such file
    const ImportResult r = gmrs.run();
    QVERIFY(!r.ok);
    QCOMPARE(fx.count(QStringLiteral("FCC_HD")), 2);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_HD")), indexes);
}

void TestEngine::pendingIndexesSettled() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_EN"));
    QVERIFY(fx.import(TDataType::AMT_EN, enLines(1, 3)).ok);
    // As after a crash before the GMRS load: the database check settles what is pending.
    Database db;
    db.open(fx.fccDb());
    settlePendingIndexes(db);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_EN")), indexes);
    QVERIFY(!db.tableExists(QStringLiteral("quillmarsh_pending_index")));
    settlePendingIndexes(db);   // nothing pending: nothing happens
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_EN")), indexes);
}

void TestEngine::cancelledIndexBuildStaysPending() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_EN"));
    QVERIFY(indexes.size() >= 2);
    QVERIFY(fx.import(TDataType::AMT_EN, enLines(1, 3)).ok);
    Database db;
    db.open(fx.fccDb());
    const int pending = pendingIndexCount(db);
    QCOMPARE(pending, int(indexes.size()));
    // Cancelled before the second index: the first is rolled back too, and all stay pending.
    int asked = 0;
    QVERIFY_THROWS_EXCEPTION(JobCancelled, settlePendingIndexes(db, QString(), [&] {
        if (++asked == 2)
            throw JobCancelled();
    }));
    QCOMPARE(pendingIndexCount(db), pending);
    QVERIFY(fx.indexSql(QStringLiteral("FCC_EN")).isEmpty());
    // A GMRS load cancelled after it leaves them pending as well, for the database check.
    const QString gmrsFile = fx.path(QStringLiteral("gmrs-en.dat"));
    writeBytes(gmrsFile, enLines(10, 3));
    ImportEngine gmrs(fx.job(TDataType::GMRS_EN, gmrsFile));
    gmrs.cancel();
    QVERIFY(gmrs.run().cancelled);
    QCOMPARE(pendingIndexCount(db), pending);
    settlePendingIndexes(db);   // the next start
    QCOMPARE(pendingIndexCount(db), 0);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_EN")), indexes);
}

void TestEngine::canadianImport() {
    ImportFixture fx;
    QByteArray file = kCdnHeader;
    QByteArray full(469, ' ');
    full.replace(0, 6, "VE3XYZ");
    full.replace(7, 5, "Marie");
    full.replace(462, 7, "K1A 0A6");
    file += full + "\r\n";
    file += "VA3ABC Al\r\n";   // much shorter than 469 characters
    file += "\r\n";           // a blank line is no licence
    file += "VE2AAA Andr\xE9\r\n";
    const ImportResult r = fx.import(TDataType::CDN, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.lines, 8);
    QCOMPARE(r.rows, 3);
    QCOMPARE(r.skipped, 1);
    const auto rows = fx.rows(QStringLiteral("select callsign, first_name, qual_a, qual_e, club_postal from canada order by rowid"));
    QCOMPARE(rows, (QList<QStringList>{{"VE3XYZ", "Marie", " ", " ", "K1A 0A6"}, {"VA3ABC", "Al", "", "", ""},
                                       {"VE2AAA", QString::fromUtf8("André"), "", "", ""}}));
}

void TestEngine::zipImport() {
    ImportFixture fx;
    const QByteArray file = "12345,Springfield,IL,39.8,-89.6,x,US,Sangamon\n"
                            "12346,\"Town, The\",IL,,,,USA,Cook\n"
                            "12347,Bad,IL,north,1,,US,Cook\n"
                            "\n"
                            "A0A,Ferryland,NL,47.0073,-52.9589,,Southeastern Avalon Peninsula (Ferryland)\n";
    const ImportResult r = fx.import(TDataType::ZIP, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.rows, 3);
    QCOMPARE(r.skipped, 2);
    QCOMPARE(r.skipExamples,
             (QStringList{"line 3: zip line whose latitude or longitude is not a number", "line 4: empty line"}));
    QCOMPARE(fx.rows(QStringLiteral("select zip, city, state, latitude, longitude, county, typeof(latitude), key from zipcodes order by key")),
             (QList<QStringList>{{"12345", "Springfield", "IL", "39.8", "-89.6", "Sangamon", "real", "1"},
                                 {"12346", "Town, The", "IL", "0.0", "0.0", "Cook", "real", "2"},
                                 {"A0A", "Ferryland", "NL", "47.0073", "-52.9589", "Southeastern Avalon Peninsula (Ferryland)", "real", "3"}}));
}

void TestEngine::emptyFiles_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("says");
    const QString none = QStringLiteral("the file holds no records");
    QTest::newRow("AM") << int(TDataType::AMT_AM) << QByteArray() << none;
    QTest::newRow("EN") << int(TDataType::GMRS_EN) << QByteArray() << none;
    QTest::newRow("HD") << int(TDataType::AMT_HD) << QByteArray() << none;
    QTest::newRow("zip") << int(TDataType::ZIP) << QByteArray() << none;
    QTest::newRow("Canadian, header only") << int(TDataType::CDN) << kCdnHeader << none;
    QTest::newRow("Canadian, two lines") << int(TDataType::CDN) << QByteArray("title\r\n\r\n") << none;
    QTest::newRow("every record skipped") << int(TDataType::AMT_AM) << ulsLine("AM", {{2, "9"}}, 10) + "\r\n"
                                          << QStringLiteral("none of its 1 records could be imported");
}

void TestEngine::emptyFiles() {
    QFETCH(int, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, says);
    ImportFixture fx;
    const ImportResult r = fx.import(TDataType(kind), content);
    // A source that gives nothing is a failed load: noted as complete, it would never come again.
    QVERIFY(!r.ok);
    QCOMPARE(r.error, says);
    QVERIFY2(r.failureText().contains(says), qPrintable(r.failureText()));
    QCOMPARE(r.rows, 0);
    QCOMPARE(fx.count(importTable(TDataType(kind))), 0);
    Database db;
    db.open(TDataType(kind) == TDataType::ZIP ? fx.zipDb() : fx.fccDb());
    QVERIFY(!sourcerecord::isComplete(db, TDataType(kind)));
}

void TestEngine::progressEveryStep_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<qint64>>("reports");
    QTest::newRow("ULS every 2000 lines") << int(TDataType::AMT_AM) << amLines(5000) << QList<qint64>{2000, 4000};
    QByteArray zip;
    for (int i = 0; i < 2500; ++i)
        zip += QByteArray::number(10000 + i) + ",Town,ST,1,2,,US,County\r\n";
    QTest::newRow("zip every 1000 lines") << int(TDataType::ZIP) << zip << QList<qint64>{1000, 2000};
    QByteArray cdn = kCdnHeader;
    for (int i = 0; i < 1996; ++i)
        cdn += "VA3A" + QByteArray::number(i) + "\r\n";
    QTest::newRow("Canadian lines count the header") << int(TDataType::CDN) << cdn << QList<qint64>{1000, 2000};
}

void TestEngine::progressEveryStep() {
    QFETCH(int, kind);
    QFETCH(QByteArray, content);
    QFETCH(QList<qint64>, reports);
    ImportFixture fx;
    const QString file = fx.path(QStringLiteral("source.txt"));
    writeBytes(file, content);
    ImportEngine engine(fx.job(TDataType(kind), file));
    QList<qint64> seen, totals;
    qint64 begun = -1;
    connect(&engine, &ImportEngine::begun, this, [&](qint64 total) { begun = total; });
    connect(&engine, &ImportEngine::progress, this, [&](qint64 done, qint64 total) {
        seen << done;
        totals << total;
    });
    QSignalSpy committing(&engine, &ImportEngine::committing);
    const ImportResult r = engine.run();
    QVERIFY2(r.ok, qPrintable(r.error));
    const qint64 lines = content.count('\n');
    QCOMPARE(r.lines, lines);
    QCOMPARE(begun, lines);
    QCOMPARE(seen, reports);
    for (const qint64 t : totals)
        QCOMPARE(t, lines);
    QCOMPARE(committing.count(), 1);
}

void TestEngine::rejectedRowRollsBack() {
    ImportFixture fx;
    {
        Database db;
        db.open(fx.fccDb());
        db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON FCC_AM WHEN NEW.operator_class = 'X' "
                               "BEGIN SELECT RAISE(ABORT, 'operator class X refused'); END;"));
    }
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_AM"));
    const ImportResult r = fx.import(TDataType::AMT_AM, amLines(3000, 2500));
    QVERIFY(!r.ok);
    QVERIFY(!r.cancelled);
    QCOMPARE(r.errorLine, 2500);
    QVERIFY2(r.error.contains(QLatin1String("operator class X refused")), qPrintable(r.error));
    QCOMPARE(r.rows, 0);
    QVERIFY(r.failureText().contains(r.file));
    QVERIFY(r.failureText().contains(QLatin1String("line 2500")));
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 0);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_AM")), indexes);
    Database db;
    db.open(fx.fccDb());
    QVERIFY(!sourcerecord::isComplete(db, TDataType::AMT_AM));
}

void TestEngine::importsThatWriteNothing_data() {
    QTest::addColumn<int>("kindValue");
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("cancelFirst");
    QTest::addColumn<bool>("namesFile");
    QTest::newRow("missing file") << int(TDataType::AMT_EN) << false << false << true;
    QTest::newRow("cancelled before it starts") << int(TDataType::AMT_AM) << true << true << false;
    QTest::newRow("no import for GMRS amateur records") << int(TDataType::GMRS_AM) << true << false << false;
}

void TestEngine::importsThatWriteNothing() {
    QFETCH(int, kindValue);
    const auto kind = TDataType(kindValue);
    QFETCH(bool, fileThere);
    QFETCH(bool, cancelFirst);
    QFETCH(bool, namesFile);
    ImportFixture fx;
    const QString file = fx.path(kind == TDataType::AMT_EN ? QStringLiteral("AMAT/EN.dat") : QStringLiteral("AM.dat"));
    if (fileThere)
        writeBytes(file, amLines(10));
    ImportEngine engine(fx.job(kind, file));
    if (cancelFirst)
        engine.cancel();
    const ImportResult r = engine.run();
    QVERIFY(!r.ok);
    QCOMPARE(r.cancelled, cancelFirst);
    QCOMPARE(r.errorLine, 0);
    QVERIFY(!r.failureText().isEmpty());
    if (namesFile) {
        QVERIFY2(r.error.contains(file), qPrintable(r.error));
        QVERIFY(r.failureText().contains(file));
    }
    QCOMPARE(fx.count(kind == TDataType::AMT_EN ? QStringLiteral("FCC_EN") : QStringLiteral("FCC_AM")), 0);
}

void TestEngine::cancelRollsBack() {
    ImportFixture fx;
    const QStringList indexes = fx.indexSql(QStringLiteral("FCC_AM"));
    const QString file = fx.path(QStringLiteral("AM.dat"));
    writeBytes(file, amLines(5000));
    ImportEngine engine(fx.job(TDataType::AMT_AM, file));
    connect(&engine, &ImportEngine::progress, this, [&](qint64 done, qint64) {
        if (done == 2000)
            engine.cancel();
    });
    const ImportResult r = engine.run();
    QVERIFY(!r.ok);
    QVERIFY(r.cancelled);
    QCOMPARE(r.errorLine, 2000);
    QVERIFY(r.failureText().contains(QLatin1String("cancelled")));
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 0);
    QCOMPARE(fx.indexSql(QStringLiteral("FCC_AM")), indexes);
}

void TestEngine::threadedImport() {
    ImportFixture fx;
    const QString file = fx.path(QStringLiteral("AM.dat"));
    writeBytes(file, amLines(5000));
    ImportThread worker(fx.job(TDataType::AMT_AM, file));
    QList<QThread*> progressThreads;
    connect(&worker, &ImportThread::progress, this, [&](qint64, qint64) { progressThreads << QThread::currentThread(); });
    QSignalSpy finished(&worker, &ImportThread::finished);
    worker.start();
    QVERIFY(worker.isRunning());
    QVERIFY(finished.wait(30000));
    QVERIFY(!worker.isRunning());
    QCOMPARE(progressThreads.size(), 2);
    for (QThread* t : progressThreads)
        QCOMPARE(t, QThread::currentThread());
    const auto r = finished.at(0).at(0).value<ImportResult>();
    QVERIFY(r.ok);
    QCOMPARE(r.rows, 5000);
    QCOMPARE(worker.result().rows, 5000);
    QCOMPARE(fx.count(QStringLiteral("FCC_AM")), 5000);
}

#include "tst_engine.moc"
QObject* makeTestEngine() { return new TestEngine; }
