#include "search/DistrictFiles.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw std::runtime_error(QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason).toStdString());
}

} // namespace

DistrictList decodeDistrict(const QByteArray& bytes) {
    DistrictList out;
    QString text = decodeText(bytes, &out.encoding);
    if (out.encoding == TextEncoding::Windows1252)
        out.encoding = TextEncoding::Utf8;
    // Lines end with CR LF, LF or a lone CR; the end of the last line makes no empty line after it.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return out;
    out.counties = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        out.counties.removeLast();
    return out;
}

QByteArray encodeDistrict(const QStringList& counties, TextEncoding encoding) {
    if (counties.isEmpty())
        return {};
    QString text;
    for (const QString& county : counties)
        text += county + QLatin1String("\r\n");
    return encodeText(text, encoding == TextEncoding::Windows1252 ? TextEncoding::Utf8 : encoding);
}

DistrictList readDistrictFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        fail(QStringLiteral("Cannot read the district file"), path, QStringLiteral("it no longer exists"));
    // A district lists counties of one state, a few kilobytes at the most; a larger file is not one.
    QByteArray bytes;
    try {
        bytes = readUserFile(path, qint64(1) << 20);
    } catch (const FileRefused& e) {
        fail(QStringLiteral("Cannot read the district file"), path, e.reason());
    }
    return decodeDistrict(bytes);
}

void writeDistrictFile(const QString& path, const QStringList& counties, TextEncoding encoding) {
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("Cannot write the district file"), path, QStringLiteral("a folder has that name"));
    const QByteArray bytes = encodeDistrict(counties, encoding);
    // Written beside and renamed into place, so a failed write leaves the district as it was.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot write the district file"), path, f.errorString());
    QString reason;
    errno = 0;
    if (f.write(bytes) != bytes.size())
        reason = fileWriteError(f);
    if (!reason.isEmpty() || !commitSaveFile(f, reason))
        fail(QStringLiteral("Cannot write the district file"), path, reason);
}

void createEmptyDistrict(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail(QStringLiteral("Cannot create the district file"), path, f.errorString());
}

bool isValidDistrictName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 32)
            return false;
        if (QStringView(u"\"*/:<>?\\|").contains(c))
            return false;
    }
    return true;
}

QString districtStateFolder(const QString& districtsPath, const QString& state) { return withSlash(districtsPath) + state; }

QString districtFilePath(const QString& stateFolder, const QString& name) { return stateFolder + QLatin1Char('/') + name; }

QStringList districtNames(const QString& stateFolder) {
    QDir dir(stateFolder);
    if (!dir.exists() && !QDir().mkpath(stateFolder))
        fail(QStringLiteral("Cannot create the district folder"), stateFolder, QStringLiteral("the folder could not be made"));
    if (!QFileInfo(stateFolder).isReadable())
        fail(QStringLiteral("Cannot read the district folder"), stateFolder, QStringLiteral("permission denied"));
    // Regular files only: a named pipe or a link to nothing cannot be a district.
    return dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}
