#include "reports/ReportProgress.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

int g_delay = 500;

} // namespace

ReportProgress::ReportProgress(QWidget* parent) : m_parent(parent)
{
    m_clock.start();
}

ReportProgress::~ReportProgress() = default;

void ReportProgress::setDelay(int milliseconds)
{
    g_delay = milliseconds;
}

ReportPages::Progress ReportProgress::callback()
{
    return [this](int page, int pageCount) { return onPage(page, pageCount); };
}

bool ReportProgress::onPage(int page, int pageCount)
{
    if (!m_dialog) {
        if (m_clock.elapsed() < g_delay ||
            !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return true;
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setObjectName(QStringLiteral("ReportProgress"));
        m_dialog->setWindowTitle(QApplication::translate("ReportProgress", "Report"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }
    m_dialog->setMaximum(pageCount);
    m_dialog->setLabelText(QApplication::translate("ReportProgress", "Preparing page %1 of %2 ...")
                               .arg(page)
                               .arg(pageCount));
    m_dialog->setValue(page - 1); // a modal dialog takes the Cancel click here
    return !m_dialog->wasCanceled();
}
