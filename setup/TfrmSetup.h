#pragma once
// TfrmSetup ("Setup"): the station's grid square, latitude and longitude, the distance unit, the
// clock choice, and the look-up service for other programs (on or off, its port). F2 fills the
// coordinates from the grid square or the grid square from the coordinates; F3 fills all three
// from a zip or postal code. OK checks both coordinates and the port and only then stores the
// values; Cancel stores nothing. The opener refreshes what depends on them.
// Collaborators: StationSetup (formats, checks, code look-up, storing), THamUtil (locators),
// TAppContext (settings, station settings, zip connection), CenteredMessageDialog/InputQuery.

#include "core/AppContext.h"
#include "geo/HamCalc.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmSetup : public QDialog {
    Q_OBJECT
public:
    TfrmSetup(QWidget* owner, const TAppContext& context);

    void btnOKClick();
    void btnCancelClick();
    void edtGridSquareKeyUp(int key);
    void edtLatitudeKeyUp(int key);
    void GetLocation();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Reads a coordinate box; says what is wrong (naming the box) and gives nothing when it is not one.
    std::optional<double> coordinateOf(QLineEdit* box);
    // Both boxes, latitude first; nothing when either is not a coordinate (that one was named).
    std::optional<LatLon> coordinates();

    TAppContext m_ctx;
    THamUtil m_ham;

    QLabel* lbl1 = nullptr;
    QLineEdit* edtGridSquare = nullptr;
    QLabel* lbl2 = nullptr;
    QLineEdit* edtLatitude = nullptr;
    QLabel* lbl3 = nullptr;
    QLineEdit* edtLongitude = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbl4 = nullptr;
    QRadioButton* rbSM = nullptr;
    QRadioButton* rbNM = nullptr;
    QRadioButton* rbKM = nullptr;
    QCheckBox* chkUTC = nullptr;
    QLabel* lbl5 = nullptr;
    QLineEdit* edtServerPort = nullptr;
    QCheckBox* chkServeLookups = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
