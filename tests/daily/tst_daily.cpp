// The daily licence changes: the counts file's date, the chain of days, and whole runs on a
// generated weekly set with its following days, compared row by row with a weekly load of the
// state the days lead to.
#include "SampleGenerator.h"
#include "DailyWriter.h"
#include "ArchiveWriter.h"
#include "core/Database.h"
#include "data/ArchiveExtract.h"
#include "data/DailyChanges.h"
#include "data/HeadlessImport.h"
#include "data/RecordParsers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

QStringList tableRows(const QString& dbFile, const QString& table) {
    Database db;
    db.openReadOnly(dbFile);
    Statement st(db, QStringLiteral("select * from %1").arg(table));
    QStringList rows;
    while (st.step()) {
        QStringList values;
        for (int c = 0; c < st.columnCount(); ++c)
            values << st.text(c);
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

const QStringList kTables{QStringLiteral("FCC_EN"), QStringLiteral("FCC_HD"), QStringLiteral("FCC_AM")};

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    QVERIFY2(QFile::copy(from, to), qPrintable(from));
}

struct RunOutput {
    int status = -1;
    QString out;
    QString err;
};

RunOutput runDaily(const QString& data, const QStringList& inputs) {
    RunOutput r;
    QTextStream out(&r.out), err(&r.err);
    r.status = runHeadlessDailyImport(data, inputs, out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace

class TestDaily : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void countsDate_data();
    void countsDate();
    void chainPlan_data();
    void chainPlan();
    void newerWeekly_data();
    void newerWeekly();
    void weekAndDaysEqualWeeklyLoadOfTheEnd();
    void dayNotWholeKeepsTheLastWholeDay_data();
    void dayNotWholeKeepsTheLastWholeDay();
    void cancelInsideADayRollsItBack();
    void unusableInputs();

private:
    // A fresh data folder holding the weekly load.
    QString weeklyCopy();
    QString archive(const char* name) const { return m_samples.filePath(QStringLiteral("daily/") + QLatin1String(name)); }

    QTemporaryDir m_samples;
    QTemporaryDir m_end;
    QTemporaryDir m_work;
    int m_copies = 0;
};

void TestDaily::initTestCase() {
    // The schema scripts and the zip list are found where the program finds them: the current folder.
    QDir::setCurrent(qEnvironmentVariable("QM_DIST_DIR"));
    sampledata::SampleOptions options;
    options.outDir = m_samples.path();
    options.zipTable = qEnvironmentVariable("QM_DIST_DIR") + QStringLiteral("/postal_update.csv");
    options.seed = 23;
    options.archives = false;
    options.dailyDays = 3;
    const sampledata::SampleSummary s = sampledata::generateSampleData(options);
    QCOMPARE(s.dailyArchives, (QStringList{"l_am_mon.zip", "l_gm_mon.zip", "l_am_tue.zip", "l_gm_tue.zip", "l_am_wed.zip", "l_gm_wed.zip"}));
    QString out, err;
    QTextStream o(&out), e(&err);
    QVERIFY2(runHeadlessImport(m_samples.path(), o, e) == 0, qPrintable(out + err));
    // The state the days lead to, loaded as a weekly set.
    for (const char* service : {"AMAT", "GMRS"}) {
        QDir().mkpath(m_end.filePath(QLatin1String(service)));
        for (const QString& f : QDir(m_samples.filePath(QStringLiteral("daily/end/") + QLatin1String(service))).entryList(QDir::Files))
            copyFile(m_samples.filePath(QStringLiteral("daily/end/%1/%2").arg(QLatin1String(service), f)),
                     m_end.filePath(QStringLiteral("%1/%2").arg(QLatin1String(service), f)));
    }
    QDir().mkpath(m_end.filePath(QStringLiteral("CADN")));
    copyFile(m_samples.filePath(QStringLiteral("CADN/amateur.txt")), m_end.filePath(QStringLiteral("CADN/amateur.txt")));
    QVERIFY2(runHeadlessImport(m_end.path(), o, e) == 0, qPrintable(out + err));
}

QString TestDaily::weeklyCopy() {
    const QString dir = m_work.filePath(QStringLiteral("data-%1").arg(++m_copies));
    QDir().mkpath(dir);
    for (const char* f : {"FCCdata.db", "postal.db"})
        copyFile(m_samples.filePath(QLatin1String(f)), dir + u'/' + QLatin1String(f));
    return dir;
}

void TestDaily::countsDate_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("as the FCC writes it") << QByteArray("File Creation Date: Sun Apr 12 07:02:11 EDT 2026\r\n     405 AM.dat\r\n")
                                          << QDate(2026, 4, 12);
    QTest::newRow("one-digit day padded") << QByteArray("File Creation Date: Tue Dec  1 19:11:55 EST 2026\n") << QDate(2026, 12, 1);
    QTest::newRow("byte order mark, other case") << QByteArray("\xEF\xBB\xBF" "file creation date: Sat Feb 29 01:00:00 UTC 2028")
                                                 << QDate(2028, 2, 29);
    QTest::newRow("ISO date") << QByteArray("File Creation Date: 2026-04-14") << QDate(2026, 4, 14);
    QTest::newRow("no date") << QByteArray("File Creation Date: sample data\r\n") << QDate();
    QTest::newRow("no such day") << QByteArray("File Creation Date: Mon Feb 30 07:02:11 EST 2026") << QDate();
    QTest::newRow("no year") << QByteArray("File Creation Date: Sun Apr 12 07:02:11 EDT") << QDate();
    QTest::newRow("date only on the second line") << QByteArray("counts\nFile Creation Date: Sun Apr 12 07:02:11 EDT 2026") << QDate();
    QTest::newRow("empty") << QByteArray() << QDate();
}

void TestDaily::countsDate() {
    QFETCH(QByteArray, text);
    QFETCH(QDate, date);
    QCOMPARE(countsCreationDate(text), date);
}

void TestDaily::chainPlan_data() {
    QTest::addColumn<QDate>("standing");
    QTest::addColumn<QList<QDate>>("available");
    QTest::addColumn<QList<int>>("apply");
    QTest::addColumn<QList<int>>("older");
    QTest::addColumn<QDate>("gapAfter");
    const QDate sun(2026, 4, 12), tue(2026, 4, 14), wed(2026, 4, 15), thu(2026, 4, 16), sat(2026, 4, 18);
    const QDate prevSat(2026, 4, 11), nextTue(2026, 4, 21);
    QTest::newRow("a week's days in any order") << sun << QList<QDate>{thu, tue, wed} << QList<int>{1, 2, 0} << QList<int>{} << QDate();
    QTest::newRow("older than the weekly, and applied before") << wed << QList<QDate>{prevSat, tue, wed, thu}
                                                               << QList<int>{3} << QList<int>{0, 1, 2} << QDate();
    QTest::newRow("a missing Wednesday stops the chain") << sun << QList<QDate>{tue, thu, sat} << QList<int>{0} << QList<int>{} << tue;
    QTest::newRow("the first day missing") << sun << QList<QDate>{wed} << QList<int>{} << QList<int>{} << sun;
    // Sunday and Monday are no publishing days: Saturday to Tuesday is unbroken.
    QTest::newRow("over the weekend") << sat << QList<QDate>{nextTue} << QList<int>{0} << QList<int>{} << QDate();
    QTest::newRow("a day twice") << sun << QList<QDate>{tue, tue} << QList<int>{0} << QList<int>{1} << QDate();
    QTest::newRow("nothing new") << thu << QList<QDate>{tue, thu} << QList<int>{} << QList<int>{0, 1} << QDate();
}

void TestDaily::chainPlan() {
    QFETCH(QDate, standing);
    QFETCH(QList<QDate>, available);
    QFETCH(QList<int>, apply);
    QFETCH(QList<int>, older);
    QFETCH(QDate, gapAfter);
    const DailyPlan plan = planDailyChain(standing, available);
    QCOMPARE(plan.apply, apply);
    QCOMPARE(plan.older, older);
    QCOMPARE(plan.gapAfter, gapAfter);
    QCOMPARE(plan.apply.size() + plan.older.size() + plan.afterGap.size(), available.size());
}

void TestDaily::newerWeekly_data() {
    QTest::addColumn<QDate>("weekly");
    QTest::addColumn<QList<QDate>>("available");
    QTest::addColumn<QDate>("shown");   // the newer weekly's day the days show; invalid: none
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("due");      // by the calendar alone
    const QDate sun(2026, 4, 12), sat(2026, 4, 18), nextSun(2026, 4, 19), nextMon(2026, 4, 20), nextTue(2026, 4, 21);
    QTest::newRow("the loaded week's days") << sun << QList<QDate>{QDate(2026, 4, 14), sat} << QDate() << sat << false;
    QTest::newRow("a day of the next Sunday") << sun << QList<QDate>{sat, nextSun} << nextSun << nextSun << false;
    QTest::newRow("a day after it, in any order") << sun << QList<QDate>{nextTue, sat} << nextSun << nextMon << true;
    QTest::newRow("an unreadable date is no sign") << sun << QList<QDate>{QDate()} << QDate() << nextTue << true;
    QTest::newRow("no weekly loaded") << QDate() << QList<QDate>{nextTue} << QDate() << nextTue << false;
}

void TestDaily::newerWeekly() {
    QFETCH(QDate, weekly);
    QFETCH(QList<QDate>, available);
    QFETCH(QDate, shown);
    QFETCH(QDate, today);
    QFETCH(bool, due);
    QCOMPARE(newerWeeklyShownBy(weekly, available), shown);
    QCOMPARE(newerWeeklyDue(weekly, today), due);
}

void TestDaily::weekAndDaysEqualWeeklyLoadOfTheEnd() {
    const QString data = weeklyCopy();
    const QString fcc = data + QStringLiteral("/FCCdata.db");
    {
        Database db;
        db.openReadOnly(fcc);
        QCOMPARE(licenceDataText(db), QStringLiteral("Licence data of April 12, 2026 (amateur), April 12, 2026 (GMRS)"));
    }
    // Given in no particular order; each service's days go in by date.
    const RunOutput r = runDaily(data, {archive("l_gm_wed.zip"), archive("l_am_tue.zip"), archive("l_am_wed.zip"),
                                        archive("l_am_mon.zip"), archive("l_gm_mon.zip"), archive("l_gm_tue.zip")});
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
    QVERIFY2(r.out.contains(QStringLiteral("applied l_am_mon.zip: amateur changes of April 14, 2026")), qPrintable(r.out));
    QVERIFY2(r.out.indexOf(QStringLiteral("applied l_am_mon.zip")) < r.out.indexOf(QStringLiteral("applied l_am_tue.zip")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("Licence data of April 16, 2026 (amateur), April 16, 2026 (GMRS)")), qPrintable(r.out));
    for (const QString& t : kTables)
        QCOMPARE(tableRows(fcc, t), tableRows(m_end.filePath(QStringLiteral("FCCdata.db")), t));

    // Again: nothing is newer, nothing changes.
    const RunOutput again = runDaily(data, {archive("l_am_mon.zip"), archive("l_am_wed.zip")});
    QCOMPARE(again.status, 0);
    QVERIFY2(again.out.contains(QStringLiteral("Licence data is up to date")), qPrintable(again.out));
    for (const QString& t : kTables)
        QCOMPARE(tableRows(fcc, t), tableRows(m_end.filePath(QStringLiteral("FCCdata.db")), t));

    // A new weekly load starts the service afresh: the days applied before are forgotten.
    Database db;
    db.open(fcc);
    recordWeeklyLoad(db, DailyService::Amateur, QDate(2026, 4, 19));
    const ServiceStanding s = serviceStanding(db, DailyService::Amateur);
    QCOMPARE(s.weekly, QDate(2026, 4, 19));
    QVERIFY(s.days.isEmpty());
    QCOMPARE(serviceStanding(db, DailyService::Gmrs).days.size(), 3);
}

void TestDaily::dayNotWholeKeepsTheLastWholeDay_data() {
    QTest::addColumn<QString>("second");   // what stands in for Tuesday's amateur archive
    QTest::addColumn<QString>("says");
    QTest::newRow("missing: a gap") << "" << "The daily files of amateur have a gap after April 14, 2026: a full update is needed";
    QTest::newRow("a damaged record") << "damaged" << "refused l_am_tue: line 1 of EN.dat is damaged";
    QTest::newRow("a record file missing") << "no-am" << "refused l_am_tue: the record file AM.dat is missing";
    QTest::newRow("not an archive") << "not-zip" << "refused l_am_tue.zip: it cannot be unpacked";
}

void TestDaily::dayNotWholeKeepsTheLastWholeDay() {
    QFETCH(QString, second);
    QFETCH(QString, says);
    // The state after Monday alone, to compare with.
    const QString afterFirst = weeklyCopy();
    QCOMPARE(runDaily(afterFirst, {archive("l_am_mon.zip")}).status, 0);

    QStringList inputs{archive("l_am_mon.zip"), archive("l_am_wed.zip")};
    if (second == QLatin1String("not-zip")) {
        const QString fake = m_work.filePath(QStringLiteral("l_am_tue.zip"));
        QFile f(fake);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>maintenance</html>");
        f.close();
        inputs << fake;
    } else if (!second.isEmpty()) {
        const QString folder = m_work.filePath(QStringLiteral("%1/l_am_tue").arg(second));
        QDir().mkpath(folder);
        extractArchive(archive("l_am_tue.zip"), folder);
        if (second == QLatin1String("no-am")) {
            QVERIFY(QFile::remove(folder + QStringLiteral("/AM.dat")));
        } else {
            QFile en(folder + QStringLiteral("/EN.dat"));
            QVERIFY(en.open(QIODevice::ReadOnly));
            QByteArray bytes = en.readAll();
            en.close();
            bytes.replace(0, bytes.indexOf('\r'), "EN|1|damaged");
            QVERIFY(en.open(QIODevice::WriteOnly | QIODevice::Truncate));
            en.write(bytes);
        }
        inputs << folder;
    }
    const QString data = weeklyCopy();
    const RunOutput r = runDaily(data, inputs);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.out.contains(says), qPrintable(r.out));
    QVERIFY2(!r.out.startsWith(QStringLiteral("applied l_am_wed")) && !r.out.contains(QStringLiteral("\napplied l_am_wed")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("not applied l_am_wed.zip")), qPrintable(r.out));
    for (const QString& t : kTables)
        QCOMPARE(tableRows(data + QStringLiteral("/FCCdata.db"), t), tableRows(afterFirst + QStringLiteral("/FCCdata.db"), t));
    Database db;
    db.openReadOnly(data + QStringLiteral("/FCCdata.db"));
    QCOMPARE(serviceStanding(db, DailyService::Amateur).current(), QDate(2026, 4, 14));
}

void TestDaily::cancelInsideADayRollsItBack() {
    const QString data = weeklyCopy();
    const QString fcc = data + QStringLiteral("/FCCdata.db");
    QStringList before[3];
    for (int i = 0; i < 3; ++i)
        before[i] = tableRows(fcc, kTables[i]);
    const QString folder = m_work.filePath(QStringLiteral("cancel/l_am_mon"));
    QDir().mkpath(folder);
    extractArchive(archive("l_am_mon.zip"), folder);
    const DayChanges day = readDayFolder(folder, DailyService::Amateur, CountyTable());
    QCOMPARE(day.created, QDate(2026, 4, 14));
    QVERIFY(!day.licences.empty());
    Database db;
    db.open(fcc);
    JobControl control;
    control.cancel();
    QVERIFY_THROWS_EXCEPTION(JobCancelled, applyDay(db, day, &control));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(tableRows(fcc, kTables[i]), before[i]);
    QVERIFY(serviceStanding(db, DailyService::Amateur).days.isEmpty());
}

void TestDaily::unusableInputs() {
    // No licence database: nothing to apply to.
    QTemporaryDir empty;
    const RunOutput none = runDaily(empty.path(), {archive("l_am_mon.zip")});
    QCOMPARE(none.status, 2);
    QVERIFY2(none.err.contains(QStringLiteral("load the weekly data first")), qPrintable(none.err));
    // A database loaded before its weekly date was kept: the chain cannot start.
    const QString data = weeklyCopy();
    {
        Database db;
        db.open(data + QStringLiteral("/FCCdata.db"));
        db.exec(QStringLiteral("DROP TABLE quillmarsh_licence_dates"));
    }
    const RunOutput unknown = runDaily(data, {archive("l_am_mon.zip"), m_work.filePath(QStringLiteral("no-such.zip"))});
    QCOMPARE(unknown.status, 1);
    QVERIFY2(unknown.out.contains(QStringLiteral("The date of the weekly amateur data is not known: a full update is needed")),
             qPrintable(unknown.out));
    QVERIFY2(unknown.out.contains(QStringLiteral("refused no-such.zip: there is no such file or folder")), qPrintable(unknown.out));
}

QTEST_GUILESS_MAIN(TestDaily)
#include "tst_daily.moc"
