#pragma once

#include "reports/ReportStyle.h"
#include "reports/ReportTemplate.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;

// A report laid out once into pages, and painted from that one layout on any device: the
// preview, a printer, a PDF file. The HTML parts are laid out as text documents; the table is
// painted row by row, a long value on further lines of its row, page breaks only between rows,
// the column titles on every page, and the part after the table kept with the last rows. Every
// page ends with the report's title and "Page n of m".
class ReportPages
{
public:
    enum class Outcome
    {
        Painted,
        Cancelled,
        Failed
    };
    // Told before each page is painted (counted from 1); false stops the painting.
    using Progress = std::function<bool(int page, int pageCount)>;

    ReportPages(const RenderedReport& report, const QList<ReportValues>& rows,
                const QPageLayout& layout);
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    // A4 with the report's margins.
    static QPageLayout a4(QPageLayout::Orientation orientation);

    const QPageLayout& pageLayout() const { return m_layout; }
    const QString& title() const { return m_title; }
    int pageCount() const { return int(m_pages.size()); }

    // Paints pages fromPage to toPage (counted from 1; 0 for "from the first" / "to the last").
    // A device whose page is smaller than the report's gets the pages shrunk to fit.
    Outcome paint(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0,
                  const Progress& progress = {}) const;
    // Writes the whole report as a PDF file; a file left unfinished is removed.
    Outcome writePdf(const QString& fileName, const Progress& progress = {}) const;
    // The sentence for the user when a PDF file cannot be written.
    static QString pdfFailure(const QString& fileName);

private:
    struct Row
    {
        QStringList cells; // lines apart by line breaks, each fitting its cell
        QList<int> looks;  // index into m_looks, per cell
        QColor fill;
        qreal height = 0;
    };
    // One thing on a page: a slice of an HTML part, the column titles, or a run of rows.
    struct Placement
    {
        enum class Kind
        {
            Part,
            Heading,
            Rows,
            Empty
        } kind;
        qreal top = 0;
        const QTextDocument* part = nullptr;
        int slice = 0;
        qsizetype first = 0, last = 0; // rows [first, last)
    };

    void measureTable();
    void addRows(const RenderedReport& report, const QList<ReportValues>& rows);
    int lookOf(const QString& tag, const QStringList& classes, const QStringList& rowClasses);
    std::unique_ptr<QTextDocument> partOf(const QString& html, const QString& styleSheet) const;
    qreal headingHeight() const { return m_groupHeight + m_titleHeight; }
    void paginate();
    qreal placePart(const QTextDocument& part, qreal top);
    qreal placeTable(qreal top, qreal footerHeight);
    qsizetype groupEnd(qsizetype column) const;
    int cellLook(qsizetype column, const ReportValues& values, const QStringList& rowClasses,
                 const QString& rowKey, QString& key);
    qsizetype rowsFitting(qsizetype first, qreal top) const;
    qreal heightOf(qsizetype first, qsizetype last) const;
    bool fits(const QString& text, int look, qreal width);
    QString elided(const QString& text, int look, qreal width);
    QString fitted(const QString& text, int look, qreal width);

    void paintPage(QPainter& painter, int page) const;
    void paintPart(QPainter& painter, const Placement& placement) const;
    void paintHeading(QPainter& painter, qreal top) const;
    void paintRows(QPainter& painter, const Placement& placement) const;
    void paintEmpty(QPainter& painter, qreal top) const;
    void paintGrid(QPainter& painter, qreal top, qreal bottom, bool columns) const;
    void paintPageFooter(QPainter& painter, int page) const;
    void paintCell(QPainter& painter, const QRectF& cell, int look, const QString& text,
                   int flags) const;

    QPageLayout m_layout;
    QString m_title;
    ReportStyle m_style;
    qreal m_width = 0;      // of the body, in layout units
    qreal m_bodyHeight = 0; // of the page above its footer
    qreal m_padding = 0;
    std::unique_ptr<QTextDocument> m_header;
    std::unique_ptr<QTextDocument> m_footer;
    QList<ReportColumn> m_columns;
    QList<qreal> m_left; // of each column, and the table's right edge last
    QList<CellLook> m_looks;
    QList<QFontMetricsF> m_metrics;        // per look
    QList<qreal> m_widestChar;             // per look: text this wide per character surely fits
    QList<QHash<QString, qreal>> m_widths; // per look: the texts measured
    QHash<QString, int> m_lookIndex;
    QHash<QString, int> m_cellLooks;  // by what decides a cell's look
    QList<QStringList> m_classFields; // per column: the fields that give it classes
    QList<Row> m_rows;
    QString m_emptyText;
    int m_emptyLook = 0;
    QList<int> m_titleLooks;   // per column
    QStringList m_groupTitles; // per column, fitted to the group's width
    int m_groupLook = 0;
    qreal m_rowHeight = 0;
    qreal m_groupHeight = 0; // 0 when no column has a group
    qreal m_titleHeight = 0;
    QList<QList<Placement>> m_pages;
};
