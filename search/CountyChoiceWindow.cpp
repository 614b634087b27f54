#include "search/CountyChoiceWindow.h"

#include "core/ZipCodes.h"
#include "search/DistrictFiles.h"

#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

void fillCountyList(QListWidget* list, TAppContext& context, const QString& state, bool byDistrict) {
    list->clear();
    list->setSelectionMode(byDistrict ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    if (state.isEmpty())
        return;
    if (byDistrict)
        list->addItems(districtNames(districtStateFolder(context.App.DistrictsPath, state)));
    else
        list->addItems(stateCounties(context.DM.Zipdb, state));
}

bool chosenCounties(const QListWidget* list, const TAppContext& context, const QString& state, bool byDistrict,
                    CountyChoice& choice) {
    QStringList selected;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            selected << list->item(i)->text();
    if (selected.isEmpty())
        return false;
    choice.fromDistrict = byDistrict;
    if (byDistrict) {
        const QString folder = districtStateFolder(context.App.DistrictsPath, state);
        choice.counties = readDistrictFile(districtFilePath(folder, selected.first())).counties;
    } else {
        choice.counties = selected;
    }
    return true;
}

QRadioButton* namedRadio(const QString& caption, QWidget* parent, const char* name) {
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

QLabel* boldLabel(const QString& text, QWidget* parent, const char* name) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
