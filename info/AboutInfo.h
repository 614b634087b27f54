#pragma once
// What the About window states besides the version strings: the operating system's name, the
// dates of the three licence data files, the program's icon and the notice that credits the
// zip table's sources. No widgets (the icon is a QIcon of Qt GUI).
// Collaborators: TAboutBox, the main window (sets the icon as the application's).

#include <QDateTime>
#include <QIcon>
#include <QString>

// The Windows release of a build number, "Undefined" for any number not in the table.
QString windowsBuildName(int build);
// The name shown after "Operating System: ": the Windows release of the running build on
// Windows, elsewhere the distribution's own pretty name.
QString GetOS();

// A file's creation time where the file system keeps one, else its last modification; invalid
// when the file does not exist.
QDateTime fileCreationTime(const QString& fileName);
// The date part of that time in the short date format, or "not downloaded yet" without the file.
QString dataFileDateText(const QString& fileName);

struct AboutDataFiles {
    QString amateur;
    QString gmrs;
    QString canada;
};
// The three files the licence tables were last built from, under the data folder.
AboutDataFiles aboutDataFiles(const QString& appDataPath);

// The program's icon in every size it ships.
QIcon programIcon();
// The notice shipped with the zip table (dist/NOTICE, built into the program).
QString noticeText();
