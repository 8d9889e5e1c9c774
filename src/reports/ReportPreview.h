#pragma once

#include "reports/ReportPages.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class Messages;
class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;
class QToolBar;

// The preview of one report: its pages with navigation and zoom, printing, PDF export and,
// for a report that offers it, CSV export. The preview, the printer and the PDF file are
// painted from the same pages. Each report opens a window of its own; the program does not
// wait for it.
class ReportPreview : public QMainWindow
{
    Q_OBJECT
public:
    // Writes the report's rows to a CSV file; empty on success, else a sentence for the user.
    using CsvExport = std::function<QString(const QString& fileName)>;

    // Paints the pages at once, telling firstPaint how far it got.
    ReportPreview(std::shared_ptr<const ReportPages> pages, Messages& messages,
                  QWidget* parent = nullptr, const ReportPages::Progress& firstPaint = {},
                  CsvExport csvExport = {});
    ~ReportPreview() override;

    int pageCount() const;
    int currentPage() const;
    // Writes the report to the file; tells the user when it cannot.
    bool exportPdf(const QString& fileName);
    // Writes the report's rows; tells the user when it cannot. Only for a report with rows.
    bool exportCsv(const QString& fileName);
    // True when the user cancelled the painting of the pages.
    bool paintingCancelled() const { return m_cancelled; }
    // Prints on a printer the Print dialog has set up; tells the user when it cannot.
    bool print(QPrinter& printer);

private:
    void buildToolBar();
    void addNavigation(QToolBar* bar);
    void addZoom(QToolBar* bar);
    void addOutput(QToolBar* bar);
    void paintPages(QPrinter* printer);
    void showPageAndZoom();
    void applyZoomText(const QString& text);
    void goToPage(int page);
    void printForm();
    void exportToPdf();
    void exportToCsv();
    QString askFileName(const QString& title, const QString& suffix, const QString& filter);

    std::shared_ptr<const ReportPages> m_pages;
    ReportPages::Progress m_firstPaint;
    CsvExport m_csvExport;
    bool m_cancelled = false;
    Messages& m_messages;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget* m_pageView = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_pageCountLabel = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QLabel* m_statusLabel = nullptr;
};
