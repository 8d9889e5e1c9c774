#pragma once

#include "Fixture.h"
#include "common/Clock.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/MainWindow.h"
#include "widgets/FlexGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QTest>
#include <QTimer>
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
        window = std::make_unique<MainWindow>(fixture.folder(), messages, shell);
        if (database)
            window->setDatabase(*database);
        return window->fillWindow();
    }

    // Loads, shows and activates the window, and lets its first refresh run.
    bool loadAndShow()
    {
        if (!load())
            return false;
        window->show();
        QApplication::setActiveWindow(window.get());
        grid = child<FlexGrid>("drillGrid");
        return QTest::qWaitForWindowExposed(window.get()) && settle();
    }

    // Waits until the deferred steps that are due have run.
    bool settle() const
    {
        for (const char* name : {"editCommitTimer", "newShipsTimer"}) {
            auto* timer = child<QTimer>(name);
            if (!QTest::qWaitFor([timer] { return !timer->isActive(); }))
                return false;
        }
        return true;
    }

    // Runs the commit-and-refresh step now, as its timer's tick would.
    void tick() const
    {
        QMetaObject::invokeMethod(child<QTimer>("editCommitTimer"), "timeout",
                                  Qt::DirectConnection);
    }

    void press(const char* button) const
    {
        QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton);
    }

    // Scrolls the body until the cell is in view, as a user drags the scroll bars.
    bool scrollToCell(int row, int col) const
    {
        grid->scrollTo(grid->model()->index(row, col));
        return settle();
    }

    // Clicks the cell where it is shown now, as a user would, without scrolling it first; at
    // `where` inside the cell (its centre by default). False when that point is not on screen.
    bool clickCell(int row, int col, std::optional<QPoint> where = {}) const
    {
        const QRect cell = grid->cellRect(row, col);
        const QPoint point = where ? cell.topLeft() + *where : cell.center();
        if (!grid->viewport()->geometry().contains(point) || !cell.contains(point))
            return false;
        // Whatever lies on top there takes the click: a panel open over the grid, for one.
        const QPoint inWindow = grid->mapTo(window.get(), point);
        QWidget* target = window->childAt(inWindow);
        if (!target)
            return false;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window.get(), inWindow));
        return true;
    }

    // The grid row showing the ship; 0 when none does.
    int rowOf(const QString& ship) const
    {
        for (int row = grid->fixedRows(); row < grid->rows(); ++row) {
            if (grid->textMatrix(row, DrillColumns::ShipNameColumn) == ship)
                return row;
        }
        return 0;
    }
    static int colOf(DrillRecord::Column field) { return DrillColumns::columnOf(field); }
    QString cellText(const QString& ship, DrillRecord::Column field) const
    {
        return grid->textMatrix(rowOf(ship), colOf(field));
    }
    bool clickCell(const QString& ship, DrillRecord::Column field,
                   std::optional<QPoint> where = {}) const
    {
        return rowOf(ship) > 0 && clickCell(rowOf(ship), colOf(field), where);
    }
    // One step of the mouse wheel over the middle of the grid's body.
    void wheelDown() const
    {
        QWidget* body = grid->viewport();
        const QPoint at = body->rect().center();
        QWheelEvent wheel(at, body->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(body, &wheel);
    }

    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    Fixture fixture; // the application folder, and the database unless another one is named
    std::optional<DatabaseLocation> database;
    RecordingMessages messages;
    RecordingShell shell;
    std::unique_ptr<MainWindow> window;
    FlexGrid* grid = nullptr;
};
