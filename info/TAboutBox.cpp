#include "info/TAboutBox.h"

#include "core/Database.h"
#include "data/DailyChanges.h"

#include "info/AboutInfo.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* namedLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}
} // namespace

TAboutBox::TAboutBox(QWidget* owner, const QString& appDataPath) : QDialog(owner), m_appDataPath(appDataPath) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    auto* Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setFrameShadow(QFrame::Sunken);
    ProgramIcon = namedLabel(Panel2, "ProgramIcon", QString());
    ProgramIcon->setFixedSize(60, 60);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setAccessibleName(QStringLiteral("Program icon"));
    ProductName = namedLabel(Panel2, "ProductName", QStringLiteral("Product Name"));
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    ProductName->setFont(big);
    Version = namedLabel(Panel2, "Version", QStringLiteral("Version"));
    Copyright = namedLabel(Panel2, "Copyright", QStringLiteral("Copyright"));
    Comments = namedLabel(Panel2, "Comments", QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    LabelOS = namedLabel(Panel2, "LabelOS", QStringLiteral("LabelOS"));
    License = namedLabel(Panel2, "License", QStringLiteral("License"));

    auto* panelGrid = new QGridLayout(Panel2);
    panelGrid->addWidget(ProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    panelGrid->addWidget(ProductName, 0, 1);
    panelGrid->addWidget(Version, 1, 1);
    int row = 2;
    for (QLabel* l : {Copyright, Comments, LabelOS, License})
        panelGrid->addWidget(l, row++, 0, 1, 2);
    panelGrid->setColumnStretch(1, 1);

    auto* files = new QGridLayout;
    auto pair = [&](int r, const char* captionName, const QString& caption, QLabel*& value, const char* valueName) {
        QLabel* c = namedLabel(this, captionName, caption);
        value = namedLabel(this, valueName, QLatin1String(valueName));
        // The value label has no name of its own, so a screen reader reads the date it shows;
        // the caption, its buddy, tells what the date is of.
        c->setBuddy(value);
        files->addWidget(c, r, 0);
        files->addWidget(value, r, 1);
    };
    pair(0, "lbl1", QStringLiteral("Amateur Data File:"), lblAMT, "lblAMT");
    pair(1, "lbl2", QStringLiteral("Canada Data File:"), lblCDN, "lblCDN");
    pair(2, "lbl3", QStringLiteral("GMRS Data File:"), lblGMRS, "lblGMRS");
    pair(3, "lbl4", QStringLiteral("Licence data:"), lblLicenceData, "lblLicenceData");
    files->setColumnStretch(1, 1);

    // The zip table's sources ask to be credited where the program shows what it is built from.
    auto* lblSources = namedLabel(this, "lblSources", QStringLiteral("Zip code data sources:"));
    auto* memNotice = new QPlainTextEdit(this);
    memNotice->setObjectName(QStringLiteral("memNotice"));
    memNotice->setReadOnly(true);
    memNotice->setPlainText(noticeText());
    memNotice->setFixedHeight(150);
    memNotice->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lblSources->setBuddy(memNotice);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addWidget(Panel2);
    column->addLayout(files);
    column->addWidget(lblSources);
    column->addWidget(memNotice);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(560);
    memNotice->setMinimumWidth(620);

    FormCreate();
}

void TAboutBox::FormCreate() {
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        return;
    ProgramIcon->setPixmap(icon.pixmap(QSize(60, 60)));
    VersioData = GetEXEVersionData(QCoreApplication::applicationFilePath());
    ProductName->setText(VersioData.ProductName);
    Version->setText(QStringLiteral("Versiom: ") + VersioData.FileVersion);
    Comments->setText(VersioData.Comments);
    Copyright->setText(VersioData.LegalCopyright);
    LabelOS->setText(QStringLiteral("Operating System: ") + GetOS());
    License->setText(QStringLiteral("Application to lookup Amateur/GMRS callsigns"));
    // A file not downloaded yet is said so; the window opens all the same.
    const AboutDataFiles f = aboutDataFiles(m_appDataPath);
    lblAMT->setText(dataFileDateText(f.amateur));
    lblGMRS->setText(dataFileDateText(f.gmrs));
    lblCDN->setText(dataFileDateText(f.canada));
    // The weekly archive's date, or the last daily changes applied after it.
    QString standing;
    try {
        const QString licences = m_appDataPath + QStringLiteral("FCCdata.db");
        if (QFileInfo(licences).isFile()) {
            Database db;
            db.openReadOnly(licences);
            standing = licenceDataText(db);
        }
    } catch (const std::exception&) {
        // An unreadable database is told by the main window; here it is simply not known.
    }
    lblLicenceData->setText(standing.isEmpty() ? QStringLiteral("not known") : standing);
}

void TAboutBox::OKButtonClick() { accept(); }
