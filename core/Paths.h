#pragma once
// Where things are: the files shipped with the program (current directory first, then dist/
// beside the executable, then share/quillmarsh/ of an installed program, then the quillmarsh/
// folder of each XDG data directory) and the text files the program reads (byte-order mark honoured,
// otherwise UTF-8 when valid, else Windows-1252).

#include <QString>
#include <stdexcept>
#include <QStringList>

// Folders searched for a shipped file, in order, for this process.
QStringList shippedFileFolders();
// The same for a given current directory and program folder (empty: none).
QStringList shippedFileFolders(const QString& currentDir, const QString& programDir);
// Full path of a shipped file; throws std::runtime_error naming the file and the folders searched.
QString findShippedFile(const QString& name);
QString findShippedFile(const QString& name, const QStringList& folders);
// Whole text file; throws std::runtime_error when it cannot be read.
QString readTextFile(const QString& fileName);
// The bytes of a file the user chose. Only a regular file is read (a named pipe, a device or a
// folder would block the reader, never end or make no sense), and only up to `maxBytes`; anything
// else throws FileRefused, a std::runtime_error "Cannot read "<file>": <reason>".
class FileRefused : public std::runtime_error {
public:
    FileRefused(const QString& fileName, const QString& reason);
    QString reason() const { return m_reason; }

private:
    QString m_reason;
};
QByteArray readUserFile(const QString& fileName, qint64 maxBytes);
// Writes out what a save file still buffers, then renames it into place; false with the reason
// when either fails (the temporary file is then gone and the old file stays). A full disk is
// told as such even where commit() alone would report "Unknown error".
bool commitSaveFile(class QSaveFile& file, QString& reason);
// Why a write to the file failed, just after it failed: Qt's own text, or the system's where Qt
// kept none ("Unknown error" on a full disk).
QString fileWriteError(const class QFileDevice& file);
// How a text file was written: its byte-order mark, or the 8-bit fallback for text that is not UTF-8.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

// Decodes bytes as the program's text files are decoded; tells which encoding it took when asked.
QString decodeText(const QByteArray& bytes, TextEncoding* used = nullptr);
// Encodes text so that decodeText reads it back in the same encoding, byte-order mark included.
// Text that Windows-1252 cannot hold is written as UTF-8 instead, so nothing is lost.
QByteArray encodeText(const QString& text, TextEncoding encoding);
// Writes lines with CR LF ends, UTF-8 without byte-order mark, replacing the file.
void writeTextLines(const QString& fileName, const QStringList& lines);
// Ensures a trailing '/'.
QString withSlash(const QString& path);
