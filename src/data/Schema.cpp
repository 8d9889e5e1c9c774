#include "data/Schema.h"

namespace {

QString evaluationMarkColumns()
{
    QStringList columns;
    for (int question = 1; question <= 10; ++question) {
        for (int scale = 1; scale <= 5; ++scale)
            columns << QStringLiteral("Ev%1%2 TEXT").arg(question).arg(scale);
    }
    return columns.join(QStringLiteral(", "));
}

} // namespace

QStringList Schema::drillColumns()
{
    return {
        QStringLiteral("IDDrill"),       QStringLiteral("IDShip"),      QStringLiteral("ShipName"),
        QStringLiteral("\"Drill Date\""), QStringLiteral("\"Done Date\""), QStringLiteral("CompEval"),
        QStringLiteral("Master"),        QStringLiteral("\"Drill Date1\""),
        QStringLiteral("\"Done Date1\""), QStringLiteral("CompEval1"),  QStringLiteral("Master1"),
        QStringLiteral("YearDrill"),
    };
}

QStringList Schema::createStatements()
{
    const QString drillFields = QStringLiteral(
        "\"Drill Date\" TEXT, \"Done Date\" TEXT, CompEval TEXT, Master TEXT, "
        "\"Drill Date1\" TEXT, \"Done Date1\" TEXT, CompEval1 TEXT, Master1 TEXT");
    return {
        QStringLiteral("CREATE TABLE Ships (IDShip INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "ShipName TEXT)"),
        // IDShip is deliberately not a foreign key: deleting a ship keeps its drill records.
        QStringLiteral("CREATE TABLE Drills (IDDrill INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "IDShip INTEGER NOT NULL, ShipName TEXT, YearDrill INTEGER NOT NULL, %1, "
                       "UNIQUE (IDShip, YearDrill))")
            .arg(drillFields),
        QStringLiteral("CREATE TABLE Company (Name TEXT)"),
        QStringLiteral("INSERT INTO Company (Name) VALUES ('')"),
        QStringLiteral("CREATE TABLE Evaluation (IDEvaluation INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "IDDrill INTEGER NOT NULL, IDQu INTEGER NOT NULL, "
                       "Ev1 INTEGER NOT NULL DEFAULT 0, Ev2 INTEGER NOT NULL DEFAULT 0, "
                       "Ev3 INTEGER NOT NULL DEFAULT 0, Ev4 INTEGER NOT NULL DEFAULT 0, "
                       "Ev5 INTEGER NOT NULL DEFAULT 0, Ev11 INTEGER NOT NULL DEFAULT 0, "
                       "Ev12 INTEGER NOT NULL DEFAULT 0, Ev13 INTEGER NOT NULL DEFAULT 0, "
                       "Ev14 INTEGER NOT NULL DEFAULT 0, Ev15 INTEGER NOT NULL DEFAULT 0, "
                       "UNIQUE (IDDrill, IDQu))"),
        QStringLiteral("CREATE TABLE PrintDrills (IDDrill INTEGER, IDShip INTEGER, ShipName TEXT, "
                       "%1, YearDrill INTEGER, Company TEXT, Date1 TEXT, Time1 TEXT)")
            .arg(drillFields),
        QStringLiteral("CREATE TABLE PrintEval (Company TEXT, Ship TEXT, DrillDate TEXT, "
                       "Master TEXT, %1, Total TEXT, D1 TEXT, H1 TEXT)")
            .arg(evaluationMarkColumns()),
        QStringLiteral("CREATE VIEW QuDrills AS SELECT %1 FROM Drills ORDER BY ShipName, IDDrill")
            .arg(drillColumns().join(QStringLiteral(", "))),
        QStringLiteral("CREATE VIEW QuEvaluations AS SELECT * FROM Evaluation "
                       "ORDER BY IDDrill, IDQu"),
        QStringLiteral("PRAGMA user_version = %1").arg(Version),
    };
}

QStringList Schema::requiredObjects()
{
    return {QStringLiteral("Ships"),       QStringLiteral("Drills"),
            QStringLiteral("Company"),     QStringLiteral("Evaluation"),
            QStringLiteral("PrintDrills"), QStringLiteral("PrintEval"),
            QStringLiteral("QuDrills"),    QStringLiteral("QuEvaluations")};
}
