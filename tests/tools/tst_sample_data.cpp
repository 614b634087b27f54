// Checks the sample-data generator on a small set: the real layouts (field counts, CR LF, the
// fixed-width Canadian columns), the links the importers and readers rely on (identifiers, FRNs,
// reassigned calls), the realism the importer tests need, reproducibility, and the archives.

#include "SampleGenerator.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace sampledata;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

// Records of a ULS file: a line that does not start with a record type continues the record
// before it (the importer's rule).
QList<QByteArray> ulsRecords(const QString& path)
{
    static const QRegularExpression recordStart(QStringLiteral("^[A-Z]{2}\\|"));
    QList<QByteArray> records;
    for (const QByteArray& line : readAll(path).split('\n')) {
        if (line.isEmpty())
            continue;
        if (recordStart.match(QString::fromLatin1(line.left(3))).hasMatch() || records.isEmpty())
            records.append(line);
        else
            records.last() += '\n' + line;
    }
    return records;
}

QByteArray field(const QByteArray& record, int n)   // counted from 1
{
    const QList<QByteArray> f = record.split('|');
    return n <= f.size() ? f[n - 1] : QByteArray();
}

QString zipTablePath()
{
    const QByteArray dist = qgetenv("QM_DIST_DIR");
    return (dist.isEmpty() ? QStringLiteral(QM_SOURCE_DIST) : QString::fromLocal8Bit(dist))
           + QStringLiteral("/postal_update.csv");
}

QStringList archiveMembers(const QString& path, QHash<QString, QByteArray>* contents)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!z)
        return {QStringLiteral("<cannot open>")};
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        const QString name = QString::fromUtf8(st.name);
        names << name;
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        const zip_int64_t got = f ? zip_fread(f, data.data(), st.size) : -1;
        if (f)
            zip_fclose(f);
        (*contents)[name] = got == zip_int64_t(st.size) ? data : QByteArray("<unreadable>");
    }
    zip_close(z);
    names.sort();
    return names;
}

} // namespace

class TestSampleData : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sameSeedGivesSameBytes();
    void fieldCounts_data();
    void fieldCounts();
    void lineEnds();
    void licencesShareIdentifiers();
    void servicesAndCallsLinkAsInRealData();
    void addressesAgreeWithZipTable();
    void realisticOddities_data();
    void realisticOddities();
    void canadianFixedWidthList();
    void archivesHoldTheFilesAtTheirRoot();
    void lookupCallsAreActiveAndUnique();

private:
    QString am(const char* name) const { return m_a.path() + QStringLiteral("/AMAT/") + QLatin1String(name); }
    QString gm(const char* name) const { return m_a.path() + QStringLiteral("/GMRS/") + QLatin1String(name); }

    QTemporaryDir m_a, m_b, m_c;
    SampleSummary m_summary;
};

void TestSampleData::initTestCase()
{
    QVERIFY(QFile::exists(zipTablePath()));
    SampleOptions options;
    options.zipTable = zipTablePath();
    options.seed = 7;
    options.outDir = m_a.path();
    m_summary = generateSampleData(options);
    options.outDir = m_b.path();
    generateSampleData(options);
    options.outDir = m_c.path();
    options.seed = 8;
    options.archives = false;
    generateSampleData(options);
}

void TestSampleData::sameSeedGivesSameBytes()
{
    QStringList files;
    QDirIterator it(m_a.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(m_a.path()).relativeFilePath(it.next());
    files.sort();
    const QStringList expected = {QStringLiteral("AMAT/AM.dat"), QStringLiteral("AMAT/EN.dat"),
                                  QStringLiteral("AMAT/HD.dat"), QStringLiteral("AMAT/counts"), QStringLiteral("CADN/amateur.txt"),
                                  QStringLiteral("GMRS/EN.dat"), QStringLiteral("GMRS/HD.dat"), QStringLiteral("GMRS/counts"),
                                  QStringLiteral("amateur.zip"), QStringLiteral("calls.txt"),
                                  QStringLiteral("l_amat.zip"), QStringLiteral("l_gmrs.zip")};
    QCOMPARE(files, expected);
    for (const QString& f : files)
        QVERIFY2(readAll(m_a.filePath(f)) == readAll(m_b.filePath(f)), qPrintable(f));
    for (const char* f : {"AMAT/EN.dat", "GMRS/HD.dat", "CADN/amateur.txt"})
        QVERIFY2(readAll(m_a.filePath(QLatin1String(f))) != readAll(m_c.filePath(QLatin1String(f))), f);
}

void TestSampleData::fieldCounts_data()
{
    const ServiceSummary& a = m_summary.uls.amateur;
    const ServiceSummary& g = m_summary.uls.gmrs;
    auto n = [](const ServiceSummary& s, Incident i) { return int(s.incidents[std::size_t(i)]); };
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("cut");       // lines cut short
    QTest::addColumn<int>("oneMore");   // a stray "|" inside a field
    QTest::newRow("amateur EN") << am("EN.dat") << 30 << int(a.licences) + n(a, Incident::DuplicateEntity)
                                << n(a, Incident::ShortEn) << n(a, Incident::StrayPipe);
    QTest::newRow("amateur HD") << am("HD.dat") << 59 << int(a.licences) << n(a, Incident::ShortHd) << 0;
    QTest::newRow("amateur AM") << am("AM.dat") << 18 << int(a.licences) << n(a, Incident::ShortAm) << 0;
    QTest::newRow("GMRS EN") << gm("EN.dat") << 30 << int(g.licences) + n(g, Incident::DuplicateEntity)
                             << n(g, Incident::ShortEn) << n(g, Incident::StrayPipe);
    QTest::newRow("GMRS HD") << gm("HD.dat") << 59 << int(g.licences) << n(g, Incident::ShortHd) << 0;
}

void TestSampleData::fieldCounts()
{
    QFETCH(QString, file);
    QFETCH(int, fields);
    QFETCH(int, records);
    QFETCH(int, cut);
    QFETCH(int, oneMore);
    const QByteArray type = QFileInfo(file).baseName().toLatin1();
    int exact = 0, shorter = 0, longer = 0, other = 0;
    const QList<QByteArray> recs = ulsRecords(file);
    for (const QByteArray& r : recs) {
        QVERIFY(r.startsWith(type + '|'));
        const int n = int(r.count('|')) + 1;
        (n == fields ? exact : n < fields ? shorter : n == fields + 1 ? longer : other)++;
    }
    QCOMPARE(int(recs.size()), records);
    QCOMPARE(shorter, cut);
    QCOMPARE(longer, oneMore);
    QCOMPARE(other, 0);
    QCOMPARE(exact, records - cut - oneMore);
    QVERIFY(cut >= 1 || type != "EN");
}

void TestSampleData::lineEnds()
{
    const ServiceSummary& a = m_summary.uls.amateur;
    const struct {
        QString path;
        quint64 lines;
        quint64 loneCr;
    } files[] = {
        {am("EN.dat"), a.enLines, a.incidents[std::size_t(Incident::StrayCr)]},
        {am("HD.dat"), a.hdLines, 0},
        {am("AM.dat"), a.amLines, 0},
        {gm("EN.dat"), m_summary.uls.gmrs.enLines, m_summary.uls.gmrs.incidents[std::size_t(Incident::StrayCr)]},
    };
    for (const auto& f : files) {
        const QByteArray data = readAll(f.path);
        QVERIFY2(data.endsWith("\r\n"), qPrintable(f.path));
        QCOMPARE(quint64(data.count('\n')), f.lines);
        QCOMPARE(quint64(data.count("\r\n")), f.lines);
        QCOMPARE(quint64(data.count('\r')) - f.lines, f.loneCr);
    }
    QVERIFY(a.incidents[std::size_t(Incident::StrayCr)] >= 1);
    QVERIFY(a.incidents[std::size_t(Incident::SplitRecord)] >= 1);
    QCOMPARE(ulsRecords(am("EN.dat")).size() + qsizetype(a.incidents[std::size_t(Incident::SplitRecord)]),
             qsizetype(a.enLines));
    const QByteArray canadian = readAll(m_a.filePath(QStringLiteral("CADN/amateur.txt")));
    QVERIFY(!canadian.contains('\r'));
    QCOMPARE(quint64(canadian.count('\n')), m_summary.canada.lines);
}

void TestSampleData::licencesShareIdentifiers()
{
    auto ids = [](const QString& path) {
        QSet<QByteArray> s;
        for (const QByteArray& r : ulsRecords(path))
            s.insert(field(r, 2));
        return s;
    };
    const QSet<QByteArray> amEn = ids(am("EN.dat")), amHd = ids(am("HD.dat")), amAm = ids(am("AM.dat"));
    const QSet<QByteArray> gmEn = ids(gm("EN.dat")), gmHd = ids(gm("HD.dat"));
    QCOMPARE(quint64(amHd.size()), m_summary.uls.amateur.licences);   // one header per identifier
    QCOMPARE(amEn, amHd);
    QCOMPARE(amAm, amHd);
    QCOMPARE(quint64(gmHd.size()), m_summary.uls.gmrs.licences);
    QCOMPARE(gmEn, gmHd);
    QVERIFY(!amHd.intersects(gmHd));   // one identifier space for both services
    QVERIFY(!QFile::exists(gm("AM.dat")));
}

void TestSampleData::servicesAndCallsLinkAsInRealData()
{
    // Same FRN in both services: the same person, with the same name and address.
    auto intact = [](const QByteArray& r) { return r.count('|') == 29 && field(r, 6) == "L"; };
    auto holder = [](const QByteArray& r) { return field(r, 11) + '/' + field(r, 19); };
    QHash<QByteArray, QByteArray> amateurByFrn;
    for (const QByteArray& r : ulsRecords(am("EN.dat")))
        if (intact(r) && !field(r, 23).isEmpty())
            amateurByFrn.insert(field(r, 23), holder(r));
    int shared = 0;
    for (const QByteArray& r : ulsRecords(gm("EN.dat")))
        if (intact(r) && amateurByFrn.contains(field(r, 23))) {
            ++shared;
            QCOMPARE(holder(r), amateurByFrn.value(field(r, 23)));
        }
    QVERIFY(shared > 0);
    QCOMPARE(quint64(shared), m_summary.uls.gmrs.sharedFrns);

    // A call held by several licences is a reassigned one: exactly one of them is active.
    for (const char* file : {"AMAT/HD.dat", "GMRS/HD.dat"}) {
        QHash<QByteArray, QByteArrayList> statusByCall;
        for (const QByteArray& r : ulsRecords(m_a.filePath(QLatin1String(file))))
            statusByCall[field(r, 5)] << field(r, 6);
        int reassigned = 0;
        for (auto it = statusByCall.cbegin(); it != statusByCall.cend(); ++it) {
            if (it.value().size() < 2)
                continue;
            ++reassigned;
            QVERIFY2(it.value().size() == 2 && it.value().count("A") == 1, it.key().constData());
        }
        const ServiceSummary& s = QByteArray(file).startsWith("AMAT") ? m_summary.uls.amateur : m_summary.uls.gmrs;
        QCOMPARE(quint64(reassigned), s.incidents[std::size_t(Incident::ReassignedCall)]);
    }
}

void TestSampleData::addressesAgreeWithZipTable()
{
    QHash<QByteArray, QByteArray> stateOfZip;
    for (const QByteArray& line : readAll(zipTablePath()).split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() > 2 && !f[0].isEmpty() && f[0][0] >= '0' && f[0][0] <= '9')
            stateOfZip.insert(f[0], f[2]);
    }
    int checked = 0, missing = 0;
    for (const QByteArray& r : ulsRecords(am("EN.dat")) + ulsRecords(gm("EN.dat"))) {
        const QByteArray zip = field(r, 19);
        if (zip.size() != 5 && zip.size() != 9)
            continue;
        const QByteArray five = zip.left(5);
        if (!stateOfZip.contains(five)) {
            ++missing;
            continue;
        }
        ++checked;
        QVERIFY2(field(r, 18) == stateOfZip.value(five), r.constData());
    }
    QVERIFY(checked > 400);
    QVERIFY(missing > 0);
}

void TestSampleData::realisticOddities_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("pattern");   // matched against every record, Latin-1 decoded
    const QString en = am("EN.dat"), amFile = am("AM.dat");
    QTest::newRow("nine-digit zip") << en << QStringLiteral("^(?:[^|]*\\|){18}\\d{9}\\|");
    QTest::newRow("PO box without street") << en << QStringLiteral("^(?:[^|]*\\|){15}\\|[^|]*\\|[A-Z]{2}\\|\\d*\\|[^|]+\\|");
    QTest::newRow("club: entity name only") << en
                                            << QStringLiteral("^(?:[^|]*\\|){7}[^|]+\\|\\|\\|\\|(?:[^|]*\\|){12}B\\|");
    QTest::newRow("apostrophe in a surname") << en << QStringLiteral("^(?:[^|]*\\|){10}[A-Za-z]+'[A-Za-z]+\\|");
    QTest::newRow("Windows-1252 letter") << en << QStringLiteral("[\\x{C0}-\\x{FF}]");
    QTest::newRow("mixed-case name") << en << QStringLiteral("^(?:[^|]*\\|){8}[A-Z][a-z]+\\|");
    QTest::newRow("previous call") << amFile << QStringLiteral("^(?:[^|]*\\|){15}[A-Z]{2}\\d[A-Z]{3}\\|");
    QTest::newRow("club without class") << amFile << QStringLiteral("^AM\\|\\d+\\|\\|\\|\\w+\\|\\|\\|");
    QTest::newRow("cancelled licence") << am("HD.dat") << QStringLiteral("^HD\\|\\d+\\|\\d*\\|\\|\\w+\\|C\\|HA\\|\\d\\d/\\d\\d/\\d{4}\\|");
    QTest::newRow("GMRS new-style call") << gm("EN.dat") << QStringLiteral("^EN\\|\\d+\\|\\|\\|K[A-Z]{2}\\d{4}\\|");
    QTest::newRow("GMRS old-style call") << gm("EN.dat") << QStringLiteral("^EN\\|\\d+\\|\\|\\|W[QRS][A-Z]{2}\\d{3}\\|");
}

void TestSampleData::realisticOddities()
{
    QFETCH(QString, file);
    QFETCH(QString, pattern);
    const QRegularExpression re(pattern);
    QVERIFY(re.isValid());
    bool found = false;
    for (const QByteArray& r : ulsRecords(file))
        found = found || re.match(QString::fromLatin1(r)).hasMatch();
    QVERIFY(found);
}

void TestSampleData::canadianFixedWidthList()
{
    const QList<QByteArray> lines = readAll(m_a.filePath(QStringLiteral("CADN/amateur.txt"))).split('\n');
    QVERIFY(lines.size() > 5);
    QVERIFY(lines[0].contains("Canadian Amateur Call Sign List"));
    QCOMPARE(lines[1], QByteArray(" "));
    QVERIFY(lines[2].startsWith("There are " + QByteArray::number(m_summary.canada.records) + " call signs"));
    QCOMPARE(lines[3], QByteArray(" "));

    QSet<QByteArray> areas;
    for (const QByteArray& line : readAll(zipTablePath()).split('\n'))
        if (!line.isEmpty() && line[0] >= 'A' && line[0] <= 'Z')
            areas.insert(line.left(3));
    const QRegularExpression postal(QStringLiteral("^[A-Z]\\d[A-Z] \\d[A-Z]\\d$"));
    auto cut = [](const QByteArray& line, int k) {
        return line.mid(kCanadianFields[k].first - 1, kCanadianFields[k].width).trimmed();
    };
    QByteArray previousCall;
    quint64 records = 0, clubs = 0, unknown = 0;
    for (qsizetype i = 4; i < lines.size() - 1; ++i) {
        const QByteArray& line = lines[i];
        ++records;
        QVERIFY2(line.size() == kCanadianIndividualWidth || line.size() == kCanadianClubWidth
                     || (line.size() >= 180 && line.size() < kCanadianIndividualWidth),
                 line.constData());
        const QByteArray call = cut(line, 0);
        QVERIFY(call.startsWith('V') && call.size() >= 5);
        QVERIFY2(previousCall < call, call.constData());   // sorted, no call twice
        previousCall = call;
        QCOMPARE(line.at(6), ' ');
        const bool club = line.size() == kCanadianClubWidth;
        clubs += club;
        const int postalField = club ? 17 : 6;
        QVERIFY2(postal.match(QString::fromLatin1(cut(line, postalField))).hasMatch(), line.constData());
        unknown += !areas.contains(cut(line, postalField).left(3));
        QCOMPARE(cut(line, club ? 16 : 5).size(), 2);   // province
        if (club) {
            QVERIFY(!cut(line, 12).isEmpty());
            QVERIFY(cut(line, 2).isEmpty());
        } else {
            QVERIFY(!cut(line, 2).isEmpty());
            for (int q = 7; q < 12 && kCanadianFields[q].first <= line.size(); ++q)
                QVERIFY(QByteArray(" ABCDE").contains(line.at(kCanadianFields[q].first - 1)));
        }
    }
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(records, m_summary.canada.records);
    QCOMPARE(clubs, m_summary.canada.clubs);
    QVERIFY(clubs > 0);
    QCOMPARE(unknown, m_summary.canada.unknownAreas);
    QVERIFY(unknown < records / 10);
}

void TestSampleData::archivesHoldTheFilesAtTheirRoot()
{
    const struct {
        const char* archive;
        const char* folder;
        QStringList members;
    } archives[] = {
        {"l_amat.zip", "AMAT", {QStringLiteral("AM.dat"), QStringLiteral("EN.dat"), QStringLiteral("HD.dat"), QStringLiteral("counts")}},
        {"l_gmrs.zip", "GMRS", {QStringLiteral("EN.dat"), QStringLiteral("HD.dat"), QStringLiteral("counts")}},
        {"amateur.zip", "CADN", {QStringLiteral("amateur.txt")}},
    };
    for (const auto& a : archives) {
        QHash<QString, QByteArray> contents;
        QCOMPARE(archiveMembers(m_a.filePath(QLatin1String(a.archive)), &contents), a.members);
        for (const QString& m : a.members)
            QVERIFY2(contents.value(m) == readAll(m_a.filePath(QLatin1String(a.folder) + u'/' + m)), qPrintable(m));
    }
}

void TestSampleData::lookupCallsAreActiveAndUnique()
{
    const QList<QByteArray> calls = readAll(m_a.filePath(QStringLiteral("calls.txt"))).split('\n');
    QCOMPARE(quint64(calls.size() - 1), m_summary.uls.lookupCalls);
    QVERIFY(m_summary.uls.lookupCalls >= 50);
    QHash<QByteArray, int> activeRows, entityRows;
    QHash<QByteArray, QByteArray> callOfId;
    for (const QByteArray& r : ulsRecords(am("HD.dat")))
        if (field(r, 6) == "A")
            ++activeRows[field(r, 5)];
    for (const QByteArray& r : ulsRecords(am("EN.dat")))
        ++entityRows[field(r, 5)];
    for (const QByteArray& call : calls) {
        if (call.isEmpty())
            continue;
        QVERIFY2(activeRows.value(call) == 1, call.constData());
        QVERIFY2(entityRows.value(call) >= 1, call.constData());
    }
}

QTEST_GUILESS_MAIN(TestSampleData)
#include "tst_sample_data.moc"
