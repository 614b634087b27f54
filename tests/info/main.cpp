#include "InfoTests.h"

#include <QApplication>
#include <QLocale>
#include <QTest>

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    int status = 0;
    {
        TestMapUrls t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestMapWindow t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestAbout t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
