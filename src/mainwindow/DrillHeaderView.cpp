#include "mainwindow/DrillHeaderView.h"

#include "common/Twips.h"
#include "mainwindow/DrillYearModel.h"

#include <QPainter>

namespace {

constexpr int DrillBandTwips = 360;
constexpr int CaptionBandTwips = 600;
constexpr qreal DrillCaptionPoints = 12;
constexpr qreal ColumnCaptionPoints = 8.25; // two words must fit a date column
const QColor Background(0xE4, 0xE4, 0xE4);
const QColor Line(0xA0, 0xA0, 0xA0);
const QColor DrillBlue(0x00, 0x00, 0xFF);

} // namespace

DrillHeaderView::DrillHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(0);
    setSectionResizeMode(QHeaderView::Fixed);
}

QSize DrillHeaderView::sizeHint() const
{
    QSize hint = QHeaderView::sizeHint();
    hint.setHeight(Twips::toPx(DrillBandTwips + CaptionBandTwips));
    return hint;
}

QString DrillHeaderView::drillCaption(int section) const
{
    return model() ? model()
                         ->headerData(section, orientation(), DrillYearModel::DrillCaptionRole)
                         .toString()
                   : QString();
}

QRect DrillHeaderView::drillBand(const QRect& rect, int section) const
{
    const QString caption = drillCaption(section);
    QRect band(rect.left(), rect.top(), rect.width(), Twips::toPx(DrillBandTwips));
    if (caption.isEmpty())
        return band;
    for (int visual = visualIndex(section) - 1; visual >= 0; --visual) {
        const int left = logicalIndex(visual);
        if (isSectionHidden(left))
            continue;
        if (drillCaption(left) != caption)
            break;
        band.setLeft(sectionViewportPosition(left));
    }
    for (int visual = visualIndex(section) + 1; visual < count(); ++visual) {
        const int right = logicalIndex(visual);
        if (isSectionHidden(right))
            continue;
        if (drillCaption(right) != caption)
            break;
        band.setRight(sectionViewportPosition(right) + sectionSize(right) - 1);
    }
    return band;
}

// Beyond the last column a window wider than designed shows the grid's own ground, not an empty
// caption band.
void DrillHeaderView::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    const int end = length() - offset();
    if (end >= viewport()->width())
        return;
    QPainter painter(viewport());
    painter.fillRect(QRect(end, 0, viewport()->width() - end, height()),
                     palette().color(QPalette::Base));
}

void DrillHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QFont drillFont = font();
    drillFont.setPointSizeF(DrillCaptionPoints);
    drillFont.setBold(true);
    paintBand(painter, drillBand(rect, logicalIndex), rect, drillCaption(logicalIndex), drillFont,
              DrillBlue);
    QFont captionFont = font();
    captionFont.setPointSizeF(ColumnCaptionPoints);
    const QRect caption = rect.adjusted(0, Twips::toPx(DrillBandTwips), 0, 0);
    paintBand(painter, caption, caption,
              model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString(),
              captionFont, palette().color(QPalette::WindowText));
}

// The band is drawn whole and cut to the one section being painted, so that a caption across
// several sections reads as one.
void DrillHeaderView::paintBand(QPainter* painter, const QRect& band, const QRect& clip,
                                const QString& text, const QFont& font, const QColor& colour) const
{
    painter->save();
    painter->setClipRect(clip.intersected(band));
    painter->fillRect(band, Background);
    painter->setPen(Line);
    painter->drawRect(band.adjusted(0, 0, -1, -1));
    painter->setFont(font);
    painter->setPen(colour);
    painter->drawText(band.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, text);
    painter->restore();
}
