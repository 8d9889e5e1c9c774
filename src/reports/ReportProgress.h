#pragma once

#include "reports/ReportPages.h"

#include <QElapsedTimer>

#include <memory>

class QProgressDialog;
class QWidget;

// Shows how far the painting of a report has got, once it has taken longer than half a
// second: the page being painted, the page count, and Cancel, which stops the painting
// between two pages. Without a widget application (a command line run) it shows nothing.
class ReportProgress
{
public:
    explicit ReportProgress(QWidget* parent);
    ~ReportProgress();
    ReportProgress(const ReportProgress&) = delete;
    ReportProgress& operator=(const ReportProgress&) = delete;

    // For ReportPages::paint; valid as long as this object lives.
    ReportPages::Progress callback();

    // How long a report may take before the dialog shows, in milliseconds.
    static void setDelay(int milliseconds);

private:
    bool onPage(int page, int pageCount);

    QWidget* m_parent;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};
