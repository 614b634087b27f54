// File > Edit Zipcode Table, the map, the two outside links and About.
#include "app/Main.h"
#include "ui/ErrorApplication.h"

#include "info/AboutInfo.h"
#include "info/MapUrls.h"
#include "info/TAboutBox.h"
#include "info/TBrowser.h"
#include "ui/GridHelpers.h"
#include "zip/TfrmPostalEditor.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <algorithm>

void TForm1::wireInfoMenus() {
    // The icon every window, the About box and the desktop entry show.
    QApplication::setWindowIcon(programIcon());
    setWindowIcon(programIcon());

    connect(menuAction("mnuEditZipCode"), &QAction::triggered, this, reporting([this] {
        TfrmPostalEditor editor(this, DM);
        editor.exec();
    }));
    connect(menuAction("mniGoogleMaps1"), &QAction::triggered, this, reporting([this] {
        const TAppContext ctx = context();
        const auto centre = zipCoordinates(ctx.DM.Zipdb, ctx.App.CurrentZip);
        const QString noCentre = ctx.App.CurrentZip.isEmpty()
                                     ? QStringLiteral("No US record has been shown yet: there is no place to show on the map.")
                                     : QStringLiteral("The zip code %1 of the record is not in the zip table: there is no place "
                                                      "to show on the map.")
                                           .arg(ctx.App.CurrentZip.left(5));
        TBrowser browser(this, ctx.Services, centre, noCentre);
        // Centred across the main window, its top edge level with the main window's, kept on the screen.
        const QRect screen = this->screen()->availableGeometry();
        const int width = browser.frameGeometry().width();
        const int left = std::clamp(frameGeometry().center().x() - width / 2, screen.left(), std::max(screen.left(), screen.right() - width));
        browser.move(left, y());
        browser.Execute(staticMapUrl(ctx.Services, mapAddressText(ctx.App.CurrentAddress, ctx.App.CurrentCity, ctx.App.CurrentState)));
    }));
    connect(menuAction("mniLookupQRZ"), &QAction::triggered, this,
            reporting([this] { OpenDocument(m_services.qrzPageUrl(App.CurrentCallsign)); }));
    connect(menuAction("mniFCCULSLink1"), &QAction::triggered, this,
            reporting([this] { OpenDocument(m_services.ulsLicenceUrl(App.CurrentUSI)); }));
    connect(menuAction("mnuAbout"), &QAction::triggered, this, reporting([this] {
        TAboutBox about(this, App.AppDataPath);
        about.exec();
    }));
}
