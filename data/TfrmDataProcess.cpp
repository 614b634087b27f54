#include "data/TfrmDataProcess.h"

#include "ui/MessageDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QLabel* captionLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TfrmDataProcess::TfrmDataProcess(QWidget* owner, TDataType dataType, const QString& fileName, const ImportJob& job)
    : QDialog(owner), m_dataType(dataType), m_fileName(fileName), m_job(job) {
    m_job.kind = dataType;
    m_job.sourceFile = fileName;
    m_result.kind = dataType;
    m_result.file = fileName;

    setObjectName(QStringLiteral("frmDataProcess"));
    setWindowTitle(QStringLiteral("Data Processor"));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    auto addRow = [&](int row, const char* captionName, const QString& caption, QLabel*& value, const char* valueName) {
        QLabel* c = captionLabel(this, captionName, caption);
        value = captionLabel(this, valueName, QString());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(caption.chopped(1));
        c->setBuddy(value);
        grid->addWidget(c, row, 0);
        grid->addWidget(value, row, 1);
    };
    addRow(0, "lblFileName", QStringLiteral("File Name:"), txtFileName, "txtFileName");
    addRow(1, "lblRecordType", QStringLiteral("Record Type:"), txtRecordType, "txtRecordType");
    addRow(2, "lblRecords", QStringLiteral("Number of Records:"), txtRecords, "txtRecords");
    txtRecords->setText(QStringLiteral("0"));

    lblCommit = captionLabel(this, "lblCommit", QStringLiteral("Commit Data"));
    QFont bold = lblCommit->font();
    bold.setBold(true);
    lblCommit->setFont(bold);
    lblCommit->setVisible(false);
    grid->addWidget(lblCommit, 2, 2, Qt::AlignRight);

    pb1 = new QProgressBar(this);
    pb1->setObjectName(QStringLiteral("pb1"));
    pb1->setRange(0, 1);
    pb1->setValue(0);
    pb1->setTextVisible(false);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addStretch(1);
    column->addWidget(pb1);
    resize(635, 134);
}

TfrmDataProcess::TfrmDataProcess(QWidget* owner, const ImportJob& job) : TfrmDataProcess(owner, job.kind, job.sourceFile, job) {}

bool TfrmDataProcess::isRunning() const { return m_worker && m_worker->isRunning(); }

void TfrmDataProcess::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        FormShow();
    }
}

void TfrmDataProcess::FormShow() {
    txtFileName->setText(m_fileName);
    txtRecordType->setText(importCaption(m_dataType));
    m_worker = new ImportThread(m_job, this);
    connect(m_worker, &ImportThread::begun, this, [this](qint64 total) { showTotal(total); });
    connect(m_worker, &ImportThread::progress, this, [this](qint64 done, qint64 total) {
        showTotal(std::max(total, done));
        pb1->setValue(int(done));
    });
    connect(m_worker, &ImportThread::committing, this, [this] { lblCommit->setVisible(true); });
    connect(m_worker, &ImportThread::finished, this, &TfrmDataProcess::QueryFinished);
    m_worker->start();
}

void TfrmDataProcess::showTotal(qint64 lines) {
    txtRecords->setText(QString::number(lines));
    pb1->setMaximum(int(std::max<qint64>(1, lines)));
}

void TfrmDataProcess::QueryFinished(const ImportResult& result) {
    m_result = result;
    m_ended = true;
    if (result.ok)
        txtRecords->setText(QString::number(result.lines));
    emit importFinished(result);
    if (!result.ok)
        CenteredMessageDialog(this, result.failureText(m_setting), result.cancelled ? MsgKind::Information : MsgKind::Error, MsgButton::Ok);
    else if (result.hasNotes() && m_reportSkipped)
        CenteredMessageDialog(this, result.skippedText(), MsgKind::Information, MsgButton::Ok);
    done(result.ok ? QDialog::Accepted : QDialog::Rejected);
}

void TfrmDataProcess::askToCancel() {
    const MsgButton answer = CenteredMessageDialog(
        this,
        m_setting == ImportSetting::Update
            ? QStringLiteral("Stop the import of \"%1\"? %2").arg(m_fileName, importFailureOutcome(m_setting))
            : QStringLiteral("Stop the import of \"%1\"? Nothing of this file will be kept; it will be imported again at the next start.")
                  .arg(m_fileName),
        MsgKind::Confirmation, MsgButton::Yes | MsgButton::No);
    // The worker may have ended while the question was open; then there is nothing to stop.
    if (answer == MsgButton::Yes && isRunning())
        m_worker->cancel();
}

void TfrmDataProcess::reject() {
    if (isRunning()) {
        askToCancel();
        return;
    }
    if (m_started && !m_ended)
        return;   // the worker has not reported yet; the window closes when it does
    QDialog::reject();
}

void TfrmDataProcess::closeEvent(QCloseEvent* event) {
    if (isRunning() || (m_started && !m_ended)) {
        event->ignore();
        if (isRunning())
            askToCancel();
        return;
    }
    QDialog::closeEvent(event);
}
