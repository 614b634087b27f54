// Where the files that come with the program are found: the order of the places searched
// (current directory, build tree, installed tree, XDG data directories), which copy wins when
// several exist, and the error that names every place when none does.
#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void foldersInOrder();
    void firstCopyWins_data();
    void firstCopyWins();
    void missingFileNamesEveryPlace();
    void folderOfTheSameNameIsNoFile();
    void processFoldersFollowTheProgram();

private:
    QString at(const QString& relative) const { return QDir::cleanPath(m_root->path() + QLatin1Char('/') + relative); }
    QStringList folders() const { return shippedFileFolders(at(QStringLiteral("work")), at(QStringLiteral("usr/bin"))); }

    std::unique_ptr<QTemporaryDir> m_root;
    QByteArray m_savedHome, m_savedDirs;
};

void TestPaths::init() {
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_savedHome = qgetenv("XDG_DATA_HOME");
    m_savedDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", at(QStringLiteral("home/.local/share")).toUtf8());
    qputenv("XDG_DATA_DIRS", (at(QStringLiteral("xdg1")) + QLatin1Char(':') + at(QStringLiteral("xdg2"))).toUtf8());
}

void TestPaths::cleanup() {
    qputenv("XDG_DATA_HOME", m_savedHome);
    qputenv("XDG_DATA_DIRS", m_savedDirs);
    m_root.reset();
}

void TestPaths::foldersInOrder() {
    QCOMPARE(folders(), (QStringList{at(QStringLiteral("work")), at(QStringLiteral("usr/bin/dist")),
                                     at(QStringLiteral("usr/share/quillmarsh")),
                                     at(QStringLiteral("home/.local/share/quillmarsh")), at(QStringLiteral("xdg1/quillmarsh")),
                                     at(QStringLiteral("xdg2/quillmarsh"))}));
    // Without a program folder only the current directory and the data directories remain.
    const QStringList noProgram = shippedFileFolders(at(QStringLiteral("work")), QString());
    QCOMPARE(noProgram.size(), 4);
    QCOMPARE(noProgram.first(), at(QStringLiteral("work")));
}

void TestPaths::firstCopyWins_data() {
    QTest::addColumn<QStringList>("copies");   // folders holding a copy, each copy's text is its folder
    QTest::addColumn<QString>("winner");
    const QString work = QStringLiteral("work"), dist = QStringLiteral("usr/bin/dist"),
                  share = QStringLiteral("usr/share/quillmarsh"), home = QStringLiteral("home/.local/share/quillmarsh"),
                  xdg1 = QStringLiteral("xdg1/quillmarsh"), xdg2 = QStringLiteral("xdg2/quillmarsh");
    QTest::newRow("everywhere: current directory") << QStringList{work, dist, share, home, xdg1, xdg2} << work;
    QTest::newRow("build tree before installed tree") << QStringList{dist, share, xdg2} << dist;
    QTest::newRow("installed tree before data directories") << QStringList{share, home, xdg1} << share;
    QTest::newRow("user's data directory before the system's") << QStringList{xdg2, home} << home;
    QTest::newRow("system data directories in their order") << QStringList{xdg2, xdg1} << xdg1;
    QTest::newRow("only the last place") << QStringList{xdg2} << xdg2;
}

void TestPaths::firstCopyWins() {
    QFETCH(QStringList, copies);
    QFETCH(QString, winner);
    for (const QString& folder : copies) {
        QVERIFY(QDir().mkpath(at(folder)));
        QFile f(at(folder + QStringLiteral("/fcc.sql")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(folder.toUtf8());
    }
    const QString found = findShippedFile(QStringLiteral("fcc.sql"), folders());
    QCOMPARE(found, at(winner + QStringLiteral("/fcc.sql")));
}

void TestPaths::missingFileNamesEveryPlace() {
    QVERIFY(QDir().mkpath(at(QStringLiteral("work"))));
    QVERIFY(QDir().mkpath(at(QStringLiteral("usr/share/quillmarsh"))));
    const QStringList places = folders();
    try {
        findShippedFile(QStringLiteral("postal_update.csv"), places);
        QFAIL("a missing shipped file must fail");
    } catch (const std::runtime_error& e) {
        const QString msg = QString::fromUtf8(e.what());
        QVERIFY2(msg.contains(QStringLiteral("\"postal_update.csv\"")), qPrintable(msg));
        for (const QString& place : places)
            QVERIFY2(msg.contains(place), qPrintable(msg + QStringLiteral(" lacks ") + place));
    }
}

void TestPaths::folderOfTheSameNameIsNoFile() {
    QVERIFY(QDir().mkpath(at(QStringLiteral("work/services.ini"))));
    QVERIFY(QDir().mkpath(at(QStringLiteral("usr/share/quillmarsh"))));
    QFile f(at(QStringLiteral("usr/share/quillmarsh/services.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(findShippedFile(QStringLiteral("services.ini"), folders()), f.fileName());
}

void TestPaths::processFoldersFollowTheProgram() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList places = shippedFileFolders();
    QCOMPARE(places.value(0), QDir::cleanPath(QDir::currentPath()));
    QVERIFY(places.contains(QDir::cleanPath(programDir + QStringLiteral("/dist"))));
    QVERIFY(places.contains(QDir::cleanPath(programDir + QStringLiteral("/../share/quillmarsh"))));
    QVERIFY(places.contains(at(QStringLiteral("xdg2/quillmarsh"))));
}

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
