#include "ui/JobRunner.h"

#include "core/BackgroundJob.h"
#include "core/Database.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>
#include <optional>
#include <stdexcept>

namespace {

int& windowDelay() {
    static int ms = 300;
    return ms;
}

// The progress window: a caption, the count (and total when known), a bar and Cancel.
class JobWindow : public QDialog {
public:
    JobWindow(QWidget* owner, const QString& what, BackgroundJob& job)
        : QDialog(owner ? owner->window() : nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_job(job) {
        setObjectName(QStringLiteral("frmJob"));
        setWindowModality(Qt::ApplicationModal);
        setWindowTitle(what);
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel(what + QStringLiteral("..."), this);
        title->setObjectName(QStringLiteral("lblJobTitle"));
        m_count = new QLabel(this);
        m_count->setObjectName(QStringLiteral("lblJobCount"));
        m_bar = new QProgressBar(this);
        m_bar->setObjectName(QStringLiteral("pbJob"));
        m_bar->setAccessibleName(what);
        m_bar->setRange(0, 0);
        m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
        m_cancel->setObjectName(QStringLiteral("btnJobCancel"));
        connect(m_cancel, &QPushButton::clicked, this, [this] { requestCancel(); });
        layout->addWidget(title);
        layout->addWidget(m_count);
        layout->addWidget(m_bar);
        layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
        setFixedWidth(300);
    }

    void refresh(const QString& unit) {
        const qint64 done = m_job.control().done(), total = m_job.control().total();
        const QLocale locale;
        m_count->setText(total > 0 ? QStringLiteral("%1 of %2 %3").arg(locale.toString(done), locale.toString(total), unit)
                                   : QStringLiteral("%1 %2").arg(locale.toString(done), unit));
        if (total > 0) {
            // The bar counts in thousandths: a total past the int range still fits.
            m_bar->setRange(0, 1000);
            m_bar->setValue(int(std::min<qint64>(1000, done * 1000 / total)));
        }
    }

protected:
    // Escape reaches reject(); closing the window asks the same.
    void closeEvent(QCloseEvent* e) override {
        requestCancel();
        e->ignore();
    }
    void reject() override { requestCancel(); }

private:
    void requestCancel() {
        m_job.cancel();
        m_cancel->setEnabled(false);
        m_cancel->setText(QStringLiteral("Cancelling"));
    }

    BackgroundJob& m_job;
    QLabel* m_count = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace

int jobWindowDelayMs() { return windowDelay(); }
void setJobWindowDelayMs(int ms) { windowDelay() = std::max(0, ms); }

bool runJob(QWidget* owner, const QString& what, const std::function<void(JobControl&)>& work, const QString& unit) {
    BackgroundJob job;
    std::optional<JobOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&job, &BackgroundJob::finished, &loop, [&](const JobOutcome& o) {
        outcome = o;
        loop.quit();
    });
    // First a moment with user input held back (it waits in the queue); work that is still going
    // then gets the progress window, which is application modal: from there on Qt itself keeps
    // input (shortcuts included) from every other window, and the queued input meets the same rule.
    QTimer moment;
    moment.setSingleShot(true);
    QObject::connect(&moment, &QTimer::timeout, &loop, &QEventLoop::quit);
    moment.start(windowDelay());
    job.start(what, work);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!outcome) {
        // The owner can go while the work runs (its window closed and deleted): the work is then
        // asked to stop, as nobody is left for its result, and the progress window, a child of
        // the owner's window, goes with it instead of being deleted twice.
        QMetaObject::Connection ownerGone;
        if (owner)
            ownerGone = QObject::connect(owner, &QObject::destroyed, &loop, [&job] { job.cancel(); });
        QPointer<JobWindow> window = new JobWindow(owner, what, job);
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, window, [&] { window->refresh(unit); });
        window->refresh(unit);
        window->show();
        tick.start(150);
        while (!outcome)
            loop.exec();
        QObject::disconnect(ownerGone);
        delete window.data();
    }

    switch (outcome->end) {
    case JobOutcome::End::Done: return true;
    case JobOutcome::End::Cancelled: return false;
    case JobOutcome::End::Failed: break;
    }
    if (outcome->database)
        throw DatabaseError(outcome->error);
    throw std::runtime_error(outcome->error.toStdString());
}
