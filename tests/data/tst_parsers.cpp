// The text-level pieces of the importers: dates, the CSV scanner, proper case on raw bytes,
// code-page handling, reading lines in blocks and putting broken ULS records back together.

#include "core/TextRoutines.h"
#include "data/ByteText.h"
#include "data/LineReader.h"
#include "data/UlsRecordAssembler.h"
#include "data/RecordParsers.h"
#include "TestSupport.h"

#include <QTest>

class TestParsers : public QObject {
    Q_OBJECT
private slots:
    void parseDate_data();
    void parseDate();
    void parseCsv_data();
    void parseCsv();
    void properCaseBytesMatchesProperCase_data();
    void properCaseBytesMatchesProperCase();
    void recordDecoding_data();
    void recordDecoding();
    void utf8Validation();
    void lineReader_data();
    void lineReader();
    void lineReaderBound_data();
    void lineReaderBound();
    void lineReaderMissingFile();
    void lineCountEstimate();
    void assembler_data();
    void assembler();
};

void TestParsers::parseDate_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("uls date") << "05/17/2024" << "2024-05-17";
    QTest::newRow("empty") << "" << "1900-01-01";
    QTest::newRow("nine characters") << "5/17/2024" << "1900-01-01";
    QTest::newRow("two-digit year") << "05/17/24" << "1900-01-01";
    QTest::newRow("eleven characters") << "05/17/2024 " << "1900-01-01";
    QTest::newRow("ten characters, other separators") << "05-17-2024" << "1900-01-01";
    QTest::newRow("already stored form") << "2024-05-17" << "2024-05-17";
}

void TestParsers::parseDate() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(ParseDate(in), out);
}

void TestParsers::parseCsv_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "a,b,c" << QStringList{"a", "b", "c"};
    QTest::newRow("empty between") << "a,,b" << QStringList{"a", "", "b"};
    QTest::newRow("empty last") << "a,b," << QStringList{"a", "b", ""};
    QTest::newRow("empty first") << ",a" << QStringList{"", "a"};
    QTest::newRow("empty line") << "" << QStringList{};
    QTest::newRow("quoted with delimiter") << "12345,\"Town, The\",ST" << QStringList{"12345", "Town, The", "ST"};
    QTest::newRow("quoted last") << "a,\"b\"" << QStringList{"a", "b"};
    QTest::newRow("quoted then empty last") << "\"a\"," << QStringList{"a", ""};
    QTest::newRow("doubled quote stays doubled") << "\"a\"\"b\",c" << QStringList{"a\"\"b", "c"};
    QTest::newRow("quote inside unquoted field") << "ab\"c,d" << QStringList{"ab\"c", "d"};
    QTest::newRow("quote not before delimiter does not close")
        << "\"a\"b,\"c\"" << QStringList{"a\"b,\"c"};
    QTest::newRow("lone quote") << "\"" << QStringList{""};
    QTest::newRow("zip line") << "12345,Springfield,IL,39.8,-89.6,x,US,Sangamon"
                              << QStringList{"12345", "Springfield", "IL", "39.8", "-89.6", "x", "US", "Sangamon"};
}

void TestParsers::parseCsv() {
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(ParseCSV(line, QLatin1Char(','), QLatin1Char('"')), fields);
}

void TestParsers::properCaseBytesMatchesProperCase_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name") << "JOHN O'BRIEN" << "John O'Brien";
    QTest::newRow("lower") << "john o'brien" << "John O'Brien";
    QTest::newRow("two words") << "MC DONALD" << "Mc Donald";
    QTest::newRow("digit first") << "1ST ST" << "1St St";
    QTest::newRow("hyphen") << "AL-ANON" << "Al-Anon";
    QTest::newRow("accent is no letter") << QString::fromUtf8("ÉCOLE") << QString::fromUtf8("ÉCole");
    QTest::newRow("accent inside") << QString::fromUtf8("JOSÉ MARÍA") << QString::fromUtf8("JosÉ MarÍA");
    QTest::newRow("one letter") << "x" << "X";
    QTest::newRow("empty") << "" << "";
}

void TestParsers::properCaseBytesMatchesProperCase() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    bytetext::appendProperCase(bytetext::view(utf8), out);
    QCOMPARE(bytetext::toQString(out), expected);
    QCOMPARE(bytetext::toQString(out), ProperCase(text));
}

void TestParsers::recordDecoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("EN|1|SMITH") << "EN|1|SMITH";
    QTest::newRow("utf-8 kept") << QByteArray("JOS\xC3\x89") << QString::fromUtf8("JOSÉ");
    QTest::newRow("latin-1 letter") << QByteArray("JOS\xC9|M\xDCLLER") << QString::fromUtf8("JOSÉ|MÜLLER");
    QTest::newRow("windows-1252 quotes and euro") << QByteArray("\x93Hi\x94 \x80") << QString::fromUtf8("“Hi” €");
    QTest::newRow("undefined 1252 byte") << QByteArray("a\x81z") << QString::fromUtf8("a\xC2\x81z");
    QTest::newRow("utf-8 lead without tail") << QByteArray("CAF\xC3") << QString::fromUtf8("CAFÃ");
}

void TestParsers::recordDecoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(bytetext::decodeRecord(bytetext::view(bytes)), text);
}

void TestParsers::utf8Validation() {
    QVERIFY(bytetext::isValidUtf8("plain"));
    QVERIFY(bytetext::isValidUtf8("\xE2\x82\xAC and \xF0\x9F\x93\xBB"));
    QVERIFY(!bytetext::isValidUtf8("\xC0\xAF"));           // overlong "/"
    QVERIFY(!bytetext::isValidUtf8("\xED\xA0\x80"));       // surrogate
    QVERIFY(!bytetext::isValidUtf8("\xE2\x82"));           // cut short
    QVERIFY(!bytetext::isValidUtf8("\xF4\x90\x80\x80"));   // beyond U+10FFFF
}

void TestParsers::lineReader_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf, no final end") << QByteArray("a\nb") << QStringList{"a", "b"};
    QTest::newRow("cr only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("stray cr stays in line") << QByteArray("a\rx\r\nb\r\n") << QStringList{"a\rx", "b"};
    QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF" "a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("utf-16 bom") << QByteArray("\xFF\xFE" "a\0\r\0\n\0\xE9\0", 10) << QStringList{"a", QString::fromUtf8("é")};
    QTest::newRow("long lines") << QByteArray("abcdefghij\r\nk\r\nlmnopqrstuvwxyz") << QStringList{"abcdefghij", "k", "lmnopqrstuvwxyz"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestParsers::lineReader() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lines.txt"));
    writeBytes(file, content);
    // Small blocks put line ends and CR LF pairs across block boundaries.
    for (const qint64 block : {1, 2, 3, 5, 1 << 20}) {
        LineReader reader(file, block);
        if (block == (1 << 20))
            QCOMPARE(reader.estimatedTotalLines(), qint64(lines.size()));
        QStringList got;
        std::string_view line;
        while (reader.next(line))
            got << bytetext::toQString(line);
        QCOMPARE(got, lines);
        QCOMPARE(reader.lineNumber(), qint64(lines.size()));
        QVERIFY(reader.atEnd());
    }
}

void TestParsers::lineReaderBound_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");   // a line over the bound of 8 shows as "<N>", its length
    QTest::newRow("long line between short ones") << QByteArray("short\nabcdefghijk\nend\n") << QStringList{"short", "<11>", "end"};
    QTest::newRow("long line with CR LF") << QByteArray("abcdefghijk\r\nx") << QStringList{"<11>", "x"};
    QTest::newRow("the bound itself") << QByteArray("abcdefgh\r\n") << QStringList{"abcdefgh"};
    QTest::newRow("long line at the end") << QByteArray("ab\nabcdefghijklmn") << QStringList{"ab", "<14>"};
    QTest::newRow("cr only") << QByteArray("ab\rcd\r") << QStringList{"ab", "cd"};
    QTest::newRow("stray cr with an LF close by") << QByteArray("ab\rcd\nef\n") << QStringList{"ab\rcd", "ef"};
    QTest::newRow("cr-ended lines, LF far away") << QByteArray("ab\rcd\rxxxxxxxxxxxx\n") << QStringList{"ab", "cd", "<12>"};
    QTest::newRow("long line ended by a lone cr") << QByteArray("abcdefghijklmn\rxy\n") << QStringList{"<14>", "xy"};
    QTest::newRow("long line ended by cr lf") << QByteArray("abcdefghijklmn\r\nxy") << QStringList{"<14>", "xy"};
}

void TestParsers::lineReaderBound() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("lines.txt"));
    writeBytes(file, content);
    for (const qint64 block : {1, 2, 3, 5, 64}) {
        LineReader reader(file, block, 8);
        QStringList got;
        std::string_view line;
        while (reader.next(line)) {
            if (reader.lastLineTooLong()) {
                QVERIFY(line.empty());
                got << QStringLiteral("<%1>").arg(reader.lastLineLength());
            } else {
                got << bytetext::toQString(line);
            }
        }
        QCOMPARE(got, lines);
    }
}

void TestParsers::lineReaderMissingFile() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("absent.dat"));
    try {
        LineReader reader(file);
        QFAIL("a missing file was opened");
    } catch (const std::runtime_error& e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(file));
    }
}

void TestParsers::lineCountEstimate() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("AM.dat"));
    QByteArray content;
    for (int i = 0; i < 10000; ++i)
        content += "AM|" + QByteArray::number(1000000 + i) + "|||W1AW|E|||||||||||\r\n";
    writeBytes(file, content);
    // Blocks much smaller than the file: the count is estimated from the bytes read so far.
    LineReader reader(file, 4096);
    QVERIFY(qAbs(reader.estimatedTotalLines() - 10000) < 100);
    std::string_view line;
    for (int i = 0; i < 5000; ++i)
        QVERIFY(reader.next(line));
    QVERIFY(qAbs(reader.estimatedTotalLines() - 10000) < 100);
    while (reader.next(line)) {
    }
    QCOMPARE(reader.estimatedTotalLines(), 10000);
}

void TestParsers::assembler_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("records");   // "text@firstLine", orphans marked "!"
    QTest::newRow("clean") << QByteArray("EN|1|a\r\nEN|2|b\r\n") << QStringList{"EN|1|a@1", "EN|2|b@2"};
    QTest::newRow("break inside a field") << QByteArray("EN|1|12 MAIN\r\nST|x\r\nEN|2|b")
                                          << QStringList{"EN|1|12 MAIN ST|x@1", "EN|2|b@3"};
    QTest::newRow("stray cr inside a field") << QByteArray("EN|1|FOO\rBAR|x\r\nEN|2|b\r\n")
                                             << QStringList{"EN|1|FOO BAR|x@1", "EN|2|b@2"};
    QTest::newRow("break after a separator") << QByteArray("EN|1|a|\r\nb|c\r\n") << QStringList{"EN|1|a|b|c@1"};
    QTest::newRow("break before a blank") << QByteArray("EN|1|a\r\n b\r\n") << QStringList{"EN|1|a b@1"};
    QTest::newRow("three lines") << QByteArray("EN|1|a\r\nb\r\nc|d\r\n") << QStringList{"EN|1|a b c|d@1"};
    QTest::newRow("cr before crlf") << QByteArray("EN|1|a\r\r\nEN|2|b") << QStringList{"EN|1|a@1", "EN|2|b@2"};
    QTest::newRow("empty lines ignored") << QByteArray("EN|1|a\r\n\r\nEN|2|b\r\n") << QStringList{"EN|1|a@1", "EN|2|b@3"};
    QTest::newRow("leading junk is an orphan") << QByteArray("junk\r\nEN|1|a\r\n") << QStringList{"!@1", "EN|1|a@2"};
    QTest::newRow("other record type continues") << QByteArray("EN|1|a\r\nHD|2|b") << QStringList{"EN|1|a HD|2|b@1"};
    QTest::newRow("lf only") << QByteArray("EN|1|a\nEN|2|b\n") << QStringList{"EN|1|a@1", "EN|2|b@2"};
}

void TestParsers::assembler() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, records);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("EN.dat"));
    writeBytes(file, content);
    for (const qint64 block : {3, 1 << 20}) {
        LineReader reader(file, block);
        UlsRecordAssembler assembler(reader, "EN");
        UlsRecordAssembler::Record rec;
        QStringList got;
        while (assembler.next(rec))
            got << (rec.skipReason ? QStringLiteral("!") : QString()) + bytetext::toQString(rec.text) + QLatin1Char('@') +
                       QString::number(rec.firstLine);
        QCOMPARE(got, records);
    }
}

#include "tst_parsers.moc"
QObject* makeTestParsers() { return new TestParsers; }
