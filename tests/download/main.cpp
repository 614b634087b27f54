// Runs the download, extraction and download-window tests in one executable.

#include <QApplication>
#include <QTest>
#include <memory>

QObject* makeTestDownloader();
QObject* makeTestExtract();
QObject* makeTestDownloadWindow();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    for (auto make : {makeTestDownloader, makeTestExtract, makeTestDownloadWindow}) {
        std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}
