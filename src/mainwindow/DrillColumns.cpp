#include "mainwindow/DrillColumns.h"

const DrillColumns::Description& DrillColumns::describe(int col)
{
    static const Qt::Alignment date = Qt::AlignRight | Qt::AlignVCenter;
    static const Qt::Alignment centred = Qt::AlignCenter;
    using R = DrillRecord;
    static const Description outside{0, {}, {}, Kind::NotEditable};
    static const Description columns[Count] = {
        {2000, {}, R::caption(R::ShipName), Kind::NotEditable},
        {1150, date, R::caption(R::DrillDate), Kind::Date},
        {1150, date, R::caption(R::DoneDate), Kind::Date},
        {1000, centred, R::caption(R::CompEval), Kind::Evaluation},
        {2000, {}, R::caption(R::Master), Kind::Master},
        {1150, date, R::caption(R::DrillDate1), Kind::Date},
        {1150, date, R::caption(R::DoneDate1), Kind::Date},
        {1000, centred, R::caption(R::CompEval1), Kind::Evaluation},
        {2000, {}, R::caption(R::Master1), Kind::Master},
    };
    return col >= 0 && col < Count ? columns[col] : outside;
}
