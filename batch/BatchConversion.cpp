#include "batch/BatchConversion.h"

#include "core/Paths.h"
#include "core/TextRoutines.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <exception>

namespace {

const QString kCsv = QStringLiteral(".csv");

int column(const Statement& st, const char* name) {
    const int i = st.columnIndex(QLatin1String(name));
    if (i < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(QLatin1String(name)));
    return i;
}

// Blanks around a delimited piece: spaces and tabs, as a typed list holds them.
QString trimBlanks(const QString& piece) {
    qsizetype from = 0, to = piece.size();
    while (from < to && (piece.at(from) == u' ' || piece.at(from) == u'\t'))
        ++from;
    while (to > from && (piece.at(to - 1) == u' ' || piece.at(to - 1) == u'\t'))
        --to;
    return piece.mid(from, to - from);
}

} // namespace

QStringList splitInputLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

QStringList batchCallSigns(const QString& text, QChar delimiter) {
    const QStringList lines = splitInputLines(text);
    QStringList calls;
    calls.reserve(lines.size());
    for (const QString& line : lines) {
        if (delimiter == u'\n') {
            calls << AsciiUpperCase(line);
            continue;
        }
        for (const QString& piece : line.split(delimiter)) {
            const QString call = trimBlanks(piece);
            if (!call.isEmpty())
                calls << AsciiUpperCase(call);
        }
    }
    return calls;
}

QString proposedOutputName(const QString& inputFile) {
    const QFileInfo info(inputFile);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot starts a hidden name, not an extension.
    const bool hasExtension = dot > 0;
    const QString base = hasExtension ? name.left(dot) : name;
    const bool isCsv = hasExtension && name.mid(dot).compare(kCsv, Qt::CaseInsensitive) == 0;
    const QString outName = base + (isCsv ? QStringLiteral("-out") : QString()) + kCsv;
    const QString folder = inputFile.left(inputFile.size() - name.size());
    return folder + outName;
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

BatchConverter::BatchConverter(Database& condb, Database& zipdb) : m_lookup(condb, zipdb) {
    const Statement& r = m_lookup.licence();
    m_callSign = column(r, "call_sign");
    m_entityName = column(r, "entity_name");
    m_street = column(r, "street_address");
    m_poBox = column(r, "po_box");
    m_city = column(r, "city");
    m_state = column(r, "state");
    m_zip = column(r, "zip_code");
    m_first = column(r, "first_name");
    m_last = column(r, "last_name");
    m_mi = column(r, "mi");
    m_county = column(r, "county");
    m_grant = column(r, "grant_date");
    m_expired = column(r, "expired_date");
}

const BatchConverter::Place& BatchConverter::place(const QString& zipKey) {
    auto it = m_places.constFind(zipKey);
    if (it != m_places.constEnd())
        return *it;
    Place p;
    const ZipGeography g = m_lookup.zip(zipKey);
    if (g.found) {
        p.found = true;
        p.grid = m_ham.LatLongToLocator(g.latitude, g.longitude);
        p.latitude = CsvQuoted(FloatText(g.latitude));
        p.longitude = CsvQuoted(FloatText(g.longitude));
    }
    return *m_places.insert(zipKey, p);
}

QString BatchConverter::ConvertCallsign(const QString& callSign) {
    if (!m_lookup.find(callSign))
        return QString();
    const Statement& r = m_lookup.licence();
    const QChar comma = QLatin1Char(',');
    const Place& at = place(usZipKey(r.text(m_zip)));
    QString line;
    line.reserve(192);
    line += CsvQuoted(r.text(m_callSign)) + comma;
    line += CsvQuoted(r.text(m_entityName)) + comma;
    line += CsvQuoted(streetOrPoBox(r.text(m_street), r.text(m_poBox))) + comma;
    line += CsvQuoted(r.text(m_city)) + comma;
    line += CsvQuoted(r.text(m_state)) + comma;
    line += CsvQuoted(r.text(m_zip)) + comma;
    line += at.grid + comma;
    line += comma;   // TenTen
    line += comma;   // VP
    line += CsvQuoted(r.text(m_first)) + comma;
    line += CsvQuoted(r.text(m_last)) + comma;
    line += CsvQuoted(r.text(m_mi)) + comma;
    line += CsvQuoted(r.text(m_county)) + comma;
    line += at.latitude + comma;
    line += at.longitude + comma;
    line += CsvQuoted(r.text(m_grant)) + comma;
    line += CsvQuoted(r.text(m_expired));
    return line;
}

BatchResult convertBatchFile(const BatchJob& job, const BatchProgress& progress, const std::atomic_bool& cancel) {
    BatchResult result;
    try {
        const QStringList calls = batchCallSigns(readTextFile(job.inputFile), job.delimiter);
        result.calls = calls.size();
        if (progress.begun)
            progress.begun(result.calls);

        Database condb, zipdb;
        condb.openReadOnly(job.licenceDatabase);
        zipdb.openReadOnly(job.zipDatabase);
        // Scattered look-ups over a large file: reading pages through a mapping (SQLite caps the
        // size at its own limit) costs far less than one system call per page.
        for (Database* db : {&condb, &zipdb})
            db->exec(QStringLiteral("PRAGMA mmap_size=4294967296"));
        // One read transaction for the whole run: without it SQLite takes and drops its file lock
        // and checks the file for changes around every single look-up.
        TransactionGuard licenceSnapshot(condb);
        TransactionGuard zipSnapshot(zipdb);
        BatchConverter converter(condb, zipdb);

        QSaveFile out(job.outputFile);
        if (!out.open(QIODevice::WriteOnly))
            throw std::runtime_error(
                QStringLiteral("Cannot write \"%1\": %2").arg(job.outputFile, out.errorString()).toStdString());
        QByteArray buffer = batchHeader().toUtf8() + "\r\n";
        auto flush = [&] {
            if (out.write(buffer) != buffer.size())
                throw std::runtime_error(
                    QStringLiteral("Cannot write \"%1\": %2").arg(job.outputFile, out.errorString()).toStdString());
            buffer.clear();
        };
        qint64 done = 0;
        for (const QString& call : calls) {
            if (cancel.load(std::memory_order_relaxed)) {
                out.cancelWriting();
                result.cancelled = true;
                return result;
            }
            buffer += converter.ConvertCallsign(call).toUtf8();
            buffer += "\r\n";
            if (buffer.size() >= 1 << 16)
                flush();
            if (progress.advanced)
                progress.advanced(++done);
        }
        flush();
        if (cancel.load()) {
            out.cancelWriting();
            result.cancelled = true;
            return result;
        }
        QString reason;
        if (!commitSaveFile(out, reason))
            throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(job.outputFile, reason).toStdString());
        result.ok = true;
    } catch (const std::exception& e) {
        result.error = QString::fromUtf8(e.what());
    }
    return result;
}
