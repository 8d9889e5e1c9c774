#include "reports/ReportPages.h"

#include "common/ProgramTitle.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

// Everything is laid out at this resolution, whatever the device, so that the preview, the
// printer and the PDF file break lines and pages at the same places.
constexpr qreal LayoutDpi = 1200;
constexpr qreal FooterMm = 9;
constexpr qreal FooterGapMm = 2.5;
constexpr qreal FooterPointSize = 7.5;
constexpr qreal PartGapMm = 1.5;
// A value longer than this many lines of its cell is cut, so that a row fits on a page.
constexpr int MaxCellLines = 6;
// The rows that go over to a page with the part after the table rather than leave it alone.
constexpr qsizetype RowsKeptWithFooter = 2;
const QColor FooterInk(0x55, 0x55, 0x55);

qreal fromMm(qreal mm)
{
    return mm * LayoutDpi / 25.4;
}

qreal fromPoints(qreal points)
{
    return points * LayoutDpi / 72;
}

// The device the text documents are laid out for.
QPaintDevice& layoutDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(LayoutDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

// A font sized in layout units, so that it keeps its size under the painter's scaling.
QFont layoutFont(QFont font)
{
    font.setPixelSize(qRound(fromPoints(font.pointSizeF() > 0 ? font.pointSizeF() : 9)));
    return font;
}

bool breaksLine(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// A value shows on one line; line breaks and tabs become blanks. A value without any is
// given back as it is, without a copy.
QString oneLine(QString text)
{
    if (std::none_of(text.cbegin(), text.cend(), breaksLine))
        return text;
    std::replace_if(text.begin(), text.end(), breaksLine, u' ');
    return text;
}

// The field a class word "{Field}" names; empty for a plain class.
QString fieldOf(const QString& word)
{
    return word.size() > 2 && word.startsWith(u'{') && word.endsWith(u'}')
               ? word.mid(1, word.size() - 2)
               : QString();
}

QStringList fieldsOf(const QStringList& pattern)
{
    QStringList fields;
    for (const QString& word : pattern) {
        if (!fieldOf(word).isEmpty())
            fields.append(fieldOf(word));
    }
    return fields;
}

// The classes of a cell or row: "{Field}" is replaced by the row's value of that field.
QStringList classesOf(const QStringList& pattern, const ReportValues& row)
{
    QStringList classes;
    for (const QString& word : pattern) {
        const QString field = fieldOf(word);
        if (field.isEmpty())
            classes.append(word);
        else
            classes += row.value(field).toString().split(u' ', Qt::SkipEmptyParts);
    }
    return classes;
}

// A part of a key, length first, so that no two lists of parts make the same key.
void appendKeyPart(QString& key, const QString& part)
{
    key += QString::number(part.size());
    key += u':';
    key += part;
}

qreal lineHeight(const CellLook& look)
{
    return QFontMetricsF(look.font).height();
}

} // namespace

ReportPages::ReportPages(const RenderedReport& report, const QList<ReportValues>& rows,
                         const QPageLayout& layout)
    : m_layout(layout), m_style(report.styleSheet), m_columns(report.columns),
      m_emptyText(oneLine(report.emptyText))
{
    const QRectF paper = layout.paintRect(QPageLayout::Millimeter);
    m_width = fromMm(paper.width());
    m_bodyHeight = fromMm(paper.height() - FooterMm);
    m_padding = fromPoints(m_style.padding());
    m_header = partOf(report.headerHtml, report.styleSheet);
    m_footer = partOf(report.footerHtml, report.styleSheet);
    for (const QTextDocument* part : {m_header.get(), m_footer.get()}) {
        if (part && m_title.isEmpty())
            m_title = part->metaInformation(QTextDocument::DocumentTitle).simplified();
    }
    if (!m_columns.isEmpty()) {
        measureTable();
        addRows(report, rows);
    }
    paginate();
}

ReportPages::~ReportPages() = default;

QPageLayout ReportPages::a4(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(12, 12, 12, 8),
                       QPageLayout::Millimeter);
}

std::unique_ptr<QTextDocument> ReportPages::partOf(const QString& html,
                                                   const QString& styleSheet) const
{
    if (html.trimmed().isEmpty())
        return nullptr;
    auto part = std::make_unique<QTextDocument>();
    part->setDocumentMargin(0); // the page layout has the margins
    // A name without blanks wider than its place breaks where it must, rather than widen the
    // form past the page.
    QTextOption wrapping = part->defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    part->setDefaultTextOption(wrapping);
    part->documentLayout()->setPaintDevice(&layoutDevice());
    part->setDefaultStyleSheet(styleSheet);
    // The page size first, so that the part is laid out once, not again for the page.
    part->setPageSize(QSizeF(m_width, m_bodyHeight));
    part->setHtml(html);
    return part;
}

int ReportPages::lookOf(const QString& tag, const QStringList& classes,
                        const QStringList& rowClasses)
{
    const QString key = tag + u'.' + classes.join(u'.') + u'|' + rowClasses.join(u'.');
    const auto found = m_lookIndex.constFind(key);
    if (found != m_lookIndex.cend())
        return *found;
    CellLook look = m_style.look(tag, classes, rowClasses);
    look.font = layoutFont(look.font);
    m_metrics.append(QFontMetricsF(look.font));
    m_widestChar.append(m_metrics.last().maxWidth());
    m_widths.emplaceBack();
    m_looks.append(look);
    m_lookIndex.insert(key, int(m_looks.size() - 1));
    return int(m_looks.size() - 1);
}

// Column edges, the looks and texts of the titles and the heights of the title rows.
void ReportPages::measureTable()
{
    qreal total = 0;
    for (const ReportColumn& column : m_columns)
        total += column.widthPercent;
    const qreal scale = m_width / std::max<qreal>(100, total);
    m_left = {0};
    for (const ReportColumn& column : m_columns)
        m_left.append(m_left.last() + column.widthPercent * scale);

    const bool grouped = std::any_of(m_columns.cbegin(), m_columns.cend(),
                                     [](const ReportColumn& c) { return !c.group.isEmpty(); });
    m_groupLook = lookOf(QStringLiteral("th"), {}, {});
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const ReportColumn& column = m_columns.at(i);
        const int look =
            lookOf(QStringLiteral("th"),
                   column.group.isEmpty() ? QStringList() : QStringList{QStringLiteral("sub")}, {});
        m_titleLooks.append(look);
        const QRectF room(0, 0, m_left.at(i + 1) - m_left.at(i) - 2 * m_padding, 1e9);
        const QRectF needed =
            QFontMetricsF(m_looks.at(look).font).boundingRect(room, Qt::TextWordWrap, column.title);
        m_titleHeight = std::max(m_titleHeight, needed.height() + 2 * m_padding);
        m_groupTitles.append(column.group.isEmpty()
                                 ? QString()
                                 : elided(column.group, m_groupLook,
                                          m_left.at(groupEnd(i)) - m_left.at(i) - 2 * m_padding));
    }
    if (grouped)
        m_groupHeight = lineHeight(m_looks.at(m_groupLook)) + 2 * m_padding;
    m_emptyLook = lookOf(QStringLiteral("td"), {QStringLiteral("empty")}, {});
    m_emptyText = elided(m_emptyText, m_emptyLook, m_left.last() - 2 * m_padding);
    m_rowHeight = lineHeight(m_looks.at(m_emptyLook)) + 2 * m_padding;
}

// The end of the run of columns of the same group as column i.
qsizetype ReportPages::groupEnd(qsizetype i) const
{
    qsizetype end = i + 1;
    while (end < m_columns.size() && m_columns.at(end).group == m_columns.at(i).group)
        ++end;
    return end;
}

// The look of a cell, found again by what decides it: the row's classes (rowKey) and the
// values of the fields that give the cell classes. key is scratch room, kept from cell to cell.
int ReportPages::cellLook(qsizetype column, const ReportValues& values,
                          const QStringList& rowClasses, const QString& rowKey, QString& key)
{
    key.resize(0);
    key += rowKey;
    key += u'#';
    key += QString::number(column);
    for (const QString& field : m_classFields.at(column))
        appendKeyPart(key, values.value(field).toString());
    const auto found = m_cellLooks.constFind(key);
    if (found != m_cellLooks.cend())
        return *found;
    const int look =
        lookOf(QStringLiteral("td"), classesOf(m_columns.at(column).classes, values), rowClasses);
    m_cellLooks.insert(key, look);
    return look;
}

void ReportPages::addRows(const RenderedReport& report, const QList<ReportValues>& rows)
{
    for (const ReportColumn& column : std::as_const(m_columns))
        m_classFields.append(fieldsOf(column.classes));
    m_rows.reserve(rows.size());
    QHash<QString, QColor> fills; // by the row's classes
    QString rowKey, key;
    for (const ReportValues& values : rows) {
        const QStringList rowClasses = classesOf(report.rowClasses, values);
        rowKey.resize(0);
        for (const QString& rowClass : rowClasses)
            appendKeyPart(rowKey, rowClass);
        Row row;
        auto fill = fills.constFind(rowKey);
        if (fill == fills.cend())
            fill = fills.insert(rowKey, m_style.rowFill(rowClasses));
        row.fill = *fill;
        row.cells.reserve(m_columns.size());
        row.looks.reserve(m_columns.size());
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const int look = cellLook(i, values, rowClasses, rowKey, key);
            row.looks.append(look);
            row.cells.append(fitted(oneLine(values.value(m_columns.at(i).field).toString()), look,
                                    m_left.at(i + 1) - m_left.at(i) - 2 * m_padding));
        }
        m_rows.append(std::move(row));
    }
    // Every row at least as high as one line of the fonts the rows use.
    for (const CellLook& look : std::as_const(m_looks))
        m_rowHeight = std::max(m_rowHeight, lineHeight(look) + 2 * m_padding);
    for (Row& row : m_rows) {
        row.height = m_rowHeight;
        for (qsizetype i = 0; i < row.cells.size(); ++i) {
            const qsizetype lines = row.cells.at(i).count(u'\n');
            if (lines > 0) {
                const QFontMetricsF& metrics = m_metrics.at(row.looks.at(i));
                row.height = std::max(row.height, metrics.height() + lines * metrics.lineSpacing() +
                                                      2 * m_padding);
            }
        }
    }
}

// Whether the text fits the width on one line. Each text is measured once per look: a value
// that comes again, as dates and names do, is not shaped again.
bool ReportPages::fits(const QString& text, int look, qreal width)
{
    // A short text surely fits.
    if (text.size() * m_widestChar.at(look) <= width)
        return true;
    QHash<QString, qreal>& widths = m_widths[look];
    auto known = widths.constFind(text);
    if (known == widths.cend())
        known = widths.insert(text, m_metrics.at(look).horizontalAdvance(text));
    return *known <= width;
}

QString ReportPages::elided(const QString& text, int look, qreal width)
{
    return fits(text, look, width) ? text
                                   : m_metrics.at(look).elidedText(text, Qt::ElideRight, width);
}

// The text on as many lines of the width as it needs, broken between words where it can and
// anywhere where it must; cut after MaxCellLines lines.
QString ReportPages::fitted(const QString& text, int look, qreal width)
{
    if (fits(text, look, width))
        return text;
    QTextLayout layout(text, m_looks.at(look).font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == MaxCellLines - 1) {
            lines.append(elided(text.mid(line.textStart()), look, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines.join(u'\n');
}

void ReportPages::paginate()
{
    m_pages.clear();
    m_pages.emplaceBack();
    qreal top = 0;
    if (m_header)
        top = placePart(*m_header, top);
    const qreal footerHeight =
        m_footer ? fromMm(PartGapMm) + m_footer->documentLayout()->documentSize().height() : 0;
    if (!m_columns.isEmpty())
        top = placeTable(top > 0 ? top + fromMm(PartGapMm) : top, footerHeight);
    if (m_footer)
        placePart(*m_footer, top > 0 ? top + fromMm(PartGapMm) : top);
}

// A part that does not fit below what the page holds starts a page; a part taller than a
// page runs on over pages, broken between its lines. Gives back where the part ends.
qreal ReportPages::placePart(const QTextDocument& part, qreal top)
{
    const qreal height = part.documentLayout()->documentSize().height();
    if (top > 0 && top + height > m_bodyHeight) {
        m_pages.emplaceBack();
        top = 0;
    }
    const int slices = std::max(1, int(std::ceil(height / m_bodyHeight - 1e-6)));
    for (int slice = 0; slice < slices; ++slice) {
        if (slice > 0)
            m_pages.emplaceBack();
        m_pages.last().append({Placement::Kind::Part, slice == 0 ? top : 0, &part, slice, 0, 0});
    }
    return slices > 1 ? height - (slices - 1) * m_bodyHeight : top + height;
}

// The part after the table (footerHeight high) never stands alone on a page: when it would,
// the last rows go over to its page.
qreal ReportPages::placeTable(qreal top, qreal footerHeight)
{
    const qreal firstRow = m_rows.isEmpty() ? m_rowHeight : m_rows.first().height;
    if (top + headingHeight() + firstRow > m_bodyHeight && top > 0) {
        m_pages.emplaceBack();
        top = 0;
    }
    m_pages.last().append({Placement::Kind::Heading, top, nullptr, 0, 0, 0});
    top += headingHeight();
    if (m_rows.isEmpty()) {
        m_pages.last().append({Placement::Kind::Empty, top, nullptr, 0, 0, 0});
        return top + m_rowHeight;
    }
    const bool keepFooter = footerHeight > 0 && footerHeight < m_bodyHeight / 2;
    qsizetype first = 0;
    while (true) {
        qsizetype last = rowsFitting(first, top);
        const bool footerAlone = keepFooter && last == m_rows.size() &&
                                 top + heightOf(first, last) + footerHeight > m_bodyHeight;
        if (footerAlone && last - first > 1)
            last -= std::min(RowsKeptWithFooter, last - first - 1);
        m_pages.last().append({Placement::Kind::Rows, top, nullptr, 0, first, last});
        top += heightOf(first, last);
        if (last == m_rows.size())
            return top;
        first = last;
        m_pages.emplaceBack();
        m_pages.last().append({Placement::Kind::Heading, 0, nullptr, 0, 0, 0});
        top = headingHeight();
    }
}

// The end of the run of rows from `first` that fits below `top`; at least one row.
qsizetype ReportPages::rowsFitting(qsizetype first, qreal top) const
{
    qsizetype last = first;
    do {
        top += m_rows.at(last).height;
        ++last;
    } while (last < m_rows.size() && top + m_rows.at(last).height <= m_bodyHeight);
    return last;
}

qreal ReportPages::heightOf(qsizetype first, qsizetype last) const
{
    qreal height = 0;
    for (qsizetype r = first; r < last; ++r)
        height += m_rows.at(r).height;
    return height;
}

ReportPages::Outcome ReportPages::paint(QPagedPaintDevice& device, int fromPage, int toPage,
                                        const Progress& progress) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return Outcome::Failed;
    const qreal pageHeight = fromMm(m_layout.paintRect(QPageLayout::Millimeter).height());
    const qreal scale = std::min(
        {device.logicalDpiX() / LayoutDpi, device.width() / m_width, device.height() / pageHeight});
    const int first = qBound(1, fromPage > 0 ? fromPage : 1, pageCount());
    const int last = qBound(first, toPage > 0 ? toPage : pageCount(), pageCount());
    for (int page = first; page <= last; ++page) {
        if (progress && !progress(page, pageCount())) {
            painter.end();
            return Outcome::Cancelled;
        }
        if (page > first)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, page);
        painter.restore();
    }
    return painter.end() ? Outcome::Painted : Outcome::Failed;
}

void ReportPages::paintPage(QPainter& painter, int page) const
{
    for (const Placement& placement : m_pages.at(page - 1)) {
        switch (placement.kind) {
        case Placement::Kind::Part:
            paintPart(painter, placement);
            break;
        case Placement::Kind::Heading:
            paintHeading(painter, placement.top);
            break;
        case Placement::Kind::Rows:
            paintRows(painter, placement);
            break;
        case Placement::Kind::Empty:
            paintEmpty(painter, placement.top);
            break;
        }
    }
    paintPageFooter(painter, page);
}

void ReportPages::paintPart(QPainter& painter, const Placement& placement) const
{
    const QRectF view(0, placement.slice * m_bodyHeight, m_width, m_bodyHeight - placement.top);
    painter.save();
    painter.translate(0, placement.top - view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    placement.part->documentLayout()->draw(&painter, context);
    painter.restore();
}

// The text was fitted to the cell beforehand: it is drawn as it is.
void ReportPages::paintCell(QPainter& painter, const QRectF& cell, int look, const QString& text,
                            int flags) const
{
    const CellLook& style = m_looks.at(look);
    if (style.fill.isValid())
        painter.fillRect(cell, style.fill);
    if (text.isEmpty())
        return;
    if (painter.font() != style.font)
        painter.setFont(style.font);
    painter.setPen(style.ink);
    painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), flags, text);
}

void ReportPages::paintHeading(QPainter& painter, qreal top) const
{
    const qreal bottom = top + headingHeight();
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const ReportColumn& column = m_columns.at(i);
        const bool grouped = !column.group.isEmpty();
        const bool opensGroup = grouped && (i == 0 || m_columns.at(i - 1).group != column.group);
        if (opensGroup)
            paintCell(
                painter,
                QRectF(m_left.at(i), top, m_left.at(groupEnd(i)) - m_left.at(i), m_groupHeight),
                m_groupLook, m_groupTitles.at(i), Qt::AlignCenter | Qt::TextSingleLine);
        const qreal titleTop = grouped ? top + m_groupHeight : top;
        const Qt::Alignment across =
            column.alignment == Qt::AlignLeft ? Qt::AlignLeft : Qt::AlignHCenter;
        paintCell(
            painter,
            QRectF(m_left.at(i), titleTop, m_left.at(i + 1) - m_left.at(i), bottom - titleTop),
            m_titleLooks.at(i), column.title, int(across | Qt::AlignVCenter) | Qt::TextWordWrap);
    }
    paintGrid(painter, top, bottom, false);
    // Lines between columns, only below the title over a group.
    for (qsizetype i = 1; i < m_columns.size(); ++i) {
        const QString& group = m_columns.at(i).group;
        const bool inGroup = !group.isEmpty() && m_columns.at(i - 1).group == group;
        painter.drawLine(QPointF(m_left.at(i), inGroup ? top + m_groupHeight : top),
                         QPointF(m_left.at(i), bottom));
    }
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (!m_columns.at(i).group.isEmpty())
            painter.drawLine(QPointF(m_left.at(i), top + m_groupHeight),
                             QPointF(m_left.at(i + 1), top + m_groupHeight));
    }
}

void ReportPages::paintRows(QPainter& painter, const Placement& placement) const
{
    qreal top = placement.top;
    QList<qreal> lines; // between rows
    for (qsizetype r = placement.first; r < placement.last; ++r) {
        const Row& row = m_rows.at(r);
        if (row.fill.isValid())
            painter.fillRect(QRectF(0, top, m_left.last(), row.height), row.fill);
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            paintCell(painter,
                      QRectF(m_left.at(i), top, m_left.at(i + 1) - m_left.at(i), row.height),
                      row.looks.at(i), row.cells.at(i),
                      int(m_columns.at(i).alignment | Qt::AlignVCenter));
        top += row.height;
        lines.append(top);
    }
    paintGrid(painter, placement.top, top, true);
    painter.setPen(QPen(m_style.gridColor(), fromPoints(0.75)));
    lines.removeLast(); // the frame's own
    for (const qreal y : std::as_const(lines))
        painter.drawLine(QPointF(0, y), QPointF(m_left.last(), y));
}

void ReportPages::paintEmpty(QPainter& painter, qreal top) const
{
    paintCell(painter, QRectF(0, top, m_left.last(), m_rowHeight), m_emptyLook, m_emptyText,
              Qt::AlignCenter | Qt::TextSingleLine);
    paintGrid(painter, top, top + m_rowHeight, false);
}

// The frame of a band of the table, with the lines between its columns.
void ReportPages::paintGrid(QPainter& painter, qreal top, qreal bottom, bool columns) const
{
    painter.setPen(QPen(m_style.gridColor(), fromPoints(0.75)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0, top, m_left.last(), bottom - top));
    if (!columns)
        return;
    for (qsizetype i = 1; i + 1 < m_left.size(); ++i)
        painter.drawLine(QPointF(m_left.at(i), top), QPointF(m_left.at(i), bottom));
}

void ReportPages::paintPageFooter(QPainter& painter, int page) const
{
    QFont font = m_looks.isEmpty() ? QFont() : m_looks.first().font;
    font.setPointSizeF(FooterPointSize);
    font.setBold(false);
    font = layoutFont(font);
    const QFontMetricsF metrics(font);
    const qreal gap = fromMm(FooterGapMm);
    const QRectF footer(0, m_bodyHeight + gap, m_width, fromMm(FooterMm) - gap);
    painter.save();
    painter.setFont(font);
    painter.setPen(QPen(FooterInk, 0));
    painter.drawLine(QPointF(0, m_bodyHeight + gap), QPointF(m_width, m_bodyHeight + gap));
    const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(pageCount());
    // The title gives way to the page number.
    const qreal titleRoom = m_width - metrics.horizontalAdvance(number) - fromMm(6);
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, number);
    painter.drawText(QRectF(0, footer.top(), titleRoom, footer.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(m_title, Qt::ElideRight, titleRoom));
    painter.restore();
}

ReportPages::Outcome ReportPages::writePdf(const QString& fileName, const Progress& progress) const
{
    // Written beside the file and renamed over it at the end: a report cancelled or failed
    // halfway leaves a file that was there as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::Failed;
    Outcome outcome = Outcome::Failed;
    {
        // QPdfWriter compresses every page, and that is kept: a seventh of the time of a long
        // report, where the file without it would be about twenty times the size (8.5 MB
        // instead of 0.45 MB for 2,000 ships).
        QPdfWriter writer(&file);
        writer.setPageLayout(m_layout);
        writer.setResolution(600);
        writer.setTitle(m_title);
        writer.setCreator(ProgramTitle);
        outcome = paint(writer, 0, 0, progress);
    }
    if (outcome == Outcome::Painted && !file.commit())
        return Outcome::Failed;
    return outcome;
}

QString ReportPages::pdfFailure(const QString& fileName)
{
    return QStringLiteral("The PDF file \"%1\" cannot be written. Check that the folder exists "
                          "and that you may write to it.")
        .arg(QDir::toNativeSeparators(fileName));
}
