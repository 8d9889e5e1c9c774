#pragma once

#include "Fixture.h"
#include "KeptTickers.h"
#include "common/Clock.h"
#include "data/DatabaseWorker.h"
#include "data/DrillStore.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridEditor.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/YearController.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <optional>

// The day the window tests are set on, mid-June 2026, in the locale their typed dates follow.
inline void setTheTestDay()
{
    Clock::setFixed(QDateTime(QDate(2026, 6, 15), QTime(10, 0)));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// The main window over a fresh fixture folder, loaded as at program start.
struct LoadedWindow
{
    explicit LoadedWindow(const QStringList& ships = {}) : fixture(ships) {}
    explicit LoadedWindow(int shipCount) : fixture(shipCount) {}

    bool load()
    {
        window = std::make_unique<MainWindow>(fixture.folder(), messages, shell, tickers);
        if (database)
            window->setDatabase(*database);
        return window->fillWindow();
    }

    // Loads, shows and activates the window, and lets its first steps run.
    bool loadAndShow()
    {
        if (!load())
            return false;
        window->show();
        QApplication::setActiveWindow(window.get());
        return QTest::qWaitForWindowExposed(window.get()) && settle();
    }

    // Waits until the deferred steps that are due have run, and a year being read has arrived
    // (the busy cursor shows until then).
    bool settle() const
    {
        Ticker* newShips = tickers[Ticker::Step::NewShips];
        return QTest::qWaitFor(
            [newShips] { return !newShips->isActive() && !QGuiApplication::overrideCursor(); });
    }

    // Reads the shown year again, as the window does once the fleet's list has settled.
    bool reloadYear() const { return window->findChild<YearController*>()->load(); }

    // Runs a statement on the connection that does the window's drill work, on its thread.
    bool execOnWorker(const QString& sql) const
    {
        auto* worker = window->findChild<DatabaseWorker*>();
        std::optional<bool> done;
        worker->post(
            worker,
            [sql](DrillStore& store) { return QSqlQuery(store.database().connection()).exec(sql); },
            [&](bool executed) { done = executed; });
        return QTest::qWaitFor([&] { return done.has_value(); }) && *done;
    }

    // Clicks the button, and waits for what it began, as a user waits for the window.
    void press(const char* button) const
    {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
        settle();
    }

    // The year the year bar names.
    int shownYear() const { return child<QLabel>("yearLabel")->text().section(u' ', 2, 2).toInt(); }

    DrillGridView* grid() const { return child<DrillGridView>("drillGrid"); }
    const QAbstractItemModel* model() const { return grid()->model(); }
    int shipRows() const { return model()->rowCount(); }

    // The grid row showing the ship; -1 when none does.
    int rowOf(const QString& ship) const
    {
        for (int row = 0; row < shipRows(); ++row) {
            if (model()->index(row, DrillColumns::ShipNameColumn).data() == ship)
                return row;
        }
        return -1;
    }
    QModelIndex cellOf(const QString& ship, DrillRecord::Column field) const
    {
        return model()->index(rowOf(ship), DrillColumns::columnOf(field));
    }
    QString cellText(const QString& ship, DrillRecord::Column field) const
    {
        return cellOf(ship, field).data().toString();
    }
    // The colour the cell's text is drawn in.
    QColor cellColour(const QString& ship, DrillRecord::Column field) const
    {
        const QVariant brush = cellOf(ship, field).data(Qt::ForegroundRole);
        return brush.isValid() ? brush.value<QBrush>().color() : QColor(Qt::black);
    }
    // The ship and field of the grid's current cell, as "MV Alpha/Master".
    QString currentCell() const
    {
        const QModelIndex current = grid()->currentIndex();
        if (!current.isValid())
            return {};
        return model()->index(current.row(), DrillColumns::ShipNameColumn).data().toString() +
               u'/' + model()->headerData(current.column(), Qt::Horizontal).toString() + u'/' +
               model()
                   ->headerData(current.column(), Qt::Horizontal, DrillYearModel::DrillCaptionRole)
                   .toString();
    }

    // The open edit box, or its button; nullptr when none is shown.
    QLineEdit* box() const { return shown<QLineEdit>("editBox"); }
    QToolButton* pickButton() const { return shown<QToolButton>("pickButton"); }
    // The questionnaire once it is shown (a drill's answers are read in the background first);
    // nullptr when it did not open.
    QWidget* openedQuestionnaire() const
    {
        auto* panel = child<QWidget>("evaluationPanel");
        return QTest::qWaitFor([panel] { return panel->isVisible(); }) ? panel : nullptr;
    }

    // Scrolls the body until the cell is in view, as a user drags the scroll bars.
    void scrollToCell(const QString& ship, DrillRecord::Column field) const
    {
        grid()->scrollTo(cellOf(ship, field));
    }

    // Clicks the cell where it is shown now, as a user would, without scrolling it first; at
    // `where` inside the cell (its centre by default). False when that point is not on screen.
    bool clickCell(const QModelIndex& index, std::optional<QPoint> where = {}) const
    {
        const QRect cell = grid()->cellRect(index);
        const QPoint point = where ? cell.topLeft() + *where : cell.center();
        if (!index.isValid() || !cell.contains(point) || !grid()->rect().contains(point))
            return false;
        // Whatever lies on top there takes the click: a panel open over the grid, for one.
        const QPoint inWindow = grid()->mapTo(window.get(), point);
        QWidget* target = window->childAt(inWindow);
        if (!target)
            return false;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window.get(), inWindow));
        return true;
    }
    bool clickCell(const QString& ship, DrillRecord::Column field,
                   std::optional<QPoint> where = {}) const
    {
        return rowOf(ship) >= 0 && clickCell(cellOf(ship, field), where);
    }
    // One step of the mouse wheel over the middle of the grid's body.
    void wheelDown() const
    {
        QWidget* body = grid()->viewport();
        const QPoint at = body->rect().center();
        QWheelEvent wheel(at, body->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(body, &wheel);
    }

    template <typename T> T* shown(const char* name) const
    {
        for (T* widget : window->findChildren<T*>(QString::fromLatin1(name))) {
            if (widget->isVisible())
                return widget;
        }
        return nullptr;
    }
    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    Fixture fixture; // the application folder, and the database unless another one is named
    std::optional<DatabaseLocation> database;
    RecordingMessages messages;
    RecordingShell shell;
    KeptTickers tickers;
    std::unique_ptr<MainWindow> window;
};
