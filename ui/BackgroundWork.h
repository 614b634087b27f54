#pragma once
// runInBackground: long work of a window (reading a large result, writing a large export) done on
// a worker thread while the window keeps painting. The caller waits in a local event loop that
// holds back user input, so nothing can be clicked twice meanwhile; when the work takes longer
// than a moment, a small box over the owner tells what is happening and how many rows are done.
// The work owns whatever it touches while it runs (the caller touches nothing until it returns).
// An error the work throws is caught on the worker and thrown again here, on the caller's thread,
// as std::runtime_error with the same text (no exception crosses the thread boundary).
// Collaborators: the result windows, ExportGridToCSV.

#include <QString>
#include <atomic>
#include <functional>

class QWidget;

// `what` names the work in the box ("Searching"); the work counts its rows into `done`.
void runInBackground(QWidget* owner, const QString& what, const std::function<void(std::atomic<qint64>& done)>& work);
