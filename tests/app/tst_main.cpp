#include "AppTests.h"

#include "tests/support/TestClasses.h"
#include "ui/ErrorApplication.h"

#include <QLocale>
#include <QTest>
#include <ctime>

int main(int argc, char** argv) {
    // Seven hours behind UTC all year, so the offsets the tests expect do not depend on the season.
    qputenv("TZ", "MST7");
    tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QmApplication app(argc, argv);
    return runTestClasses<TestMainWindow, TestLookup>(argc, argv);
}
