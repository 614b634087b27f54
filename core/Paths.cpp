#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <stdexcept>

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
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, f.errorString()).toStdString());
    return decodeText(f.readAll());
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
    if (f.write(out) != out.size() || !f.commit())
        throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, f.errorString()).toStdString());
}

QString withSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}
