#pragma once

#include <QHeaderView>

// The grid's caption in two bands: above, "Drill No 1" and "Drill No 2", each once across the
// columns of its drill (blue, bold, large); below, each column's own caption.
class DrillHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    explicit DrillHeaderView(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QString drillCaption(int section) const;
    // Where the drill caption over the section is drawn: across every visible neighbour that
    // shares it.
    QRect drillBand(const QRect& rect, int section) const;
    void paintBand(QPainter* painter, const QRect& band, const QRect& clip, const QString& text,
                   const QFont& font, const QColor& colour) const;
};
