#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <stdexcept>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QStringList shippedFileFolders(const QString& currentDir, const QString& programDir) {
    QStringList folders;
    folders << QDir::cleanPath(currentDir);
    if (!programDir.isEmpty()) {
        // The build tree keeps the files in dist/ beside the program, an installed program in
        // share/quillmarsh/ beside its bin/ folder.
        folders << QDir::cleanPath(programDir + QStringLiteral("/dist"));
        folders << QDir::cleanPath(programDir + QStringLiteral("/../share/quillmarsh"));
    }
    for (const QString& dataDir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir::cleanPath(dataDir + QStringLiteral("/quillmarsh"));
    folders.removeDuplicates();
    return folders;
}

QStringList shippedFileFolders() {
    return shippedFileFolders(QDir::currentPath(),
                              QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}

QString findShippedFile(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString candidate = QDir(folder).filePath(name);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    throw std::runtime_error(QStringLiteral("The file \"%1\" that comes with the program was not found. Looked in: %2")
                                 .arg(name, folders.join(QStringLiteral("; ")))
                                 .toStdString());
}

QString findShippedFile(const QString& name) {
    return findShippedFile(name, shippedFileFolders());
}

QString decodeText(const QByteArray& bytes, TextEncoding* used) {
    TextEncoding enc = TextEncoding::Utf8;
    QString text;
    // Once the mark is taken off, a second one is text (a zero-width no-break space) and stays,
    // or writing the text back would lose it: the decoders must not skip it as a mark.
    constexpr auto keepMark = QStringConverter::Flag::ConvertInitialBom;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        enc = TextEncoding::Utf8Bom;
        QStringDecoder dec(QStringConverter::Utf8, keepMark);
        text = dec(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        enc = le ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        QStringDecoder dec(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE, keepMark);
        text = dec(bytes.mid(2));
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8(bytes);
        if (utf8.hasError()) {
            enc = TextEncoding::Windows1252;
            QStringDecoder cp1252("windows-1252");
            text = cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
        }
    }
    if (used)
        *used = enc;
    return text;
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom: return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const bool le = encoding == TextEncoding::Utf16LE;
        QStringEncoder enc(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF") + QByteArray(enc(text));
    }
    case TextEncoding::Windows1252: {
        QStringEncoder enc("windows-1252");
        if (enc.isValid()) {
            const QByteArray bytes = enc(text);
            TextEncoding back = TextEncoding::Utf8;
            if (!enc.hasError() && decodeText(bytes, &back) == text)
                return bytes;
        }
        return text.toUtf8();
    }
    case TextEncoding::Utf8: break;
    }
    return text.toUtf8();
}

QString readTextFile(const QString& fileName) {
    // Text files the program reads are lists and scripts: 256 MiB is far beyond any of them.
    return decodeText(readUserFile(fileName, qint64(256) << 20));
}

FileRefused::FileRefused(const QString& fileName, const QString& reason)
    : std::runtime_error(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, reason).toStdString()), m_reason(reason) {}

QByteArray readUserFile(const QString& fileName, qint64 maxBytes) {
    const auto refuse = [&](const QString& reason) { throw FileRefused(fileName, reason); };
    // Opened without waiting (a named pipe with no writer would hold the open forever), then
    // checked on the open file itself, so a file swapped meanwhile is checked as what is read.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        refuse(QString::fromLocal8Bit(std::strerror(errno)));
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        refuse(f.errorString());
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(st.st_mode))
        refuse(QStringLiteral("it is a folder"));
    if (!S_ISREG(st.st_mode))
        refuse(QStringLiteral("it is not a regular file"));
    if (st.st_size > maxBytes)
        refuse(QStringLiteral("it is larger than %1 MiB").arg(maxBytes >> 20));
    // A file that grows while it is read is read no further than the limit either.
    QByteArray bytes = f.read(maxBytes + 1);
    if (f.error() != QFileDevice::NoError)
        refuse(f.errorString());
    if (bytes.size() > maxBytes)
        refuse(QStringLiteral("it is larger than %1 MiB").arg(maxBytes >> 20));
    return bytes;
}

void writeTextLines(const QString& fileName, const QStringList& lines) {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, f.errorString()).toStdString());
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    QString reason;
    errno = 0;
    if (f.write(out) != out.size())
        reason = fileWriteError(f);
    if (!reason.isEmpty() || !commitSaveFile(f, reason))
        throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, reason).toStdString());
}

QString fileWriteError(const QFileDevice& file) {
    const int code = errno;
    const QString text = file.errorString();
    if (!text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
    if (code != 0)
        return QString::fromLocal8Bit(std::strerror(code));
    return QStringLiteral("the file could not be written out (is the disk full?)");
}

bool commitSaveFile(QSaveFile& file, QString& reason) {
    errno = 0;
    if (file.flush() && file.commit())
        return true;
    reason = fileWriteError(file);
    file.cancelWriting();
    return false;
}

QString withSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}
