#pragma once
// runJob: one long piece of work of a window (reading a search, sorting or measuring a large
// result, writing an export) run on a worker thread while the caller waits and the program keeps
// painting. Input to every window but the progress window is held back meanwhile, so nothing can
// be clicked twice. When the work takes longer than a moment a progress window opens over the
// owner: what is being done, how far it is, and Cancel (Escape or closing the window cancel too),
// which asks the work to stop through its JobControl.
// Returns true when the work ended, false when it was cancelled (the work threw JobCancelled).
// Any other error the work throws is caught on the worker and thrown again on the caller's
// thread, as DatabaseError when it was one and as std::runtime_error with the same text
// otherwise (no exception crosses the thread boundary).
// Collaborators: BackgroundJob (the worker thread), JobControl and parallelFor (core/Job), the
// result windows, ExportGridToCSV.

#include "core/Job.h"

#include <QString>
#include <functional>

class QWidget;

// `what` names the work in the progress window ("Searching"); `unit` names what it counts
// ("records").
bool runJob(QWidget* owner, const QString& what, const std::function<void(JobControl&)>& work,
            const QString& unit = QStringLiteral("records"));

// How long work may take before the progress window opens, in milliseconds (tests set 0 to see
// the window at once).
int jobWindowDelayMs();
void setJobWindowDelayMs(int ms);
