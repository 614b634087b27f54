#pragma once
// UlsRecordAssembler: puts ULS records back together from the lines of a file, and decides
// which lines belong to no record. Lines are cut again at stray CRs; each piece either
// - starts a record: it begins with the file's record type and "|" ("EN|"), or does so once
//   leading blanks, tabs, NULs, CRs and byte-order marks are trimmed, the type is read without
//   regard to case and a CR or blank between the type and its "|" is dropped ("en|", " EN|",
//   "EN\r|"), as long as the unique system identifier follows; such a record is marked repaired;
// - continues the record before it: real continuations are pieces of a field broken by a line
//   end, so the joined record must keep within the layout's field count and the length bound
//   (the break becomes one blank unless a field separator or blank is next to it);
// - or is placed nowhere: a piece before the first record, a piece that would push the record
//   before it past its field count or length bound, a line too long to read, and every
//   non-record piece after such a one up to the next record start. Consecutive pieces placed
//   nowhere come out as one skipped run that says which lines it covered and why.
// A record is never changed by a piece that is refused, so a damaged line cannot rewrite the
// licence before it.
// Collaborators: LineReader (lines), ImportEngine (driver), RecordParsers (the reasons of skipped runs).

#include "core/ImportTypes.h"
#include "data/LineReader.h"

#include <functional>

#include <string>
#include <string_view>

class UlsRecordAssembler {
public:
    struct Record {
        std::string_view text;            // empty for a skipped run
        qint64 firstLine = 0;
        qint64 lastLine = 0;
        int pieces = 1;                   // lines or stray-CR pieces it was put together from
        const char* skipReason = nullptr; // set for a run of lines placed nowhere
        bool repaired = false;            // its start was damaged and was read after trimming
        qint64 lines() const { return lastLine - firstLine + 1; }
    };

    // maxFields: the layout's field count (no limit when 0); maxLength: bytes a joined record may hold.
    UlsRecordAssembler(LineReader& reader, std::string_view recordType, int maxFields = 0,
                       size_t maxLength = size_t(LineReader::kMaxLineLength));

    // The next record or skipped run, in file order. The view stays valid until the next call.
    bool next(Record& out);

private:
    struct Piece {
        std::string_view text;
        qint64 line = 0;
        bool tooLong = false;
        bool startsRecord = false;
        bool repaired = false;   // text is the record after its "|": the type goes in front
    };
    bool nextPiece(Piece& piece);
    // Length of a damaged record start ("\xEF\xBB\xBF en\r|") up to and including its "|",
    // or 0 when the text does not start a record of this type after trimming.
    size_t damagedHead(std::string_view text) const;

    bool emitPending(Record& out);
    bool emitSkip(Record& out);
    void startPending(const Piece& piece);
    void startSkip(const Piece& piece, const char* reason);

    LineReader& m_reader;
    std::string m_type;           // "EN"
    std::string m_prefix;         // "EN|"
    int m_maxBars;                // separators a record may hold; < 0 without limit
    size_t m_maxLength;
    std::string_view m_line;      // rest of the current line, still to be cut at CRs
    bool m_lineOpen = false;
    qint64 m_lineNo = 0;

    std::string m_pending;        // record being assembled
    qint64 m_pendingLine = 0;
    qint64 m_pendingLastLine = 0;
    int m_pendingPieces = 0;
    int m_pendingBars = 0;
    bool m_pendingRepaired = false;
    bool m_hasPending = false;

    const char* m_skipReason = nullptr;   // run of skipped pieces being gathered
    qint64 m_skipLine = 0;
    qint64 m_skipLastLine = 0;
    int m_skipPieces = 0;

    std::string m_out;            // record handed out
};

class CountyTable;
class RowValues;

// Every record of a ULS file of one kind, put together and built into its table row by the
// import's rules (the weekly load and the daily changes read the same way): `row` gets each row
// built, `skipped` each record or run of lines left out with the reason; after each, `done` gets
// the number of the last line read so far.
struct UlsRowVisitor {
    std::function<void(const UlsRecordAssembler::Record&, const RowValues&)> row;
    std::function<void(const UlsRecordAssembler::Record&, const char* reason)> skipped;
    std::function<void(qint64 lastLine)> done;
};
void readUlsRows(LineReader& reader, TDataType kind, const CountyTable& counties, const UlsRowVisitor& visit);
