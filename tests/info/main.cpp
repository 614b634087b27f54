#include "InfoTests.h"
#include "tests/support/TestClasses.h"

#include <QApplication>
#include <QLocale>
#include <QTest>

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    return runTestClasses<TestMapUrls, TestMapWindow, TestAbout>(argc, argv);
}
