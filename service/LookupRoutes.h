#pragma once
// What the look-up service answers to one request head, without sockets: GET or HEAD of
// /v1/{call}/json/{app}, /v1/{call}/xml/{app} and /health; every other method 405, a request
// with a body 400, a call that is not 3 to 10 letters, digits or slashes 400, another path 404,
// all errors with a small JSON body. The target is only ever compared and decoded into a call
// sign that is then checked character by character: no path reaches the file system.
// Collaborators: HttpRequestHead (HttpRequest), HamDbRecord and its layouts (lookup/CallLookup),
// LookupService (sends the bytes).

#include "lookup/CallLookup.h"
#include "service/HttpRequest.h"

#include <QByteArray>
#include <functional>
#include <optional>

struct HttpResponse {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    bool allowHeader = false; // "Allow: GET, HEAD" (a 405)
    bool close = false;       // the connection closes after it whatever the client asked
};

// The call sign of a /v1/… target, upper-cased, or nothing when the text between /v1/ and the
// format is not 3 to 10 of [A-Z0-9/] after percent-decoding.
std::optional<QString> requestedCall(QByteArrayView encodedCall);

// `find` looks a call up (it may throw when the data cannot be read: a 503 then).
HttpResponse answerRequest(const HttpRequestHead& head, const std::function<HamDbRecord(const QString&)>& find);
// The answer to a head that could not be read (400, 431, 505), or to one that took too long (408).
HttpResponse failureResponse(int status);
// Status line, headers and, unless `headOnly`, the body.
QByteArray responseBytes(const HttpResponse& response, bool headOnly, bool keepAlive);
