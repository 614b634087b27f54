#include "info/TBrowser.h"

#include "info/MapUrls.h"
#include "info/SlippyTiles.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr int kTileMemory = 600;   // tiles kept in memory before the oldest lot is dropped
}

// Tiles are some ten kilobytes and one map image a few hundred; an answer far beyond that is
// not a map, and reading it whole would only fill memory.
constexpr qint64 kLargestAnswer = qint64(8) << 20;
const char* const kRefusedProperty = "qmRefused";

QString replyFailure(QNetworkReply* reply) {
    const QVariant refused = reply->property(kRefusedProperty);
    if (refused.isValid())
        return refused.toString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status >= 300)) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed();
    }
    // The transfer timeout aborts the reply, which Qt then calls cancelled.
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("the server did not answer within 30 seconds");
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    return {};
}

MapView::MapView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(200, 150);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xE5, 0xE3, 0xDF));
    setPalette(pal);

    lblMapStatus = new QLabel(this);
    lblMapStatus->setObjectName(QStringLiteral("lblMapStatus"));
    lblMapStatus->setWordWrap(true);
    lblMapStatus->setAlignment(Qt::AlignCenter);
    lblMapStatus->setStyleSheet(QStringLiteral("QLabel { background: rgba(255,255,255,225); color: black; padding: 8px; }"));
    lblMapStatus->hide();

    lblAttribution = new QLabel(this);
    lblAttribution->setObjectName(QStringLiteral("lblAttribution"));
    lblAttribution->setStyleSheet(QStringLiteral("QLabel { background: rgba(255,255,255,200); color: #333; padding: 1px 4px; }"));
    lblAttribution->hide();
}

MapView::~MapView() {
    // Replies are children of the manager; they must not report into a half-destroyed view.
    for (QNetworkReply* reply : m_pending.keys()) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
    }
}

QString MapView::statusText() const { return lblMapStatus->isHidden() ? QString() : lblMapStatus->text(); }
QString MapView::attributionText() const { return lblAttribution->isHidden() ? QString() : lblAttribution->text(); }

int MapView::tilesShown() const {
    if (m_mode != Mode::Tiles)
        return 0;
    int shown = 0;
    for (const TilePlacement& t : tilesForView(m_centre.Latitude, m_centre.Longitude, m_zoom, size()))
        shown += m_tiles.contains(tileUrl(m_source.urlTemplate, t.zoom, t.x, t.y)) ? 1 : 0;
    return shown;
}

void MapView::reset(Mode mode) {
    const QList<QNetworkReply*> replies = m_pending.keys();
    m_pending.clear();
    for (QNetworkReply* reply : replies) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
    m_mode = mode;
    m_image = QImage();
    m_failures.clear();
    setStatus(QString());
    lblAttribution->hide();
}

QNetworkReply* MapView::get(const QUrl& url) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, programUserAgent());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(30000);
    QNetworkReply* reply = m_network.get(request);
    m_pending.insert(reply, url.toString());
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if ((received > kLargestAnswer || total > kLargestAnswer) && !reply->property(kRefusedProperty).isValid()) {
            reply->setProperty(kRefusedProperty, QStringLiteral("the answer is larger than %1 MiB").arg(kLargestAnswer >> 20));
            reply->abort();
        }
    });
    return reply;
}

void MapView::finishReply(QNetworkReply* reply) {
    m_pending.remove(reply);
    reply->deleteLater();
    if (m_pending.isEmpty())
        emit settled();
}

void MapView::showMessage(const QString& text) {
    reset(Mode::Message);
    setStatus(text);
    update();
    emit settled();
}

void MapView::showImage(const QUrl& url) {
    reset(Mode::Image);
    if (!url.isValid() || url.scheme().isEmpty()) {
        showMessage(QStringLiteral("The map could not be loaded: \"%1\" is no web address.").arg(url.toString()));
        return;
    }
    setStatus(QStringLiteral("Loading the map…"));
    QNetworkReply* reply = get(url);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { imageArrived(reply); });
    update();
}

void MapView::imageArrived(QNetworkReply* reply) {
    const QString failure = replyFailure(reply);
    if (!failure.isEmpty()) {
        m_failures << failure;
        setStatus(QStringLiteral("The map could not be loaded: %1").arg(failure));
    } else if (!m_image.loadFromData(reply->readAll())) {
        const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
        m_failures << QStringLiteral("no image");
        setStatus(QStringLiteral("The map could not be loaded: the answer is no image (%1).")
                      .arg(type.isEmpty() ? QStringLiteral("no content type") : type));
    } else {
        setStatus(QString());
    }
    update();
    finishReply(reply);
}

void MapView::showTiles(const TileSource& source, const LatLon& centre, int zoom) {
    if (source.urlTemplate != m_source.urlTemplate)
        m_tiles.clear();
    reset(Mode::Tiles);
    m_source = source;
    m_centre = centre;
    m_zoom = tileZoom(zoom, source.maxZoom);
    lblAttribution->setText(source.attribution);
    lblAttribution->setVisible(!source.attribution.isEmpty());
    placeLabels();
    requestVisibleTiles();
    update();
    if (m_pending.isEmpty())
        emit settled();
}

void MapView::requestVisibleTiles() {
    // Until the view is shown its size is not the final one: tiles are asked for when it is.
    if (m_mode != Mode::Tiles || !isVisible())
        return;
    if (m_tiles.size() > kTileMemory)
        m_tiles.clear();
    QSet<QString> asked;
    for (const QString& url : std::as_const(m_pending))
        asked.insert(url);
    for (const TilePlacement& t : tilesForView(m_centre.Latitude, m_centre.Longitude, m_zoom, size())) {
        const QString url = tileUrl(m_source.urlTemplate, t.zoom, t.x, t.y);
        if (m_tiles.contains(url) || asked.contains(url))
            continue;
        asked.insert(url);
        QNetworkReply* reply = get(QUrl(url));
        connect(reply, &QNetworkReply::finished, this, [this, reply, url] { tileArrived(reply, url); });
    }
}

void MapView::tileArrived(QNetworkReply* reply, const QString& url) {
    QString failure = replyFailure(reply);
    QImage tile;
    if (failure.isEmpty() && !tile.loadFromData(reply->readAll()))
        failure = QStringLiteral("the answer is no image");
    if (failure.isEmpty()) {
        m_tiles.insert(url, tile);
    } else {
        m_failures << failure;
        setStatus(QStringLiteral("Map tiles could not be loaded: %1\n(%2)").arg(failure, url));
    }
    update();
    finishReply(reply);
}

void MapView::setStatus(const QString& text) {
    lblMapStatus->setText(text);
    lblMapStatus->setVisible(!text.isEmpty());
    placeLabels();
}

void MapView::placeLabels() {
    const int w = std::min(width() - 20, 520);
    lblMapStatus->setFixedWidth(std::max(w, 100));
    lblMapStatus->adjustSize();
    lblMapStatus->move((width() - lblMapStatus->width()) / 2, m_mode == Mode::Tiles ? 10 : (height() - lblMapStatus->height()) / 2);
    lblAttribution->adjustSize();
    lblAttribution->move(width() - lblAttribution->width(), height() - lblAttribution->height());
}

void MapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeLabels();
    requestVisibleTiles();
}

void MapView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeLabels();
    requestVisibleTiles();
}

void MapView::drawMarker(QPainter& p, QPoint at) const {
    // A pin whose point touches the place: a circle head over a tapering stem.
    const double r = 11;
    QPainterPath pin;
    pin.moveTo(at);
    pin.cubicTo(at.x() - 4, at.y() - 10, at.x() - r, at.y() - 18, at.x() - r, at.y() - 26);
    pin.arcTo(QRectF(at.x() - r, at.y() - 26 - r, 2 * r, 2 * r), 180, -180);
    pin.cubicTo(at.x() + r, at.y() - 18, at.x() + 4, at.y() - 10, at.x(), at.y());
    p.setPen(QPen(QColor(0x0B, 0x2E, 0x80), 1.5));
    p.setBrush(QColor(0x1E, 0x5B, 0xE6));
    p.drawPath(pin);
    QFont f = font();
    f.setBold(true);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(at.x() - r, at.y() - 26 - r, 2 * r, 2 * r), Qt::AlignCenter, QStringLiteral("S"));
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_mode == Mode::Image && !m_image.isNull()) {
        // Unscaled and centred, as the service drew it: the marker stays in the middle.
        p.drawImage(QPoint((width() - m_image.width()) / 2, (height() - m_image.height()) / 2), m_image);
        return;
    }
    if (m_mode != Mode::Tiles)
        return;
    for (const TilePlacement& t : tilesForView(m_centre.Latitude, m_centre.Longitude, m_zoom, size())) {
        const auto it = m_tiles.constFind(tileUrl(m_source.urlTemplate, t.zoom, t.x, t.y));
        if (it != m_tiles.constEnd())
            p.drawImage(QRect(t.topLeft, QSize(kTileSize, kTileSize)), *it);
    }
    p.setRenderHint(QPainter::Antialiasing);
    drawMarker(p, QPoint(width() / 2, height() / 2));
}

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
