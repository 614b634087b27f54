// The batch input reader on any file: the decoding (byte-order marks, UTF-8 or the 8-bit code
// page), the line splitting and the delimiter the window offers. Properties: no line holds a line
// end, and the lines joined by LF give the text with every line end made LF, less one final line
// end; with LF as delimiter there is one call sign per line; with another, no call sign is empty,
// holds the delimiter or has a blank at either end, and each comes from one line; no call sign
// holds a lower-case ASCII letter.

#include "FuzzSupport.h"
#include "batch/BatchConversion.h"
#include "core/Paths.h"

namespace {

// The delimiters of the window's radio buttons.
constexpr char16_t kDelimiters[] = {u'\t', u' ', u'\n', u'@', u';', u':', u'|', u','};

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString withLfLineEnds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QChar delimiter(kDelimiters[in.byte() % (sizeof kDelimiters / sizeof kDelimiters[0])]);
    const std::string_view bytes = in.rest();
    const QString text = decodeText(QByteArray(bytes.data(), qsizetype(bytes.size())));

    const QStringList lines = splitInputLines(text);
    for (const QString& line : lines)
        QM_FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
    QM_FUZZ_CHECK(lines.join(QLatin1Char('\n')) == withLfLineEnds(text));

    const QStringList calls = batchCallSigns(text, delimiter);
    for (const QString& call : calls) {
        for (const QChar c : call)
            QM_FUZZ_CHECK(!(c >= u'a' && c <= u'z'));
    }
    if (delimiter == u'\n') {
        QM_FUZZ_CHECK(calls.size() == lines.size());
        return 0;
    }
    qsizetype line = 0;
    for (const QString& call : calls) {
        QM_FUZZ_CHECK(!call.isEmpty() && !call.contains(delimiter));
        QM_FUZZ_CHECK(!isBlank(call.front()) && !isBlank(call.back()));
        // In order, each call sign is a piece of one line (compared without case).
        while (line < lines.size() && !lines.at(line).contains(call, Qt::CaseInsensitive))
            ++line;
        QM_FUZZ_CHECK(line < lines.size());
    }
    return 0;
}
