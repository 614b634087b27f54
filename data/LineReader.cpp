#include "data/LineReader.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& what) { throw std::runtime_error(what.toStdString()); }

constexpr size_t npos = std::string::npos;

} // namespace

LineReader::LineReader(const QString& fileName, qint64 blockSize, qint64 maxLineLength)
    : m_fileName(fileName), m_file(fileName), m_blockSize(blockSize > 0 ? blockSize : (8 << 20)),
      m_maxLine(maxLineLength > 0 ? maxLineLength : kMaxLineLength) {
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
        m_bufStart += qint64(m_pos);
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

void LineReader::ensure(size_t n) {
    while (m_end - m_pos < n && fill()) {
    }
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
        m_bufStart = 0;
        m_fileSize = qint64(m_end);
    }
    // The first block gives the line count estimate; look past a first line longer than the block.
    auto hasLf = [this] { return std::memchr(m_buf.data() + m_pos, '\n', m_end - m_pos) != nullptr; };
    while (!hasLf() && m_end - m_pos < (1u << 20) && fill()) {
    }
    const char term = hasLf() ? '\n' : '\r';
    m_firstBlockBytes = qint64(m_end - m_pos);
    m_firstBlockLines = qint64(std::count(m_buf.data() + m_pos, m_buf.data() + m_end, term));
    m_firstBlockWhole = m_eof || (m_fileSize > 0 && qint64(m_end) >= m_fileSize);
    if (m_firstBlockWhole && m_end > m_pos && m_buf[m_end - 1] != term)
        ++m_firstBlockLines;
}

size_t LineReader::firstLf(size_t from, size_t limit) {
    const qint64 fromAt = m_bufStart + qint64(from);
    qint64 startAt = fromAt;
    if (m_lfFrom >= 0 && fromAt >= m_lfFrom && fromAt <= m_lfAt) {
        if (m_lfFound) {
            const size_t at = size_t(m_lfAt - m_bufStart);
            return at < limit ? at : npos;
        }
        startAt = m_lfAt;
    } else {
        m_lfFrom = fromAt;
        m_lfAt = fromAt;
        m_lfFound = false;
    }
    const size_t start = size_t(startAt - m_bufStart);
    if (start >= limit)
        return npos;
    const void* hit = std::memchr(m_buf.data() + start, '\n', limit - start);
    if (hit) {
        const size_t at = size_t(static_cast<const char*>(hit) - m_buf.data());
        m_lfAt = m_bufStart + qint64(at);
        m_lfFound = true;
        return at;
    }
    m_lfAt = m_bufStart + qint64(limit);
    return npos;
}

void LineReader::deliver(std::string_view& line, size_t len, size_t used) {
    line = std::string_view(m_buf.data() + m_pos, len);
    m_lastLength = qint64(len);
    m_pos += used;
    m_consumed += qint64(used);
    ++m_lineNumber;
}

bool LineReader::next(std::string_view& line) {
    m_tooLong = false;
    const size_t bound = size_t(m_maxLine);
    ensure(bound + 2);
    if (m_pos >= m_end)
        return false;
    const size_t p = m_pos;
    const size_t lf = firstLf(p, std::min(m_end, p + bound + 2));
    if (lf != npos) {
        size_t len = lf - p;
        if (len > 0 && m_buf[lf - 1] == '\r')
            --len;
        if (len <= bound) {
            deliver(line, len, lf - p + 1);
            return true;
        }
        deliver(line, 0, lf - p + 1);
        m_lastLength = qint64(len);
        m_tooLong = true;
        return true;
    }
    // No LF within the bound: here the file ends its lines with CR alone, or the line is too long.
    const void* cr = std::memchr(m_buf.data() + p, '\r', std::min(m_end, p + bound + 1) - p);
    if (cr) {
        const size_t at = size_t(static_cast<const char*>(cr) - m_buf.data());
        deliver(line, at - p, at - p + 1);
        return true;
    }
    if (m_eof && m_end - p <= bound) {
        deliver(line, m_end - p, m_end - p);
        return true;
    }
    skipLongLine();
    line = std::string_view();
    return true;
}

void LineReader::skipLongLine() {
    qint64 length = 0;
    auto pass = [&](size_t n) {
        m_pos += n;
        m_consumed += qint64(n);
    };
    for (;;) {
        const char* s = m_buf.data() + m_pos;
        const size_t n = m_end - m_pos;
        const char* lf = static_cast<const char*>(std::memchr(s, '\n', n));
        const size_t upto = lf ? size_t(lf - s) : n;
        const char* cr = static_cast<const char*>(std::memchr(s, '\r', upto));
        if (cr) {
            const size_t at = size_t(cr - s);
            if (at + 1 == n && !m_eof) {
                // Perhaps the CR of a CR LF pair: see the next byte first.
                length += qint64(at);
                pass(at);
                fill();
                continue;
            }
            length += qint64(at);
            pass(at + 1 < n && s[at + 1] == '\n' ? at + 2 : at + 1);
            break;
        }
        if (lf) {
            length += qint64(upto);
            pass(upto + 1);
            break;
        }
        length += qint64(n);
        pass(n);
        if (!fill())
            break;
    }
    ++m_lineNumber;
    m_lastLength = length;
    m_tooLong = true;
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
