#include "data/HistorySchema.h"

#include "data/Dialect.h"
#include "data/DrillFields.h"

#include <QList>

namespace {

// One recorded field: the name History gives it, its value before and after, and the columns
// the value is made of.
struct Change
{
    QString field;
    QString before;
    QString after;
    QStringList columns;
};

// A row event of a table whose changes are kept.
struct Watched
{
    QString table;
    QString event; // INSERT, UPDATE or DELETE
    QString record;
    QList<Change> changes;
};

const QString NoValue = QStringLiteral("CAST(NULL AS TEXT)");

QStringList drillFields()
{
    QStringList fields;
    for (const DrillFields::Field& field : DrillFields::All)
        fields << field.storedName();
    return fields;
}

// The answer a questionnaire row holds for one drill: the highest scale flagged, or nothing.
QString answerOf(const QString& row, const QString& prefix)
{
    QString cases;
    for (int scale = 5; scale >= 1; --scale)
        cases += QStringLiteral("WHEN %1.%2%3 <> 0 THEN '%3' ").arg(row, prefix).arg(scale);
    return QStringLiteral("(CASE %1ELSE %2 END)").arg(cases, NoValue);
}

QStringList answerColumns(const QString& prefix)
{
    QStringList columns;
    for (int scale = 1; scale <= 5; ++scale)
        columns << prefix + QString::number(scale);
    return columns;
}

QList<Change> answerChanges(const QString& before, const QString& after)
{
    const auto value = [](const QString& row, const QString& prefix) {
        return row.isEmpty() ? NoValue : answerOf(row, prefix);
    };
    const QString row = after.isEmpty() ? before : after;
    const QString first = QStringLiteral("Ev");
    const QString second = QStringLiteral("Ev1");
    return {{QStringLiteral("'Question ' || %1.IDQu").arg(row), value(before, first),
             value(after, first), answerColumns(first)},
            {QStringLiteral("'Question ' || %1.IDQu || ' (2nd drill)'").arg(row),
             value(before, second), value(after, second), answerColumns(second)}};
}

QList<Change> fieldChanges(const QStringList& fields, const QString& before, const QString& after)
{
    QList<Change> changes;
    for (const QString& field : fields) {
        // PostgreSQL folds a name without quotes to lower case, as it did when the table was made.
        const QString column = field.contains(u' ') ? u'"' + field + u'"' : field;
        const auto value = [&](const QString& row) {
            return row.isEmpty() ? NoValue : row + u'.' + column;
        };
        changes.append({QStringLiteral("'%1'").arg(field), value(before), value(after), {column}});
    }
    return changes;
}

QList<Watched> watchedEvents()
{
    const QString o = QStringLiteral("OLD");
    const QString n = QStringLiteral("NEW");
    const QStringList ship = {QStringLiteral("ShipName")};
    const QStringList company = {QStringLiteral("Name")};
    const QString ins = QStringLiteral("INSERT");
    const QString upd = QStringLiteral("UPDATE");
    const QString del = QStringLiteral("DELETE");
    const QString closed = QStringLiteral("'Closed'");
    return {
        {QStringLiteral("Drills"), upd, QStringLiteral("NEW.IDDrill"),
         fieldChanges(drillFields(), o, n)},
        {QStringLiteral("Evaluation"), ins, QStringLiteral("NEW.IDDrill"), answerChanges({}, n)},
        {QStringLiteral("Evaluation"), upd, QStringLiteral("NEW.IDDrill"), answerChanges(o, n)},
        {QStringLiteral("Ships"), ins, QStringLiteral("NEW.IDShip"), fieldChanges(ship, {}, n)},
        {QStringLiteral("Ships"), upd, QStringLiteral("NEW.IDShip"), fieldChanges(ship, o, n)},
        {QStringLiteral("Ships"), del, QStringLiteral("OLD.IDShip"), fieldChanges(ship, o, {})},
        {QStringLiteral("Company"), ins, QStringLiteral("NEW.rowid"), fieldChanges(company, {}, n)},
        {QStringLiteral("Company"), upd, QStringLiteral("NEW.rowid"), fieldChanges(company, o, n)},
        {QStringLiteral("ClosedYears"),
         ins,
         QStringLiteral("NEW.YearDrill"),
         {{closed, NoValue, QStringLiteral("'Closed'"), {}}}},
        {QStringLiteral("ClosedYears"),
         del,
         QStringLiteral("OLD.YearDrill"),
         {{closed,
           QStringLiteral("'Closed'"),
           QStringLiteral("'Reopened: ' || OLD.ReopenReason"),
           {}}}},
    };
}

QString historyColumns(const Dialect& dialect)
{
    return dialect.triggerTable(QStringLiteral("History")) +
           QStringLiteral(
               " (ChangedAt, ChangedBy, TableName, RecordId, Field, OldValue, NewValue)");
}

// A server's statement recording every field of the event that changed.
QString serverRecordStatement(const Dialect& dialect, const Watched& watched)
{
    QStringList rows;
    for (const Change& change : watched.changes)
        rows << QStringLiteral("SELECT %1 AS f, %2 AS o, %3 AS n")
                    .arg(change.field, change.before, change.after);
    return QStringLiteral("INSERT INTO %1 SELECT %2, %3, '%4', %5, f, o, n FROM (%6) AS c WHERE "
                          "o IS DISTINCT FROM n")
        .arg(historyColumns(dialect), dialect.utcNow(), dialect.currentUser(), watched.table,
             watched.record, rows.join(QStringLiteral(" UNION ALL ")));
}

QString triggerName(const QString& kind, const QString& table, const QString& event)
{
    return QStringLiteral("orx_%1_%2_%3").arg(kind, table.toLower(), event.toLower());
}

// A server's row trigger running `body` (statements ending in ';') through a function of the
// same name.
QStringList serverRowTrigger(const QString& name, const QString& timing, const QString& event,
                             const QString& table, const QString& body)
{
    const QString result =
        event == QLatin1String("DELETE") ? QStringLiteral("OLD") : QStringLiteral("NEW");
    return {Dialect::inProgramSchema(
                QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql "
                               "SECURITY DEFINER %2 AS $$ BEGIN %3 RETURN %4; END $$")
                    .arg(name, QLatin1String(Dialect::FunctionPath), body, result)),
            QStringLiteral("CREATE TRIGGER %1 %2 %3 ON %4 FOR EACH ROW EXECUTE FUNCTION %1()")
                .arg(name, timing, event, table)};
}

QStringList serverHistoryTriggers(const Dialect& dialect)
{
    QStringList statements;
    for (const Watched& watched : watchedEvents())
        statements << serverRowTrigger(
            triggerName(QStringLiteral("history"), watched.table, watched.event),
            QStringLiteral("AFTER"), watched.event, watched.table,
            serverRecordStatement(dialect, watched) + u';');
    return statements;
}

// The temporary trigger recording one field of a watched event on SQLite.
QString fieldTrigger(const Dialect& dialect, const Watched& watched, const Change& change,
                     const QString& name)
{
    const QString event = watched.event == QLatin1String("UPDATE")
                              ? QStringLiteral("UPDATE OF ") + change.columns.join(u',')
                              : watched.event;
    const QString entry =
        QStringList{dialect.utcNow(), dialect.currentUser(), u'\'' + watched.table + u'\'',
                    watched.record,   change.field,          change.before,
                    change.after}
            .join(QStringLiteral(", "));
    return QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER %2 ON main.%3 WHEN %4 IS "
                          "DISTINCT FROM %5 BEGIN INSERT INTO %6 VALUES (%7); END")
        .arg(name, event, watched.table, change.before, change.after, historyColumns(dialect),
             entry);
}

// On SQLite, one temporary trigger per field, fired only when its columns are set and its value
// changes: an edit of one field compiles and runs one small trigger.
QStringList sessionHistoryTriggers(const Dialect& dialect)
{
    QStringList statements;
    for (const Watched& watched : watchedEvents()) {
        const QString name = triggerName(QStringLiteral("history"), watched.table, watched.event);
        for (qsizetype n = 0; n < watched.changes.size(); ++n)
            statements << fieldTrigger(dialect, watched, watched.changes.at(n),
                                       name + u'_' + QString::number(n + 1));
    }
    return statements;
}

// A trigger that refuses the event when the condition holds: where the engine holds functions,
// through one of them.
QStringList guard(const Dialect& dialect, const QString& name, const QString& event,
                  const QString& table, const QString& condition, const char* message)
{
    const QString refusal = dialect.refusal(message);
    if (!dialect.hasFunctions())
        return {QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN %5 END")
                    .arg(name, event, table, condition, refusal)};
    return serverRowTrigger(name, QStringLiteral("BEFORE"), event, table,
                            QStringLiteral("IF %1 THEN %2 END IF;").arg(condition, refusal));
}

QString yearClosed(const Dialect& dialect, const QString& year)
{
    return QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE YearDrill = %2)")
        .arg(dialect.triggerTable(QStringLiteral("ClosedYears")), year);
}

QString drillInClosedYear(const Dialect& dialect, const QString& drill)
{
    return QStringLiteral("EXISTS (SELECT 1 FROM %1 d JOIN %2 c ON c.YearDrill = d.YearDrill "
                          "WHERE d.IDDrill = %3)")
        .arg(dialect.triggerTable(QStringLiteral("Drills")),
             dialect.triggerTable(QStringLiteral("ClosedYears")), drill);
}

QString drillChanged()
{
    QStringList changed = {QStringLiteral("OLD.YearDrill IS DISTINCT FROM NEW.YearDrill"),
                           QStringLiteral("OLD.IDShip IS DISTINCT FROM NEW.IDShip")};
    for (const DrillFields::Field& field : DrillFields::All)
        changed << QStringLiteral("OLD.%1 IS DISTINCT FROM NEW.%1").arg(field.sqlName());
    return changed.join(QStringLiteral(" OR "));
}

QStringList closedYearGuards(const Dialect& dialect)
{
    using HistorySchema::ClosedYearRefusal;
    const QString drills = QStringLiteral("Drills");
    const QString evaluation = QStringLiteral("Evaluation");
    const QString ins = QStringLiteral("INSERT");
    const QString upd = QStringLiteral("UPDATE");
    const QString del = QStringLiteral("DELETE");
    const auto name = [](const QString& table, const QString& event) {
        return triggerName(QStringLiteral("closed"), table, event);
    };
    return guard(dialect, name(drills, ins), ins, drills,
                 yearClosed(dialect, QStringLiteral("NEW.YearDrill")), ClosedYearRefusal) +
           guard(dialect, name(drills, upd), upd, drills,
                 QStringLiteral("(%1 OR %2) AND (%3)")
                     .arg(yearClosed(dialect, QStringLiteral("OLD.YearDrill")),
                          yearClosed(dialect, QStringLiteral("NEW.YearDrill")), drillChanged()),
                 ClosedYearRefusal) +
           guard(dialect, name(drills, del), del, drills,
                 yearClosed(dialect, QStringLiteral("OLD.YearDrill")), ClosedYearRefusal) +
           guard(dialect, name(evaluation, ins), ins, evaluation,
                 drillInClosedYear(dialect, QStringLiteral("NEW.IDDrill")), ClosedYearRefusal) +
           guard(dialect, name(evaluation, upd), upd, evaluation,
                 QStringLiteral("%1 OR %2")
                     .arg(drillInClosedYear(dialect, QStringLiteral("OLD.IDDrill")),
                          drillInClosedYear(dialect, QStringLiteral("NEW.IDDrill"))),
                 ClosedYearRefusal) +
           guard(dialect, name(evaluation, del), del, evaluation,
                 drillInClosedYear(dialect, QStringLiteral("OLD.IDDrill")), ClosedYearRefusal) +
           guard(dialect, triggerName(QStringLiteral("reason"), QStringLiteral("ClosedYears"), del),
                 del, QStringLiteral("ClosedYears"),
                 QStringLiteral("COALESCE(TRIM(OLD.ReopenReason), '') = ''"),
                 HistorySchema::ReasonRequired);
}

// The table of entries, none of which is ever deleted.
QString historyTable(const Dialect& dialect)
{
    const QString key = dialect.appendOnlyKey();
    return QStringLiteral("CREATE TABLE %1 (IDHistory %2, ChangedAt TEXT NOT NULL, ChangedBy TEXT "
                          "NOT NULL, TableName TEXT NOT NULL, RecordId BIGINT NOT NULL, Field "
                          "TEXT NOT NULL, OldValue TEXT, NewValue TEXT)")
        .arg(QStringLiteral("History"), key);
}

const QString HistoryIndex =
    QStringLiteral("CREATE INDEX HistoryOfRecord ON History (TableName, RecordId)");

QStringList historyKept(const Dialect& dialect)
{
    using HistorySchema::HistoryKeptRefusal;
    const QString always = QStringLiteral("1 = 1");
    const QString history = QStringLiteral("History");
    QStringList statements;
    for (const QString& event : {QStringLiteral("UPDATE"), QStringLiteral("DELETE")})
        statements << guard(dialect, triggerName(QStringLiteral("kept"), history, event), event,
                            history, always, HistoryKeptRefusal);
    // Where the guards are functions, a role's rights are taken back too.
    if (dialect.hasFunctions())
        statements << QStringLiteral("CREATE TRIGGER orx_kept_history_truncate BEFORE TRUNCATE ON "
                                     "History FOR EACH STATEMENT EXECUTE FUNCTION "
                                     "orx_kept_history_delete()")
                   << QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON History FROM PUBLIC, "
                                     "CURRENT_USER");
    return statements;
}

} // namespace

QStringList HistorySchema::createStatements(const Dialect& dialect)
{
    QStringList statements = {historyTable(dialect), HistoryIndex};
    statements << QStringLiteral(
        "CREATE TABLE ClosedYears (YearDrill INTEGER PRIMARY KEY, ClosedAt TEXT NOT NULL, "
        "ClosedBy TEXT NOT NULL, ReopenReason TEXT)");
    statements << closedYearGuards(dialect) << historyKept(dialect);
    if (dialect.keepsHistoryItself())
        statements << serverHistoryTriggers(dialect);
    return statements;
}

QStringList HistorySchema::upgradeFromSecondVersion(const Dialect& dialect)
{
    // Version 2 gave History the key that writes a counter with every entry.
    if (!dialect.autoKeyWritesCounter())
        return {};
    // Every entry is copied out and back with its id; dropping the old table drops its index and
    // guards. No rename: the connection's own triggers would not let History go missing.
    return QStringList{QStringLiteral("CREATE TEMP TABLE HistoryCopy AS SELECT * FROM History"),
                       QStringLiteral("DROP TABLE History"),
                       historyTable(dialect),
                       HistoryIndex,
                       QStringLiteral("INSERT INTO History SELECT * FROM temp.HistoryCopy"),
                       QStringLiteral("DROP TABLE temp.HistoryCopy"),
                       QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'History'")} +
           historyKept(dialect);
}

QStringList HistorySchema::sessionStatements(const Dialect& dialect)
{
    if (dialect.keepsHistoryItself())
        return {};
    return QStringList{QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS orx_session (Who TEXT)"),
                       QStringLiteral("DELETE FROM orx_session")} +
           sessionHistoryTriggers(dialect);
}

QString HistorySchema::setSessionUser(const Dialect& dialect)
{
    return dialect.keepsHistoryItself()
               ? QString()
               : QStringLiteral("INSERT INTO orx_session (Who) VALUES (?)");
}
