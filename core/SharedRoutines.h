#pragma once
// Routines several windows share that need no widgets: the state list from the zip table,
// reading a web address as text, and the program's version strings.
// Collaborators: TDM (zip connection), the update check, the About window.

#include "core/Database.h"
#include "core/Query.h"

#include <QString>
#include <QStringList>
#include <stdexcept>

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
// out), sorted; the list is not emptied first. Leaves the query open on its result.
void GetStateList(Database& zipdb, Query& zipQuery, QStringList& list);

class UrlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The whole body of the address, fetched without cache, user agent "VER1010", bytes taken in the
// 8-bit code page. Throws UrlError "Cannot open URL <address>" when it cannot be fetched.
QString ReadURL(const QString& address, int timeoutMs = 30000);

// The program's version strings; the file name only fills OriginalFileName/InternalName.
TEXEVersionData ReadVersionData(const QString& exeFileName);
