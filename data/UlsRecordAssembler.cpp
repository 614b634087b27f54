#include "data/UlsRecordAssembler.h"

#include "data/RecordParsers.h"

#include <algorithm>

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
inline char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// A unique system identifier is a number of at most nine digits; leave room for growth.
constexpr size_t kMaxIdDigits = 12;

int bars(std::string_view s) { return int(std::count(s.begin(), s.end(), '|')); }

} // namespace

UlsRecordAssembler::UlsRecordAssembler(LineReader& reader, std::string_view recordType, int maxFields, size_t maxLength)
    : m_reader(reader), m_type(recordType), m_prefix(std::string(recordType) + '|'), m_maxBars(maxFields > 0 ? maxFields - 1 : -1),
      m_maxLength(maxLength) {}

size_t UlsRecordAssembler::damagedHead(std::string_view text) const {
    const size_t n = text.size();
    size_t i = 0;
    for (;;) {
        if (text.substr(i, kBom.size()) == kBom)
            i += kBom.size();
        else if (i < n && isBlankOrControl(text[i]))
            ++i;
        else
            break;
    }
    if (n - i < m_type.size())
        return 0;
    for (const char t : m_type)
        if (upper(text[i++]) != t)
            return 0;
    while (i < n && text[i] != '|' && isBlankOrControl(text[i]))
        ++i;
    if (i >= n || text[i] != '|')
        return 0;
    const size_t bar = i++;
    const size_t digits = i;
    while (i < n && isDigit(text[i]))
        ++i;
    if (i == digits || i - digits > kMaxIdDigits || i >= n || text[i] != '|')
        return 0;
    return bar + 1;
}

bool UlsRecordAssembler::nextPiece(Piece& piece) {
    piece = Piece();
    if (!m_lineOpen) {
        if (!m_reader.next(m_line))
            return false;
        m_lineNo = m_reader.lineNumber();
        if (m_reader.lastLineTooLong()) {
            piece.line = m_lineNo;
            piece.tooLong = true;
            return true;
        }
        m_lineOpen = true;
    }
    piece.line = m_lineNo;
    if (m_line.substr(0, m_prefix.size()) == m_prefix) {
        piece.startsRecord = true;
    } else if (const size_t head = damagedHead(m_line)) {
        // Before cutting at CRs: the CR may sit inside the damaged start itself.
        piece.startsRecord = true;
        piece.repaired = true;
        m_line.remove_prefix(head);
    }
    const size_t cr = m_line.find('\r');
    if (cr == std::string_view::npos) {
        piece.text = m_line;
        m_lineOpen = false;
    } else {
        piece.text = m_line.substr(0, cr);
        m_line.remove_prefix(cr + 1);
    }
    return true;
}

bool UlsRecordAssembler::emitPending(Record& out) {
    m_hasPending = false;
    m_out.swap(m_pending);
    out = Record{m_out, m_pendingLine, m_pendingLastLine, m_pendingPieces, nullptr, m_pendingRepaired};
    return true;
}

bool UlsRecordAssembler::emitSkip(Record& out) {
    out = Record{{}, m_skipLine, m_skipLastLine, m_skipPieces, m_skipReason, false};
    m_skipReason = nullptr;
    return true;
}

void UlsRecordAssembler::startPending(const Piece& piece) {
    if (piece.repaired) {
        m_pending.assign(m_prefix);
        m_pending.append(piece.text);
    } else {
        m_pending.assign(piece.text);
    }
    m_pendingBars = bars(m_pending);
    m_pendingLine = piece.line;
    m_pendingLastLine = piece.line;
    m_pendingPieces = 1;
    m_pendingRepaired = piece.repaired;
    m_hasPending = true;
}

void UlsRecordAssembler::startSkip(const Piece& piece, const char* reason) {
    m_skipReason = reason;
    m_skipLine = piece.line;
    m_skipLastLine = piece.line;
    m_skipPieces = 1;
}

bool UlsRecordAssembler::next(Record& out) {
    Piece piece;
    while (nextPiece(piece)) {
        if (piece.startsRecord) {
            const bool ended = m_hasPending ? emitPending(out) : m_skipReason ? emitSkip(out) : false;
            startPending(piece);
            if (ended)
                return true;
            continue;
        }
        if (!piece.tooLong && piece.text.empty())
            continue;
        if (m_skipReason) {
            // What follows a refused line up to the next record belongs with it, not with the record before.
            m_skipLastLine = piece.line;
            ++m_skipPieces;
            continue;
        }
        if (!m_hasPending) {
            startSkip(piece, piece.tooLong ? skip::TooLong : skip::Orphan);
            continue;
        }
        const char* refused = nullptr;
        const int pieceBars = piece.tooLong ? 0 : bars(piece.text);
        if (piece.tooLong)
            refused = skip::TooLong;
        else if (pieceBars > 0 && m_maxBars >= 0 && m_pendingBars + pieceBars > m_maxBars)
            refused = skip::ExtraFields;
        else if (m_pending.size() + 1 + piece.text.size() > m_maxLength)
            refused = skip::TooLongRecord;
        if (refused) {
            emitPending(out);
            startSkip(piece, refused);
            return true;
        }
        const bool tight = m_pending.empty() || m_pending.back() == '|' || m_pending.back() == ' ' || piece.text.front() == '|' ||
                           piece.text.front() == ' ';
        if (!tight)
            m_pending += ' ';
        m_pending.append(piece.text);
        m_pendingBars += pieceBars;
        m_pendingLastLine = piece.line;
        ++m_pendingPieces;
    }
    if (m_hasPending)
        return emitPending(out);
    if (m_skipReason)
        return emitSkip(out);
    return false;
}

void readUlsRows(LineReader& reader, TDataType kind, const CountyTable& counties, const UlsRowVisitor& visit) {
    UlsRecordAssembler records(reader, ulsRecordType(kind), ulsFieldCount(kind));
    UlsRecordAssembler::Record rec;
    RowValues row;
    while (records.next(rec)) {
        if (rec.skipReason)
            visit.skipped(rec, rec.skipReason);
        else if (const SkipReason why = buildUlsRow(kind, rec.text, counties, row))
            visit.skipped(rec, why.text);
        else
            visit.row(rec, row);
        // The assembler reads one line ahead; count only the lines of finished records.
        if (visit.done)
            visit.done(rec.lastLine);
    }
}
