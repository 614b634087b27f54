// File > Batch Process and Options > Setup: each opens its window with the context.
#include "app/Main.h"
#include "ui/ErrorApplication.h"

#include "batch/TProcessBatch.h"
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
        // OK or Cancel: the panel follows whatever the settings now hold.
        DoLocalSolar();
    }));
}
