#pragma once

#include <QMainWindow>
#include <QPageLayout>

#include <memory>

class Messages;
class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;
class QTextDocument;
class QToolBar;

// The preview of one report: its pages with navigation and zoom, printing and PDF export.
// Each report opens a window of its own; the program does not wait for it.
class ReportPreview : public QMainWindow
{
    Q_OBJECT
public:
    ReportPreview(std::unique_ptr<QTextDocument> document, const QPageLayout& layout,
                  Messages& messages, QWidget* parent = nullptr);
    ~ReportPreview() override;

    int pageCount() const;
    int currentPage() const;
    // Writes the report to the file; tells the user when it cannot.
    bool exportPdf(const QString& fileName);

private:
    void buildToolBar();
    void addNavigation(QToolBar* bar);
    void addZoom(QToolBar* bar);
    void addOutput(QToolBar* bar);
    void paintPages(QPrinter* printer);
    void showPageAndZoom();
    void applyZoomText(const QString& text);
    void goToPage(int page);
    void CmdPrint_Click();
    void CmdExportPdf_Click();

    std::unique_ptr<QTextDocument> m_document;
    Messages& m_messages;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget* PreviewPages = nullptr;
    QSpinBox* TxtPage = nullptr;
    QLabel* LblPageCount = nullptr;
    QComboBox* CboZoom = nullptr;
    QLabel* LblStatus = nullptr;
};
