#pragma once

#include <QLabel>

// A one-line label for data of any length: what does not fit ends in an ellipsis, and the
// whole text stays the label's text, its tool tip and what a screen reader reads.
class ElidingLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    // The text as it is painted.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
