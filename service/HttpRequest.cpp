#include "service/HttpRequest.h"

#include <QList>

namespace {

bool isTokenChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+':
    case '-': case '.': case '^': case '_': case '`': case '|': case '~':
        return true;
    default:
        return false;
    }
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!isTokenChar(c))
            return false;
    return true;
}

// Visible characters only: a target with a blank, a control character or a byte above 0x7e is
// not one a client of this service sends.
bool isTarget(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            return false;
    return true;
}

// Field values may hold blanks and tabs and bytes above 0x7f, never other control characters.
bool isFieldValue(QByteArrayView text) {
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

QByteArrayView trimmed(QByteArrayView v) {
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

// Lines end with CR LF; a bare LF is accepted as clients and tests send it, a bare CR is not.
QByteArrayView withoutCr(QByteArrayView line, bool& bad) {
    if (line.endsWith('\r'))
        line.chop(1);
    bad = bad || line.contains('\r');
    return line;
}

ParsedHead failed(int status) {
    ParsedHead p;
    p.state = ParsedHead::Failed;
    p.status = status;
    return p;
}

} // namespace

ParsedHead parseRequestHead(QByteArrayView buffer, qsizetype limit) {
    // Empty lines before the request line are skipped (a client's stray CR LF after a body).
    qsizetype start = 0;
    while (start < buffer.size()) {
        if (buffer.sliced(start).startsWith("\r\n"))
            start += 2;
        else if (buffer[start] == '\n')
            start += 1;
        else
            break;
    }
    // The head ends at the first empty line.
    qsizetype end = -1, after = -1;
    for (qsizetype i = start; i < buffer.size() && i < limit; ++i) {
        if (buffer[i] != '\n')
            continue;
        if (i + 1 < buffer.size() && buffer[i + 1] == '\n') {
            end = i + 1;
            after = i + 2;
            break;
        }
        if (i + 2 < buffer.size() && buffer[i + 1] == '\r' && buffer[i + 2] == '\n') {
            end = i + 1;
            after = i + 3;
            break;
        }
    }
    if (end < 0 || after > limit)
        return buffer.size() >= limit ? failed(431) : ParsedHead{};

    ParsedHead p;
    p.consumed = after;
    const QByteArrayView head = buffer.sliced(start, end - start);
    QList<QByteArrayView> lines;
    for (qsizetype from = 0; from < head.size();) {
        const qsizetype nl = head.indexOf('\n', from);
        const qsizetype to = nl < 0 ? head.size() : nl;
        lines << head.sliced(from, to - from);
        from = to + 1;
    }
    bool badLineEnd = false;
    const QByteArrayView requestLine = withoutCr(lines.value(0), badLineEnd);
    // method SP target SP HTTP/1.x — exactly two single blanks.
    const qsizetype sp1 = requestLine.indexOf(' ');
    const qsizetype sp2 = sp1 < 0 ? -1 : requestLine.indexOf(' ', sp1 + 1);
    if (sp1 <= 0 || sp2 < 0 || requestLine.indexOf(' ', sp2 + 1) >= 0)
        return failed(400);
    const QByteArrayView method = requestLine.first(sp1);
    const QByteArrayView target = requestLine.sliced(sp1 + 1, sp2 - sp1 - 1);
    const QByteArrayView version = requestLine.sliced(sp2 + 1);
    if (!isToken(method) || !isTarget(target))
        return failed(400);
    if (version.size() != 8 || !version.startsWith("HTTP/") || version[6] != '.' || version[5] < '0' || version[5] > '9'
        || version[7] < '0' || version[7] > '9')
        return failed(400);
    if (version[5] != '1')
        return failed(505);
    p.head.method = method.toByteArray();
    p.head.target = target.toByteArray();
    p.head.minorVersion = version[7] - '0';

    bool closeAsked = false, keepAliveAsked = false, lengthSeen = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = withoutCr(lines[i], badLineEnd);
        // A line folded onto the one before is obsolete and ambiguous: refused.
        if (line.isEmpty() || line.front() == ' ' || line.front() == '\t')
            return failed(400);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.first(colon)))
            return failed(400);
        const QByteArrayView name = line.first(colon);
        const QByteArrayView value = trimmed(line.sliced(colon + 1));
        if (!isFieldValue(value))
            return failed(400);
        if (name.compare("Connection", Qt::CaseInsensitive) == 0) {
            for (QByteArrayView option : value.toByteArray().split(',')) {
                option = trimmed(option);
                closeAsked = closeAsked || option.compare("close", Qt::CaseInsensitive) == 0;
                keepAliveAsked = keepAliveAsked || option.compare("keep-alive", Qt::CaseInsensitive) == 0;
            }
        } else if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            // Two lengths, or one that is not a plain number, leave the body's end unknown.
            if (lengthSeen || value.isEmpty() || value.size() > 18)
                return failed(400);
            for (char c : value)
                if (c < '0' || c > '9')
                    return failed(400);
            lengthSeen = true;
            p.head.hasBody = p.head.hasBody || value.toByteArray().toLongLong() > 0;
        } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            p.head.hasBody = true;
        }
    }
    if (badLineEnd)
        return failed(400);
    p.head.keepAlive = !closeAsked && (p.head.minorVersion >= 1 || keepAliveAsked);
    p.state = ParsedHead::Complete;
    return p;
}
