#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

// How one table cell looks.
struct CellLook
{
    QFont font;
    QColor ink = Qt::black;
    QColor fill; // invalid: the row's fill shows through
};

// The few style rules of a report file that the painted table follows: selectors of one
// element with classes (td.done.mark, tr.odd, .later, th) and the properties color,
// background-color, font-family, font-size, font-weight, font-style, padding (on td and th)
// and border-color (on table: the lines between cells). Later and more specific rules win,
// and a cell takes on what its row says, as in a browser.
class ReportStyle
{
public:
    explicit ReportStyle(const QString& css = {});

    // The look of a cell of element tag ("td" or "th") with its classes, in a row with its own.
    CellLook look(const QString& tag, const QStringList& classes,
                  const QStringList& rowClasses = {}) const;
    // The background of a row with these classes; invalid for none.
    QColor rowFill(const QStringList& rowClasses) const;
    // Padding inside every cell, in points.
    qreal padding() const { return m_padding; }
    QColor gridColor() const { return m_gridColor; }

private:
    struct Rule
    {
        QString tag; // empty: any element
        QStringList classes;
        QList<std::pair<QString, QString>> properties;
        int specificity = 0;
    };

    void apply(const QString& tag, const QStringList& classes, CellLook& look) const;
    void addRules(const QString& selectors, const QString& declarations);

    QList<Rule> m_rules; // by specificity, then in the file's order
    qreal m_padding = 2.25;
    QColor m_gridColor = QColor(0x8c, 0x8c, 0x8c);
};
