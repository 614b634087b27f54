// File > Batch Process and Options > Setup: each opens its window with the context; the look-up
// service for other programs follows the setup.
#include "app/Main.h"
#include "ui/ErrorApplication.h"

#include "batch/TProcessBatch.h"
#include "setup/StationSetup.h"
#include "setup/TfrmSetup.h"

#include <QAction>

void TForm1::wireToolMenus() {
    connect(menuAction("mnuBatchProcess"), &QAction::triggered, this, reporting([this] {
        TProcessBatch batch(this, context());
        batch.exec();
    }));
    connect(menuAction("mnuSetup"), &QAction::triggered, this, reporting([this] {
        {
            TfrmSetup setup(this, context());
            setup.exec();
        }
        // OK or Cancel: the panel and the look-up service follow whatever the settings now hold.
        DoLocalSolar();
        applyLookupService();
        showDataStatus();
    }));
}

void TForm1::applyLookupService() {
    const LookupServiceChoice choice = lookupServiceChoice(*Settings);
    if (!choice.serve) {
        m_lookupService.reset();
        return;
    }
    if (m_lookupService && m_lookupService->port() == choice.port)
        return;
    m_lookupService.reset();
    auto service = std::make_unique<LookupService>(LookupDataFiles{App.FCCDatabaseFile, App.PostalDatabaseFile});
    const QString problem = service->start(choice.port);
    if (!problem.isEmpty()) {
        // Told in the status bar, never in a box: the program works on without it.
        m_notices << problem;
        return;
    }
    m_lookupService = std::move(service);
}
