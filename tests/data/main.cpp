// Runs every test class of the import library in one executable.

#include "tests/support/TestClasses.h"

#include <QCoreApplication>

QObject* makeTestParsers();
QObject* makeTestRecords();
QObject* makeTestEngine();
QObject* makeTestRealFiles();
QObject* makeTestCheckDatabases();
QObject* makeTestDamaged();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return runTestObjects(argc, argv, {makeTestParsers, makeTestRecords, makeTestEngine, makeTestRealFiles, makeTestCheckDatabases, makeTestDamaged});
}
