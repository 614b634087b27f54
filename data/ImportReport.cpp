#include "data/ImportReport.h"

#include <QDir>
#include <QFileInfo>

void ImportReport::runOrNoteMissing(const ImportJob& job, const ImportRunner& runner) {
    if (!QFileInfo::exists(job.sourceFile)) {
        missing << QDir::toNativeSeparators(job.sourceFile);
        return;
    }
    add(runner(job));
}

QStringList ImportReport::failedFiles() const {
    QStringList out;
    for (const ImportResult& r : results)
        if (!r.ok)
            out << QDir::toNativeSeparators(r.file);
    return out;
}

QStringList ImportReport::skippedTexts() const {
    QStringList out;
    for (const ImportResult& r : results)
        if (r.ok && r.hasNotes())
            out << r.skippedText();
    return out;
}

qint64 ImportReport::lines() const { return total(&ImportResult::lines); }
qint64 ImportReport::rows() const { return total(&ImportResult::rows); }
qint64 ImportReport::skipped() const { return total(&ImportResult::skipped); }

qint64 ImportReport::total(qint64 ImportResult::*figure) const {
    qint64 n = 0;
    for (const ImportResult& r : results)
        n += r.*figure;
    return n;
}
