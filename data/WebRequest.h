#pragma once
// How the program asks a web server for something: one request builder for the downloads and
// for ReadURL (the program's user agent, nothing from or into a cache, redirects only to places
// at least as safe), and ReadURL itself, which fetches a whole short text (the version file).
// Collaborators: Downloader, the update check.

#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <stdexcept>

inline constexpr const char* kProgramUserAgent = "VER1010";

QNetworkRequest programRequest(const QUrl& url);

class UrlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole body of the address, fetched without cache, user agent "VER1010", decoded as the
// program's text files are (decodeText). Throws UrlError "Cannot open URL <address>" when it cannot be fetched.
QString ReadURL(const QString& address, int timeoutMs = 30000);
