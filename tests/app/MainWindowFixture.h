#pragma once
// The main window of the window tests: on the fixture databases (already written into the
// temporary home), activated, with no import to run and no download to make.

#include "app/Main.h"
#include "tests/support/ImportSteps.h"

#include <QTest>
#include <memory>

inline std::unique_ptr<TForm1> activatedMainWindow(TDM& dm) {
    auto form = std::make_unique<TForm1>(dm);
    form->setImportStep([](const ImportJob& j) {
        QTest::qFail("the fixture databases are full; nothing is imported", __FILE__, __LINE__);
        return importDone(j);
    });
    form->setDownloadStep([](const QString&, const QString&) { return false; });
    form->FormActivate();
    return form;
}
