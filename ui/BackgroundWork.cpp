#include "ui/BackgroundWork.h"

#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <stdexcept>

namespace {
// Work that ends sooner than this shows no box at all.
constexpr int kBoxDelayMs = 400;
}

void runInBackground(QWidget* owner, const QString& what, const std::function<void(std::atomic<qint64>& done)>& work) {
    std::atomic<qint64> done{0};
    QString error;
    bool failed = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work(done);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
            failed = true;
        } catch (...) {
            error = QStringLiteral("An unknown error occurred.");
            failed = true;
        }
    }));

    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);

    std::unique_ptr<QDialog> box;
    QLabel* count = nullptr;
    QTimer showBox;
    showBox.setSingleShot(true);
    QTimer tick;
    QObject::connect(&showBox, &QTimer::timeout, [&] {
        box = std::make_unique<QDialog>(owner ? owner->window() : nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        box->setObjectName(QStringLiteral("frmBusy"));
        box->setWindowModality(Qt::ApplicationModal);
        box->setWindowTitle(what);
        auto* layout = new QVBoxLayout(box.get());
        auto* title = new QLabel(what + QStringLiteral("..."), box.get());
        count = new QLabel(box.get());
        count->setObjectName(QStringLiteral("lblBusyCount"));
        auto* bar = new QProgressBar(box.get());
        bar->setRange(0, 0);   // no end known: a moving bar
        layout->addWidget(title);
        layout->addWidget(count);
        layout->addWidget(bar);
        box->setFixedWidth(280);
        box->show();
        tick.start(200);
    });
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (count)
            count->setText(QStringLiteral("%1 records").arg(QLocale().toString(done.load(std::memory_order_relaxed))));
    });

    showBox.start(kBoxDelayMs);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (failed)
        throw std::runtime_error(error.toStdString());
}
