#include "SearchTests.h"

#include "tests/support/Fixtures.h"
#include "tests/support/TestClasses.h"
#include "ui/ErrorApplication.h"

#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    QTemporaryDir home;
    useTemporaryHome(home);
    writeFixtureDatabases(programDataPath());
    addSearchFixtureRows(searchDatabaseFile());
    return runTestClasses<TestSearchSql, TestSearchWindows, TestSearchMenus>(argc, argv);
}
