#include "setup/TfrmSetup.h"

#include "core/TextRoutines.h"
#include "setup/StationSetup.h"
#include "ui/MessageDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, QLabel* caption, const QString& hint) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (caption) {
        caption->setBuddy(e);
        e->setAccessibleName(caption->text().trimmed());
    }
    e->setToolTip(hint);
    return e;
}

} // namespace

TfrmSetup::TfrmSetup(QWidget* owner, const TAppContext& context)
    : QDialog(owner), m_ctx(context),
      m_ham([this](const QString& text) { CenteredMessageDialog(this, text, MsgKind::Warning, MsgButton::Ok); }) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);

    lbl1 = label(this, "lbl1", QStringLiteral("Grid Square\n"));
    edtGridSquare = edit(this, "edtGridSquare", lbl1, QStringLiteral("Press F2 To Compute Latitude/Longitude"));
    // Letters show in upper case as they are typed.
    connect(edtGridSquare, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = edtGridSquare->cursorPosition();
        edtGridSquare->setText(AsciiUpperCase(text));
        edtGridSquare->setCursorPosition(cursor);
    });
    lbl2 = label(this, "lbl2", QStringLiteral("Latitude"));
    edtLatitude = edit(this, "edtLatitude", lbl2, QStringLiteral("Press F2 to Compute Gridsquare"));
    lbl3 = label(this, "lbl3", QStringLiteral("Longitude"));
    edtLongitude = edit(this, "edtLongitude", lbl3, QStringLiteral("Press F2 to compute Grid Square"));
    Label1 = label(this, "Label1", QStringLiteral("Press F3 to calculate location from Zip/Postal Code"));
    for (QLineEdit* box : {edtGridSquare, edtLatitude, edtLongitude})
        box->installEventFilter(this);

    lbl4 = label(this, "lbl4", QStringLiteral("Show Distance as"));
    auto* units = new QButtonGroup(this);
    auto radio = [&](const char* name, const QString& caption) {
        auto* rb = new QRadioButton(caption, this);
        rb->setObjectName(QLatin1String(name));
        units->addButton(rb);
        return rb;
    };
    rbSM = radio("rbSM", QStringLiteral("SM"));
    rbNM = radio("rbNM", QStringLiteral("NM"));
    rbKM = radio("rbKM", QStringLiteral("KM"));
    rbSM->setChecked(true);
    lbl4->setBuddy(rbSM);
    chkUTC = new QCheckBox(QStringLiteral("Show UTC"), this);
    chkUTC->setObjectName(QStringLiteral("chkUTC"));
    lbl5 = label(this, "lbl5", QStringLiteral("Server Port"));
    edtServerPort = edit(this, "edtServerPort", lbl5, QStringLiteral("The port other programs ask for look-ups on (1024 to 65535)"));
    edtServerPort->setText(QStringLiteral("8888"));
    chkServeLookups = new QCheckBox(QStringLiteral("Serve look-ups to other programs on this computer"), this);
    chkServeLookups->setObjectName(QStringLiteral("chkServeLookups"));
    chkServeLookups->setToolTip(QStringLiteral("Loggers and scripts on this computer can then ask http://127.0.0.1:<port>/v1/<call>/json/<name>"));

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lbl1, 0, 0, Qt::AlignTop);
    grid->addWidget(edtGridSquare, 0, 1, Qt::AlignTop);
    grid->addWidget(lbl2, 1, 0);
    grid->addWidget(edtLatitude, 1, 1);
    grid->addWidget(lbl3, 2, 0);
    grid->addWidget(edtLongitude, 2, 1);
    grid->addWidget(Label1, 3, 0, 1, 2);
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(rbSM);
    unitRow->addWidget(rbNM);
    unitRow->addWidget(rbKM);
    unitRow->addStretch(1);
    grid->addWidget(lbl4, 4, 0);
    grid->addLayout(unitRow, 4, 1);
    grid->addWidget(chkUTC, 5, 0, 1, 2);
    grid->addWidget(lbl5, 6, 0);
    grid->addWidget(edtServerPort, 6, 1);
    grid->addWidget(chkServeLookups, 7, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(btnOK, &QPushButton::clicked, this, &TfrmSetup::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSetup::btnCancelClick);
    FormCreate();
}

void TfrmSetup::FormCreate() {
    TGlobalProps& props = m_ctx.GlobalProps;
    TSettings& settings = m_ctx.Settings;
    // A stored coordinate that is not a number shows as stored, so the user can put it right here.
    auto coordinateText = [&](const QString& key, double (TGlobalProps::*get)(const TSettings&)) {
        try {
            return FloatText((props.*get)(settings));
        } catch (const SettingsError&) {
            return settings.GetSetting(key, QString());
        }
    };
    edtLatitude->setText(coordinateText(QStringLiteral("Latitude"), &TGlobalProps::Latitude));
    edtLongitude->setText(coordinateText(QStringLiteral("Longitude"), &TGlobalProps::Longitude));
    edtGridSquare->setText(props.GridSquare(settings));
    chkUTC->setChecked(props.IsUTC(settings));
    const TDisType unit = props.DisType(settings);
    (unit == TDisType::SM ? rbSM : unit == TDisType::KM ? rbKM : rbNM)->setChecked(true);
    const LookupServiceChoice service = lookupServiceChoice(settings);
    edtServerPort->setText(QString::number(service.port));
    chkServeLookups->setChecked(service.serve);
}

bool TfrmSetup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            if (watched == edtGridSquare)
                edtGridSquareKeyUp(key->key());
            else if (watched == edtLatitude || watched == edtLongitude)
                edtLatitudeKeyUp(key->key());
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSetup::edtGridSquareKeyUp(int key) {
    if (key == Qt::Key_F2) {
        // An invalid locator is told by the calculation's warning; the boxes show what it gave.
        const LatLon ll = m_ham.LocatorToLatLong(edtGridSquare->text());
        edtLatitude->setText(fixedCoordinateText(ll.Latitude));
        edtLongitude->setText(fixedCoordinateText(ll.Longitude));
    } else if (key == Qt::Key_F3) {
        GetLocation();
    }
}

void TfrmSetup::edtLatitudeKeyUp(int key) {
    if (key == Qt::Key_F2) {
        if (const auto place = coordinates())
            edtGridSquare->setText(m_ham.LatLongToLocator(place->Latitude, place->Longitude));
    } else if (key == Qt::Key_F3) {
        GetLocation();
    }
}

void TfrmSetup::GetLocation() {
    QString answer;
    if (!InputQuery(this, QStringLiteral("Request Postal Code"),
                    QStringLiteral("Enter your 5 digit US zipcode or the first 3 characters\nof your Canadian postal code"), answer))
        return;
    const QString code = AsciiUpperCase(answer);
    const std::optional<PostalLocation> place = postalCodeLocation(m_ctx.DM.Zipdb, code);
    if (!place) {
        CenteredMessageDialog(this, QStringLiteral("Geographical data for ") + code + QStringLiteral(" was not found"),
                              MsgKind::Information, MsgButton::Ok);
        return;
    }
    edtLatitude->setText(FloatText(place->latitude));
    edtLongitude->setText(FloatText(place->longitude));
    edtGridSquare->setText(m_ham.LatLongToLocator(place->latitude, place->longitude));
}

std::optional<double> TfrmSetup::coordinateOf(QLineEdit* box) {
    const Coordinate which = box == edtLatitude ? Coordinate::Latitude : Coordinate::Longitude;
    const std::optional<double> value = readCoordinate(box->text(), which);
    if (!value) {
        CenteredMessageDialog(this, coordinateProblem(box->text(), which), MsgKind::Error, MsgButton::Ok);
        box->setFocus();
        box->selectAll();
    }
    return value;
}

std::optional<LatLon> TfrmSetup::coordinates() {
    const std::optional<double> lat = coordinateOf(edtLatitude);
    if (!lat)
        return std::nullopt;
    const std::optional<double> lon = coordinateOf(edtLongitude);
    if (!lon)
        return std::nullopt;
    LatLon place;
    place.Latitude = *lat;
    place.Longitude = *lon;
    place.Valid = true;
    return place;
}

void TfrmSetup::btnOKClick() {
    // Both boxes are checked before anything is stored.
    const auto place = coordinates();
    if (!place)
        return;
    const std::optional<quint16> port = readServerPort(edtServerPort->text());
    if (!port) {
        CenteredMessageDialog(this, serverPortProblem(edtServerPort->text()), MsgKind::Error, MsgButton::Ok);
        edtServerPort->setFocus();
        edtServerPort->selectAll();
        return;
    }
    StationValues values;
    values.latitude = place->Latitude;
    values.longitude = place->Longitude;
    values.gridSquare = edtGridSquare->text();
    values.isUtc = chkUTC->isChecked();
    values.disType = rbSM->isChecked() ? TDisType::SM : rbKM->isChecked() ? TDisType::KM : TDisType::NM;
    storeStation(m_ctx.GlobalProps, m_ctx.Settings, values);
    storeLookupServiceChoice(m_ctx.Settings, LookupServiceChoice{chkServeLookups->isChecked(), *port});
    accept();
}

void TfrmSetup::btnCancelClick() { reject(); }
