#pragma once

#include <QString>

struct Ship
{
    qint64 id = 0;
    QString name;
};
