// The ULS line reader and record assembler on any file. Properties: the lines do not depend on
// the block size the file is read in; the assembler hands out records that start with the
// file's record type or are runs of skipped lines with their reason, and line numbers in order.

#include "FuzzSupport.h"
#include "data/LineReader.h"
#include "data/UlsRecordAssembler.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> readLines(const QString& file, qint64 block) {
    LineReader reader(file, block);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
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

    const std::vector<std::string> whole = readLines(file, wholeBlock);
    QM_FUZZ_CHECK(readLines(file, smallBlock) == whole);

    LineReader reader(file, wholeBlock);
    UlsRecordAssembler assembler(reader, type);
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
        }
    }
    return 0;
}
