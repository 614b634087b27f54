// The Search menu and the district editor entry: each opens its window with the context.
#include "app/Main.h"

#include "search/TCountySearch.h"
#include "search/TDistrictEditor.h"

#include <QMenuBar>

namespace {

QAction* findAction(TForm1& form, const char* name) { return form.menuBar()->findChild<QAction*>(QLatin1String(name)); }

// Options > District Editor and the county search: a new window each time, freed when it closes.
void wireDistrictMenus(TForm1& form) {
    QObject::connect(findAction(form, "DistrictEditor1"), &QAction::triggered, &form, [&form] {
        TDistrictEditor editor(form.context(), &form);
        editor.exec();
    });
    QObject::connect(findAction(form, "mnuCountySearch_USA"), &QAction::triggered, &form, [&form] {
        TCountySearch search(form.context(), &form);
        search.exec();
    });
}

} // namespace

void TForm1::wireSearchMenus() { wireDistrictMenus(*this); }
