// The drill status report for a fleet of 50, 2,000 and 20,000 ships, each step beside its bare
// side. Refilling PrintDrills beside the same DELETE and INSERT ... SELECT in one transaction on
// a plain connection. The report rendered to a PDF file beside the paint floor: the same rows
// read from PrintDrills, each drill's state worked out and counted, and the same report painted
// straight with QPainter on a QPdfWriter, every place worked out by hand: the title block
// (title, company, year, stamp, rule, the counts with their numbers bold, the legend with its
// three tinted marks), on every page the two title rows of the table on their fills with the
// titles wrapped, the rows on their stripes with the tinted status cells, the grid, every text
// in the report's font and colour and elided where it might not fit, the foot "title ... Page
// n of m", and the signature line after the last row in the font the report's text documents
// use. No template, style sheet or text document; a row is one line high, as every row of
// these fleets is. Both write compressed PDF: QPdfWriter always compresses its pages.
#include "Fixture.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/DrillState.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "data/ReportTable.h"
#include "data/Schema.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr int Year = 2026;
const QString Company = QStringLiteral("Aegean O'Brien Shipmanagement S.A.");

// A fleet whose drills of the year are all scheduled, a third of them done.
struct Fleet
{
    explicit Fleet(int ships) : fixture(ships), db(fixture.databasePath())
    {
        db.open();
        fixture.exec(
            QStringLiteral(
                "INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", \"Done Date\", "
                "CompEval, Master, \"Drill Date1\") "
                "SELECT IDShip, ShipName, ?, date('2026-01-01', '+' || (IDShip * 7 % 200) || ' "
                "days'), "
                "CASE WHEN IDShip % 3 = 0 THEN date('2026-01-01', '+' || (IDShip % 60) || ' days') "
                "END, "
                "CASE WHEN IDShip % 3 = 0 THEN 60 + IDShip % 40 END, 'Capt. A. Georgiou', "
                "date('2026-06-01', '+' || (IDShip * 11 % 150) || ' days') FROM Ships"),
            {Year});
    }

    Fixture fixture;
    DrillDatabase db;
};

void BM_RefillPrintDrills(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    for (auto _ : state)
        PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
}

void BM_RefillPrintDrillsBare(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    QSqlDatabase db = fleet.fixture.db();
    const QString copy = QStringLiteral("INSERT INTO PrintDrills (%1, Company, Date1, Time1) "
                                        "SELECT %1, ?, ?, ? FROM QuDrills WHERE YearDrill = ?")
                             .arg(Schema::drillColumns().join(QStringLiteral(", ")));
    for (auto _ : state) {
        db.transaction();
        QSqlQuery query(db);
        query.exec(QStringLiteral("DELETE FROM PrintDrills"));
        query.prepare(copy);
        const QDateTime now = Clock::now();
        for (const QVariant& value : {QVariant(Company), QVariant(DateText::longDate(now.date())),
                                      QVariant(DateText::timeText(now.time())), QVariant(Year)})
            query.addBindValue(value);
        if (!query.exec() || !db.commit())
            state.SkipWithError("the bare copy failed");
    }
}

void BM_RenderDrillStatusToPdf(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
    RecordingMessages messages;
    ReportControl control(messages);
    control.setDataFile(fleet.fixture.databasePath());
    control.setReportFileName(
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    control.setDestination(ReportControl::Destination::File);
    control.setPrintFileName(QDir(fleet.fixture.folder()).filePath(QStringLiteral("report.pdf")));
    DrillStatusReport::prepare(control, Year, Company);
    for (auto _ : state) {
        if (!control.run())
            state.SkipWithError("the report could not be made");
    }
}

// The paint floor, below.

const QColor Navy(0x00, 0x00, 0x80);
const QColor Ink(0x1a, 0x1a, 0x1a);
const QColor Grey(0x4d, 0x4d, 0x4d);
const QColor Dark(0x33, 0x33, 0x33);

struct Column
{
    const char* group;
    const char* title;
    qreal percent;
    Qt::Alignment alignment;
};

constexpr int Columns = 12;
const std::array<Column, Columns> Layout = {{
    {"", "No", 4.5, Qt::AlignRight},
    {"", "Ship Name", 15, Qt::AlignLeft},
    {"Drill No 1", "Scheduled Date", 7.5, Qt::AlignRight},
    {"Drill No 1", "Date Done", 7.5, Qt::AlignRight},
    {"Drill No 1", "Evaluation (%)", 6, Qt::AlignHCenter},
    {"Drill No 1", "Ship's Master Name", 12.5, Qt::AlignLeft},
    {"Drill No 1", "Status", 7, Qt::AlignHCenter},
    {"Drill No 2", "Scheduled Date", 7.5, Qt::AlignRight},
    {"Drill No 2", "Date Done", 7.5, Qt::AlignRight},
    {"Drill No 2", "Evaluation (%)", 6, Qt::AlignHCenter},
    {"Drill No 2", "Ship's Master Name", 12.5, Qt::AlignLeft},
    {"Drill No 2", "Status", 7, Qt::AlignHCenter},
}};

struct Look
{
    QFont font;
    QColor ink;
    QColor fill; // invalid: the row's
};

struct Cell
{
    QString text;
    int look = 0;
};

struct Row
{
    std::array<Cell, Columns> cells;
    bool even = false;
};

// The looks of the cells: the number, the ship, then per state its plain and its mark cell.
enum LookIndex
{
    NumberLook,
    ShipLook,
    StateLooks // + 2 * DrillState (+ 1 for the mark)
};

struct Counts
{
    int ships = 0, drills = 0, done = 0, due = 0, later = 0, none = 0;
};

QFont fontOf(QPdfWriter& writer, qreal points, bool bold = false, bool italic = false)
{
    QFont font(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("sans-serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return QFont(font, &writer);
}

QString markOf(DrillState state)
{
    switch (state) {
    case DrillState::Done:
        return QStringLiteral("\u2713 DONE");
    case DrillState::Due:
        return QStringLiteral("! DUE");
    case DrillState::Later:
        return QStringLiteral("\u00BB LATER");
    case DrillState::None:
        break;
    }
    return {};
}

void count(Counts& counts, DrillState state)
{
    ++counts.drills;
    switch (state) {
    case DrillState::Done:
        ++counts.done;
        break;
    case DrillState::Due:
        ++counts.due;
        break;
    case DrillState::Later:
        ++counts.later;
        break;
    case DrillState::None:
        ++counts.none;
        break;
    }
}

// The rows to paint from PrintDrills, their dates in the short form, their states counted.
QList<Row> rowsOf(const ReportTable& table, Counts& counts)
{
    const auto column = [&](const char* name) {
        return int(table.columns.indexOf(QString::fromLatin1(name)));
    };
    const int ship = column("ShipName");
    const QDate today = Clock::today();
    QList<Row> rows;
    rows.reserve(table.rows.size());
    for (const QVariantList& values : table.rows) {
        Row row;
        ++counts.ships;
        row.even = counts.ships % 2 == 0;
        row.cells[0] = {QString::number(counts.ships), NumberLook};
        row.cells[1] = {values.at(ship).toString(), ShipLook};
        for (const char* suffix : {"", "1"}) {
            const auto field = [&](const char* name) {
                return values.at(column(QByteArray(name).append(suffix).constData())).toString();
            };
            const QString scheduled = field("Drill Date");
            const QString done = field("Done Date");
            const DrillState state = drillState(scheduled, done, today);
            count(counts, state);
            const int look = StateLooks + 2 * int(state);
            const int first = *suffix ? 7 : 2;
            row.cells[first] = {DateText::storedToShort(scheduled), look};
            row.cells[first + 1] = {DateText::storedToShort(done), look};
            row.cells[first + 2] = {field("CompEval"), look};
            row.cells[first + 3] = {field("Master"), look};
            row.cells[first + 4] = {markOf(state), look + 1};
        }
        rows.append(std::move(row));
    }
    return rows;
}

class Floor
{
public:
    Floor(QPdfWriter& writer, QList<Row> rows, const Counts& counts)
        : m_writer(writer), m_rows(std::move(rows)), m_counts(counts)
    {
        m_looks = {{fontOf(writer, 8.5), Grey, {}}, {fontOf(writer, 8.5, true), Ink, {}}};
        const QColor inks[] = {Ink, QColor(0x00, 0x73, 0x00), QColor(0x00, 0x00, 0xd0),
                               QColor(0xc0, 0x00, 0x00)};
        const QColor tints[] = {
            {}, QColor(0xdc, 0xf1, 0xdc), QColor(0xdd, 0xe3, 0xfa), QColor(0xf8, 0xde, 0xde)};
        for (int state = 0; state < 4; ++state) {
            m_looks.append({fontOf(writer, 8.5), inks[state], {}});
            m_looks.append({fontOf(writer, 8.5, true), inks[state], tints[state]});
        }
        m_head = {fontOf(writer, 8, true), Qt::white, Navy};
        m_sub = {fontOf(writer, 7.5, true), Navy, QColor(0xdd, 0xe2, 0xf0)};
        m_padding = points(2.25);
        m_width = writer.width();
        m_bodyHeight = writer.height() - mm(9);
        qreal left = 0;
        for (const Column& column : Layout) {
            m_left.append(left);
            left += column.percent / 100 * m_width;
        }
        m_left.append(m_width);
        m_rowHeight = QFontMetricsF(m_looks.first().font).height() + 2 * m_padding;
        m_groupHeight = QFontMetricsF(m_head.font).height() + 2 * m_padding;
        for (int c = 0; c < Columns; ++c) {
            const QRectF room(0, 0, m_left.at(c + 1) - m_left.at(c) - 2 * m_padding, 1e9);
            m_titleHeight =
                std::max(m_titleHeight, QFontMetricsF(m_sub.font)
                                                .boundingRect(room, Qt::TextWordWrap,
                                                              QString::fromLatin1(Layout[c].title))
                                                .height() +
                                            2 * m_padding);
        }
        m_title = QStringLiteral("HBQ ORX - DRILL STATUS %1 - %2").arg(Year).arg(Company);
    }

    void paint()
    {
        QPainter painter(&m_writer);
        m_painter = &painter;
        qreal top = titleBlock() + mm(1.5);
        const qreal heading = m_groupHeight + m_titleHeight;
        // The part after the table is in the text documents' own font, as in the report.
        QFont sign = QGuiApplication::font();
        sign.setPointSizeF(8);
        sign = QFont(sign, &m_writer);
        const qreal signHeight = QFontMetricsF(sign).height() * 3;
        // Pages worked out first, for "Page n of m".
        QList<qsizetype> firstRows = {0};
        qreal y = top + heading;
        for (qsizetype r = 0; r < m_rows.size(); ++r) {
            if (y + m_rowHeight > m_bodyHeight) {
                firstRows.append(r);
                y = heading;
            }
            y += m_rowHeight;
        }
        const bool signApart = y + mm(1.5) + signHeight > m_bodyHeight;
        const int pages = int(firstRows.size()) + (signApart ? 1 : 0);
        firstRows.append(m_rows.size());
        for (int page = 0; page + 1 < firstRows.size(); ++page) {
            if (page > 0) {
                m_writer.newPage();
                top = 0;
            }
            paintHeading(top);
            top = paintRows(top + heading, firstRows.at(page), firstRows.at(page + 1));
            paintFoot(page + 1, pages);
        }
        if (signApart) {
            m_writer.newPage();
            top = 0;
            paintFoot(pages, pages);
        }
        painter.setFont(sign);
        painter.setPen(Dark);
        painter.drawText(QRectF(0, top + mm(1.5) + signHeight / 3, m_width, signHeight / 3),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Reviewed by (name and signature): "
                                        "______________________________    Date: "
                                        "____________________"));
    }

private:
    static qreal mm(qreal value) { return value * 600 / 25.4; }
    static qreal points(qreal value) { return value * 600 / 72; }

    // A text in its look, elided where it might not fit, as the report does.
    void text(const QRectF& cell, const QString& text, const Look& look, int flags)
    {
        if (look.fill.isValid())
            m_painter->fillRect(cell, look.fill);
        if (text.isEmpty())
            return;
        const QRectF room = cell.adjusted(m_padding, 0, -m_padding, 0);
        const QFontMetricsF metrics(look.font);
        const bool fits = (flags & Qt::TextWordWrap) ||
                          text.size() * metrics.maxWidth() <= room.width() ||
                          metrics.horizontalAdvance(text) <= room.width();
        if (m_painter->font() != look.font)
            m_painter->setFont(look.font);
        m_painter->setPen(look.ink);
        m_painter->drawText(room, flags,
                            fits ? text : metrics.elidedText(text, Qt::ElideRight, room.width()));
    }

    // Runs of text one after the other from x, `gap` apart; gives back where they end.
    qreal runs(qreal x, const QRectF& line, const QList<std::pair<QString, const Look*>>& parts,
               qreal gap)
    {
        for (const auto& [words, look] : parts) {
            const qreal width = QFontMetricsF(look->font).horizontalAdvance(words);
            const qreal room = look->fill.isValid() ? width + 2 * m_padding : width;
            if (look->fill.isValid())
                m_painter->fillRect(QRectF(x, line.top(), room, line.height()), look->fill);
            m_painter->setFont(look->font);
            m_painter->setPen(look->ink);
            m_painter->drawText(QRectF(x, line.top(), room, line.height()),
                                Qt::AlignCenter | Qt::TextSingleLine, words);
            x += room + gap;
        }
        return x;
    }

    // The title block; gives back where it ends.
    qreal titleBlock()
    {
        const Look title{fontOf(m_writer, 18, true), Navy, {}};
        const Look company{fontOf(m_writer, 12, true), Ink, {}};
        const Look stamp{fontOf(m_writer, 8), Grey, {}};
        const qreal titleHeight = QFontMetricsF(title.font).height();
        const qreal companyHeight = QFontMetricsF(company.font).height();
        const QRectF left(0, 0, m_width * 0.6, titleHeight);
        text(left, QStringLiteral("HBQ ORX - DRILL STATUS"), title, Qt::AlignLeft);
        text(left.translated(0, titleHeight), Company, company, Qt::AlignLeft);
        const QRectF right(m_width * 0.6, 0, m_width * 0.4, titleHeight);
        text(right, QStringLiteral("Year %1").arg(Year), title, Qt::AlignRight);
        const QDateTime now = Clock::now();
        text(QRectF(right.left(), titleHeight, right.width(), companyHeight),
             QStringLiteral("Status as of %1, %2")
                 .arg(DateText::longDate(now.date()), DateText::timeText(now.time())),
             stamp, Qt::AlignRight | Qt::AlignBottom);
        qreal top = titleHeight + companyHeight + mm(1);
        m_painter->setPen(QPen(Grey, points(0.75)));
        m_painter->drawLine(QPointF(0, top), QPointF(m_width, top));
        top += mm(1);
        const Look plain{fontOf(m_writer, 8.5), Ink, {}};
        const Look bold{fontOf(m_writer, 8.5, true), Ink, {}};
        const QRectF line(0, top, m_width, m_rowHeight * 1.5);
        runs(0, line,
             {{QString::number(m_counts.ships), &bold},
              {QStringLiteral("ships,"), &plain},
              {QString::number(m_counts.drills), &bold},
              {QStringLiteral("drills:"), &plain},
              {QString::number(m_counts.done), &bold},
              {QStringLiteral("done,"), &plain},
              {QString::number(m_counts.due), &bold},
              {QStringLiteral("due,"), &plain},
              {QString::number(m_counts.later), &bold},
              {QStringLiteral("later,"), &plain},
              {QString::number(m_counts.none), &bold},
              {QStringLiteral("not scheduled"), &plain}},
             QFontMetricsF(plain.font).horizontalAdvance(u' '));
        const Look legend{fontOf(m_writer, 7.5), Dark, {}};
        QList<std::pair<QString, const Look*>> keys;
        const char* words[] = {"drill done", "not done: overdue or within a month",
                               "not done: a month ahead or more"};
        for (int state = 1; state < 4; ++state) {
            keys.append({markOf(DrillState(state)), &m_looks.at(StateLooks + 2 * state + 1)});
            keys.append({QString::fromLatin1(words[state - 1]), &legend});
        }
        keys.append({QStringLiteral("blank: no scheduled date"), &legend});
        // Right-aligned: measured once to find where it starts.
        qreal width = 0;
        for (const auto& [words, look] : keys)
            width += QFontMetricsF(look->font).horizontalAdvance(words) +
                     (look->fill.isValid() ? 5 : 3) * m_padding;
        runs(m_width - width, line, keys, 3 * m_padding);
        return line.bottom();
    }

    void paintHeading(qreal top)
    {
        for (int c = 0; c < Columns; ++c) {
            const bool grouped = *Layout[c].group != '\0';
            const qreal titleTop = grouped ? top + m_groupHeight : top;
            if (grouped && (c == 0 || qstrcmp(Layout[c - 1].group, Layout[c].group) != 0))
                text(QRectF(m_left.at(c), top, m_left.at(c + 5) - m_left.at(c), m_groupHeight),
                     QString::fromLatin1(Layout[c].group), m_head,
                     Qt::AlignCenter | Qt::TextSingleLine);
            const Qt::Alignment across =
                Layout[c].alignment == Qt::AlignLeft ? Qt::AlignLeft : Qt::AlignHCenter;
            text(QRectF(m_left.at(c), titleTop, m_left.at(c + 1) - m_left.at(c),
                        top + m_groupHeight + m_titleHeight - titleTop),
                 QString::fromLatin1(Layout[c].title), grouped ? m_sub : m_head,
                 int(across | Qt::AlignVCenter) | Qt::TextWordWrap);
        }
        // The frame, the lines between the groups and below their titles, and between the
        // columns below them.
        const qreal groupBottom = top + m_groupHeight;
        grid(top, top + m_groupHeight + m_titleHeight, false);
        for (int c = 1; c < Columns; ++c)
            m_painter->drawLine(QPointF(m_left.at(c), c == 2 || c == 7 ? top : groupBottom),
                                QPointF(m_left.at(c), top + m_groupHeight + m_titleHeight));
        m_painter->drawLine(QPointF(m_left.at(2), groupBottom), QPointF(m_width, groupBottom));
    }

    qreal paintRows(qreal top, qsizetype first, qsizetype last)
    {
        const qreal start = top;
        for (qsizetype r = first; r < last; ++r) {
            const Row& row = m_rows.at(r);
            m_painter->fillRect(QRectF(0, top, m_width, m_rowHeight),
                                row.even ? QColor(0xf1, 0xf3, 0xf8) : QColor(Qt::white));
            for (int c = 0; c < Columns; ++c) {
                const Cell& cell = row.cells.at(c);
                text(QRectF(m_left.at(c), top, m_left.at(c + 1) - m_left.at(c), m_rowHeight),
                     cell.text, m_looks.at(cell.look), int(Layout[c].alignment | Qt::AlignVCenter));
            }
            top += m_rowHeight;
        }
        grid(start, top, true);
        for (qreal y = start + m_rowHeight; y < top - 1; y += m_rowHeight)
            m_painter->drawLine(QPointF(0, y), QPointF(m_width, y));
        return top;
    }

    // The frame of a band of the table, with the lines between its columns.
    void grid(qreal top, qreal bottom, bool columns)
    {
        m_painter->setPen(QPen(QColor(0x8c, 0x8c, 0x8c), points(0.75)));
        m_painter->setBrush(Qt::NoBrush);
        m_painter->drawRect(QRectF(0, top, m_width, bottom - top));
        for (int c = 1; c < Columns && columns; ++c)
            m_painter->drawLine(QPointF(m_left.at(c), top), QPointF(m_left.at(c), bottom));
    }

    void paintFoot(int page, int pages)
    {
        const QFont font = fontOf(m_writer, 7.5);
        const QFontMetricsF metrics(font);
        const qreal gap = mm(2.5);
        const QRectF foot(0, m_bodyHeight + gap, m_width, mm(9) - gap);
        m_painter->setFont(font);
        m_painter->setPen(QPen(QColor(0x55, 0x55, 0x55), 0));
        m_painter->drawLine(foot.topLeft(), foot.topRight());
        const QString number = QStringLiteral("Page %1 of %2").arg(page).arg(pages);
        const qreal titleRoom = m_width - metrics.horizontalAdvance(number) - mm(6);
        m_painter->drawText(foot, Qt::AlignRight | Qt::AlignVCenter, number);
        m_painter->drawText(QRectF(0, foot.top(), titleRoom, foot.height()),
                            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                            metrics.elidedText(m_title, Qt::ElideRight, titleRoom));
    }

    QPdfWriter& m_writer;
    QPainter* m_painter = nullptr;
    QList<Row> m_rows;
    Counts m_counts;
    QList<Look> m_looks;
    Look m_head, m_sub;
    QList<qreal> m_left;
    QString m_title;
    qreal m_padding = 0, m_width = 0, m_bodyHeight = 0;
    qreal m_rowHeight = 0, m_groupHeight = 0, m_titleHeight = 0;
};

void paintFloor(const ReportTable& table, const QString& fileName)
{
    Counts counts;
    QList<Row> rows = rowsOf(table, counts);
    QPdfWriter writer(fileName);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 12, 12, 8), QPageLayout::Millimeter));
    writer.setResolution(600);
    Floor(writer, std::move(rows), counts).paint();
}

void BM_PaintFloorToPdf(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
    const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("floor.pdf"));
    for (auto _ : state) {
        ReportTable table;
        if (!ReportTableReader::read(fleet.fixture.databasePath(), QStringLiteral("PrintDrills"),
                                     table)
                 .isEmpty())
            state.SkipWithError("the rows could not be read");
        paintFloor(table, pdf);
    }
}

} // namespace

#define FLEETS(name) BENCHMARK(name)->Arg(50)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)
FLEETS(BM_RefillPrintDrills);
FLEETS(BM_RefillPrintDrillsBare);
FLEETS(BM_RenderDrillStatusToPdf);
FLEETS(BM_PaintFloorToPdf);
