#pragma once
// Grid routines shared by the result windows (the result table window and the county search):
// fitting columns to their content, the title-click sort rule, writing the grid to CSV, and
// opening a document or web address with the desktop.

#include "core/CsvFile.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <functional>

class QTableView;

// Each column as wide as the widest of its title (header font) and its cells (grid font), plus
// 10 pixels. No model: nothing. For a ResultModel of any size the widths are those of measuring
// every cell, found without measuring most of them: every cell's width is estimated from
// per-character advances (on several threads; a character beyond Latin-1 counts as the font's
// widest), and only texts whose estimate comes within 2 pixels + 5% of the widest
// measured so far are measured (shaping and kerning move a width by less than that), widest
// estimates first, each different text once, at most 512 different texts per column (beyond that
// they are texts of equal character widths — zip codes, dates — which measure alike).
void AutoSizeGridColumns(QTableView* grid);

// The look every result grid shares: read-only, one line per row, no row numbers, rows of one
// fixed height, clickable titles that do not turn bold with the selection.
void setUpResultGrid(QTableView* grid);

// The title-click sort: flips `sortAscending` — one flag per window class, false at start and kept
// for the whole run, so the direction alternates with every click whichever column or window —
// then orders the rows by the clicked column in that direction (the model's sort; a ResultModel
// re-orders its fetched rows in memory, on a worker with Cancel: runJob) and makes the first row
// current. A cancelled sort changes nothing, the flag included, and returns false.
bool sortGridOnTitleClick(QTableView* grid, int column, bool& sortAscending);

// Every visible column in on-screen order, every row in the grid's current order, in the CSV form
// of core/CsvFile.h; replaces the file only once it is completely written (the old one stays on
// failure). The current row is left alone. A ResultModel's rows are written on a worker thread
// with Cancel (runJob); a cancelled export returns false and leaves no file (the old one stays).
// Throws std::runtime_error naming the file and the reason when it cannot be written.
bool ExportGridToCSV(QTableView* grid, const QString& fileName);

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
