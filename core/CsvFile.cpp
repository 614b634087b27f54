#include "core/CsvFile.h"

#include "core/Paths.h"

#include <cerrno>

#include "core/ResultTable.h"

#include <cstring>
#include <stdexcept>

namespace {
constexpr qsizetype kFlushAt = 1 << 20;
}

void appendCsvField(QByteArray& line, QByteArrayView utf8) {
    line += '"';
    const char* p = utf8.data();
    const char* end = p + utf8.size();
    while (p < end) {
        const auto* quote = static_cast<const char*>(std::memchr(p, '"', size_t(end - p)));
        if (!quote) {
            line.append(p, end - p);
            break;
        }
        line.append(p, quote + 1 - p);
        line += '"';
        p = quote + 1;
    }
    line += '"';
}

QString csvLine(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        appendCsvField(line, fields.at(i).toUtf8());
    }
    return QString::fromUtf8(line);
}

CsvFileWriter::CsvFileWriter(const QString& fileName) : m_fileName(fileName), m_file(fileName) {
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
    m_buffer.reserve(kFlushAt + 4096);
}

void CsvFileWriter::fail() const {
    throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(m_fileName, fileWriteError(m_file)).toStdString());
}

void CsvFileWriter::addField(QByteArrayView utf8) {
    if (m_lineStarted)
        m_buffer += ',';
    m_lineStarted = true;
    appendCsvField(m_buffer, utf8);
}

void CsvFileWriter::endLine() {
    m_buffer += "\r\n";
    m_lineStarted = false;
    if (m_buffer.size() >= kFlushAt)
        flush();
}

void CsvFileWriter::flush() {
    errno = 0;
    if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
        fail();
    m_buffer.clear();
}

void CsvFileWriter::commit() {
    flush();
    QString reason;
    if (!commitSaveFile(m_file, reason))
        throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(m_fileName, reason).toStdString());
}

void writeResultCsv(const ResultTable& table, const QList<int>& columns, const QString& fileName, JobControl* control) {
    CsvFileWriter out(fileName);
    for (int c : columns)
        out.addField(table.fieldNames().at(c));
    out.endLine();
    const qsizetype rows = table.rowCount();
    // Rows in display order lie anywhere in memory; fetching them ahead keeps the loop off the
    // memory's latency (the offsets 32 rows ahead, the text 16 rows ahead).
    for (qsizetype r = 0; r < rows; ++r) {
        if (r + 32 < rows)
            table.prefetchRow(r + 32, columns, false);
        if (r + 16 < rows)
            table.prefetchRow(r + 16, columns, true);
        for (int c : columns)
            out.addField(table.utf8(r, c));
        out.endLine();
        if (control && (r & 0x3FFF) == 0x3FFF) {
            control->setDone(r + 1);
            control->checkCancelled();
        }
    }
    if (control) {
        control->setDone(rows);
        control->checkCancelled();
    }
    out.commit();
}

QString batchHeader() {
    return QStringLiteral("Call Sign,Entity Name,Street Address,City,State,Zipcode,Grid,TenTen,VP,First Name,Last Name,MI,County,"
                          "Latitude,Longitude,Grant Date,Expired Date");
}
