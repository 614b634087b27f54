#include "SearchTests.h"

#include "tests/support/Fixtures.h"
#include "ui/ErrorApplication.h"

#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv) {
    QmApplication app(argc, argv);
    QTemporaryDir home;
    useTemporaryHome(home);
    writeFixtureDatabases(programDataPath());
    addSearchFixtureRows(searchDatabaseFile());
    int status = 0;
    {
        TestSearchSql t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSearchWindows t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSearchMenus t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
