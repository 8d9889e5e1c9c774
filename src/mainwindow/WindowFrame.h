#pragma once

#include "mainwindow/FrameLayout.h"

#include <QList>
#include <QObject>

class QAction;
class QColor;
class QDateTime;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;
class Shell;

// The main window's frame around the drill grid: the command column, the title and year bar,
// the status line with the clock, and the maker's links. It says which command was chosen;
// what the command does is the window's business.
class WindowFrame : public QObject
{
    Q_OBJECT
public:
    // Builds the column and the title onto the window, which has its designed size.
    WindowFrame(QWidget& window, Shell& shell);

    // Lays the grid into the frame and builds the foot under it, so that Tab reaches the grid
    // before the links.
    void holdGrid(QWidget* grid);

    // The designed window keeps its look; a larger one gives its room to the grid, the title
    // and the status line, and a smaller one takes it from them.
    void fit(const QSize& size) const { m_layout.apply(size); }
    // Makes the window no larger than the room the screen offers, in its middle; of the
    // designed size where it fits.
    void fitToScreen();

    QString companyName() const;
    void showCompanyName(const QString& name);
    // The year bar: its caption, and by whom and when the year was closed if it was, also in
    // the caption's tip.
    void showYear(const QString& caption, const QString& closure);
    void enableYearSteps(bool previous, bool next);
    // The commands on the year, in the caption's menu.
    void addYearActions(const QList<QAction*>& actions);

    void showClock(const QDateTime& now);
    // A wait for another user is said at once, before the window stops answering for it; an
    // empty text ends it.
    void showLockWait(const QString& text);
    // Ends the wait that `text` said, unless another wait has been said since.
    void endLockWait(const QString& text);
    void showDatabaseInUse(const QString& database);
    // Why the window cannot write; empty when it can.
    void showStatusLine(const QString& text);

signals:
    void companyClicked();
    void fleetClicked();
    void evaluationFormClicked();
    void printPreviewClicked();
    void presentationClicked();
    void aboutClicked();
    void endProgramClicked();
    void previousYearClicked();
    void nextYearClicked();
    void dueDrillsClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCommandColumn();
    void buildTitleArea();
    void buildDueDrillsButton();
    void buildStatusBar();
    void buildLinks();
    void addLink(QLabel* link, const QString& target);
    bool linkEvent(QObject* link, QEvent* event);
    QLabel* titleLine(QLabel* line, const char* name, qreal points, const QColor& colour,
                      const QRect& twips);
    QPushButton* yearButton(const char* name, const QString& caption, int left);

    QWidget& m_window;
    Shell& m_shell;
    FrameLayout m_layout;
    QLabel* m_companyLabel = nullptr;
    QLabel* m_yearLabel = nullptr;
    QPushButton* m_previousYearButton = nullptr;
    QPushButton* m_nextYearButton = nullptr;
    QList<QLabel*> m_statusPanels;
    QLabel* m_siteLink = nullptr;
};
