#pragma once
// LineReader: reads a source file in large blocks and hands out its physical lines as byte
// views, so that even the largest licence file never sits in memory whole. Line ends are found
// line by line: LF (a CR just before it is dropped) ends a line; a CR on its own ends a line
// only where the file really uses it, that is when no LF follows within the line bound, so a
// stray CR inside a field of a CR LF file never turns the file into a CR-ended one. A line
// longer than the bound is passed over without being held: the reader hands out an empty view
// and says so (lastLineTooLong), at a cost of one block of memory whatever its length.
// A UTF-8 byte-order mark is skipped; a UTF-16 one makes the reader decode the file to UTF-8
// first. CRs inside a line are left for the caller, because what they mean depends on the format.
// Collaborators: ImportEngine and UlsRecordAssembler (callers).

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

class LineReader {
public:
    // Far above any real record (an entity line is under 1 KiB).
    static constexpr qint64 kMaxLineLength = 64 * 1024;

    // Throws std::runtime_error naming the file when it cannot be opened.
    explicit LineReader(const QString& fileName, qint64 blockSize = 8 << 20, qint64 maxLineLength = kMaxLineLength);

    // The next line without its end; the view stays valid until the next call. False at the end.
    // Throws std::runtime_error when the file cannot be read.
    bool next(std::string_view& line);

    // The last line returned was longer than maxLineLength(): its view is empty.
    bool lastLineTooLong() const { return m_tooLong; }
    // Bytes of the last line returned, its end not counted (also for a line too long to keep).
    qint64 lastLineLength() const { return m_lastLength; }
    qint64 maxLineLength() const { return m_maxLine; }

    qint64 lineNumber() const { return m_lineNumber; }   // 1-based number of the last line returned
    // Lines the whole file probably holds, from the bytes read so far; exact once at the end.
    qint64 estimatedTotalLines() const;
    bool atEnd() const { return m_eof && m_pos >= m_end; }
    QString fileName() const { return m_fileName; }

private:
    void begin();
    bool fill();
    // Reads until at least n bytes follow m_pos, or the file ends.
    void ensure(size_t n);
    // Buffer index of the first LF in [from, limit) (both buffer indices), or npos. Remembers
    // how far it looked, so that a file without LFs is searched once, not once per line.
    size_t firstLf(size_t from, size_t limit);
    // A lone CR at buffer index cr ends its line when no LF follows within the line bound.
    bool crEndsLine(size_t cr);
    void skipLongLine();
    void deliver(std::string_view& line, size_t len, size_t used);

    QString m_fileName;
    QFile m_file;
    std::string m_buf;
    size_t m_pos = 0;
    size_t m_end = 0;
    qint64 m_bufStart = 0;      // position in the (decoded) file of m_buf[0]
    qint64 m_blockSize;
    qint64 m_maxLine;
    qint64 m_fileSize = 0;
    qint64 m_consumed = 0;
    qint64 m_lineNumber = 0;
    bool m_eof = false;
    bool m_tooLong = false;
    qint64 m_lastLength = 0;
    // No LF in [m_lfFrom, m_lfAt) (file positions); m_lfAt is an LF when m_lfFound.
    qint64 m_lfFrom = -1;
    qint64 m_lfAt = -1;
    bool m_lfFound = false;
    qint64 m_firstBlockLines = 0;
    qint64 m_firstBlockBytes = 0;
    bool m_firstBlockWhole = false;
};
