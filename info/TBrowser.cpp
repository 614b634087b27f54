#include "info/TBrowser.h"

#include "info/MapUrls.h"
#include "info/MapView.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>

TBrowser::TBrowser(QWidget* owner, const ServiceConfig& services, std::optional<LatLon> centre, const QString& noCentreText)
    : QDialog(owner), m_services(services), m_centre(centre), m_noCentreText(noCentreText) {
    setObjectName(QStringLiteral("Browser"));
    setWindowTitle(QStringLiteral("Browser"));
    setModal(true);
    setSizeGripEnabled(true);
    m_tiles = services.StaticMapKey.trimmed().isEmpty();

    auto bold = [](QWidget* w) {
        QFont f = w->font();
        f.setBold(true);
        w->setFont(f);
    };
    pnl1 = new QWidget(this);
    pnl1->setObjectName(QStringLiteral("pnl1"));
    edtURL = new QLineEdit(pnl1);
    edtURL->setObjectName(QStringLiteral("edtURL"));
    edtURL->setAccessibleName(QStringLiteral("Address"));
    btnGo = new QPushButton(QStringLiteral("Go"), pnl1);
    btnGo->setObjectName(QStringLiteral("btnGo"));
    btnGo->setAutoDefault(false);
    lbl1 = new QLabel(QStringLiteral("Display Mode"), pnl1);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    rbRoadMap = new QRadioButton(QStringLiteral("Road Map"), pnl1);
    rbRoadMap->setObjectName(QStringLiteral("rbRoadMap"));
    rbRoadMap->setChecked(true);
    rbHybird = new QRadioButton(QStringLiteral("Hybird"), pnl1);
    rbHybird->setObjectName(QStringLiteral("rbHybird"));
    lbl1->setBuddy(rbRoadMap);
    lbl2 = new QLabel(QStringLiteral("Zoom Level"), pnl1);
    lbl2->setObjectName(QStringLiteral("lbl2"));
    scrlbr1 = new QScrollBar(Qt::Horizontal, pnl1);
    scrlbr1->setObjectName(QStringLiteral("scrlbr1"));
    scrlbr1->setAccessibleName(QStringLiteral("Zoom Level"));
    scrlbr1->setRange(0, 21);
    scrlbr1->setPageStep(1);
    scrlbr1->setValue(16);
    scrlbr1->setMinimumWidth(220);
    lbl2->setBuddy(scrlbr1);
    for (QWidget* w : {static_cast<QWidget*>(lbl1), static_cast<QWidget*>(rbRoadMap), static_cast<QWidget*>(rbHybird),
                       static_cast<QWidget*>(lbl2)})
        bold(w);

    auto* top = new QGridLayout(pnl1);
    top->setContentsMargins(6, 6, 6, 2);
    top->addWidget(edtURL, 0, 0);
    top->addWidget(btnGo, 0, 1);
    auto* modes = new QHBoxLayout;
    modes->addWidget(lbl1);
    modes->addWidget(rbRoadMap);
    modes->addWidget(rbHybird);
    modes->addSpacing(24);
    modes->addWidget(lbl2);
    modes->addWidget(scrlbr1);
    modes->addStretch();
    top->addLayout(modes, 1, 0, 1, 2);

    pnl2 = new QWidget(this);
    pnl2->setObjectName(QStringLiteral("pnl2"));
    wb1 = new MapView(pnl2);
    wb1->setObjectName(QStringLiteral("wb1"));
    wb1->setAccessibleName(QStringLiteral("Map"));
    auto* mapBox = new QVBoxLayout(pnl2);
    mapBox->setContentsMargins(0, 0, 0, 0);
    mapBox->addWidget(wb1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(pnl1);
    column->addWidget(pnl2, 1);

    // Room for the 1024 by 768 map where the screen allows it.
    QSize size(1040, 860);
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    resize(size);

    connect(btnGo, &QPushButton::clicked, this, &TBrowser::btnGoClick);
    connect(edtURL, &QLineEdit::returnPressed, this, &TBrowser::btnGoClick);
    connect(rbRoadMap, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbRoadMapClick();
    });
    connect(rbHybird, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbHybirdClick();
    });
    connect(scrlbr1, &QScrollBar::valueChanged, this, &TBrowser::scrlbr1Scroll);
}

int TBrowser::Execute(const QString& uri) {
    load(uri);
    return exec();
}

void TBrowser::load(const QString& uri) {
    FURL = uri;
    FParts = mapUrlParts(uri);
    edtURL->setText(uri);
    edtURL->setCursorPosition(0);
    navigate(uri);
}

void TBrowser::scrlbr1Scroll(int position) {
    setZoomPart(FParts, position);
    Rebuild();
}

void TBrowser::rbRoadMapClick() {
    if (!rbRoadMap->isChecked())
        return;
    setMapTypePart(FParts, false);
    Rebuild();
}

void TBrowser::rbHybirdClick() {
    if (!rbHybird->isChecked())
        return;
    setMapTypePart(FParts, true);
    Rebuild();
}

void TBrowser::Rebuild() {
    FURL = joinMapUrlParts(FParts);
    edtURL->setText(FURL);
    edtURL->setCursorPosition(0);
    navigate(FURL);
}

void TBrowser::btnGoClick() { navigate(edtURL->text()); }

void TBrowser::navigate(const QString& url) {
    if (!m_tiles) {
        wb1->showImage(QUrl(url, QUrl::TolerantMode));
        return;
    }
    if (!m_centre) {
        wb1->showMessage(m_noCentreText.isEmpty() ? QStringLiteral("There is no place to show on the map.") : m_noCentreText);
        return;
    }
    // Without a key the tiles follow what the request asks for; imagery only when a server is set.
    const MapRequest request = mapRequestOf(url);
    const bool imagery = request.hybrid && !m_services.MapImageryTileUrl.trimmed().isEmpty();
    TileSource source;
    source.urlTemplate = imagery ? m_services.MapImageryTileUrl : m_services.MapTileUrl;
    source.maxZoom = imagery ? m_services.MapImageryMaxZoom : m_services.MapTileMaxZoom;
    source.attribution = imagery ? m_services.MapImageryAttribution : m_services.MapTileAttribution;
    wb1->showTiles(source, *m_centre, request.zoom);
}
