#include "data/TfrmFileDownload.h"

#include "data/Downloader.h"
#include "ui/MessageDialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TfrmFileDownload::TfrmFileDownload(QWidget* owner, const QString& aURL, const QString& aFileName)
    : QDialog(owner), req_url(aURL), req_filename(aFileName) {
    setObjectName(QStringLiteral("frmFileDownload"));
    setWindowTitle(QStringLiteral("File Downloader"));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    auto addRow = [&](int row, const char* captionName, const QString& caption, QLabel*& value, const char* valueName,
                      const QString& initial) {
        QLabel* c = namedLabel(this, captionName, caption);
        value = namedLabel(this, valueName, initial);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(caption.trimmed().remove(QLatin1Char(':')));
        c->setBuddy(value);
        grid->addWidget(c, row, 0);
        grid->addWidget(value, row, 1);
    };
    addRow(0, "lblRequestedFile", QStringLiteral("Requested File: "), reqFile, "reqFile", QStringLiteral("RemoteFileName"));
    addRow(1, "lblLocalFilename", QStringLiteral("Local Filename:"), lclFile, "lclFile", QStringLiteral("Localfilename"));
    addRow(2, "lblTotalBytesCaption", QStringLiteral("Total Bytes:"), lblTotalBytes, "lblTotalBytes", QStringLiteral("0"));
    addRow(3, "lblTransferedCaption", QStringLiteral("Bytes Transfered:"), lblTransfered, "lblTransfered", QStringLiteral("0"));
    // Long addresses and paths must not widen a fixed-size window.
    reqFile->setMinimumWidth(1);
    lclFile->setMinimumWidth(1);
    // Beside the figures, so the fixed-size window needs no extra row for it.
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    grid->addWidget(btnCancel, 2, 2, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFileDownload::btnCancelClick);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    // The labels above tell the figures; the bar is a plain bar.
    ProgressBar1->setTextVisible(false);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(2);
    column->addLayout(grid);
    column->addWidget(ProgressBar1);
    setFixedSize(645, 122);

    m_downloader = new Downloader(this);
    connect(m_downloader, &Downloader::progress, this, &TfrmFileDownload::NetHTTPRequest1ReceiveData);
    connect(m_downloader, &Downloader::finished, this, &TfrmFileDownload::QueryFinished);
}

TfrmFileDownload::~TfrmFileDownload() {
    // The downloader is a child and would go anyway; disconnecting first keeps its end from
    // reaching a half-destroyed window.
    disconnect(m_downloader, nullptr, this, nullptr);
    delete m_downloader;
}

void TfrmFileDownload::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        FormShow();
    }
}

void TfrmFileDownload::FormShow() {
    Finished = false;
    lclFile->setText(req_filename);
    reqFile->setText(req_url);
    m_downloader->start(QUrl(req_url), req_filename);
}

void TfrmFileDownload::NetHTTPRequest1ReceiveData(qint64 AContentLength, qint64 AReadCount) {
    const int percent = downloadPercent(AReadCount, AContentLength);
    TotalBytes = AContentLength;
    LastWorkCount = AReadCount;
    if (percent < 0) {
        ProgressBar1->setRange(0, 0);   // no length, no percentage: a busy bar
    } else {
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(percent);
    }
    if (TotalBytes > 0) {
        lblTotalBytes->setText(QString::number(TotalBytes));
        lblTransfered->setText(QString::number(LastWorkCount));
    }
}

void TfrmFileDownload::btnCancelClick() {
    if (!transferRunning())
        return;
    m_cancelled = true;
    m_downloader->abort();   // the end follows at once; the local file stays as it was
}

void TfrmFileDownload::QueryFinished(bool ok, const QString& error) {
    Finished = true;
    m_succeeded = ok;
    m_errorText = error;
    btnCancel->setEnabled(false);
    m_cancelled = m_cancelled && m_downloader->failure() == DownloadFailure::Aborted;
    if (!ok && !m_cancelled && m_reportErrors) {
        const QString text = m_downloader->failure() == DownloadFailure::LocalFile
                                 ? QStringLiteral("Downoad Error") + QLatin1Char('\n') + error
                                 : error;
        CenteredMessageDialog(this, text, MsgKind::Error, MsgButton::Ok);
    }
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void TfrmFileDownload::reject() {
    if (transferRunning())
        return;
    QDialog::reject();
}

void TfrmFileDownload::closeEvent(QCloseEvent* event) {
    if (transferRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
