#include "data/Schema.h"

#include "data/Dialect.h"
#include "data/DrillFields.h"
#include "data/DrillRecord.h"
#include "data/EvaluationTable.h"
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
    QStringList fields;
    for (const DrillFields::Field& field : DrillFields::All)
        fields << field.sqlName() + QStringLiteral(" TEXT");
    return fields.join(QStringLiteral(", "));
}

QStringList reportTableStatements(const Dialect& dialect)
{
    const QString kind = dialect.scratchTable();
    const QString order = dialect.rowOrderColumn();
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
    // Made once: every write of a field names its column.
    static const QStringList columns = [] {
        QStringList names;
        for (int column = 0; column < DrillRecord::ColumnCount; ++column)
            names << DrillRecord::sqlName(DrillRecord::Column(column));
        return names;
    }();
    return columns;
}

QStringList Schema::reportColumns()
{
    // A name in quotes keeps its case on the server; the others come back in lower case.
    QStringList columns;
    for (const QString& column : drillColumns()) {
        if (!column.startsWith(u'"'))
            columns << column;
    }
    columns << QStringLiteral("Company") << QStringLiteral("Date1") << QStringLiteral("Time1")
            << QStringLiteral("Ship") << QStringLiteral("DrillDate") << QStringLiteral("Total")
            << QStringLiteral("D1") << QStringLiteral("H1");
    return columns + evaluationMarkColumns();
}

QStringList Schema::createStatements(const Dialect& dialect)
{
    const QString key = dialect.autoKey();
    QStringList statements = {
        QStringLiteral("CREATE TABLE Ships (IDShip %1, ShipName TEXT)").arg(key),
        // IDShip is deliberately not a foreign key: deleting a ship keeps its drill records.
        QStringLiteral("CREATE TABLE Drills (IDDrill %1, IDShip INTEGER NOT NULL, ShipName TEXT, "
                       "YearDrill INTEGER NOT NULL, %2, UNIQUE (IDShip, YearDrill))")
            .arg(key, drillFields()),
        DrillsOfYearIndex,
        QStringLiteral("CREATE TABLE Company (%1Name TEXT)").arg(dialect.rowOrderColumn()),
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
                 dialect.nameOrder(QStringLiteral("ShipName"))),
        QStringLiteral("CREATE VIEW QuEvaluations AS SELECT * FROM Evaluation "
                       "ORDER BY IDDrill, IDQu"),
    };
    statements << dialect.changeSignals() << fieldWriteStatements(dialect)
               << evaluationWriteStatements(dialect) << dialect.versionRecord();
    if (!dialect.reportTablesPerConnection())
        statements << reportTableStatements(dialect);
    return statements << HistorySchema::createStatements(dialect) << dialect.setVersion(Version);
}

QStringList Schema::sessionStatements(const Dialect& dialect)
{
    const QStringList own = HistorySchema::sessionStatements(dialect);
    return dialect.reportTablesPerConnection() ? reportTableStatements(dialect) + own : own;
}

QStringList Schema::upgradeStatements(const Dialect& dialect, int fromVersion)
{
    if (fromVersion >= Version)
        return {};
    QStringList statements = fromVersion < 2 ? HistorySchema::createStatements(dialect)
                                             : HistorySchema::upgradeFromSecondVersion(dialect);
    // Functions made before version 4 looked their tables up by the caller's path, where
    // another role's table could stand in; they are made anew in the program's schema. The
    // field write, which another role may own, runs with its caller's rights and is left alone.
    if (fromVersion < 4) {
        for (const QString& statement :
             HistorySchema::createStatements(dialect) + dialect.changeSignals()) {
            if (Dialect::makesFunction(statement))
                statements << statement;
        }
        statements << DrillsOfYearIndex;
    }
    return statements << dialect.setVersion(Version);
}

QStringList Schema::requiredObjects(const Dialect& dialect, int version)
{
    QStringList objects = {QStringLiteral("Ships"),    QStringLiteral("Drills"),
                           QStringLiteral("Company"),  QStringLiteral("Evaluation"),
                           QStringLiteral("QuDrills"), QStringLiteral("QuEvaluations")};
    if (version >= 2)
        objects << QStringLiteral("History") << QStringLiteral("ClosedYears");
    objects << dialect.versionObjects();
    if (dialect.reportTablesPerConnection())
        return objects;
    return objects << QStringLiteral("PrintDrills") << QStringLiteral("PrintEval");
}

QStringList Schema::fieldWriteStatements(const Dialect& dialect)
{
    if (!dialect.hasFunctions())
        return {};
    QStringList fields;
    for (const DrillFields::Field& field : DrillFields::All)
        fields << QLatin1Char('\'') + field.sqlName() + QLatin1Char('\'');
    // The field is one of the fixed names before it becomes part of a statement; the lock wait
    // ends with the call's own transaction.
    return {Dialect::inProgramSchema(
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION %1(drill BIGINT, drill_field TEXT, expected TEXT, "
            "wanted TEXT, wait_ms INTEGER, OUT written BOOLEAN, OUT present BOOLEAN, OUT held "
            "TEXT) LANGUAGE plpgsql %3 AS $$ DECLARE matched BIGINT; BEGIN "
            "IF NOT coalesce(drill_field = ANY (ARRAY[%2]), false) THEN "
            "RAISE EXCEPTION 'ORX: % is not a drill field', drill_field; END IF; "
            "PERFORM set_config('lock_timeout', GREATEST(wait_ms, 1) || 'ms', true); "
            "EXECUTE format('UPDATE @schema.Drills SET %s = $1 WHERE IDDrill = $2 "
            "AND %s IS NOT DISTINCT FROM $3', drill_field, drill_field) "
            "USING wanted, drill, expected; "
            "GET DIAGNOSTICS matched = ROW_COUNT; written := matched > 0; present := written; "
            "IF written THEN held := wanted; RETURN; END IF; "
            "EXECUTE format('SELECT %s FROM @schema.Drills WHERE IDDrill = $1', drill_field) "
            "INTO held USING drill; "
            "GET DIAGNOSTICS matched = ROW_COUNT; present := matched > 0; END $$")
            .arg(QLatin1String(FieldWriteFunction), fields.join(QStringLiteral(", ")),
                 QLatin1String(Dialect::FunctionPath)))};
}

QStringList Schema::evaluationWriteStatements(const Dialect& dialect)
{
    if (!dialect.hasFunctions())
        return {};
    const auto evaluation = [](int drill) {
        return DrillFields::of(drill, DrillFields::Part::Evaluation).sqlName();
    };
    // EVX stands for the block's flag prefix, Ev or Ev1; the last flag set is the answer.
    QStringList chosen, flags, wanted, updates;
    for (int scale = EvaluationTable::ScaleSize; scale >= 1; --scale)
        chosen << QStringLiteral("WHEN e.EVX%1 <> 0 THEN %1").arg(scale);
    for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale) {
        flags << QStringLiteral("EVX%1").arg(scale);
        wanted << QStringLiteral("(substr($2, q, 1) = ''%1'')::int").arg(scale);
        updates << QStringLiteral("EVX%1 = excluded.EVX%1").arg(scale);
    }
    // The drill's row is locked first: two saves of one questionnaire take turns.
    return {Dialect::inProgramSchema(
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION %1(drill BIGINT, second_drill BOOLEAN, expected TEXT, "
            "wanted TEXT, expected_answers TEXT, wanted_answers TEXT, wait_ms INTEGER, "
            "OUT written BOOLEAN, OUT present BOOLEAN, OUT held TEXT, OUT held_answers TEXT) "
            "LANGUAGE plpgsql %6 AS $$ DECLARE matched BIGINT; "
            "total TEXT := CASE WHEN second_drill THEN '%7' ELSE '%8' END; "
            "prefix TEXT := CASE WHEN second_drill THEN 'Ev1' ELSE 'Ev' END; BEGIN "
            "PERFORM set_config('lock_timeout', GREATEST(wait_ms, 1) || 'ms', true); "
            "written := false; "
            "EXECUTE format('SELECT %s FROM @schema.Drills WHERE IDDrill = $1 FOR UPDATE', total) "
            "INTO held USING drill; "
            "GET DIAGNOSTICS matched = ROW_COUNT; present := matched > 0; "
            "IF NOT present THEN RETURN; END IF; "
            "EXECUTE replace('SELECT string_agg((CASE %2 ELSE 0 END)::text, '''' ORDER BY q) "
            "FROM generate_series(1, 10) AS q LEFT JOIN @schema.Evaluation e "
            "ON e.IDDrill = $1 AND e.IDQu = q', 'EVX', prefix) INTO held_answers USING drill; "
            "IF held IS DISTINCT FROM expected OR held_answers IS DISTINCT FROM "
            "expected_answers THEN RETURN; END IF; "
            "EXECUTE format('UPDATE @schema.Drills SET %s = $1 WHERE IDDrill = $2', total) "
            "USING wanted, drill; "
            "EXECUTE replace('INSERT INTO @schema.Evaluation (IDDrill, IDQu, %3) SELECT $1, q, %4 "
            "FROM generate_series(1, 10) AS q ON CONFLICT (IDDrill, IDQu) DO UPDATE SET %5', "
            "'EVX', prefix) USING drill, wanted_answers; "
            "written := true; held := wanted; held_answers := wanted_answers; END $$")
            .arg(QLatin1String(EvaluationWriteFunction), chosen.join(u' '),
                 flags.join(QStringLiteral(", ")), wanted.join(QStringLiteral(", ")),
                 updates.join(QStringLiteral(", ")), QLatin1String(Dialect::FunctionPath),
                 evaluation(1), evaluation(0)))};
}
