#include "core/SharedRoutines.h"

#include "core/Version.h"
#include "core/ZipCodes.h"

#include <QFileInfo>

void GetStateList(Database& zipdb, QStringList& list) { list << usStateCodes(zipdb); }

TEXEVersionData ReadVersionData(const QString& exeFileName) {
    TEXEVersionData v;
    v.CompanyName = QStringLiteral("Quillmarsh");
    v.FileDescription = QStringLiteral("Quillmarsh - Amateur and GMRS licence look-up");
    v.FileVersion = QStringLiteral("%1.%2.%3.%4").arg(QM_VERSION_MAJOR).arg(QM_VERSION_MINOR).arg(QM_VERSION_PATCH).arg(QM_VERSION_TWEAK);
    v.InternalName = QFileInfo(exeFileName).completeBaseName();
    v.LegalCopyright = QStringLiteral("Copyright (C) 2026 Quillmarsh developers");
    v.OriginalFileName = QFileInfo(exeFileName).fileName();
    v.ProductName = QStringLiteral("Quillmarsh");
    v.ProductVersion = v.FileVersion;
    v.Comments = QStringLiteral("Look-up of US amateur and GMRS licences and Canadian amateur call signs");
    return v;
}
