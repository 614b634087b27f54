#pragma once
// Routines several windows share that need no widgets: the state list from the zip table and the
// program's version strings (reading a web address, ReadURL, lives with the downloader in data/).
// Collaborators: TDM (zip connection), the update check, the About window.

#include "core/Database.h"

#include <QString>
#include <QStringList>

struct TEXEVersionData {
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;
};

// Appends the US state codes of the zip table (provinces, military codes and American Samoa left
// out), sorted; the list is not emptied first.
void GetStateList(Database& zipdb, QStringList& list);

// The program's version strings; the file name only fills OriginalFileName/InternalName.
TEXEVersionData ReadVersionData(const QString& exeFileName);
