// Archive extraction: a good archive lands whole (folders made, older files replaced, big
// members streamed); a broken archive is an error naming it that leaves older files as they
// were; a hostile archive (names leading out of the folder, absolute names, a member beyond
// the size bound or holding more than it declares) is refused before anything is written.

#include "data/ArchiveExtract.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <zip.h>

namespace {

struct Entry {
    QByteArray name;
    QByteArray data;
    bool stored = false;   // no compression, so the test can find and alter the bytes
};

void writeZip(const QString& path, const QList<Entry>& entries) {
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    QVERIFY(z);
    for (const Entry& e : entries) {
        zip_int64_t index = -1;
        if (e.name.endsWith('/')) {
            index = zip_dir_add(z, e.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* src = zip_source_buffer(z, e.data.constData(), zip_uint64_t(e.data.size()), 0);
            QVERIFY(src);
            index = zip_file_add(z, e.name.constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
            if (index < 0)
                zip_source_free(src);
            else if (e.stored)
                zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
        }
        QVERIFY2(index >= 0, zip_strerror(z));
    }
    QVERIFY2(zip_close(z) == 0, zip_strerror(z));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every file under the folder, relative to it, sorted.
QStringList allFiles(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(folder).relativeFilePath(it.next()));
    out.sort();
    return out;
}

QByteArray textLines(int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += "EN|" + QByteArray::number(1000 + i) + "|||N" + QByteArray::number(i % 97) + "CALL|L|\r\n";
    return out;
}

QByteArray noise(int size) {
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator gen(17);
    for (char& c : out)
        c = char(gen.bounded(256));
    return out;
}

void putLe32(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

const QByteArray kOlder = "older extracted content";

} // namespace

class TestExtract : public QObject {
    Q_OBJECT
private slots:
    void memberPath_data();
    void memberPath();
    void extractsGoodArchive();
    void brokenArchive_data();
    void brokenArchive();
    void hostileNames_data();
    void hostileNames();
    void sizeBound();
    void memberLongerThanDeclared();
    void archiveBounds_data();
    void archiveBounds();
};

void TestExtract::memberPath_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << QStringLiteral("EN.dat") << true << QStringLiteral("EN.dat");
    QTest::newRow("nested") << QStringLiteral("a/b/c.dat") << true << QStringLiteral("a/b/c.dat");
    QTest::newRow("backslashes") << QStringLiteral("a\\b.dat") << true << QStringLiteral("a/b.dat");
    QTest::newRow("dot parts") << QStringLiteral("./a/./b.dat") << true << QStringLiteral("a/b.dat");
    QTest::newRow("climbs back in") << QStringLiteral("a/../b.dat") << true << QStringLiteral("b.dat");
    QTest::newRow("folder") << QStringLiteral("dir/") << true << QStringLiteral("dir");
    QTest::newRow("three dots is a name") << QStringLiteral("...") << true << QStringLiteral("...");
    QTest::newRow("parent") << QStringLiteral("../evil.txt") << false << QString();
    QTest::newRow("parent, backslash") << QStringLiteral("..\\evil.txt") << false << QString();
    QTest::newRow("climbs out deeper") << QStringLiteral("a/../../x") << false << QString();
    QTest::newRow("climbs out at the end") << QStringLiteral("a/b/../../..") << false << QString();
    QTest::newRow("absolute") << QStringLiteral("/abs.txt") << false << QString();
    QTest::newRow("absolute, backslash") << QStringLiteral("\\abs.txt") << false << QString();
    QTest::newRow("network share") << QStringLiteral("//server/share/x") << false << QString();
    QTest::newRow("drive") << QStringLiteral("C:/x.txt") << false << QString();
    QTest::newRow("drive, relative") << QStringLiteral("c:x.txt") << false << QString();
}

void TestExtract::memberPath() {
    QFETCH(QString, name);
    QFETCH(bool, allowed);
    QFETCH(QString, path);
    const std::optional<QString> got = archiveMemberPath(name);
    QCOMPARE(got.has_value(), allowed);
    if (allowed)
        QCOMPARE(*got, path);
}

void TestExtract::extractsGoodArchive() {
    QTemporaryDir root;
    const QString zip = root.filePath(QStringLiteral("l_amat.zip"));
    const QString target = root.filePath(QStringLiteral("data/AMAT"));   // neither folder exists yet
    // Several MB, so the member crosses many read chunks.
    const QByteArray en = textLines(120000);
    const QByteArray bin = noise(600 * 1024);
    writeZip(zip, {{"counts", "EN 120000\n"},
                   {"EN.dat", en},
                   {"sub/deeper/data.bin", bin},
                   {"emptydir/", {}},
                   {"win\\style.txt", "backslash"},
                   {"HD.dat", ""}});
    writeFile(root.filePath(QStringLiteral("data/AMAT/EN.dat")), kOlder);
    writeFile(root.filePath(QStringLiteral("data/AMAT/keep.txt")), kOlder);

    int files = -1;
    try {
        files = extractArchive(zip, target);
    } catch (const ArchiveError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(files, 5);
    QCOMPARE(readAll(target + QStringLiteral("/counts")), QByteArray("EN 120000\n"));
    QVERIFY(readAll(target + QStringLiteral("/EN.dat")) == en);
    QVERIFY(readAll(target + QStringLiteral("/sub/deeper/data.bin")) == bin);
    QCOMPARE(readAll(target + QStringLiteral("/win/style.txt")), QByteArray("backslash"));
    QCOMPARE(readAll(target + QStringLiteral("/HD.dat")), QByteArray());
    QVERIFY(QFileInfo(target + QStringLiteral("/emptydir")).isDir());
    QCOMPARE(readAll(target + QStringLiteral("/keep.txt")), kOlder);
    // Nothing else: no temporary files left beside the members.
    QCOMPARE(allFiles(target), (QStringList{QStringLiteral("EN.dat"), QStringLiteral("HD.dat"), QStringLiteral("counts"),
                                            QStringLiteral("keep.txt"), QStringLiteral("sub/deeper/data.bin"),
                                            QStringLiteral("win/style.txt")}));

    // A second extraction over the first replaces the files again.
    writeFile(target + QStringLiteral("/counts"), kOlder);
    extractArchive(zip, target);
    QCOMPARE(readAll(target + QStringLiteral("/counts")), QByteArray("EN 120000\n"));
}

void TestExtract::brokenArchive_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("says");
    QTest::newRow("random bytes") << QStringLiteral("random") << QStringLiteral("not a zip archive");
    QTest::newRow("truncated") << QStringLiteral("truncated") << QStringLiteral("zip archive");
    QTest::newRow("empty file") << QStringLiteral("empty") << QStringLiteral("empty");
    QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("does not exist");
    QTest::newRow("damaged member data") << QStringLiteral("flipped") << QStringLiteral("damaged");
    QTest::newRow("an error page saved as the archive") << QStringLiteral("html") << QStringLiteral("not a zip archive");
}

void TestExtract::brokenArchive() {
    QFETCH(QString, damage);
    QFETCH(QString, says);
    QTemporaryDir root;
    const QString zip = root.filePath(QStringLiteral("l_gmrs.zip"));
    const QString target = root.filePath(QStringLiteral("GMRS"));
    writeFile(target + QStringLiteral("/EN.dat"), kOlder);

    const QByteArray en = textLines(20000);
    writeZip(zip, {{"EN.dat", en}});
    QByteArray bytes = readAll(zip);
    if (damage == QLatin1String("random"))
        bytes = noise(bytes.size());
    else if (damage == QLatin1String("truncated"))
        bytes.truncate(bytes.size() / 2);
    else if (damage == QLatin1String("empty"))
        bytes.clear();
    else if (damage == QLatin1String("flipped"))
        for (int i = 0; i < 16; ++i)
            bytes[100 + i * 7] = char(~bytes[100 + i * 7]);
    else if (damage == QLatin1String("html"))
        bytes = "<html><body>404 Not Found</body></html>";
    if (damage == QLatin1String("missing"))
        QVERIFY(QFile::remove(zip));
    else
        writeFile(zip, bytes);

    try {
        extractArchive(zip, target);
        QFAIL("extraction did not fail");
    } catch (const ArchiveError& e) {
        QVERIFY2(e.message().contains(zip), qPrintable(e.message()));
        QVERIFY2(e.message().contains(says, Qt::CaseInsensitive), qPrintable(e.message()));
        QCOMPARE(QString::fromUtf8(e.what()), e.message());
    }
    QCOMPARE(readAll(target + QStringLiteral("/EN.dat")), kOlder);
    QCOMPARE(allFiles(target), QStringList{QStringLiteral("EN.dat")});
}

void TestExtract::hostileNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent") << QByteArray("../evil.txt");
    QTest::newRow("parent, backslash") << QByteArray("..\\evil.txt");
    QTest::newRow("climbs out through a folder") << QByteArray("a/../../evil.txt");
    QTest::newRow("absolute") << QByteArray("<root>/abs.txt");
    QTest::newRow("drive letter") << QByteArray("C:/evil.txt");
}

void TestExtract::hostileNames() {
    QFETCH(QByteArray, name);
    QTemporaryDir root;
    // An absolute name inside the test's own folder, so the check below would see it written.
    name.replace("<root>", QFile::encodeName(root.path()));
    const QString zip = root.filePath(QStringLiteral("archives/amateur.zip"));
    QDir().mkpath(root.filePath(QStringLiteral("archives")));
    const QString target = root.filePath(QStringLiteral("data/CADN"));
    // A harmless member first: a refused archive must not be half extracted either.
    writeZip(zip, {{"amateur.txt", "fine"}, {name, "evil"}});

    try {
        extractArchive(zip, target);
        QFAIL("a hostile member was accepted");
    } catch (const ArchiveError& e) {
        QVERIFY2(e.message().contains(zip), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QString::fromUtf8(name)), qPrintable(e.message()));
    }
    QCOMPARE(allFiles(root.path()), QStringList{QStringLiteral("archives/amateur.zip")});
}

void TestExtract::sizeBound() {
    QTemporaryDir root;
    const QString zip = root.filePath(QStringLiteral("l_amat.zip"));
    const QString target = root.filePath(QStringLiteral("AMAT"));
    writeZip(zip, {{"counts", "1"}, {"EN.dat", textLines(100)}});
    const quint64 size = quint64(textLines(100).size());

    try {
        extractArchive(zip, target, size - 1);
        QFAIL("a member over the bound was accepted");
    } catch (const ArchiveError& e) {
        QVERIFY2(e.message().contains(zip), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("EN.dat")), qPrintable(e.message()));
    }
    QVERIFY(!QFileInfo::exists(target));

    QCOMPARE(extractArchive(zip, target, size), 2);   // the bound itself is allowed
    QVERIFY(readAll(target + QStringLiteral("/EN.dat")) == textLines(100));
}

void TestExtract::memberLongerThanDeclared() {
    QTemporaryDir root;
    const QString zip = root.filePath(QStringLiteral("l_amat.zip"));
    const QString target = root.filePath(QStringLiteral("AMAT"));
    writeFile(target + QStringLiteral("/EN.dat"), kOlder);
    writeZip(zip, {{"EN.dat", QByteArray(4000, 'x'), true}});
    // Both headers claim 1000 bytes while 4000 are stored: a size check on the header alone
    // would let the member run past any bound.
    QByteArray bytes = readAll(zip);
    const qsizetype local = bytes.indexOf("PK\x03\x04");
    const qsizetype central = bytes.indexOf("PK\x01\x02");
    QVERIFY(local >= 0 && central > local);
    putLe32(bytes, local + 22, 1000);
    putLe32(bytes, central + 24, 1000);
    writeFile(zip, bytes);

    try {
        extractArchive(zip, target, 2000);
        QFAIL("a member longer than declared was accepted");
    } catch (const ArchiveError& e) {
        QVERIFY2(e.message().contains(zip), qPrintable(e.message()));
    }
    QCOMPARE(readAll(target + QStringLiteral("/EN.dat")), kOlder);
    QCOMPARE(allFiles(target), QStringList{QStringLiteral("EN.dat")});
}

void TestExtract::archiveBounds_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("more members than allowed") << QStringLiteral("members") << QStringLiteral("holds 6 members");
    QTest::newRow("more bytes in all than allowed") << QStringLiteral("total") << QStringLiteral("would unpack to more than");
    QTest::newRow("zeros that expand a thousandfold") << QStringLiteral("bomb") << QStringLiteral("times its size");
    QTest::newRow("more than the disk has free") << QStringLiteral("disk") << QStringLiteral("not enough free disk space");
    QTest::newRow("an encrypted member") << QStringLiteral("encrypted") << QStringLiteral("is encrypted");
    QTest::newRow("a folder named like the archive") << QStringLiteral("folder") << QStringLiteral("is a folder");
}

void TestExtract::archiveBounds() {
    QFETCH(QString, kind);
    QFETCH(QString, says);
    QTemporaryDir root;
    const QString zip = root.filePath(QStringLiteral("l_amat.zip"));
    const QString target = root.filePath(QStringLiteral("AMAT"));
    ArchiveLimits limits;
    limits.freeSpace = [](const QString&) { return qint64(1) << 40; };
    QList<Entry> members;
    // Each member alone is within every bound; only the archive as a whole is not.
    for (int i = 0; i < 6; ++i)
        members.append({"m" + QByteArray::number(i) + ".dat", kind == QLatin1String("bomb") ? QByteArray(1 << 20, '\0') : textLines(2000)});
    if (kind == QLatin1String("members")) {
        limits.maxMembers = 5;
    } else if (kind == QLatin1String("total")) {
        limits.maxTotalSize = quint64(textLines(2000).size()) * 5;
    } else if (kind == QLatin1String("bomb")) {
        limits.expansionFloor = 1 << 20;
    } else if (kind == QLatin1String("disk")) {
        limits.freeSpace = [](const QString&) { return qint64(64) << 20; };
    } else if (kind == QLatin1String("encrypted")) {
        members = {{"EN.dat", textLines(10), true}};
    }
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(zip));
    } else {
        writeZip(zip, members);
    }
    if (kind == QLatin1String("encrypted")) {
        // The general purpose flag's bit 0, in both headers, marks the member as encrypted.
        QByteArray bytes = readAll(zip);
        const qsizetype local = bytes.indexOf("PK\x03\x04");
        const qsizetype central = bytes.indexOf("PK\x01\x02");
        bytes[local + 6] = char(bytes[local + 6] | 1);
        bytes[central + 8] = char(bytes[central + 8] | 1);
        writeFile(zip, bytes);
    }
    try {
        extractArchive(zip, target, limits);
        QFAIL("the archive was extracted");
    } catch (const ArchiveError& e) {
        QVERIFY2(e.message().contains(zip), qPrintable(e.message()));
        QVERIFY2(e.message().contains(says, Qt::CaseInsensitive), qPrintable(e.message()));
    }
    QVERIFY(!QFileInfo::exists(target));
    // The same archive within the bounds is extracted whole.
    if (kind == QLatin1String("members") || kind == QLatin1String("total") || kind == QLatin1String("disk")) {
        QCOMPARE(extractArchive(zip, target, ArchiveLimits{}), 6);
        QVERIFY(readAll(target + QStringLiteral("/m5.dat")) == textLines(2000));
    }
}

QObject* makeTestExtract() { return new TestExtract; }

#include "tst_extract.moc"
