#pragma once
// The head of one HTTP/1.x request read from the front of a connection's buffer: request line
// and header fields, within a byte limit, nothing else (the service takes no request bodies).
// It decides only what the service needs: method, target, version, whether the connection stays
// open, and whether a body was announced. Anything it cannot read safely is a failure with the
// status to answer (400, 431 or 505); a head that has not fully arrived yet is "incomplete".
// Collaborators: LookupService (feeds it a connection's bytes), answerRequest (LookupRoutes).

#include <QByteArray>
#include <QByteArrayView>

struct HttpRequestHead {
    QByteArray method;    // as sent; methods are case-sensitive
    QByteArray target;    // the request target (origin form: /path?query)
    int minorVersion = 1; // HTTP/1.<minorVersion>
    bool keepAlive = true;
    bool hasBody = false; // a non-zero Content-Length or any Transfer-Encoding
};

struct ParsedHead {
    enum State { Incomplete, Complete, Failed };
    State state = Incomplete;
    int status = 0;        // when Failed: 400, 431 or 505
    qsizetype consumed = 0; // when Complete: the bytes of the head, its blank line included
    HttpRequestHead head;
};

// `buffer` holds what has arrived so far. A head longer than `limit` bytes (blank line included)
// fails with 431 as soon as that many bytes are there without its end.
ParsedHead parseRequestHead(QByteArrayView buffer, qsizetype limit);
