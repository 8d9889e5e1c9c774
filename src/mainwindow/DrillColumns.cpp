#include "mainwindow/DrillColumns.h"

const DrillColumns::Description& DrillColumns::describe(int col)
{
    static const Qt::Alignment date = Qt::AlignRight | Qt::AlignVCenter;
    static const Qt::Alignment centred = Qt::AlignCenter;
    static const QString scheduled = QStringLiteral("Scheduled Date");
    static const QString done = QStringLiteral("Date Done");
    static const QString evaluation = QStringLiteral("Evaluation (%)");
    static const QString master = QStringLiteral("Ship's Master Name");
    static const Description hidden{0, {}, {}, Kind::NotEditable};
    static const Description columns[Count] = {
        hidden,
        hidden,
        hidden,
        {2000, {}, QStringLiteral("Ship Name"), Kind::NotEditable},
        {1150, date, scheduled, Kind::Date},
        {1150, date, done, Kind::Date},
        {1000, centred, evaluation, Kind::Evaluation},
        {2000, {}, master, Kind::Master},
        {1150, date, scheduled, Kind::Date},
        {1150, date, done, Kind::Date},
        {1000, centred, evaluation, Kind::Evaluation},
        {2000, {}, master, Kind::Master},
        hidden,
    };
    return col >= 0 && col < Count ? columns[col] : hidden;
}
