#pragma once
// TAboutBox ("About"): the program's icon, name, version, copyright and comments from the
// build's version strings, the operating system, a one-line description, the dates of the three
// licence data files (or that one has not been downloaded yet) and the credit of the zip
// table's sources. Filled once, when created.
// Collaborators: ReadVersionData (version strings), AboutInfo (system name, file dates, icon,
// notice), the About menu entry (opens it with the data folder).

#include "core/SharedRoutines.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(QWidget* owner, const QString& appDataPath);

    TEXEVersionData VersioData;

    void OKButtonClick();
    static TEXEVersionData GetEXEVersionData(const QString& FileName) { return ReadVersionData(FileName); }

private:
    void FormCreate();

    QString m_appDataPath;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QLabel* LabelOS = nullptr;
    QLabel* License = nullptr;
    QLabel* lblAMT = nullptr;
    QLabel* lblCDN = nullptr;
    QLabel* lblGMRS = nullptr;
    QLabel* lblLicenceData = nullptr;
    QPushButton* OKButton = nullptr;
};
