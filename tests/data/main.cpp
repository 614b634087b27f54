// Runs every test class of the import library in one executable.

#include <QCoreApplication>
#include <QTest>
#include <memory>

QObject* makeTestParsers();
QObject* makeTestRecords();
QObject* makeTestEngine();
QObject* makeTestRealFiles();
QObject* makeTestCheckDatabases();
QObject* makeTestDamaged();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int status = 0;
    for (auto make : {makeTestParsers, makeTestRecords, makeTestEngine, makeTestRealFiles, makeTestCheckDatabases, makeTestDamaged}) {
        std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}
