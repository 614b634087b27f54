#include "core/ImportTypes.h"

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
