// The main window's components, built in code: sun panel, update notice, search group, the two
// record groups sharing one place, and the status bar.
#include "app/Main.h"

#include "core/TimeText.h"
#include "ui/ErrorApplication.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Turns every letter into upper case as it is typed.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

// A date and time as wide as any the locale writes, for sizing the boxes and labels that show one.
QString widestDateTime() { return DateTimeText(QDateTime(QDate(2026, 12, 31), QTime(12, 59, 59))); }

// Hidden or shown, the widget keeps its place, so showing it moves nothing and the window keeps its size.
void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

// The width is fixed by the caller, not by the text it happens to show (a longer text must not
// widen the window).
void widthNotFromText(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setHorizontalPolicy(QSizePolicy::Ignored);
    w->setSizePolicy(p);
}

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(QStringLiteral(" "), parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignCenter);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(widestDateTime()) + 8);
    widthNotFromText(l);
    return l;
}

// The box is wide enough for a text like the sample (the longest value it usually holds).
void fitsText(QLineEdit* e, const QString& sample) {
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(sample) + 16);
}

// One caption over one edit box; the caption is the box's buddy so assistive tools name it. The
// box gets no name of its own: it takes the caption's text, so it follows a caption that changes
// (the distance unit).
QLineEdit* addField(QGridLayout* grid, int row, int col, const char* name, const QString& caption, bool readOnly,
                    int span = 1, QLabel** captionOut = nullptr) {
    auto* parent = grid->parentWidget();
    auto* label = new QLabel(caption, parent);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(readOnly);
    label->setBuddy(edit);
    grid->addWidget(label, row * 2, col, 1, span);
    grid->addWidget(edit, row * 2 + 1, col, 1, span);
    if (captionOut)
        *captionOut = label;
    return edit;
}

} // namespace

void TForm1::buildUi() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(8, 6, 8, 4);
    v->setSpacing(4);

    grp3 = new QGroupBox(QStringLiteral("Local Solar Data"), central);
    grp3->setObjectName(QStringLiteral("grp3"));
    {
        auto* g = new QGridLayout(grp3);
        g->setContentsMargins(6, 2, 6, 4);
        g->setVerticalSpacing(0);
        const char* captions[] = {"Sunrise", "Solar Noon", "Sunset"};
        lblSunrise = valueLabel(grp3, "lblSunrise");
        lblSolarNoon = valueLabel(grp3, "lblSolarNoon");
        lblSunset = valueLabel(grp3, "lblSunset");
        QLabel* values[] = {lblSunrise, lblSolarNoon, lblSunset};
        for (int i = 0; i < 3; ++i) {
            auto* c = new QLabel(QLatin1String(captions[i]), grp3);
            c->setAlignment(Qt::AlignCenter);
            c->setBuddy(values[i]);
            g->addWidget(c, 0, i);
            g->addWidget(values[i], 1, i);
        }
    }
    v->addWidget(grp3);

    lblupdate = new QLabel(QStringLiteral("A New Update is Available"), central);
    lblupdate->setObjectName(QStringLiteral("lblupdate"));
    lblupdate->setStyleSheet(QStringLiteral("color: red; font-weight: bold; text-decoration: underline;"));
    lblupdate->setCursor(Qt::PointingHandCursor);
    lblupdate->setAlignment(Qt::AlignCenter);
    keepPlaceWhenHidden(lblupdate);
    lblupdate->hide();
    v->addWidget(lblupdate);

    grp1 = new QGroupBox(QStringLiteral("Search Selections"), central);
    grp1->setObjectName(QStringLiteral("grp1"));
    {
        auto* g = new QGridLayout(grp1);
        g->setContentsMargins(6, 2, 6, 4);
        rbAmateur = new QRadioButton(QStringLiteral("Amateur"), grp1);
        rbAmateur->setObjectName(QStringLiteral("rbAmateur"));
        rbAmateur->setChecked(true);
        rbGMRS = new QRadioButton(QStringLiteral("GMRS"), grp1);
        rbGMRS->setObjectName(QStringLiteral("rbGMRS"));
        auto* lblCall = new QLabel(QStringLiteral("Callsign"), grp1);
        edtSearch = new QLineEdit(grp1);
        edtSearch->setObjectName(QStringLiteral("edtSearch"));
        edtSearch->setValidator(new UpperCaseValidator(edtSearch));
        edtSearch->setAccessibleName(QStringLiteral("Callsign"));
        lblCall->setBuddy(edtSearch);
        btnSearch = new QPushButton(QStringLiteral("Search"), grp1);
        btnSearch->setObjectName(QStringLiteral("btnSearch"));
        cbbResults = new QComboBox(grp1);
        cbbResults->setObjectName(QStringLiteral("cbbResults"));
        cbbResults->setEditable(true);
        cbbResults->setInsertPolicy(QComboBox::NoInsert);
        // A wildcard may list hundreds of thousands of calls: one list model filled at once, rows
        // of one height, a width that does not measure every entry, and completion by binary
        // search in the sorted list.
        cbbResults->setModel(new QStringListModel(cbbResults));
        cbbResults->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        cbbResults->setMinimumContentsLength(10);
        if (auto* list = qobject_cast<QListView*>(cbbResults->view()))
            list->setUniformItemSizes(true);
        if (QCompleter* c = cbbResults->completer())
            c->setModelSorting(QCompleter::CaseSensitivelySortedModel);
        cbbResults->setAccessibleName(QStringLiteral("Matching callsigns"));
        keepPlaceWhenHidden(cbbResults);
        cbbResults->hide();
        auto* hint = new QLabel(QStringLiteral("Wildcard characters * = all, ? = single character"), grp1);
        g->addWidget(rbAmateur, 0, 0);
        g->addWidget(rbGMRS, 1, 0);
        g->addWidget(lblCall, 0, 1);
        g->addWidget(edtSearch, 1, 1);
        g->addWidget(btnSearch, 1, 2);
        g->addWidget(cbbResults, 1, 3);
        g->addWidget(hint, 2, 0, 1, 4);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
    }
    v->addWidget(grp1);

    // The two record groups share one place whose size fits either, so switching between a US
    // and a Canadian record changes neither the layout nor the window.
    grpUSA = qobject_cast<QGroupBox*>(buildUsaGroup());
    grpcdn = qobject_cast<QGroupBox*>(buildCanadaGroup());
    auto* records = new QWidget(central);
    records->setObjectName(QStringLiteral("recordPlace"));
    auto* place = new QGridLayout(records);
    place->setContentsMargins(0, 0, 0, 0);
    place->addWidget(grpUSA, 0, 0);
    place->addWidget(grpcdn, 0, 0);
    keepPlaceWhenHidden(grpUSA);
    keepPlaceWhenHidden(grpcdn);
    grpcdn->hide();
    v->addWidget(records, 1);
    setCentralWidget(central);

    // Date-and-time boxes show a whole text such as "12/31/2026 12:59:59 PM"; city and county
    // boxes a long place name. Longer values show in full in the box's tool-tip.
    for (const char* name : {"edtSunRise", "edtSolarNoon", "edtSunSet", "CDNSunRise", "CDNSolarNoon", "CDNSunSet"})
        fitsText(findChild<QLineEdit*>(QLatin1String(name)), widestDateTime());
    for (const char* name : {"edtCity", "edtCounty", "CDNedtCity", "CDNedtclub_city"})
        fitsText(findChild<QLineEdit*>(QLatin1String(name)), QStringLiteral("Rappahannock Academy"));

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("pnl1"));
    txtDate = new QLabel(bar);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtTime = new QLabel(bar);
    txtTime->setObjectName(QStringLiteral("txtTime"));
    txtMessage = new QLabel(bar);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    bar->addWidget(txtDate);
    bar->addWidget(txtTime);
    widthNotFromText(txtMessage);
    bar->addWidget(txtMessage, 1);
    setStatusBar(bar);

    connect(btnSearch, &QPushButton::clicked, this, reporting(this, &TForm1::btnSearchClick));
    connect(cbbResults, &QComboBox::currentTextChanged, this, reporting(this, &TForm1::cbbResultsChange));
    edtSearch->installEventFilter(this);
    lblupdate->installEventFilter(this);
    setTabOrder(edtSearch, btnSearch);
}

QWidget* TForm1::buildUsaGroup() {
    auto* box = new QGroupBox(QStringLiteral("Display Results United States"));
    box->setObjectName(QStringLiteral("grpUSA"));
    auto* g = new QGridLayout(box);
    g->setContentsMargins(6, 2, 6, 4);
    g->setVerticalSpacing(1);
    g->setHorizontalSpacing(8);
    addField(g, 0, 0, "edtCallsign", QStringLiteral("Callsign"), true);
    addField(g, 0, 1, "edPreviousCall", QStringLiteral("Previous Callsign"), true);
    addField(g, 0, 2, "edtLicense", QStringLiteral("License Class"), true);
    addField(g, 1, 0, "edtName", QStringLiteral("Entity Name"), true, 2);
    addField(g, 1, 2, "edtIssueDate", QStringLiteral("Issue Date"), true);
    addField(g, 2, 0, "edtAddress", QStringLiteral("Mailing Address"), true, 2);
    addField(g, 2, 2, "edtExpireDate", QStringLiteral("Expiration Date"), true);
    addField(g, 3, 0, "edtCity", QStringLiteral("City"), true);
    addField(g, 3, 1, "edtCounty", QStringLiteral("County"), true);
    addField(g, 3, 2, "edtState", QStringLiteral("State"), true);
    addField(g, 4, 0, "edtPostal", QStringLiteral("Zipcode"), true);
    addField(g, 4, 1, "edtLatitude", QStringLiteral("Latitude"), true);
    addField(g, 4, 2, "edtLongitude", QStringLiteral("Longitude"), true);
    addField(g, 5, 0, "edtGrid", QStringLiteral("Grid Square"), true);
    addField(g, 5, 1, "edtAzimuth", QStringLiteral("Azimuth"), false);
    addField(g, 5, 2, "edtDistance", QStringLiteral("Distance (SM)"), false, 1, &lblDistance);
    lblDistance->setObjectName(QStringLiteral("lblDistance"));
    addField(g, 6, 0, "edtSunRise", QStringLiteral("Sunrise"), true);
    addField(g, 6, 1, "edtSolarNoon", QStringLiteral("Solar Noon"), true);
    addField(g, 6, 2, "edtSunSet", QStringLiteral("Sunset"), true);
    edtOtherCall = addField(g, 7, 0, "edtOtherCall", QString(), false, 1, &lblOthercall);
    lblOthercall->setObjectName(QStringLiteral("lblOthercall"));
    keepPlaceWhenHidden(lblOthercall);
    keepPlaceWhenHidden(edtOtherCall);
    for (int c = 0; c < 3; ++c)
        g->setColumnStretch(c, 1);
    g->setRowStretch(16, 1);
    return box;
}

QWidget* TForm1::buildCanadaGroup() {
    auto* box = new QGroupBox(QStringLiteral("Display Results Canada"));
    box->setObjectName(QStringLiteral("grpcdn"));
    auto* g = new QGridLayout(box);
    g->setContentsMargins(6, 2, 6, 4);
    g->setVerticalSpacing(1);
    g->setHorizontalSpacing(8);
    addField(g, 0, 0, "CDNedtCallsign", QStringLiteral("Callsign"), true);
    addField(g, 0, 1, "CDNedtFirstName", QStringLiteral("First name"), false);
    addField(g, 0, 2, "CDNedtsurname", QStringLiteral("Last Name"), true, 2);
    addField(g, 1, 0, "CDNedtAddress", QStringLiteral("Address Line"), false, 2);
    addField(g, 1, 2, "CDNedtCity", QStringLiteral("City"), false, 2);
    addField(g, 2, 0, "CDNedtProv", QStringLiteral("Province"), false);
    addField(g, 2, 1, "CDNedtPostal", QStringLiteral("Postal Code"), false);
    addField(g, 2, 2, "CDNedtqual_a", QStringLiteral("Basic"), false);
    addField(g, 2, 3, "CDNedtqual_b", QStringLiteral("5WPM"), false);
    addField(g, 3, 0, "CDNedtQual_C", QStringLiteral("12WPM"), false);
    addField(g, 3, 1, "CDNedtQual_D", QStringLiteral("Advanced"), false);
    addField(g, 3, 2, "CDNedtClubName1", QStringLiteral("Club Name"), false, 2);
    addField(g, 4, 0, "CDNedtclub_address", QStringLiteral("Club Address"), false, 2);
    addField(g, 4, 2, "CDNedtclub_city", QStringLiteral("Club City"), false);
    addField(g, 4, 3, "CDNedtClub_Prov", QStringLiteral("Club Province"), false);
    addField(g, 5, 0, "CDNedtClub_Postal", QStringLiteral("Club Postal Code"), false);
    addField(g, 5, 1, "CDNedtLatitude", QStringLiteral("Latitude"), true);
    addField(g, 5, 2, "CDNedtLongitude", QStringLiteral("Longitude"), true);
    addField(g, 5, 3, "CDNedtGrid", QStringLiteral("Grid Square"), true);
    addField(g, 6, 0, "CDNSunRise", QStringLiteral("Sunrise"), true);
    addField(g, 6, 1, "CDNSolarNoon", QStringLiteral("Solar Noon"), true);
    addField(g, 6, 2, "CDNSunSet", QStringLiteral("Sunset"), true);
    addField(g, 6, 3, "CDNAzimuth", QStringLiteral("Azimuth"), true);
    QLabel* dist = nullptr;
    addField(g, 7, 0, "CDNDistance", QStringLiteral("Distance (SM)"), true, 1, &dist);
    dist->setObjectName(QStringLiteral("lblDistance_cdn"));
    lblDistance_cdn = dist;
    for (int c = 0; c < 4; ++c)
        g->setColumnStretch(c, 1);
    g->setRowStretch(16, 1);
    return box;
}
