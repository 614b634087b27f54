#include "core/ImportTypes.h"

#include "core/ZipCodes.h"

QString dataTypeName(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_EN: return QStringLiteral("AMT_EN");
    case TDataType::AMT_HD: return QStringLiteral("AMT_HD");
    case TDataType::AMT_AM: return QStringLiteral("AMT_AM");
    case TDataType::CDN: return QStringLiteral("CDN");
    case TDataType::ZIP: return QStringLiteral("ZIP");
    case TDataType::GMRS_EN: return QStringLiteral("GMRS_EN");
    case TDataType::GMRS_HD: return QStringLiteral("GMRS_HD");
    case TDataType::GMRS_AM: return QStringLiteral("GMRS_AM");
    }
    return QStringLiteral("?");
}

QString dataTypeTable(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_AM:
    case TDataType::GMRS_AM: return QStringLiteral("FCC_AM");
    case TDataType::AMT_EN:
    case TDataType::GMRS_EN: return QStringLiteral("FCC_EN");
    case TDataType::AMT_HD:
    case TDataType::GMRS_HD: return QStringLiteral("FCC_HD");
    case TDataType::CDN: return QStringLiteral("canada");
    case TDataType::ZIP: return zipTableName();
    }
    return QString();
}

QString dataTypeService(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_AM:
    case TDataType::AMT_EN:
    case TDataType::AMT_HD: return QStringLiteral("AMAT");
    case TDataType::GMRS_AM:
    case TDataType::GMRS_EN:
    case TDataType::GMRS_HD: return QStringLiteral("GMRS");
    case TDataType::CDN:
    case TDataType::ZIP: break;
    }
    return QString();
}

QString dataTypeSourceFile(TDataType kind) {
    switch (kind) {
    case TDataType::AMT_AM: return QStringLiteral("AMAT/AM.dat");
    case TDataType::AMT_EN: return QStringLiteral("AMAT/EN.dat");
    case TDataType::AMT_HD: return QStringLiteral("AMAT/HD.dat");
    case TDataType::GMRS_AM: return QStringLiteral("GMRS/AM.dat");
    case TDataType::GMRS_EN: return QStringLiteral("GMRS/EN.dat");
    case TDataType::GMRS_HD: return QStringLiteral("GMRS/HD.dat");
    case TDataType::CDN: return QStringLiteral("CADN/amateur.txt");
    case TDataType::ZIP: break;
    }
    return QString();
}
