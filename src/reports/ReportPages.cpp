#include "reports/ReportPages.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include <memory>

namespace {

constexpr qreal FooterMm = 9;
constexpr qreal FooterPointSize = 7.5;
const QColor FooterInk(0x55, 0x55, 0x55);

qreal mmToDevice(const QPaintDevice& device, qreal mm)
{
    return mm * device.logicalDpiY() / 25.4;
}

// A copy laid out on the device itself, so that fonts and pixel lengths follow its resolution.
std::unique_ptr<QTextDocument> layOut(const QTextDocument& document, QPaintDevice& device,
                                      const QSizeF& body)
{
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(&device);
    copy->setPageSize(body);
    return copy;
}

void paintBody(QPainter& painter, const QTextDocument& document, int pageIndex, const QSizeF& body)
{
    const QRectF view(QPointF(0, pageIndex * body.height()), body);
    painter.save();
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void paintFooter(QPainter& painter, const QTextDocument& document, int page, int pageCount,
                 const QRectF& footer)
{
    QFont font = document.defaultFont();
    font.setPointSizeF(FooterPointSize);
    painter.save();
    painter.setFont(QFont(font, painter.device()));
    painter.setPen(QPen(FooterInk, 0));
    const qreal gap = mmToDevice(*painter.device(), 2.5);
    painter.drawLine(footer.topLeft() + QPointF(0, gap), footer.topRight() + QPointF(0, gap));
    const QRectF text = footer.adjusted(0, gap, 0, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     document.metaInformation(QTextDocument::DocumentTitle));
    painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page).arg(pageCount));
    painter.restore();
}

} // namespace

QPageLayout ReportPages::a4(QPageLayout::Orientation orientation)
{
    return QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(12, 12, 12, 8),
                       QPageLayout::Millimeter);
}

bool ReportPages::paint(const QTextDocument& document, QPagedPaintDevice& device, int fromPage,
                        int toPage)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const qreal footerHeight = mmToDevice(device, FooterMm);
    const QSizeF body(device.width(), device.height() - footerHeight);
    const auto laidOut = layOut(document, device, body);
    const int pageCount = laidOut->pageCount();
    const int first = qBound(1, fromPage > 0 ? fromPage : 1, pageCount);
    const int last = qBound(first, toPage > 0 ? toPage : pageCount, pageCount);
    for (int page = first; page <= last; ++page) {
        if (page > first)
            device.newPage();
        paintBody(painter, *laidOut, page - 1, body);
        paintFooter(painter, *laidOut, page, pageCount,
                    QRectF(0, body.height(), body.width(), footerHeight));
    }
    return painter.end();
}

QString ReportPages::writePdf(const QTextDocument& document, const QPageLayout& layout,
                              const QString& fileName)
{
    QPdfWriter writer(fileName);
    writer.setPageLayout(layout);
    writer.setResolution(600);
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator(QStringLiteral("HBQ ORX DRILL ORGANIZER"));
    if (paint(document, writer))
        return {};
    return QStringLiteral("The PDF file \"%1\" cannot be written. Check that the folder exists "
                          "and that you may write to it.")
        .arg(QDir::toNativeSeparators(fileName));
}
