#include "data/LineReader.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& what) { throw std::runtime_error(what.toStdString()); }

} // namespace

LineReader::LineReader(const QString& fileName, qint64 blockSize)
    : m_fileName(fileName), m_file(fileName), m_blockSize(blockSize > 0 ? blockSize : (8 << 20)) {
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, m_file.errorString()));
    m_fileSize = m_file.isSequential() ? 0 : m_file.size();
    begin();
}

bool LineReader::fill() {
    if (m_eof)
        return false;
    const size_t left = m_end - m_pos;
    if (m_pos > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_pos, left);
        m_pos = 0;
        m_end = left;
    }
    if (m_buf.size() < left + size_t(m_blockSize))
        m_buf.resize(left + size_t(m_blockSize));
    const qint64 got = m_file.read(m_buf.data() + m_end, m_blockSize);
    if (got < 0)
        fail(QStringLiteral("Cannot read \"%1\": %2").arg(m_fileName, m_file.errorString()));
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += size_t(got);
    return true;
}

void LineReader::begin() {
    fill();
    while (!m_eof && m_end < 4)   // a pipe may deliver the byte-order mark piecemeal
        fill();
    const char* b = m_buf.data();
    if (m_end >= 3 && std::memcmp(b, "\xEF\xBB\xBF", 3) == 0) {
        m_pos = 3;
    } else if (m_end >= 2 && (std::memcmp(b, "\xFF\xFE", 2) == 0 || std::memcmp(b, "\xFE\xFF", 2) == 0)) {
        // UTF-16 is rare enough to be decoded whole and then served as UTF-8.
        const bool le = b[0] == '\xFF';
        while (fill()) {
        }
        QStringDecoder dec(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        const QString text = dec(QByteArrayView(m_buf.data() + 2, qsizetype(m_end - 2)));
        const QByteArray utf8 = text.toUtf8();
        m_buf.assign(utf8.constData(), size_t(utf8.size()));
        m_pos = 0;
        m_end = m_buf.size();
        m_fileSize = qint64(m_end);
    }
    // Only a file without any LF is CR-ended; look past a first line longer than the block.
    auto hasLf = [this] { return std::memchr(m_buf.data() + m_pos, '\n', m_end - m_pos) != nullptr; };
    while (!hasLf() && m_end - m_pos < (1u << 20) && fill()) {
    }
    m_crMode = !hasLf() && std::memchr(m_buf.data() + m_pos, '\r', m_end - m_pos) != nullptr;
    const char term = m_crMode ? '\r' : '\n';
    m_firstBlockBytes = qint64(m_end - m_pos);
    m_firstBlockLines = qint64(std::count(m_buf.data() + m_pos, m_buf.data() + m_end, term));
    m_firstBlockWhole = m_eof || (m_fileSize > 0 && qint64(m_end) >= m_fileSize);
    if (m_firstBlockWhole && m_end > m_pos && m_buf[m_end - 1] != term)
        ++m_firstBlockLines;
}

bool LineReader::next(std::string_view& line) {
    const char term = m_crMode ? '\r' : '\n';
    for (;;) {
        const char* start = m_buf.data() + m_pos;
        const void* hit = m_pos < m_end ? std::memchr(start, term, m_end - m_pos) : nullptr;
        if (hit || (m_eof && m_pos < m_end)) {
            const char* stop = hit ? static_cast<const char*>(hit) : m_buf.data() + m_end;
            size_t len = size_t(stop - start);
            const size_t used = hit ? len + 1 : len;
            if (!m_crMode && len > 0 && start[len - 1] == '\r')
                --len;
            line = std::string_view(start, len);
            m_pos += used;
            m_consumed += qint64(used);
            ++m_lineNumber;
            return true;
        }
        if (!fill() && m_pos >= m_end)
            return false;
    }
}

qint64 LineReader::estimatedTotalLines() const {
    if (atEnd())
        return m_lineNumber;
    if (m_firstBlockWhole)
        return m_firstBlockLines;   // the whole file came in the first block: the count is exact
    double perByte = 0.0;
    if (m_consumed > 0 && m_lineNumber > 0)
        perByte = double(m_lineNumber) / double(m_consumed);
    else if (m_firstBlockBytes > 0)
        perByte = double(m_firstBlockLines) / double(m_firstBlockBytes);
    if (m_fileSize <= 0 || perByte <= 0.0)
        return m_lineNumber;
    return std::max(m_lineNumber, qint64(perByte * double(m_fileSize) + 0.5));
}

// ---------------------------------------------------------------------------

UlsRecordAssembler::UlsRecordAssembler(LineReader& reader, std::string_view recordType)
    : m_reader(reader), m_prefix(std::string(recordType) + '|') {}

bool UlsRecordAssembler::startsRecord(std::string_view piece) const {
    return piece.size() >= m_prefix.size() && piece.compare(0, m_prefix.size(), m_prefix) == 0;
}

bool UlsRecordAssembler::nextPiece(std::string_view& piece, qint64& line) {
    if (!m_lineOpen) {
        if (!m_reader.next(m_line))
            return false;
        m_lineOpen = true;
        m_lineNo = m_reader.lineNumber();
    }
    line = m_lineNo;
    const size_t cr = m_line.find('\r');
    if (cr == std::string_view::npos) {
        piece = m_line;
        m_lineOpen = false;
    } else {
        piece = m_line.substr(0, cr);
        m_line.remove_prefix(cr + 1);
    }
    return true;
}

bool UlsRecordAssembler::next(Record& out) {
    std::string_view piece;
    qint64 line = 0;
    while (nextPiece(piece, line)) {
        if (piece.empty())
            continue;
        if (startsRecord(piece)) {
            if (m_hasPending) {
                m_out.swap(m_pending);
                out = {m_out, m_pendingLine, m_pendingLastLine, m_pendingPieces, false};
                m_pending.assign(piece);
                m_pendingLine = line;
                m_pendingLastLine = line;
                m_pendingPieces = 1;
                return true;
            }
            m_pending.assign(piece);
            m_pendingLine = line;
            m_pendingLastLine = line;
            m_pendingPieces = 1;
            m_hasPending = true;
            continue;
        }
        if (m_hasPending) {
            const bool tight = m_pending.empty() || m_pending.back() == '|' || m_pending.back() == ' ' || piece.front() == '|' ||
                               piece.front() == ' ';
            if (!tight)
                m_pending += ' ';
            m_pending.append(piece);
            m_pendingLastLine = line;
            ++m_pendingPieces;
            continue;
        }
        m_orphan.assign(piece);
        out = {m_orphan, line, line, 1, true};
        return true;
    }
    if (m_hasPending) {
        m_hasPending = false;
        m_out.swap(m_pending);
        out = {m_out, m_pendingLine, m_pendingLastLine, m_pendingPieces, false};
        return true;
    }
    return false;
}
