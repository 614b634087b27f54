#pragma once
// Grid routines shared by the result windows: fitting columns to their content, writing the
// grid to CSV, and opening a document or web address with the desktop.

#include <QList>
#include <QString>
#include <QUrl>
#include <functional>

class QTableView;

// Each column as wide as the widest of its title and its cells, plus 10 pixels. No model: nothing.
void AutoSizeGridColumns(QTableView* grid);
// Every visible column, every row in the grid's current order, each field in double quotes
// (inner quotes doubled), comma separated, CR LF ends; replaces the file. Throws on write failure.
void ExportGridToCSV(QTableView* grid, const QString& fileName);
// The CSV text of one line of fields.
QString csvLine(const QStringList& fields);
// Hands the address or file to the desktop; double quotes become %22. Failures are not reported.
void OpenDocument(const QString& target);

// What OpenDocument hands its address to: the desktop's handler unless replaced. Returns the
// previous one; an empty function restores the desktop.
using DesktopOpener = std::function<void(const QUrl&)>;
DesktopOpener setDesktopOpener(DesktopOpener opener);

// For tests: records every address instead of launching a program; restores on destruction.
class ScopedDesktopOpener {
public:
    ScopedDesktopOpener();
    ~ScopedDesktopOpener();
    ScopedDesktopOpener(const ScopedDesktopOpener&) = delete;
    ScopedDesktopOpener& operator=(const ScopedDesktopOpener&) = delete;
    QList<QUrl> opened;

private:
    DesktopOpener m_previous;
};
