// quillmarsh-lookup on the fixture databases: the record of each kind of call in the common
// layout (the same values the main window's record display shows for them), CSV, standard input,
// and the exit statuses.
#include "core/CsvFile.h"
#include "lookup/LookupCommand.h"
#include "tests/support/Fixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

Run run(const QStringList& args, const QString& data, const QByteArray& input = {}) {
    Run r;
    QByteArray inBytes = input;
    QTextStream in(&inBytes), out(&r.out), err(&r.err);
    r.status = runLookupCommand(args, data, in, out, err);
    out.flush();
    err.flush();
    return r;
}

QJsonObject callsign(const QString& line) {
    return QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("hamdb")).toObject().value(QStringLiteral("callsign")).toObject();
}

} // namespace

class TestLookupCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void record_data();
    void record();
    void notFoundLayoutAndStatuses();
    void csvAndStandardInput();

private:
    QTemporaryDir m_home;
    QString m_data;
};

void TestLookupCommand::initTestCase() {
    useTemporaryHome(m_home);
    m_data = programDataPath();
    writeFixtureDatabases(m_data);
}

void TestLookupCommand::record_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");   // key=value pairs
    QTest::newRow("US amateur, typed in lower case")
        << "k7abc"
        << QStringList{"call=K7ABC", "class=E", "expires=01/01/2030", "status=A", "fname=John", "mi=Q", "name=Public", "suffix=", "addr1=1 Elm St",
                       "addr2=Tucson", "state=AZ", "zip=857011234", "country=United States", "lat=32.2217", "lon=-110.9265",
                       "grid=DM42MF"};
    QTest::newRow("GMRS only") << "WRAB123" << QStringList{"call=WRAB123", "class=", "status=A", "name=Public", "country=United States"};
    QTest::newRow("previous call: the current holder") << "KD7OLD" << QStringList{"call=K7ABC", "name=Public"};
    QTest::newRow("reassigned call: the latest grant") << "W1DUP" << QStringList{"call=W1DUP", "name=Holder", "fname=New", "addr1=3 New St"};
    QTest::newRow("club: the entity name") << "W1AW" << QStringList{"name=Arrl Hq Operators Club", "fname="};
    QTest::newRow("PO box") << "KB1BOX" << QStringList{"addr1=PO Box 1234", "lat=", "grid="};
    QTest::newRow("Canadian") << "VE3ABC"
                              << QStringList{"call=VE3ABC", "class=A", "fname=John", "name=Doe", "addr1=1 Rideau St", "addr2=Ottawa",
                                             "state=ON", "zip=K1A 0B1", "country=Canada", "lat=45.4166", "grid=FN25DJ"};
    QTest::newRow("Canadian club: every qualification") << "VA3CLB" << QStringList{"class=ABCD"};
}

void TestLookupCommand::record() {
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    const Run r = run({typed}, m_data);
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
    const QJsonObject c = callsign(r.out.trimmed());
    QCOMPARE(c.size(), 16);
    for (const QString& pair : expected)
        QCOMPARE(pair.section(u'=', 0, 0) + u'=' + c.value(pair.section(u'=', 0, 0)).toString(), pair);
    QVERIFY(r.out.startsWith(QStringLiteral("{\"hamdb\":{\"version\":\"1\",\"callsign\":{\"call\":")));
    QVERIFY(r.out.trimmed().endsWith(QStringLiteral("\"messages\":{\"status\":\"OK\"}}}")));
}

void TestLookupCommand::notFoundLayoutAndStatuses() {
    // Unknown, expired, a wildcard (never expanded) and text that is no call: each a line.
    const Run r = run({"K7ABC", "N0GONE", "K%", "W1AW\" OR 1=1", "--json"}, m_data);
    QCOMPARE(r.status, 1);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    for (int i = 1; i < 4; ++i) {
        const QJsonObject c = callsign(lines[i]);
        QCOMPARE(c.size(), 16);
        for (const QString& key : c.keys())
            QCOMPARE(c.value(key).toString(), QStringLiteral("NOT_FOUND"));
        QVERIFY(lines[i].endsWith(QStringLiteral("\"messages\":{\"status\":\"NOT_FOUND\"}}}")));
    }

    QTemporaryDir empty;
    const Run none = run({"K7ABC"}, empty.path());
    QCOMPARE(none.status, 2);
    QVERIFY2(none.err.contains(QStringLiteral("no licence data")), qPrintable(none.err));
    QVERIFY(none.out.isEmpty());
    // A file that is no database at all.
    for (const char* f : {"FCCdata.db", "postal.db"}) {
        QFile file(empty.filePath(QLatin1String(f)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const Run damaged = run({"--data", empty.path(), "K7ABC"}, m_data);
    QCOMPARE(damaged.status, 2);
    QVERIFY2(damaged.err.contains(QStringLiteral("cannot be read")), qPrintable(damaged.err));

    QCOMPARE(run({}, m_data).status, 2);
    QCOMPARE(run({"--frobnicate", "K7ABC"}, m_data).status, 2);
    const Run help = run({"--help"}, m_data);
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith(QStringLiteral("Usage: quillmarsh-lookup")));
    QVERIFY(run({"--version"}, m_data).out.startsWith(QStringLiteral("quillmarsh-lookup ")));
}

void TestLookupCommand::csvAndStandardInput() {
    const Run r = run({"--csv", "-"}, m_data, "K7ABC\n\n  ve3abc  \nNOPE1\n");
    QCOMPARE(r.status, 1);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], batchHeader());
    QCOMPARE(lines[1], QStringLiteral("\"K7ABC\",\"\",\"1 Elm St\",\"Tucson\",\"AZ\",\"857011234\",DM42MF,,,\"John\",\"Public\",\"Q\",\"Pima\",\"32.2217\",\"-110.9265\",\"2019-05-17\",\"")
                           + lines[1].section(u'"', -2, -2) + u'"');
    QVERIFY(lines[2].startsWith(QStringLiteral("\"VE3ABC\",\"\",\"1 Rideau St\",\"Ottawa\",\"ON\",\"K1A 0B1\",FN25DJ,,,\"John\",\"Doe\",")));
    QVERIFY2(r.err.contains(QStringLiteral("NOPE1: not found")), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestLookupCommand)
#include "tst_lookup_command.moc"
