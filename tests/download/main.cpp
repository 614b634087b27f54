// Runs the download, extraction and download-window tests in one executable.

#include "tests/support/TestClasses.h"

#include <QApplication>

QObject* makeTestDownloader();
QObject* makeTestExtract();
QObject* makeTestDownloadWindow();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return runTestObjects(argc, argv, {makeTestDownloader, makeTestExtract, makeTestDownloadWindow});
}
