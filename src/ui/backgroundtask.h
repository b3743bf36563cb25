#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace vok {

// Told how far the work is (done of total; total 0 when unknown); returns
// false when the clerk asked to stop.
using TaskProgress = std::function<bool(qint64 done, qint64 total)>;

// Runs `work` on a thread of its own while a modal progress window with
// `label` is shown, so that the program keeps drawing itself. With
// `cancellable`, its "Renunta" button asks the work to stop (through
// TaskProgress); otherwise the window cannot be closed before the work ends.
// What `work` throws is thrown again here. The work must use connections of
// its own: those of the windows belong to this thread.
void runInBackground(QWidget *parent, const QString &label, bool cancellable,
                     const std::function<void(const TaskProgress &)> &work);

} // namespace vok
