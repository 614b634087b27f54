#pragma once
// LineReader: reads a source file in large blocks and hands out its physical lines as byte
// views, so that even the largest licence file never sits in memory whole. A line ends at LF
// (a CR just before it is dropped); a file without any LF is taken as CR-ended. A UTF-8
// byte-order mark is skipped; a UTF-16 one makes the reader decode the file to UTF-8 first.
// CRs inside a line are left for the caller, because what they mean depends on the format.
//
// UlsRecordAssembler: puts ULS records back together. A piece of a line (lines are cut again
// at stray CRs) that does not begin with the file's record type and "|" continues the record
// before it; the break becomes one blank unless a field separator or blank is next to it.
// Collaborators: ImportEngine (drives both), the record builders (receive the records).

#include <QFile>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

class LineReader {
public:
    // Throws std::runtime_error naming the file when it cannot be opened.
    explicit LineReader(const QString& fileName, qint64 blockSize = 8 << 20);

    // The next line without its end; the view stays valid until the next call. False at the end.
    // Throws std::runtime_error when the file cannot be read.
    bool next(std::string_view& line);

    qint64 lineNumber() const { return m_lineNumber; }   // 1-based number of the last line returned
    // Lines the whole file probably holds, from the bytes read so far; exact once at the end.
    qint64 estimatedTotalLines() const;
    bool atEnd() const { return m_eof && m_pos >= m_end; }
    QString fileName() const { return m_fileName; }

private:
    void begin();
    bool fill();

    QString m_fileName;
    QFile m_file;
    std::string m_buf;
    size_t m_pos = 0;
    size_t m_end = 0;
    qint64 m_blockSize;
    qint64 m_fileSize = 0;
    qint64 m_consumed = 0;
    qint64 m_lineNumber = 0;
    bool m_eof = false;
    bool m_crMode = false;
    qint64 m_firstBlockLines = 0;
    qint64 m_firstBlockBytes = 0;
    bool m_firstBlockWhole = false;
};

class UlsRecordAssembler {
public:
    struct Record {
        std::string_view text;
        qint64 firstLine = 0;
        qint64 lastLine = 0;
        int pieces = 1;           // lines or stray-CR pieces it was put together from
        bool orphan = false;      // a piece before the first record: no record to continue
    };

    UlsRecordAssembler(LineReader& reader, std::string_view recordType);

    // The next whole record (or orphan piece). The view stays valid until the next call.
    bool next(Record& out);

private:
    bool nextPiece(std::string_view& piece, qint64& line);
    bool startsRecord(std::string_view piece) const;

    LineReader& m_reader;
    std::string m_prefix;         // "EN|"
    std::string_view m_line;      // rest of the current line, still to be cut at CRs
    bool m_lineOpen = false;
    qint64 m_lineNo = 0;

    std::string m_pending;        // record being assembled
    qint64 m_pendingLine = 0;
    qint64 m_pendingLastLine = 0;
    int m_pendingPieces = 0;
    bool m_hasPending = false;

    std::string m_out;            // record handed out
    std::string m_orphan;
};
