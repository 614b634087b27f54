#pragma once
// TfrmDataProcess ("Data Processor"): the modal window of one import. It starts the import on
// a worker thread when first shown, shows the file, the record type, the number of lines and
// the progress, and closes itself when the worker has ended, after telling the user about a
// failure (file, line, reason) or about skipped lines. While the worker runs the window can
// only be closed through a cancel the user confirms; the cancel rolls the file back.
// Collaborators: ImportThread/ImportEngine (the work), CenteredMessageDialog (the questions
// and reports), CheckDatabases (creates one per import and waits in exec()).

#include "core/ImportTypes.h"
#include "data/ImportEngine.h"

#include <QDialog>

class QLabel;
class QProgressBar;

class TfrmDataProcess : public QDialog {
    Q_OBJECT
public:
    // The kind and the file name take the place of those in the job, which gives the databases.
    TfrmDataProcess(QWidget* owner, TDataType dataType, const QString& fileName, const ImportJob& job);
    TfrmDataProcess(QWidget* owner, const ImportJob& job);

    bool isRunning() const;
    // Whether the window itself tells about skipped lines when it ends (a caller that runs several
    // imports may gather them into one report instead).
    void setReportSkipped(bool report) { m_reportSkipped = report; }
    // Where the import runs: what a failure means for the user's data depends on it.
    void setSetting(ImportSetting setting) { m_setting = setting; }
    // The outcome once the worker has ended.
    const ImportResult& importResult() const { return m_result; }

public slots:
    void reject() override;

signals:
    void importFinished(const ImportResult& result);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void QueryFinished(const ImportResult& result);
    void askToCancel();
    void showTotal(qint64 lines);

    TDataType m_dataType;
    QString m_fileName;
    ImportJob m_job;
    ImportThread* m_worker = nullptr;
    ImportResult m_result;
    bool m_started = false;
    bool m_ended = false;
    bool m_reportSkipped = true;
    ImportSetting m_setting = ImportSetting::StartUp;

    QLabel* txtFileName = nullptr;
    QLabel* txtRecordType = nullptr;
    QLabel* txtRecords = nullptr;
    QLabel* lblCommit = nullptr;
    QProgressBar* pb1 = nullptr;
};
