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

QString decodeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto enc = bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
        QStringDecoder dec(enc);
        return dec(bytes.mid(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid())
        return cp1252(bytes);
    return QString::fromLatin1(bytes);
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
