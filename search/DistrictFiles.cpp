#include "search/DistrictFiles.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LEBom("\xFF\xFE");
const QByteArray kUtf16BEBom("\xFE\xFF");

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw std::runtime_error(QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason).toStdString());
}

} // namespace

DistrictList decodeDistrict(const QByteArray& bytes) {
    DistrictList out;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        out.encoding = DistrictEncoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(kUtf8Bom.size()));
    } else if (bytes.startsWith(kUtf16LEBom) || bytes.startsWith(kUtf16BEBom)) {
        const bool le = bytes.startsWith(kUtf16LEBom);
        out.encoding = le ? DistrictEncoding::Utf16LE : DistrictEncoding::Utf16BE;
        QStringDecoder dec(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        text = dec(bytes.mid(2));
    } else {
        text = decodeText(bytes);
    }
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

QByteArray encodeDistrict(const QStringList& counties, DistrictEncoding encoding) {
    if (counties.isEmpty())
        return {};
    QString text;
    for (const QString& county : counties)
        text += county + QLatin1String("\r\n");
    switch (encoding) {
    case DistrictEncoding::Utf8:
        return text.toUtf8();
    case DistrictEncoding::Utf8Bom:
        return kUtf8Bom + text.toUtf8();
    case DistrictEncoding::Utf16LE:
    case DistrictEncoding::Utf16BE: {
        const bool le = encoding == DistrictEncoding::Utf16LE;
        QStringEncoder enc(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        QByteArray body = enc(text);
        return (le ? kUtf16LEBom : kUtf16BEBom) + body;
    }
    }
    return text.toUtf8();
}

DistrictList readDistrictFile(const QString& path) {
    QFile f(path);
    if (!QFileInfo(path).isFile())
        fail(QStringLiteral("Cannot read the district file"), path, QStringLiteral("it no longer exists"));
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read the district file"), path, f.errorString());
    return decodeDistrict(f.readAll());
}

void writeDistrictFile(const QString& path, const QStringList& counties, DistrictEncoding encoding) {
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("Cannot write the district file"), path, QStringLiteral("a folder has that name"));
    const QByteArray bytes = encodeDistrict(counties, encoding);
    // Written beside and renamed into place, so a failed write leaves the district as it was.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        fail(QStringLiteral("Cannot write the district file"), path, f.errorString());
    if (f.write(bytes) != bytes.size() || !f.commit())
        fail(QStringLiteral("Cannot write the district file"), path, f.errorString());
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
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}
