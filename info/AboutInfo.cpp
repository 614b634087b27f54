#include "info/AboutInfo.h"

#include "core/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <utility>

namespace {

const std::pair<int, const char*> kWindowsBuilds[] = {
    {511, "Windows NT 3.1"},
    {528, "Windows NT 3.1, Service Pack 3"},
    {807, "Windows NT 3.5"},
    {950, "Windows 95"},
    {1057, "Windows NT 3.51"},
    {1381, "Windows NT 4.0"},
    {1998, "Windows 98"},
    {2195, "Windows 2000"},
    {2222, "Windows 98 Second Edition (SE)"},
    {2600, "Windows XP, Service Pack 3"},
    {3000, "Windows Me"},
    {3790, "Windows Server 2003, Service Pack 2"},
    {4500, "Windows Home Server"},
    {6000, "Windows Vista"},
    {6001, "Windows Vista, Service Pack 1"},
    {6002, "Windows Vista, Service Pack 2"},
    {6003, "Windows Server 2008, Service Pack 2"},
    {7600, "Windows 7"},
    {7601, "Windows 7, Service Pack 1"},
    {8400, "Windows Home Server 2011"},
    {9200, "Windows 8"},
    {9600, "Windows 8.1"},
    {10240, "Windows 10, Version 1507"},
    {10586, "Windows 10, Version 1511"},
    {14393, "Windows 10, Version 1607"},
    {15063, "Windows 10, Version 1703"},
    {16299, "Windows 10, Version 1709"},
    {17134, "Windows 10, Version 1803"},
    {17763, "Windows 10, Version 1809"},
    {18362, "Windows 10, Version 1903"},
    {18363, "Windows 10, Version 1909"},
    {19041, "Windows 10, Version 2004"},
    {19042, "Windows 10, Version 20H2"},
    {19043, "Windows 10, Version 21H1"},
    {19044, "Windows 10, Version 21H2"},
    {19045, "Windows 10, Version 22H1"},
    {20348, "Windows Server 2022"},
    {22000, "Windows 11, Version 21H2"},
    {22621, "Windows 11, Version 22H2"},
    {22631, "Windows 11, Version 23H2"},
};

} // namespace

// The resources of a static library are registered by hand; outside any namespace, as the macro asks.
static void initResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(info);
        return true;
    }();
    (void)done;
}

QString windowsBuildName(int build) {
    for (const auto& [number, name] : kWindowsBuilds)
        if (number == build)
            return QLatin1String(name);
    return QStringLiteral("Undefined");
}

QString GetOS() {
#ifdef Q_OS_WIN
    // The kernel version reads major.minor.build; only the build is looked up.
    return windowsBuildName(QSysInfo::kernelVersion().section(QLatin1Char('.'), 2, 2).toInt());
#else
    return QSysInfo::prettyProductName();
#endif
}

QDateTime fileCreationTime(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.isFile())
        return {};
    const QDateTime born = info.birthTime();
    return born.isValid() ? born : info.lastModified();
}

QString dataFileDateText(const QString& fileName) {
    const QDateTime t = fileCreationTime(fileName);
    return t.isValid() ? QLocale().toString(t.date(), QLocale::ShortFormat) : QStringLiteral("not downloaded yet");
}

AboutDataFiles aboutDataFiles(const QString& appDataPath) {
    const QString base = withSlash(appDataPath);
    return {base + QStringLiteral("AMAT/EN.dat"), base + QStringLiteral("GMRS/EN.dat"), base + QStringLiteral("CADN/amateur.txt")};
}

QIcon programIcon() {
    initResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/quillmarsh/icons/quillmarsh-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString noticeText() {
    initResources();
    QFile f(QStringLiteral(":/quillmarsh/NOTICE"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}
