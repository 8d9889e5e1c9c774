#pragma once

#include "common/Ticker.h"
#include "data/DrillDataSource.h"

#include <QList>
#include <QObject>
#include <QPoint>

class DrillGridEditor;
class Messages;
class QAction;
class QShortcut;
class QWidget;
class ShipTableModel;

// The year the drill grid shows: reading it, stepping to the year before or after, closing and
// reopening it. The year bar shows what it says through its signals.
class YearController : public QObject
{
    Q_OBJECT
public:
    // The new ships' reload comes from the tickers; the window takes the year's keys.
    YearController(DrillGridEditor& drills, Messages& messages, Tickers& tickers, QWidget& window);
    ~YearController() override;

    // The database is open: the grid shows this year's drills from now on.
    void attach(DrillDataSource& data, ShipTableModel& ships);

    // Reads the shown year again, waiting for it with the window painting meanwhile. False
    // when it could not be read; the user has been told, and the grid and the caption show the
    // year read before (none at the first load).
    bool load();
    // Shows the current year, as at program start; false as load().
    bool loadCurrentYear();
    int shownYear() const { return m_year; }

    // One year back (-1) or on (+1) from the year on its way, where the year bar allows it.
    void step(int by);
    // "Close Year..." and "Reopen Year...", on the year's caption and by key.
    QList<QAction*> actions() const { return m_actions; }
    // The fleet's Save: new ships get their rows now, and the year is read again once the
    // fleet's list has settled.
    void fleetSaved();

signals:
    // The year bar's caption; closure says by whom and when the year was closed, if it was.
    void captionChanged(const QString& caption, const QString& closure);
    void stepsEnabled(bool previous, bool next);
    // A read that waits says so; an empty text ends it.
    void waitShown(const QString& text);
    // A year has arrived in the grid, or the grid kept its year.
    void yearShown();

private:
    void setYearCaption(int year);
    void showYear(int year);
    void startLoad(int year);
    void loaded(int year, DrillDataSource::Load load);
    void cancelYearChange();
    void endLoad();
    void enableSteps(int year);
    void addRowsForNewShips();
    void addNewShipsAndReload();
    // True when the shown year is closed: the user has been told by whom and when, and no edit
    // may begin.
    bool refuseClosedYearEdit();
    void closeShownYear();
    void reopenShownYear();
    DrillDataSource::ClosureChange
    changeClosure(const QString& waiting,
                  const std::function<DrillDataSource::ClosureChange()>& change);
    static QString whyNot(const DrillDataSource::ClosureChange& failed);
    void rereadClosure();
    void showYearClosure();

    DrillGridEditor& m_drills;
    Messages& m_messages;
    QWidget& m_window;
    DrillDataSource* m_data = nullptr;
    ShipTableModel* m_ships = nullptr;
    QList<QAction*> m_actions;
    Ticker* m_newShipsTimer = nullptr;
    QShortcut* m_cancelYearChange = nullptr; // Escape, while another year is read
    int m_year = 0;
    QPoint m_loadCursor; // the keyboard's cell (column, row) when a year load began
    bool m_previousAllowed = false;
    bool m_nextAllowed = false;
};
