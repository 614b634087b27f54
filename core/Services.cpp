#include "core/Services.h"

#include "core/Paths.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace {
QString joinUrl(const QString& host, const char* path) {
    QString h = host.trimmed();
    while (h.endsWith(QLatin1Char('/')))
        h.chop(1);
    return h + QLatin1String(path);
}

QString trimControl(const QString& text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text.at(b).unicode() <= 32)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

std::optional<QList<qint64>> fourNumbers(const QString& text) {
    const QStringList parts = trimControl(text).split(QLatin1Char('.'));
    if (parts.size() < 4)
        return std::nullopt;
    QList<qint64> out;
    for (int i = 0; i < 4; ++i) {
        const QString& p = parts.at(i);
        bool ok = !p.isEmpty();
        for (QChar c : p)
            ok = ok && c.isDigit() && c.unicode() < 128;
        if (!ok)
            return std::nullopt;
        const qint64 v = p.toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        out << v;
    }
    return out;
}
} // namespace

QString ServiceConfig::amateurArchiveUrl() const { return joinUrl(FccDataServer, "/download/pub/uls/complete/l_amat.zip"); }
QString ServiceConfig::gmrsArchiveUrl() const { return joinUrl(FccDataServer, "/download/pub/uls/complete/l_gmrs.zip"); }
QString ServiceConfig::dailyArchiveUrl(bool amateur, int dayOfWeek) const {
    static const char* const kDays[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    const QByteArray path = QByteArray("/download/pub/uls/daily/l_") + (amateur ? "am_" : "gm_") + kDays[((dayOfWeek % 7) + 7) % 7] + ".zip";
    return joinUrl(FccDataServer, path.constData());
}

QString ServiceConfig::canadianArchiveUrl() const { return joinUrl(CanadaDataServer, "/datafiles/amateur.zip"); }
QString ServiceConfig::versionFileUrl() const {
    return UpdateSite.trimmed().isEmpty() ? QString() : joinUrl(UpdateSite, "/files/quillmarsh.version");
}
QString ServiceConfig::setupDownloadUrl() const { return joinUrl(UpdateSite, "/files/quillmarsh_setup.exe"); }
QString ServiceConfig::qrzPageUrl(const QString& callsign) const { return joinUrl(QrzSite, "/db/") + callsign; }
QString ServiceConfig::ulsLicenceUrl(const QString& usi) const {
    return joinUrl(UlsSite, "/UlsApp/UlsSearch/license.jsp?licKey=") + usi;
}
QString ServiceConfig::staticMapTemplate() const {
    return joinUrl(StaticMapService, "/maps/api/staticmap?center=myaddress&zoom=16&size=_widthx_height&maptype=roadmap"
                                     "&markers=color:blue%7Clabel:S%7Cmyaddress&sensor=false&key=");
}

ServiceConfig loadServiceConfig(const QString& iniFile) {
    ServiceConfig c;
    if (!QFileInfo(iniFile).isFile())
        return c;
    QSettings ini(iniFile, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Services"));
    auto read = [&](const char* key, QString& field) {
        const QString k = QLatin1String(key);
        if (!ini.contains(k))
            return;
        // An unquoted value with a comma comes back as a list; the text is meant whole.
        const QVariant v = ini.value(k);
        field = (v.typeId() == QMetaType::QStringList ? v.toStringList().join(QStringLiteral(", ")) : v.toString()).trimmed();
    };
    read("FccDataServer", c.FccDataServer);
    read("CanadaDataServer", c.CanadaDataServer);
    read("UpdateSite", c.UpdateSite);
    read("StaticMapService", c.StaticMapService);
    read("StaticMapKey", c.StaticMapKey);
    read("QrzSite", c.QrzSite);
    read("UlsSite", c.UlsSite);
    read("MapTileUrl", c.MapTileUrl);
    read("MapTileAttribution", c.MapTileAttribution);
    read("MapImageryTileUrl", c.MapImageryTileUrl);
    read("MapImageryAttribution", c.MapImageryAttribution);
    auto readZoom = [&](const char* key, int& field) {
        bool ok = false;
        const int v = ini.value(QLatin1String(key)).toString().trimmed().toInt(&ok);
        if (ok)
            field = std::clamp(v, 0, 21);
    };
    readZoom("MapTileMaxZoom", c.MapTileMaxZoom);
    readZoom("MapImageryMaxZoom", c.MapImageryMaxZoom);
    return c;
}

ServiceConfig loadServiceConfig(QString* notice) {
    try {
        return loadServiceConfig(findShippedFile(QStringLiteral("services.ini")));
    } catch (const std::runtime_error&) {
        const ServiceConfig builtIn;
        if (notice)
            *notice = QStringLiteral("services.ini was not found: the built-in servers are used (%1, %2)")
                          .arg(builtIn.FccDataServer, builtIn.CanadaDataServer);
        return builtIn;
    }
}

bool isUpdateAvailable(const QString& published, const QString& own) {
    const auto p = fourNumbers(published);
    const auto o = fourNumbers(own);
    if (!p || !o)
        return false;
    bool newer = false;
    for (int i = 0; i < 4; ++i)
        newer = newer || p->at(i) > o->at(i);
    return newer;
}
