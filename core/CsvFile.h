#pragma once
// The CSV files the program writes from result lists: every field, header and data alike, in
// double quotes with a double quote inside doubled; fields joined by a single comma; every line,
// the last included, ended by CR LF; UTF-8 without a byte-order mark; NULL as an empty field.
// CsvFileWriter streams lines into a temporary file beside the target and renames it into place
// only when everything is written, so a failed export never leaves half a file under the name.
// Collaborators: ResultTable (writeResultCsv), ExportGridToCSV (grids), the batch output.

#include "core/Job.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QSaveFile>
#include <QString>
#include <QStringList>

class ResultTable;

// Appends one quoted field (no separator) to the line.
void appendCsvField(QByteArray& line, QByteArrayView utf8);
// One line of quoted fields joined by commas, without its line end.
QString csvLine(const QStringList& fields);

class CsvFileWriter {
public:
    // Opens the temporary file; throws std::runtime_error "Cannot write "<file>": <reason>".
    explicit CsvFileWriter(const QString& fileName);
    void addField(QByteArrayView utf8);
    void addField(const QString& text) { addField(QByteArrayView(text.toUtf8())); }
    void endLine();
    // Flushes and renames the file into place (replacing an earlier one); throws as above.
    void commit();

private:
    void flush();
    [[noreturn]] void fail() const;

    QString m_fileName;
    QSaveFile m_file;
    QByteArray m_buffer;
    bool m_lineStarted = false;
};

// Writes the header and every row of the table in its display order, the given columns left to
// right. `control`, when given, counts the rows written and can stop the writing: JobCancelled
// is thrown and nothing is left under the file's name (nor the temporary file).
void writeResultCsv(const ResultTable& table, const QList<int>& columns, const QString& fileName,
                    JobControl* control = nullptr);

// The first line of a call-sign CSV file, as the batch conversion writes it and the command-line
// look-up prints it (17 names, written without quotes).
QString batchHeader();
