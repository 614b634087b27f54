// One source record to one row: the ULS AM, EN and HD layouts (short records, stray "|",
// code pages, zip codes and counties), the Canadian fixed positions and the zip CSV.

#include "data/ByteText.h"
#include "data/RecordParsers.h"
#include "TestSupport.h"

#include <QTest>

namespace {

QByteArray enRecord(const QList<QPair<int, QByteArray>>& changes, int count = 30) {
    QList<QPair<int, QByteArray>> f{{2, "100"},        {5, "W1AW"},   {6, "L"},      {7, "L001"},
                                    {8, "SMITH, JOHN A"}, {9, "JOHN"}, {10, "A"},     {11, "SMITH"},
                                    {16, "12 MAIN ST"}, {17, "NEWINGTON"}, {18, "CT"}, {19, "061111234"},
                                    {22, "000"},       {23, "0001234567"}, {24, "I"}};
    for (const auto& c : changes) {
        bool replaced = false;
        for (auto& e : f)
            if (e.first == c.first) {
                e.second = c.second;
                replaced = true;
            }
        if (!replaced)
            f << c;
    }
    QList<QPair<int, QByteArray>> inRange;
    for (const auto& e : f)
        if (e.first <= count)
            inRange << e;
    return ulsLine("EN", inRange, count);
}

const QStringList kEnRow{"100", "W1AW", "L001", "Smith, John A", "John", "A", "Smith", "12 Main St", "", "Newington",
                         "CT",  "06111", "Hartford", "0001234567", "AMAT"};

QStringList withValue(QStringList row, int column, const QString& value) {
    row[column - 1] = value;
    return row;
}

QByteArray hdRecord(const QList<QPair<int, QByteArray>>& changes, int count = 59) {
    QList<QPair<int, QByteArray>> f{{2, "200"},         {5, "W1AW"},        {6, "A"},  {7, "HA"}, {8, "05/17/2024"},
                                    {9, "05/17/2034"},  {10, ""},           {43, "05/18/2024"}, {44, "05/19/2024"}};
    for (const auto& c : changes) {
        for (auto& e : f)
            if (e.first == c.first)
                e.second = c.second;
        if (std::none_of(f.begin(), f.end(), [&](const auto& e) { return e.first == c.first; }))
            f << c;
    }
    QList<QPair<int, QByteArray>> inRange;
    for (const auto& e : f)
        if (e.first <= count)
            inRange << e;
    return ulsLine("HD", inRange, count);
}

// A Canadian line with the given texts at their 1-based positions, padded with blanks.
QByteArray cdnLine(const QList<QPair<int, QString>>& at, int length = 469) {
    QString line(length, QLatin1Char(' '));
    for (const auto& [pos, text] : at)
        line.replace(pos - 1, text.size(), text);
    return line.toUtf8();
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    void ulsRows_data();
    void ulsRows();
    void canadianRows_data();
    void canadianRows();
    void zipRows_data();
    void zipRows();
};

void TestRecords::ulsRows_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("row");     // empty when skipped
    QTest::addColumn<QString>("skipReason");

    const int EN = int(TDataType::AMT_EN);
    QTest::newRow("EN today's 30 fields") << EN << enRecord({}) << kEnRow << QString();
    QTest::newRow("EN 23 fields is imported") << EN << enRecord({}, 23) << kEnRow << QString();
    QTest::newRow("EN 22 fields is skipped") << EN << enRecord({}, 22) << QStringList() << QString::fromLatin1(skip::ShortEN);
    QTest::newRow("EN GMRS service") << int(TDataType::GMRS_EN) << enRecord({}) << withValue(kEnRow, 15, "GMRS") << QString();
    QTest::newRow("EN nine-digit zip cut, county of the five")
        << EN << enRecord({{19, "123456789"}}) << withValue(withValue(kEnRow, 12, "12345"), 13, "Springfield County") << QString();
    QTest::newRow("EN four-digit zip unchanged, no county")
        << EN << enRecord({{19, "1234"}}) << withValue(withValue(kEnRow, 12, "1234"), 13, "") << QString();
    QTest::newRow("EN zip not in the table")
        << EN << enRecord({{19, "99999"}}) << withValue(withValue(kEnRow, 12, "99999"), 13, "") << QString();
    QTest::newRow("EN zip code with letters")
        << EN << enRecord({{19, "K1A0B1"}}) << withValue(withValue(kEnRow, 12, "K1A0B"), 13, "Ottawa") << QString();
    QTest::newRow("EN apostrophe") << EN << enRecord({{11, "O'BRIEN"}}) << withValue(kEnRow, 7, "O'Brien") << QString();
    QTest::newRow("EN PO box kept as is") << EN << enRecord({{20, "PO BOX 12"}}) << withValue(kEnRow, 9, "PO BOX 12") << QString();
    QTest::newRow("EN Windows-1252 letters")
        << EN << enRecord({{8, "M\xDCLLER, JOS\xC9"}}) << withValue(kEnRow, 4, QString::fromUtf8("MÜLler, JosÉ")) << QString();
    QTest::newRow("EN stray | in the entity name")
        << EN << enRecord({{8, "SMITH | JONES"}}) << withValue(kEnRow, 4, "Smith | Jones") << QString();
    QTest::newRow("EN stray | in the street")
        << EN << enRecord({{16, "12|MAIN ST"}}) << withValue(kEnRow, 8, "12|Main St") << QString();
    QTest::newRow("EN stray | in the attention line") << EN << enRecord({{21, "ATTN|JOE"}}) << kEnRow << QString();
    QTest::newRow("EN two stray | in the entity name")
        << EN << enRecord({{8, "A|B|C CLUB"}}) << withValue(kEnRow, 4, "A|B|C Club") << QString();
    QTest::newRow("EN fields added at the end") << EN << enRecord({{31, "X"}, {32, "Y"}}, 32) << kEnRow << QString();
    QTest::newRow("EN stray | that fits nowhere")
        << EN << enRecord({{18, "C|T"}}) << QStringList() << QString::fromLatin1(skip::StrayBar);

    const int HD = int(TDataType::AMT_HD);
    const QStringList hdRow{"200", "A", "2024-05-17", "2034-05-17", "1900-01-01", "2024-05-18", "2024-05-19"};
    QTest::newRow("HD today's 59 fields") << HD << hdRecord({}) << hdRow << QString();
    QTest::newRow("HD 44 fields is imported") << HD << hdRecord({}, 44) << hdRow << QString();
    QTest::newRow("HD 43 fields is skipped") << HD << hdRecord({}, 43) << QStringList() << QString::fromLatin1(skip::ShortHD);
    QTest::newRow("HD short and empty dates")
        << int(TDataType::GMRS_HD) << hdRecord({{8, "5/17/2024"}, {9, ""}})
        << QStringList{"200", "A", "1900-01-01", "1900-01-01", "1900-01-01", "2024-05-18", "2024-05-19"} << QString();
    QTest::newRow("HD stray | in the certifier title") << HD << hdRecord({{35, "Search|Rescue"}}) << hdRow << QString();
    QTest::newRow("HD stray | in the certifier name") << HD << hdRecord({{33, "SMITH|JONES"}}) << hdRow << QString();

    const int AM = int(TDataType::AMT_AM);
    QTest::newRow("AM today's 18 fields")
        << AM << ulsLine("AM", {{2, "300"}, {6, "E"}, {16, "KF6QZN"}, {18, "CARCIA III, JOSEPH P"}}, 18)
        << QStringList{"300", "E", "KF6QZN"} << QString();
    QTest::newRow("AM 16 fields is imported")
        << AM << ulsLine("AM", {{2, "300"}, {6, "E"}, {16, "KF6QZN"}}, 16) << QStringList{"300", "E", "KF6QZN"} << QString();
    QTest::newRow("AM 15 fields is skipped")
        << AM << ulsLine("AM", {{2, "300"}, {6, "E"}}, 15) << QStringList() << QString::fromLatin1(skip::ShortAM);
    QTest::newRow("AM stray | in the trustee name")
        << AM << ulsLine("AM", {{2, "300"}, {6, "T"}, {16, "N1XYZ"}, {17, "G"}, {18, "CARCIA|JOSEPH"}}, 18)
        << QStringList{"300", "T", "N1XYZ"} << QString();
    QTest::newRow("AM empty class and previous call")
        << AM << ulsLine("AM", {{2, "780866"}, {9, "NJ1Q"}}, 18) << QStringList{"780866", "", ""} << QString();
}

void TestRecords::ulsRows() {
    QFETCH(int, kind);
    QFETCH(QByteArray, record);
    QFETCH(QStringList, row);
    QFETCH(QString, skipReason);
    CountyTable counties;
    counties.insert("06111", "Hartford");
    counties.insert("12345", "Springfield County");
    counties.insert("12345", "second row of the same zip");
    counties.insert("K1A0B", "Ottawa");
    RowValues values;
    const SkipReason why = buildUlsRow(TDataType(kind), bytetext::view(record), counties, values);
    if (!skipReason.isEmpty()) {
        QVERIFY(why);
        QCOMPARE(QString::fromLatin1(why.text), skipReason);
        return;
    }
    QVERIFY2(!why, why.text);
    QCOMPARE(values.toStringList(), row);
}

void TestRecords::canadianRows_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("row");

    const QStringList noClub{"", "", "", "", "", ""};
    QTest::newRow("real line, 210 characters")
        << QByteArray("VA1AA  Bill                                McFadden                            188 MILLWOOD DRIVE                  "
                      "                                   MIDDLE SACKVILLE                    NS B4E 2X8    A   C D   ")
        << QStringList{"VA1AA", "Bill", "McFadden", "188 MILLWOOD DRIVE", "MIDDLE SACKVILLE", "NS", "B4E 2X8", "A", " ", "C", "D", " "} + noClub;
    QTest::newRow("every field of a full line")
        << cdnLine({{1, "VE3XYZ"}, {8, "Marie"}, {44, "Tremblay"}, {80, "1 Rue Principale"}, {151, "Gatineau"}, {187, "QC"},
                    {190, "J8X 1A1"}, {201, "A"}, {203, "B"}, {205, "C"}, {207, "D"}, {209, "E"}, {211, "Radio Club"},
                    {282, "de l'Outaouais"}, {353, "2 Rue du Club"}, {424, "Hull"}, {460, "QC"}, {463, "J8Y 2B2"}})
        << QStringList{"VE3XYZ",     "Marie", "Tremblay", "1 Rue Principale", "Gatineau", "QC", "J8X 1A1", "A", "B", "C", "D", "E",
                       "Radio Club", "de l'Outaouais", "2 Rue du Club", "Hull", "QC", "J8Y 2B2"};
    QTest::newRow("blank qualifications are single blanks")
        << cdnLine({{1, "VA3ABC"}, {8, "Al"}})
        << QStringList{"VA3ABC", "Al", "", "", "", "", "", " ", " ", " ", " ", " "} + noClub;
    QTest::newRow("call sign only") << QByteArray("VA3ABC")
                                    << QStringList{"VA3ABC", "", "", "", "", "", "", "", "", "", "", ""} + noClub;
    QTest::newRow("line ending inside the first qualification")
        << cdnLine({{1, "VA3ABC"}, {190, "K1A 0A6"}}, 200)
        << QStringList{"VA3ABC", "", "", "", "", "", "K1A 0A6", "", "", "", "", ""} + noClub;
    QTest::newRow("club postal code cut at seven")
        << cdnLine({{1, "VA3ABC"}, {463, "K1A 0A6XYZ"}}, 472)
        << QStringList{"VA3ABC", "", "", "", "", "", "", " ", " ", " ", " ", " ", "", "", "", "", "", "K1A 0A6"};
    QTest::newRow("UTF-8 letter takes one position")
        << cdnLine({{1, "VE2AAA"}, {8, QString::fromUtf8("André")}, {44, "Roy"}}, 80)
        << QStringList{"VE2AAA", QString::fromUtf8("André"), "Roy", "", "", "", "", "", "", "", "", ""} + noClub;
    QTest::newRow("Windows-1252 letter takes one position")
        << cdnLine({{1, "VE2AAA"}, {8, QString::fromUtf8("André")}, {44, "Roy"}}, 80).replace("\xC3\xA9", "\xE9")
        << QStringList{"VE2AAA", QString::fromUtf8("André"), "Roy", "", "", "", "", "", "", "", "", ""} + noClub;
    QTest::newRow("stray CR takes one position")
        << cdnLine({{1, "VE2AAA"}, {8, "Ann\rX"}, {44, "Roy"}}, 80)
        << QStringList{"VE2AAA", "Ann X", "Roy", "", "", "", "", "", "", "", "", ""} + noClub;
    QTest::newRow("blank line is skipped") << QByteArray("   ") << QStringList();
}

void TestRecords::canadianRows() {
    QFETCH(QByteArray, line);
    QFETCH(QStringList, row);
    RowValues values;
    const SkipReason why = buildCanadianRow(bytetext::view(line), values);
    if (row.isEmpty()) {
        QCOMPARE(QString::fromLatin1(why.text), QString::fromLatin1(skip::EmptyLine));
        return;
    }
    QVERIFY(!why);
    QCOMPARE(values.toStringList(), row);
}

void TestRecords::zipRows_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("skipReason");
    QTest::addColumn<QStringList>("text");   // zip, city, state, county
    QTest::addColumn<double>("lat");
    QTest::addColumn<double>("lon");
    const QString ok;
    QTest::newRow("US in field 7") << QByteArray("12345,Springfield,IL,39.8,-89.6,x,US,Sangamon") << ok
                                   << QStringList{"12345", "Springfield", "IL", "Sangamon"} << 39.8 << -89.6;
    QTest::newRow("field 7 is the county") << QByteArray("12345,Springfield,IL,39.8,-89.6,x,IL,Sangamon") << ok
                                           << QStringList{"12345", "Springfield", "IL", "IL"} << 39.8 << -89.6;
    QTest::newRow("USA contains US") << QByteArray("12345,Springfield,IL,39.8,-89.6,,USA,Sangamon") << ok
                                     << QStringList{"12345", "Springfield", "IL", "Sangamon"} << 39.8 << -89.6;
    QTest::newRow("us in lower case is a county") << QByteArray("12345,Town,IL,1,2,,us,Cook") << ok
                                                  << QStringList{"12345", "Town", "IL", "us"} << 1.0 << 2.0;
    QTest::newRow("empty coordinates") << QByteArray("12345,Springfield,IL,,,,US,Sangamon") << ok
                                       << QStringList{"12345", "Springfield", "IL", "Sangamon"} << 0.0 << 0.0;
    QTest::newRow("quoted city with comma") << QByteArray("12345,\"Town, The\",IL,1.5,-2.5,,US,Cook") << ok
                                            << QStringList{"12345", "Town, The", "IL", "Cook"} << 1.5 << -2.5;
    QTest::newRow("Canadian row, quoted region") << QByteArray("E1H,Lakeville,NB,46.1506,-64.62,,\"Lakeville, Shediac Bridge\"") << ok
                                                 << QStringList{"E1H", "Lakeville", "NB", "Lakeville, Shediac Bridge"} << 46.1506 << -64.62;
    QTest::newRow("no county fields") << QByteArray("12345,Town,IL,1,2") << ok << QStringList{"12345", "Town", "IL", ""} << 1.0 << 2.0;
    QTest::newRow("US without field 8") << QByteArray("12345,Town,IL,1,2,,US") << ok << QStringList{"12345", "Town", "IL", ""} << 1.0 << 2.0;
    QTest::newRow("blanks and exponent") << QByteArray("1,T,S, 39.5 ,1e2") << ok << QStringList{"1", "T", "S", ""} << 39.5 << 100.0;
    QTest::newRow("apostrophe in the city") << QByteArray("12345,Coeur d'Alene,ID,47.7,-116.8,,US,Kootenai") << ok
                                            << QStringList{"12345", "Coeur d'Alene", "ID", "Kootenai"} << 47.7 << -116.8;
    const QString notNumber = QString::fromLatin1(skip::ZipNumber);
    QTest::newRow("latitude text") << QByteArray("12345,Town,IL,abc,2,,US,Cook") << notNumber << QStringList() << 0.0 << 0.0;
    QTest::newRow("header line") << QByteArray("zip,city,state,latitude,longitude") << notNumber << QStringList() << 0.0 << 0.0;
    QTest::newRow("statement in longitude") << QByteArray("12345,Town,IL,1,2);drop table zipcodes;--") << notNumber << QStringList()
                                            << 0.0 << 0.0;
    QTest::newRow("hex longitude") << QByteArray("12345,Town,IL,1,0x10") << notNumber << QStringList() << 0.0 << 0.0;
    QTest::newRow("two fields") << QByteArray("12345,Town") << QString::fromLatin1(skip::ShortZip) << QStringList() << 0.0 << 0.0;
    QTest::newRow("empty line") << QByteArray() << QString::fromLatin1(skip::EmptyLine) << QStringList() << 0.0 << 0.0;
}

void TestRecords::zipRows() {
    QFETCH(QByteArray, line);
    QFETCH(QString, skipReason);
    QFETCH(QStringList, text);
    QFETCH(double, lat);
    QFETCH(double, lon);
    ZipRow row;
    const SkipReason why = buildZipRow(bytetext::view(line), row);
    if (!skipReason.isEmpty()) {
        QCOMPARE(QString::fromLatin1(why.text), skipReason);
        return;
    }
    QVERIFY2(!why, why.text);
    QCOMPARE((QStringList{row.zip, row.city, row.state, row.county}), text);
    QCOMPARE(row.latitude, lat);
    QCOMPARE(row.longitude, lon);
}

#include "tst_records.moc"
QObject* makeTestRecords() { return new TestRecords; }
