// The look-up service's reading of what a client sends: the request head on any bytes, cut at any
// point, and the answer to any head it accepts. Properties: a head is only complete when its end
// has arrived; the bytes it takes are within what was there and within the limit; a failure is
// one of the statuses the service sends; an accepted head never reaches a look-up with anything
// but a call of 3 to 10 of [A-Z0-9/]; every answer is a JSON or XML body with a known status.

#include "FuzzSupport.h"
#include "service/HttpRequest.h"
#include "service/LookupRoutes.h"

#include <QByteArray>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const qsizetype limit = 64 + in.byte() * 32;
    const std::string_view rest = in.rest();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    // Shortest first: once a prefix decides (complete or failed), every longer one decides the
    // same, as the service reads a growing buffer again.
    ParsedHead decided;
    for (qsizetype cut : {qsizetype(1), bytes.size() / 2, bytes.size()}) {
        const QByteArrayView part = QByteArrayView(bytes).first(std::min(cut, bytes.size()));
        const ParsedHead p = parseRequestHead(part, limit);
        if (decided.state != ParsedHead::Incomplete) {
            QM_FUZZ_CHECK(p.state == decided.state && p.status == decided.status && p.consumed == decided.consumed
                          && p.head.target == decided.head.target);
        } else {
            decided = p;
        }
        if (p.state == ParsedHead::Failed && p.status == 431)
            QM_FUZZ_CHECK(part.size() >= limit);
        switch (p.state) {
        case ParsedHead::Incomplete:
            QM_FUZZ_CHECK(part.size() < limit);
            break;
        case ParsedHead::Failed:
            QM_FUZZ_CHECK(p.status == 400 || p.status == 431 || p.status == 505);
            break;
        case ParsedHead::Complete: {
            QM_FUZZ_CHECK(p.consumed > 0 && p.consumed <= part.size() && p.consumed <= limit);
            QM_FUZZ_CHECK(part.first(p.consumed).endsWith("\n\n") || part.first(p.consumed).endsWith("\n\r\n"));
            const HttpResponse r = answerRequest(p.head, [](const QString& call) {
                QM_FUZZ_CHECK(call.size() >= 3 && call.size() <= 10);
                for (QChar c : call)
                    QM_FUZZ_CHECK((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                                  || c == QLatin1Char('/'));
                HamDbRecord rec;
                rec.found = call.size() % 2 == 0;
                rec.call = call;
                return rec;
            });
            QM_FUZZ_CHECK(r.status == 200 || r.status == 400 || r.status == 404 || r.status == 405);
            QM_FUZZ_CHECK(r.body.startsWith('{') || r.body.startsWith('<'));
            const QByteArray out = responseBytes(r, p.head.method == "HEAD", p.head.keepAlive);
            QM_FUZZ_CHECK(out.startsWith("HTTP/1.1 "));
            break;
        }
        }
    }
    return 0;
}
