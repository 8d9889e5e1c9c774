// The history of changes. A drill edit as the program makes it, its history entry written by
// the connection's trigger, beside the bare side: the same compare-and-set UPDATE and the same
// INSERT of the entry in one transaction, plain SQLite on a plain connection of a file alike.
// Then the history window of a drill with 1,000 changes beside its bare side: the same rows
// read with the columns the window shows, their times made local text, and shown in a plain
// window of the same size with the same list, heading and buttons, the columns of who and what
// changed as wide as their widest text.
#include "Fixture.h"
#include "common/DateText.h"
#include "common/Messages.h"
#include "data/ChangeHistory.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "history/HistoryWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QSet>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int Year = 2026;
constexpr int Ships = 50;

class SilentMessages : public Messages
{
public:
    bool askYesNo(const QString&, const QString&) override { return false; }
    void tell(Icon, const QString&, const QString&) override {}
};

// A fleet with this year's rows, open through the program's data layer.
struct OpenFleet
{
    OpenFleet() : fixture(Ships), db(fixture.databasePath()), data(db)
    {
        db.open();
        data.setYear(Year);
        data.addFleetYear();
        data.refresh();
    }
    Fixture fixture;
    DrillDatabase db;
    DrillDataSource data;
};

QString masterOf(qint64 n)
{
    return QStringLiteral("Master %1").arg(n);
}

void BM_EditWithHistory(benchmark::State& state)
{
    OpenFleet fleet;
    qint64 n = 0;
    for (auto _ : state) {
        const DrillRecord& record = fleet.data.records().at(int(n % Ships));
        if (!fleet.data.write(DrillChange::of(record, DrillDataSource::Master, masterOf(n)))
                 .stored())
            state.SkipWithError("the edit was refused");
        ++n;
    }
}

bool runBare(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() && query.numRowsAffected() == 1;
}

void BM_EditWithHistoryBare(benchmark::State& state)
{
    OpenFleet fleet;
    QSqlDatabase db = fleet.fixture.db();
    QList<qint64> drills;
    for (const DrillRecord& record : fleet.data.records())
        drills.append(record.idDrill);
    QHash<qint64, QVariant> stored; // what each drill's Master holds
    qint64 n = 0;
    for (auto _ : state) {
        const qint64 drill = drills.at(int(n % Ships));
        const QVariant before = stored.value(drill, QVariant(QMetaType::fromType<QString>()));
        const QString after = masterOf(n++);
        QSqlQuery query(db);
        db.transaction();
        const bool written =
            runBare(
                query,
                QStringLiteral("UPDATE Drills SET Master = ? WHERE IDDrill = ? AND Master IS ?"),
                {after, drill, before}) &&
            runBare(query,
                    QStringLiteral("INSERT INTO History (ChangedAt, ChangedBy, TableName, "
                                   "RecordId, Field, OldValue, NewValue) VALUES "
                                   "(strftime('%Y-%m-%dT%H:%M:%fZ', 'now'), ?, 'Drills', ?, "
                                   "'Master', ?, ?)"),
                    {QStringLiteral("bench"), drill, before, after});
        if (!written || !db.commit())
            state.SkipWithError("the bare edit was refused");
        stored[drill] = after;
    }
}

// One drill changed 1,000 times.
OpenFleet& drillWithLongHistory()
{
    static OpenFleet fleet;
    static const bool changed = [] {
        for (int n = 0; n < 1000; ++n)
            fleet.data.write(DrillChange::of(fleet.data.records().at(0), DrillDataSource::Master,
                                             QStringLiteral("Master %1").arg(n)));
        return true;
    }();
    Q_UNUSED(changed);
    return fleet;
}

const QStringList Titles = {QStringLiteral("When"), QStringLiteral("Who"), QStringLiteral("Field"),
                            QStringLiteral("From"), QStringLiteral("To")};

void BM_HistoryListBare(benchmark::State& state)
{
    OpenFleet& fleet = drillWithLongHistory();
    const qint64 drill = fleet.data.records().first().idDrill;
    for (auto _ : state) {
        QSqlQuery query(fleet.db.connection());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral(
            "SELECT ChangedAt, ChangedBy, Field, OldValue, NewValue FROM History WHERE "
            "TableName IN ('Drills', 'Evaluation') AND RecordId = ? ORDER BY IDHistory DESC"));
        query.addBindValue(drill);
        query.exec();
        QList<QTreeWidgetItem*> items;
        while (query.next()) {
            const QDateTime when =
                QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs).toLocalTime();
            items.append(new QTreeWidgetItem(
                {DateText::toShort(when.date()) + u' ' + DateText::timeText(when.time()),
                 query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                 query.value(4).toString()}));
        }
        QDialog window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QLabel(QStringLiteral("MV Ship, drills of 2026"), &window));
        auto* list = new QTreeWidget(&window);
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setHeaderLabels(Titles);
        list->addTopLevelItems(items);
        list->setCurrentItem(items.first());
        list->header()->resizeSection(0, 150);
        for (const int column : {1, 2}) {
            QSet<QString> texts;
            for (const QTreeWidgetItem* item : std::as_const(items))
                texts.insert(item->text(column));
            int widest = list->header()->sectionSizeHint(column);
            for (const QString& text : std::as_const(texts))
                widest = std::max(widest, list->fontMetrics().horizontalAdvance(text) +
                                              2 * list->fontMetrics().averageCharWidth());
            list->header()->resizeSection(column, widest);
        }
        layout->addWidget(list);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
        buttons->addButton(QStringLiteral("&Print..."), QDialogButtonBox::ActionRole);
        buttons->addButton(QStringLiteral("&Export CSV..."), QDialogButtonBox::ActionRole);
        layout->addWidget(buttons);
        window.resize(760, 420);
        window.show();
        benchmark::DoNotOptimize(window.isVisible());
    }
}

void BM_HistoryWindowOpen(benchmark::State& state)
{
    OpenFleet& fleet = drillWithLongHistory();
    const qint64 drill = fleet.data.records().first().idDrill;
    SilentMessages messages;
    for (auto _ : state) {
        HistoryWindow window(
            QStringLiteral("MV Ship, drills of 2026"), QStringLiteral("Fleet Ltd"),
            [&](bool* locked) { return ChangeHistory::ofDrill(fleet.db, drill, locked); },
            messages);
        window.read();
        window.show();
        benchmark::DoNotOptimize(window.isVisible());
    }
}

} // namespace

BENCHMARK(BM_EditWithHistoryBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditWithHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryListBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryWindowOpen)->Unit(benchmark::kMillisecond);
