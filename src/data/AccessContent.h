#pragma once

#include "data/AccessFile.h"
#include "data/DrillRecord.h"
#include "data/Ship.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// A value of the Access file that is not carried as it stood, and why.
struct AccessFinding
{
    QString ship;
    int year = 0; // 0 where the value belongs to no year
    QString field;
    QString raw;
    QString why;
};

// One question row of the questionnaire: the flags Ev1..Ev5 and Ev11..Ev15.
struct AccessAnswers
{
    qint64 idDrill = 0;
    int question = 0;
    std::array<bool, 10> flags{};
};

// What an Access file of the drill organizer holds, as the program will keep it: ships and
// drill rows with their own ids, the questionnaire's answers and the company name, and every
// value that could not be kept as it stood.
struct AccessContent
{
    QString sourcePath;
    AccessFile::Kind kind = AccessFile::Kind::None;
    QString textCodec; // Jet 3 only

    QList<Ship> ships;
    QList<DrillRecord> drills;
    QList<AccessAnswers> answers;
    QString company;
    bool hasCompany = false;

    QList<AccessFinding> findings;
    QStringList ignored; // tables and columns of the file that are not carried, by name
    QList<std::pair<QString, qsizetype>> rowsInFile; // per table read

    // Reads the whole file; nothing, with *failure saying why, when it is not an Access file of
    // the drill organizer or cannot be read. codePage names Jet 3's code page, when the one of
    // the header gives wrong names.
    static std::optional<AccessContent> read(const QString& path, const QString& codePage,
                                             QString* failure);

    // The years that have drill rows, in order.
    QList<int> years() const;
    // The drills (two per row) that have an evaluation percentage.
    int evaluations() const;
    // What the file is and holds, for the user who decides about taking it over.
    QString description() const;
};
