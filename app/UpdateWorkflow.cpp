// The check for a newer program version and the notice that offers its download.
#include "app/Main.h"

#include "core/Services.h"
#include "core/SharedRoutines.h"
#include "ui/GridHelpers.h"
#include "ui/MessageDialog.h"

#include <QLabel>

bool TForm1::CheckUpdate() {
    const QString address = m_services.versionFileUrl();
    if (address.isEmpty())
        return false;   // no update site configured
    return isUpdateAvailable(ReadURL(address), App.VersionData.FileVersion);
}

void TForm1::lblupdateClick() {
    const MsgButton answer = CenteredMessageDialog(
        this, QStringLiteral("Click OK to close the application and open the download site. Download the update and install"),
        MsgKind::Information, MsgButton::Ok | MsgButton::Cancel);
    if (answer != MsgButton::Ok)
        return;
    OpenDocument(m_services.setupDownloadUrl());
    close();
}
