// The importers on real files: the shipped zip table, the anonymised ULS sample and the head
// of the Canadian list kept beside the project (skipped when that material is absent).

#include "data/ImportEngine.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

namespace {

QList<QByteArray> fileLines(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines;
    for (QByteArray line : f.readAll().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace

class TestRealFiles : public QObject {
    Q_OBJECT
private slots:
    void shippedZipTable();
    void ulsSample();
    void canadianSnippet();

private:
    ImportResult importFile(ImportFixture& fx, TDataType kind, const QString& file) {
        ImportEngine engine(fx.job(kind, file));
        return engine.run();
    }
};

void TestRealFiles::shippedZipTable() {
    ImportFixture fx;
    const QString file = distFile(QStringLiteral("postal_update.csv"));
    const qint64 lines = fileLines(file).size();
    const ImportResult r = importFile(fx, TDataType::ZIP, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.skipped, 0);
    QCOMPARE(r.rows, lines);
    QCOMPARE(fx.count(QStringLiteral("zipcodes")), lines);
    QCOMPARE(fx.rows(QStringLiteral("select zip, city, state, latitude, longitude, county from zipcodes where zip='00501'")).at(0),
             (QStringList{"00501", "Holtsville", "NY", "40.8154", "-73.0451", "Suffolk"}));
    QCOMPARE(fx.rows(QStringLiteral("select city, county from zipcodes where zip='E1H'")).at(0),
             (QStringList{"Lakeville", "Lakeville, Shediac Bridge"}));
}

void TestRealFiles::ulsSample() {
    const QString amat = sharedReference(QStringLiteral("uls-sample/l_amat"));
    const QString gmrs = sharedReference(QStringLiteral("uls-sample/l_gmrs"));
    if (amat.isEmpty() || gmrs.isEmpty())
        QSKIP("the ULS sample beside the project is not there");

    ImportFixture fx;
    QVERIFY(importFile(fx, TDataType::ZIP, distFile(QStringLiteral("postal_update.csv"))).ok);
    const struct {
        TDataType kind;
        QString file;
    } imports[] = {
        {TDataType::AMT_AM, amat + QStringLiteral("/AM.dat")}, {TDataType::AMT_HD, amat + QStringLiteral("/HD.dat")},
        {TDataType::GMRS_HD, gmrs + QStringLiteral("/HD.dat")}, {TDataType::AMT_EN, amat + QStringLiteral("/EN.dat")},
        {TDataType::GMRS_EN, gmrs + QStringLiteral("/EN.dat")},
    };
    for (const auto& imp : imports) {
        const ImportResult r = importFile(fx, imp.kind, imp.file);
        QVERIFY2(r.ok, qPrintable(r.failureText()));
        QCOMPARE(r.skipped, 0);
        QCOMPARE(r.rows, fileLines(imp.file).size());
    }
    QCOMPARE(fx.count(QStringLiteral("FCC_HD")), fileLines(amat + "/HD.dat").size() + fileLines(gmrs + "/HD.dat").size());

    // Every entity row against its source line.
    for (const QString& dir : {amat, gmrs}) {
        for (const QByteArray& line : fileLines(dir + QStringLiteral("/EN.dat"))) {
            const QList<QByteArray> f = line.split('|');
            const auto rows = fx.rows(QStringLiteral("select call_sign, licensee_id, mi, state, zip_code, po_box, frn, service "
                                                     "from FCC_EN where unique_system_identifier=?1"),
                                      {QString::fromLatin1(f[1])});
            QCOMPARE(rows.size(), 1);
            QCOMPARE(rows[0], (QStringList{QString::fromLatin1(f[4]), QString::fromLatin1(f[6]), QString::fromLatin1(f[9]),
                                           QString::fromLatin1(f[17]), QString::fromLatin1(f[18].left(5)), QString::fromLatin1(f[19]),
                                           QString::fromLatin1(f[22]), dir == amat ? "AMAT" : "GMRS"}));
        }
    }

    const QString en = QStringLiteral("select * from FCC_EN where unique_system_identifier=?1");
    QCOMPARE(fx.rows(en, {"780866"}).at(0),
             (QStringList{"780866", "WF4JNK", "L00306106", "Taylor, Patricia R", "Patricia", "R", "Taylor", "2645 Main St", "",
                          "Springfield", "CA", "90685", "", "0003911724", "AMAT"}));
    QCOMPARE(fx.rows(en, {"3871351"}).at(0),
             (QStringList{"3871351", "KD3AQ", "L01651888", "Davis, Charles S", "Charles", "S", "Davis", "", "695", "Springfield", "OH",
                          "97533", "Josephine", "0003810444", "AMAT"}));
    QCOMPARE(fx.rows(en, {"1932300"}).at(0),
             (QStringList{"1932300", "WSHL311", "L00300533", "Miller, James J", "James", "J", "Miller", "", "PO Box 467", "Sunnyvale",
                          "IL", "90237", "", "0007841276", "GMRS"}));
    QCOMPARE(fx.rows(en, {"200592"}).at(0),
             (QStringList{"200592", "KOZ8658", "", "Taylor, James Q", "James", "Q", "Taylor", "7604 Main St", "", "Springfield", "NC",
                          "99989", "", "", "GMRS"}));

    const QString hd = QStringLiteral("select * from FCC_HD where unique_system_identifier=?1");
    QCOMPARE(fx.rows(hd, {"3101744"}).at(0),
             (QStringList{"3101744", "C", "2009-05-08", "2019-05-08", "2009-07-31", "2009-07-01", "2009-07-31"}));
    QCOMPARE(fx.rows(hd, {"200592"}).at(0),
             (QStringList{"200592", "E", "1994-03-04", "1999-03-04", "1999-05-08", "1994-03-04", "2006-05-15"}));
    QCOMPARE(fx.rows(hd, {"254305"}).at(0),
             (QStringList{"254305", "A", "2023-01-31", "2033-04-27", "1900-01-01", "2025-05-09", "2025-05-09"}));

    const QString am = QStringLiteral("select * from FCC_AM where unique_system_identifier=?1");
    QCOMPARE(fx.rows(am, {"813745"}).at(0), (QStringList{"813745", "G", "KF6QZN"}));
    QCOMPARE(fx.rows(am, {"780866"}).at(0), (QStringList{"780866", "", ""}));
    QCOMPARE(fx.rows(am, {"5151054"}).at(0), (QStringList{"5151054", "G", "KF0UII"}));
}

void TestRealFiles::canadianSnippet() {
    const QString file = sharedReference(QStringLiteral("amateur_txt_snippet.txt"));
    if (file.isEmpty())
        QSKIP("the Canadian list sample beside the project is not there");
    ImportFixture fx;
    const ImportResult r = importFile(fx, TDataType::CDN, file);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.rows, 2);
    QCOMPARE(r.skipped, 0);
    const auto rows = fx.rows(QStringLiteral("select * from canada order by callsign"));
    QCOMPARE(rows.at(0), (QStringList{"VA1AA", "Bill", "McFadden", "188 MILLWOOD DRIVE", "MIDDLE SACKVILLE", "NS", "B4E 2X8", "A", " ",
                                      "C", "D", " ", "", "", "", "", "", ""}));
    QCOMPARE(rows.at(1), (QStringList{"VA1AAA", "Jeffrey", "Taylor", "381B Pleasant Street", "Dartmouth", "NS", "B2Y 3S5", "A", "B", "C",
                                      "D", "E", "", "", "", "", "", ""}));
}

#include "tst_realfiles.moc"
QObject* makeTestRealFiles() { return new TestRealFiles; }
