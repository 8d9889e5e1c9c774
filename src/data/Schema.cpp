#include "data/Schema.h"

#include "data/Dialect.h"
#include "data/DrillRecord.h"
#include "data/HistorySchema.h"

namespace {

QStringList evaluationMarkColumns()
{
    QStringList columns;
    for (int question = 1; question <= 10; ++question) {
        for (int scale = 1; scale <= 5; ++scale)
            columns << QStringLiteral("Ev%1%2").arg(question).arg(scale);
    }
    return columns;
}

QString drillFields()
{
    return QStringLiteral(
        "\"Drill Date\" TEXT, \"Done Date\" TEXT, CompEval TEXT, Master TEXT, "
        "\"Drill Date1\" TEXT, \"Done Date1\" TEXT, CompEval1 TEXT, Master1 TEXT");
}

QStringList reportTableStatements(Schema::Engine engine)
{
    const QString kind = Dialect::scratchTable(engine);
    const QString order = Dialect::rowOrderColumn(engine);
    return {
        QStringLiteral("CREATE %1 PrintDrills (%2IDDrill INTEGER, IDShip INTEGER, ShipName TEXT, "
                       "%3, YearDrill INTEGER, Company TEXT, Date1 TEXT, Time1 TEXT)")
            .arg(kind, order, drillFields()),
        QStringLiteral("CREATE %1 PrintEval (%2Company TEXT, Ship TEXT, DrillDate TEXT, "
                       "Master TEXT, %3 TEXT, Total TEXT, D1 TEXT, H1 TEXT)")
            .arg(kind, order, evaluationMarkColumns().join(QStringLiteral(" TEXT, "))),
    };
}

// The drills of a year, found without reading those of every year: the grid, the reports and
// the history of a year ask by year.
const QString DrillsOfYearIndex =
    QStringLiteral("CREATE INDEX IF NOT EXISTS DrillsOfYear ON Drills (YearDrill, IDDrill)");

} // namespace

QStringList Schema::drillColumns()
{
    return {
        QStringLiteral("IDDrill"),        QStringLiteral("IDShip"),
        QStringLiteral("ShipName"),       QStringLiteral("\"Drill Date\""),
        QStringLiteral("\"Done Date\""),  QStringLiteral("CompEval"),
        QStringLiteral("Master"),         QStringLiteral("\"Drill Date1\""),
        QStringLiteral("\"Done Date1\""), QStringLiteral("CompEval1"),
        QStringLiteral("Master1"),        QStringLiteral("YearDrill"),
    };
}

QStringList Schema::reportColumns()
{
    QStringList columns = {
        QStringLiteral("IDDrill"),   QStringLiteral("IDShip"),    QStringLiteral("ShipName"),
        QStringLiteral("CompEval"),  QStringLiteral("Master"),    QStringLiteral("CompEval1"),
        QStringLiteral("Master1"),   QStringLiteral("YearDrill"), QStringLiteral("Company"),
        QStringLiteral("Date1"),     QStringLiteral("Time1"),     QStringLiteral("Ship"),
        QStringLiteral("DrillDate"), QStringLiteral("Total"),     QStringLiteral("D1"),
        QStringLiteral("H1")};
    return columns + evaluationMarkColumns();
}

QStringList Schema::createStatements(Engine engine)
{
    const QString key = Dialect::autoKey(engine);
    QStringList statements = {
        QStringLiteral("CREATE TABLE Ships (IDShip %1, ShipName TEXT)").arg(key),
        // IDShip is deliberately not a foreign key: deleting a ship keeps its drill records.
        QStringLiteral("CREATE TABLE Drills (IDDrill %1, IDShip INTEGER NOT NULL, ShipName TEXT, "
                       "YearDrill INTEGER NOT NULL, %2, UNIQUE (IDShip, YearDrill))")
            .arg(key, drillFields()),
        DrillsOfYearIndex,
        QStringLiteral("CREATE TABLE Company (%1Name TEXT)").arg(Dialect::rowOrderColumn(engine)),
        QStringLiteral("INSERT INTO Company (Name) VALUES ('')"),
        QStringLiteral("CREATE TABLE Evaluation (IDEvaluation %1, "
                       "IDDrill INTEGER NOT NULL, IDQu INTEGER NOT NULL, "
                       "Ev1 INTEGER NOT NULL DEFAULT 0, Ev2 INTEGER NOT NULL DEFAULT 0, "
                       "Ev3 INTEGER NOT NULL DEFAULT 0, Ev4 INTEGER NOT NULL DEFAULT 0, "
                       "Ev5 INTEGER NOT NULL DEFAULT 0, Ev11 INTEGER NOT NULL DEFAULT 0, "
                       "Ev12 INTEGER NOT NULL DEFAULT 0, Ev13 INTEGER NOT NULL DEFAULT 0, "
                       "Ev14 INTEGER NOT NULL DEFAULT 0, Ev15 INTEGER NOT NULL DEFAULT 0, "
                       "UNIQUE (IDDrill, IDQu))")
            .arg(key),
        QStringLiteral("CREATE VIEW QuDrills AS SELECT %1 FROM Drills ORDER BY %2, IDDrill")
            .arg(drillColumns().join(QStringLiteral(", ")),
                 Dialect::nameOrder(engine, QStringLiteral("ShipName"))),
        QStringLiteral("CREATE VIEW QuEvaluations AS SELECT * FROM Evaluation "
                       "ORDER BY IDDrill, IDQu"),
    };
    statements << Dialect::changeSignals(engine) << fieldWriteStatements(engine);
    if (engine == Engine::Postgres)
        statements << QStringLiteral("CREATE TABLE OrxSchema (Version INTEGER NOT NULL)");
    else
        statements << reportTableStatements(engine);
    return statements << HistorySchema::createStatements(engine)
                      << Dialect::setVersion(engine, Version);
}

QStringList Schema::sessionStatements(Engine engine)
{
    const QStringList own = HistorySchema::sessionStatements(engine);
    return engine == Engine::Postgres ? reportTableStatements(engine) + own : own;
}

QStringList Schema::upgradeStatements(Engine engine, int fromVersion)
{
    if (fromVersion >= Version)
        return {};
    QStringList statements;
    if (fromVersion < 2)
        statements = HistorySchema::createStatements(engine);
    else if (fromVersion < 3)
        statements = HistorySchema::upgradeFromSecondVersion(engine);
    return statements << DrillsOfYearIndex << Dialect::setVersion(engine, Version);
}

QStringList Schema::requiredObjects(Engine engine, int version)
{
    QStringList objects = {QStringLiteral("Ships"),    QStringLiteral("Drills"),
                           QStringLiteral("Company"),  QStringLiteral("Evaluation"),
                           QStringLiteral("QuDrills"), QStringLiteral("QuEvaluations")};
    if (version >= 2)
        objects << QStringLiteral("History") << QStringLiteral("ClosedYears");
    if (engine == Engine::Postgres)
        return objects << QStringLiteral("OrxSchema");
    return objects << QStringLiteral("PrintDrills") << QStringLiteral("PrintEval");
}

QStringList Schema::fieldWriteStatements(Engine engine)
{
    if (engine != Engine::Postgres)
        return {};
    QStringList fields;
    for (int column = DrillRecord::DrillDate; column <= DrillRecord::Master1; ++column)
        fields << QLatin1Char('\'') + drillColumns().at(column) + QLatin1Char('\'');
    // The field is one of the fixed names before it becomes part of a statement; the lock wait
    // ends with the call's own transaction.
    return {QStringLiteral(
                "CREATE FUNCTION %1(drill BIGINT, drill_field TEXT, expected TEXT, wanted TEXT, "
                "wait_ms INTEGER, OUT written BOOLEAN, OUT present BOOLEAN, OUT held TEXT) "
                "LANGUAGE plpgsql AS $$ DECLARE matched BIGINT; BEGIN "
                "IF NOT coalesce(drill_field = ANY (ARRAY[%2]), false) THEN "
                "RAISE EXCEPTION 'ORX: % is not a drill field', drill_field; END IF; "
                "PERFORM set_config('lock_timeout', GREATEST(wait_ms, 1) || 'ms', true); "
                "EXECUTE format('UPDATE Drills SET %s = $1 WHERE IDDrill = $2 "
                "AND %s IS NOT DISTINCT FROM $3', drill_field, drill_field) "
                "USING wanted, drill, expected; "
                "GET DIAGNOSTICS matched = ROW_COUNT; written := matched > 0; present := written; "
                "IF written THEN held := wanted; RETURN; END IF; "
                "EXECUTE format('SELECT %s FROM Drills WHERE IDDrill = $1', drill_field) "
                "INTO held USING drill; "
                "GET DIAGNOSTICS matched = ROW_COUNT; present := matched > 0; END $$")
                .arg(QLatin1String(FieldWriteFunction), fields.join(QStringLiteral(", ")))};
}
