#pragma once
// ImportReport: what one database check did, source by source: the imports that ran (each with
// its result) and the sources whose file was not there. The main window turns it into its
// messages, the update sequence into its decision, the headless importer into its lines.
// Collaborators: ImportResult (ImportEngine), runCheckDatabases (through an import step).

#include "core/ImportTypes.h"
#include "data/ImportEngine.h"

#include <QList>
#include <QStringList>
#include <functional>

using ImportRunner = std::function<ImportResult(const ImportJob&)>;

struct ImportReport {
    QList<ImportResult> results;   // in the order they ran
    QStringList missing;           // source files that were not found (not imported)

    // Runs the import unless its file is missing, which is noted instead.
    void runOrNoteMissing(const ImportJob& job, const ImportRunner& runner);
    void add(const ImportResult& result) { results << result; }
    void clear() {
        results.clear();
        missing.clear();
    }

    bool allImported() const { return missing.isEmpty() && failedFiles().isEmpty(); }
    QStringList failedFiles() const;
    // The report of every import that succeeded with something to tell (skipped lines, mends).
    QStringList skippedTexts() const;
    int failures() const { return int(failedFiles().size()); }
    qint64 lines() const;
    qint64 rows() const;
    qint64 skipped() const;

private:
    qint64 total(qint64 ImportResult::*figure) const;
};
