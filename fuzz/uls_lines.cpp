// The ULS line reader and record assembler on any file. Properties: the lines, and which of them
// are too long to keep, do not depend on the block size the file is read in; no line handed out
// is longer than the bound; the assembler hands out records that start with the file's record
// type and keep within the length bound, skipped runs without text, and line numbers in order.

#include "FuzzSupport.h"
#include "data/LineReader.h"
#include "data/UlsRecordAssembler.h"

#include <string>
#include <vector>

namespace {

// Each line, or "<too long: N>" for one over the bound.
std::vector<std::string> readLines(const QString& file, qint64 block, qint64 bound) {
    LineReader reader(file, block, bound);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        QM_FUZZ_CHECK(qint64(line.size()) <= bound);
        QM_FUZZ_CHECK(reader.lastLineTooLong() ? line.empty() && reader.lastLineLength() > bound
                                               : reader.lastLineLength() == qint64(line.size()));
        lines.emplace_back(reader.lastLineTooLong() ? "<too long: " + std::to_string(reader.lastLineLength()) + ">" : std::string(line));
    }
    QM_FUZZ_CHECK(reader.atEnd());
    QM_FUZZ_CHECK(reader.lineNumber() == qint64(lines.size()));
    QM_FUZZ_CHECK(reader.estimatedTotalLines() == qint64(lines.size()));
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t control = in.byte();
    // Blocks far smaller than a line put line ends and CR LF pairs across block boundaries.
    const qint64 smallBlock = 1 + control % 61;
    // Larger than any input the fuzzer makes, so the whole file comes in one read.
    constexpr qint64 wholeBlock = 64 << 10;
    static const char* const kTypes[] = {"EN", "HD", "AM"};
    const std::string_view type = kTypes[(control >> 5) % 3];
    const QString file = scratchFile("uls.dat");
    writeScratch(file, in.rest());

    // A small bound now and then, so that lines and records over it come up at these input sizes.
    const qint64 bound = (control & 0x10) ? 8 + control % 97 : LineReader::kMaxLineLength;
    const std::vector<std::string> whole = readLines(file, wholeBlock, bound);
    QM_FUZZ_CHECK(readLines(file, smallBlock, bound) == whole);

    LineReader reader(file, wholeBlock, bound);
    UlsRecordAssembler assembler(reader, type, 30, size_t(bound));
    UlsRecordAssembler::Record record;
    qint64 lastLine = 0;
    while (assembler.next(record)) {
        QM_FUZZ_CHECK(record.pieces >= 1);
        QM_FUZZ_CHECK(record.firstLine >= 1 && record.firstLine <= record.lastLine);
        QM_FUZZ_CHECK(record.lastLine <= qint64(whole.size()));
        QM_FUZZ_CHECK(record.firstLine >= lastLine);
        lastLine = record.lastLine;
        if (record.skipReason) {
            QM_FUZZ_CHECK(record.text.empty());
        } else {
            QM_FUZZ_CHECK(record.text.size() > type.size() && record.text.substr(0, type.size()) == type &&
                          record.text[type.size()] == '|');
            QM_FUZZ_CHECK(record.text.size() <= size_t(bound) + type.size() + 1);
        }
    }
    return 0;
}
