#include "mainwindow/MainWindow.h"

#include "about/AboutBox.h"
#include "app/AccessOffer.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "data/Backups.h"
#include "data/ChangeHistory.h"
#include "data/ChangeWatch.h"
#include "data/CompanyTable.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/PrintDrillsTable.h"
#include "data/ServerProbe.h"
#include "data/ShipTableModel.h"
#include "data/YearClosure.h"
#include "due/DueDrillsWindow.h"
#include "evaluation/EvaluationPanel.h"
#include "history/HistoryWindow.h"
#include "mainwindow/CompanyPanel.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"
#include "mainwindow/FleetPanel.h"
#include "mainwindow/FrameLayout.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"
#include "widgets/Artwork.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Look.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QTimer>

#include <QWindow>
#include <algorithm>
#include <utility>

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor LinkBlue(0x00, 0x00, 0xFF);
constexpr int ShadeOffsetTwips = 100;
// How far a window may be smaller than designed: the status line's second panel gives up most
// of its width, and the pictures of the command column close up on the buttons above them.
constexpr int SpareWidthTwips = 3000;
constexpr int SpareHeightTwips = 500;

// The maker's links; plainly fictional.
const QString SiteUrl = QStringLiteral("https://www.hbq-marine.example/");

using Look::place;

QString madeBy()
{
    return MainWindow::tr("Made by HBQ Marine Software (example)");
}

constexpr int FirstYear = 2000;

QString yearCaption(int year)
{
    return QStringLiteral("Year - %1").arg(year);
}

enum class YearLoad
{
    Read,
    RowsNotMade,
    NotRead
};

// Reads the drills of a year into the data source, first giving every ship its row when the
// year has none. A year whose rows could not be made is read, and shown, as the empty year it
// still is.
YearLoad readYear(DrillDataSource& data, const ShipTableModel& fleet, int year)
{
    data.setYear(year);
    if (!data.refresh())
        return YearLoad::NotRead;
    if (data.recordCount() > 0 || !fleet.hasShips())
        return YearLoad::Read;
    if (!data.addFleetYear())
        return YearLoad::RowsNotMade;
    return data.refresh() ? YearLoad::Read : YearLoad::NotRead;
}

// What the user is told when a year could not be loaded; shownYear is the year on screen.
QString loadFailureText(YearLoad load, int year, int shownYear)
{
    if (load == YearLoad::RowsNotMade)
        return MainWindow::tr("The drill rows of %1 could not be created; nothing was stored.")
            .arg(year);
    const QString outcome = shownYear == 0
                                ? MainWindow::tr("The program will now end.")
                                : MainWindow::tr("The grid shows %1 again.").arg(shownYear);
    return MainWindow::tr("The drills of %1 could not be read. %2").arg(year).arg(outcome);
}

constexpr int PanelLeftTwips = 2280;
constexpr int PanelTopTwips = 120;

const QColor ShadeGrey(0x40, 0x40, 0x40);

QAction* windowAction(QWidget* owner, const char* name, const QString& text,
                      const QKeySequence& key)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

} // namespace

MainWindow::MainWindow(QString applicationFolder, Messages& messages, Shell& shell, QWidget* parent)
    : QWidget(parent), m_folder(std::move(applicationFolder)),
      m_location(DatabaseLocation::file(
          AppFolder::file(m_folder, QString::fromLatin1(AppFolder::DatabaseFileName)))),
      m_messages(messages), m_shell(shell)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ProgramTitle + u' ');
    resize(Twips::toPx(15105), Twips::toPx(8895));
    buildCommandColumn();
    buildTitleArea();
    buildDueDrillsButton();
    buildTimers();
    buildGrid();
    buildStatusBar();
    buildLinks();

    buildPanels();
    buildHistoryActions();
    buildFrameLayout();
}

MainWindow::~MainWindow()
{
    // The grid, its editor and the panels read the year's drills and the ships until they are
    // gone; they go first, while the data they read is still there.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void MainWindow::buildCommandColumn()
{
    m_commandColumn = new QFrame(this);
    m_commandColumn->setObjectName(QStringLiteral("commandColumn"));
    Look::fillBackground(m_commandColumn, Navy);
    place(m_commandColumn, 60, 90, 2205, 8445);

    Look::picture(m_commandColumn, "productLogo", tr("HBQ ORX Drill Organizer logo"),
                  Artwork::productLogo, QRect(0, 0, 2145, 2115));
    Look::picture(m_commandColumn, "shipPicture", tr("A ship at sea"), Artwork::ship,
                  QRect(0, 4300, 2145, 1500));
    Look::picture(m_commandColumn, "lifebuoyPicture", tr("A lifebuoy"), Artwork::lifebuoy,
                  QRect(622, 6000, 900, 900));

    struct Button
    {
        const char* name;
        QString caption;
        int top;
    };
    const Button buttons[] = {
        {"companyButton", QStringLiteral("Company"), 2190},
        {"fleetButton", QStringLiteral("Update Fleet"), 2580},
        {"evaluationFormButton", QStringLiteral("Evaluation Form"), 2970},
        {"printPreviewButton", QStringLiteral("Print Preview"), 3360},
        {"presentationButton", QStringLiteral("Drill Presentation"), 7200},
        {"aboutButton", QStringLiteral("About Program"), 7590},
        {"endProgramButton", QStringLiteral("End Program"), 7980},
    };
    for (const Button& entry : buttons) {
        auto* button = new QPushButton(entry.caption, m_commandColumn);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setFont(Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25));
        place(button, 0, entry.top, 2145, 375);
    }
    const auto onClick = [this](const char* name, void (MainWindow::*handler)()) {
        connect(m_commandColumn->findChild<QPushButton*>(QString::fromLatin1(name)),
                &QPushButton::clicked, this, handler);
    };
    onClick("printPreviewButton", &MainWindow::showStatusReport);
    onClick("presentationButton", &MainWindow::openPresentation);
    onClick("aboutButton", &MainWindow::showAboutBox);
    onClick("endProgramButton", &MainWindow::askToEndProgram);
}

void MainWindow::buildTitleArea()
{
    Look::picture(this, "titleBanner", tr("Title banner"), Artwork::banner,
                  QRect(2370, 120, 12585, 450));
    Look::picture(this, "shipBanner", tr("A ship"), Artwork::ship, QRect(13230, 210, 1575, 255));

    m_gridTitle = new QLabel(QStringLiteral("HBQ ORX - DRILL STATUS"), this);
    m_gridTitle->setObjectName(QStringLiteral("gridTitle"));
    m_gridTitle->setFont(Look::font(QStringLiteral("Verdana"), 12, true));
    m_gridTitle->setAlignment(Qt::AlignCenter);
    Look::setTextColour(m_gridTitle, Qt::white);
    place(m_gridTitle, 2370, 90, 12615, 495);

    m_companyLabel = new ElidingLabel(this);
    m_companyLabel->setObjectName(QStringLiteral("companyLabel"));
    m_companyLabel->setAccessibleDescription(tr("Company name"));
    m_companyLabel->setFont(Look::font(QStringLiteral("Verdana"), 11, true));
    m_companyLabel->setAlignment(Qt::AlignCenter);
    Look::setTextColour(m_companyLabel, Navy);
    place(m_companyLabel, 2370, 630, 12615, 345);

    const QFont buttonFont = Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25);
    m_previousYearButton = new QPushButton(QStringLiteral("< Previous Year"), this);
    m_previousYearButton->setObjectName(QStringLiteral("previousYearButton"));
    m_previousYearButton->setFont(buttonFont);
    place(m_previousYearButton, 2370, 1050, 1650, 405);
    connect(m_previousYearButton, &QPushButton::clicked, this, &MainWindow::showPreviousYear);

    m_yearLabel = new QLabel(this);
    m_yearLabel->setObjectName(QStringLiteral("yearLabel"));
    m_yearLabel->setFont(Look::font(QStringLiteral("Verdana"), 13.5, true));
    m_yearLabel->setAlignment(Qt::AlignCenter);
    Look::setTextColour(m_yearLabel, Navy);
    place(m_yearLabel, 4020, 1050, 9315, 405);

    m_nextYearButton = new QPushButton(QStringLiteral("Next Year >"), this);
    m_nextYearButton->setObjectName(QStringLiteral("nextYearButton"));
    m_nextYearButton->setFont(buttonFont);
    m_nextYearButton->setEnabled(false); // the current year is shown first
    place(m_nextYearButton, 13350, 1050, 1650, 405);
    connect(m_nextYearButton, &QPushButton::clicked, this, &MainWindow::showNextYear);
}

void MainWindow::buildStatusBar()
{
    m_statusBar = new QFrame(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setMouseTracking(true);
    m_statusBar->installEventFilter(this);
    m_statusBar->setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    place(m_statusBar, 0, 8610, 15105, 285);
    const QString texts[] = {ProgramTitle, madeBy(), {}, {}, {}};
    const int widths[] = {2500, 4000, 1500, 3000, 3900};
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        // The second panel tells what the program waits for, a text of any length: whole in
        // its tip where it does not fit.
        QLabel* panel = i == 1 ? new ElidingLabel(m_statusBar) : new QLabel(m_statusBar);
        panel->setText(texts[i]);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMouseTracking(true);
        panel->installEventFilter(this);
        place(panel, left, 0, widths[i], 285);
        left += widths[i];
        m_statusPanels.append(panel);
    }
    m_statusPanels.last()->setAccessibleDescription(tr("Date and time"));
}

// A wait for another user is said at once, before the window stops answering for it.
void MainWindow::showLockWait(const QString& text)
{
    QLabel* panel = m_statusPanels.at(1);
    panel->setText(text.isEmpty() ? madeBy() : text);
    panel->repaint();
}

void MainWindow::buildLinks()
{
    auto* siteLinkBox = new QWidget(this);
    siteLinkBox->setObjectName(QStringLiteral("siteLinkBox"));
    place(siteLinkBox, 6600, 8670, 1455, 225);
    m_siteLink = new QLabel(QStringLiteral("hbq-marine.example"), siteLinkBox);
    m_siteLink->setObjectName(QStringLiteral("siteLink"));
    m_siteLink->setToolTip(QStringLiteral("HBQ Website"));
    QFont siteFont = Look::font(QStringLiteral("Verdana"), 6.75);
    siteFont.setStretch(QFont::SemiCondensed); // the whole address fits the status panel
    m_siteLink->setFont(siteFont);
    Look::setTextColour(m_siteLink, Qt::black);
    place(m_siteLink, 60, 0, 1395, 225);
    addLink(m_siteLink, SiteUrl);

    auto* socialLinks = new QWidget(this);
    socialLinks->setObjectName(QStringLiteral("socialLinks"));
    place(socialLinks, 8100, 8670, 2775, 255);
    auto* followLabel = new QLabel(QStringLiteral("follow us..."), socialLinks);
    followLabel->setObjectName(QStringLiteral("followLabel"));
    followLabel->setFont(Look::font(QStringLiteral("Verdana"), 6.75));
    place(followLabel, 330, 0, 915, 240);

    struct Icon
    {
        const char* name;
        Artwork::LinkIcon picture;
        int left;
        QString tip;
        QString target;
    };
    const Icon icons[] = {
        {"facebookLink", Artwork::LinkIcon::Facebook, 1290, QStringLiteral("HBQ Facebook page"),
         QStringLiteral("https://facebook.example.com/hbq-marine")},
        {"linkedinLink", Artwork::LinkIcon::LinkedIn, 1590, QStringLiteral("HBQ LinkedIn page"),
         QStringLiteral("https://linkedin.example.com/company/hbq-marine")},
        {"twitterLink", Artwork::LinkIcon::Twitter, 1890, QStringLiteral("HBQ Twitter page"),
         QStringLiteral("https://twitter.example.com/hbq_marine")},
        {"blogLink", Artwork::LinkIcon::Blog, 2190, QStringLiteral("HBQ Blog"),
         QStringLiteral("https://blog.hbq-marine.example/")},
        {"mailLink", Artwork::LinkIcon::Mail, 2490, QStringLiteral("email to HBQ Sales"),
         QStringLiteral("mailto:sales@hbq-marine.example")},
    };
    for (const Icon& icon : icons) {
        auto* label = new QLabel(socialLinks);
        label->setObjectName(QString::fromLatin1(icon.name));
        label->setPixmap(Artwork::linkIcon(icon.picture, Twips::toPx(240)));
        label->setToolTip(icon.tip);
        place(label, icon.left, 0, 240, 240);
        addLink(label, icon.target);
    }
}

void MainWindow::addLink(QLabel* link, const QString& target)
{
    link->setProperty("linkTarget", target);
    link->setCursor(Qt::PointingHandCursor);
    link->setFocusPolicy(Qt::TabFocus);
    // A link with text is read by its text; an icon by what its tip says.
    if (link->text().isEmpty())
        link->setAccessibleName(link->toolTip());
    else
        link->setAccessibleDescription(link->toolTip());
    link->installEventFilter(this);
}

void MainWindow::buildTimers()
{
    m_clockTimer = new QTimer(this);
    m_clockTimer->setObjectName(QStringLiteral("clockTimer"));
    m_clockTimer->setInterval(60000);
    connect(m_clockTimer, &QTimer::timeout, this, &MainWindow::tickClock);

    m_newShipsTimer = new QTimer(this);
    m_newShipsTimer->setObjectName(QStringLiteral("newShipsTimer"));
    m_newShipsTimer->setInterval(100);
    m_newShipsTimer->setSingleShot(true);
    connect(m_newShipsTimer, &QTimer::timeout, this, &MainWindow::addNewShipsAndReload);

    m_reconnectTimer = new QTimer(this);
    m_reconnectTimer->setObjectName(QStringLiteral("reconnectTimer"));
    m_reconnectTimer->setInterval(2000);
    connect(m_reconnectTimer, &QTimer::timeout, this, &MainWindow::tryReconnect);

    m_aliveTimer = new QTimer(this);
    m_aliveTimer->setObjectName(QStringLiteral("aliveTimer"));
    m_aliveTimer->setInterval(5000);
    connect(m_aliveTimer, &QTimer::timeout, this, &MainWindow::checkServerAlive);
}

bool MainWindow::fillWindow()
{
    const auto working = [](bool on) {
        on ? QGuiApplication::setOverrideCursor(Qt::WaitCursor)
           : QGuiApplication::restoreOverrideCursor();
    };
    if (!AccessOffer::settle(m_location, m_accessCodePage, m_messages, Clock::now(), working))
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_db = std::make_unique<DrillDatabase>(m_location);
    const QString problem = m_db->open();
    if (!problem.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        problem + newestBackupSentence() +
                            QStringLiteral("\n\nThe program will now end."));
        return false;
    }
    if (!m_db->notice().isEmpty())
        m_messages.tell(Messages::Icon::Information, ProgramTitle, m_db->notice());
    makeDailyBackup();
    showDatabaseInUse();
    m_ships = std::make_unique<ShipTableModel>(m_db->connection());
    m_ships->refresh();
    m_fleetPanel->setShips(m_ships.get());
    m_ships->setDuplicateCheck([this](const QString& name) {
        return m_messages.askYesNo(ProgramTitle,
                                   tr("There is already a ship named %1. Add another?").arg(name));
    });
    connect(m_ships.get(), &ShipTableModel::nameTooLong, this, [this] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("A ship's name has at most %1 characters, so that every report prints "
                           "it whole. The name was not changed.")
                            .arg(ShipTableModel::MaxNameLength));
    });
    connect(m_ships.get(), &ShipTableModel::nameRequired, this, [this] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Every ship needs a name. The name was not changed."));
    });
    connect(m_ships.get(), &ShipTableModel::nameChangedByOtherUser, this,
            &MainWindow::shipRenamedByOtherUser);
    connect(m_ships.get(), &ShipTableModel::writeFailed, this, [this](const QString& reason) {
        if (!tellIfConnectionLost(tr("The change to the fleet was not stored.")))
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The fleet could not be changed: %1").arg(reason));
    });
    m_yearDrills = std::make_unique<DrillDataSource>(*m_db);
    m_drills->bind(*m_yearDrills);
    m_drills->setEditGuard([this] { return refuseClosedYearEdit(); });
    // The kept closure may be older than the refusal: another program may have closed the year.
    m_drills->setClosedMeanwhileCheck([this] {
        m_yearDrills->refreshClosure();
        showYearClosure();
        return refuseClosedYearEdit();
    });
    if (PrintDrillsTable::followsEdits(*m_db))
        m_drills->setAlongside([this] {
            return PrintDrillsTable::refillWithin(*m_db, shownYear(), m_companyLabel->text(),
                                                  Clock::now());
        });
    connect(m_yearDrills.get(), &DrillDataSource::refreshed, this, &MainWindow::showYearClosure);
    setYearCaption(Clock::today().year());
    if (!loadYear()) {
        QGuiApplication::restoreOverrideCursor();
        return false;
    }
    tickClock();
    buildEvaluationPanel();
    readCompanyName();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("SplashScreen"))
            window->close();
    }
    watchOtherUsers();
    showAccess();
    m_drills->focusFirstDrillCell();
    m_clockTimer->start();
    QGuiApplication::restoreOverrideCursor();
    return true;
}

// The first panel keeps the program's name; which database is in use is in its tip, which a
// screen reader reads as well.
void MainWindow::showDatabaseInUse()
{
    const QString inUse = tr("Database: %1").arg(m_db->location().display());
    m_statusPanels.first()->setToolTip(inUse);
    m_statusPanels.first()->setAccessibleDescription(inUse);
}

// A server keeps its own backups; the program copies only a file.
void MainWindow::makeDailyBackup()
{
    if (m_db->engine() != DatabaseLocation::Engine::Sqlite)
        return;
    // Only a file that passed its checks is copied, and before anything is written to it.
    const QString backupFailure = Backups::makeDailyOrSayWhy(m_db->filePath());
    if (!backupFailure.isEmpty())
        m_messages.tell(Messages::Icon::Critical, ProgramTitle, backupFailure);
}

QString MainWindow::newestBackupSentence() const
{
    if (m_db->engine() != DatabaseLocation::Engine::Sqlite ||
        m_db->problem() != DrillDatabase::Problem::Damaged)
        return {};
    return QStringLiteral("\n\n") + Backups::restoreAdvice(m_db->filePath());
}

void MainWindow::readCompanyName()
{
    if (const auto name = CompanyTable(*m_db).name())
        setCompanyName(*name);
}

void MainWindow::setCompanyName(const QString& name)
{
    m_companyLabel->setText(name);
    m_evaluationPanel->setCompanyName(name);
}

void MainWindow::hidePanels()
{
    for (QWidget* panel : std::as_const(m_floatingPanels))
        panel->hide();
    m_shade->hide();
}

void MainWindow::addFloatingPanel(QWidget* panel)
{
    m_floatingPanels.append(panel);
    panel->installEventFilter(this);
}

// An open panel lies in front of the grid: the grid takes no clicks, keys or wheel until the
// panel is closed, so nothing typed or clicked there can reach a cell the panel did not mean.
void MainWindow::panelShownOrHidden(QWidget* panel)
{
    const bool anyOpen = std::any_of(m_floatingPanels.cbegin(), m_floatingPanels.cend(),
                                     [](const QWidget* open) { return !open->isHidden(); });
    const bool wasBlocked = !m_drillGrid->isEnabled();
    m_drillGrid->setEnabled(!anyOpen);
    if (!panel->isHidden())
        focusFirstControl(panel);
    else if (wasBlocked && !anyOpen)
        m_drillGrid->setFocus(Qt::OtherFocusReason);
    // After the step that closed the panel (a saved total is written to its row first).
    if (!anyOpen && m_othersChanged)
        QTimer::singleShot(0, this, &MainWindow::otherUsersChanged);
}

void MainWindow::focusFirstControl(QWidget* panel)
{
    const auto controls = panel->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() &&
            control->isVisibleTo(panel)) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void MainWindow::showPanel(QWidget* panel, int left, int top)
{
    hidePanels();
    panel->move(Twips::toPx(left), Twips::toPx(top));
    layShade(panel, m_shade);
}

void MainWindow::layShade(QWidget* panel, QWidget* shade)
{
    const int offset = Twips::toPx(ShadeOffsetTwips);
    // In a window smaller than designed the whole panel and its shade stay in view.
    panel->move(std::max(0, std::min(panel->x(), width() - panel->width() - offset)),
                std::max(0, std::min(panel->y(), height() - panel->height() - offset)));
    panel->show();
    panel->raise();
    shade->show();
    shade->setGeometry(panel->x() + offset, panel->y() + offset, panel->width(), panel->height());
    shade->stackUnder(panel);
}

// Before a report: the open edit is stored, and the report table holds the year as shown.
bool MainWindow::storePendingEdit()
{
    hidePanels();
    m_drills->storeEdit();
    return m_reportCurrent || !PrintDrillsTable::followsEdits(*m_db) || refillReportTable();
}

void MainWindow::tickClock()
{
    m_statusPanels.last()->setText(DateText::clockText(Clock::now()));
    m_drills->recolour(); // past midnight, other drills are due
}

void MainWindow::openPresentation()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    hidePanels();
    // A missing file or viewer shows nothing: the guidance is optional.
    const QString presentation =
        AppFolder::programFile(m_folder, QStringLiteral("HBQORXDRILLGUIDANCE.pps"));
    if (QFileInfo::exists(presentation))
        m_shell.open(QUrl::fromLocalFile(presentation));
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::showAboutBox()
{
    hidePanels();
    AboutBox about(m_messages, m_shell, this);
    about.showDataFile(m_db->location().display());
    about.exec();
}

void MainWindow::askToEndProgram()
{
    m_drills->storeEdit(); // one that cannot be stored stays in its box, and the user was told
    if (m_messages.askYesNo(QStringLiteral("EXIT"),
                            QStringLiteral("Do you really want to exit P R O G R A M ?"))) {
        // Everything is stored by now: the windows go at the answer, not after the clean-up.
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QCoreApplication::exit(0);
    }
}

// The designed window keeps its look; a larger one gives its room to the grid, the title and
// the status line, and a smaller one takes it from them, down to where every part still shows.
void MainWindow::buildFrameLayout()
{
    m_frame = std::make_unique<FrameLayout>(size());
    using F = FrameLayout;
    const auto follow = [this](const char* name, int how) {
        m_frame->add(findChild<QWidget*>(QString::fromLatin1(name)), how);
    };
    follow("commandColumn", F::Taller);
    for (const char* low : {"shipPicture", "lifebuoyPicture", "presentationButton", "aboutButton",
                            "endProgramButton"})
        follow(low, F::Bottom);
    findChild<QLabel*>(QStringLiteral("titleBanner"))->setScaledContents(true);
    for (const char* wide : {"titleBanner", "gridTitle", "companyLabel", "yearLabel"})
        follow(wide, F::Wider);
    for (const char* right : {"shipBanner", "nextYearButton", "dueDrillsButton"})
        follow(right, F::Right);
    m_frame->add(m_drillGrid, F::Wider | F::Taller);
    follow("statusBar", F::Bottom | F::Wider);
    // The second panel, for what the program is waiting for, takes the status line's room.
    follow("statusPanel2", F::Wider);
    for (const char* right : {"statusPanel3", "statusPanel4", "statusPanel5"})
        follow(right, F::Right);
    for (const char* link : {"siteLinkBox", "socialLinks"})
        follow(link, F::Bottom | F::Right);
    setMinimumSize(size() - QSize(Twips::toPx(SpareWidthTwips), Twips::toPx(SpareHeightTwips)));
}

void MainWindow::fitToScreen()
{
    const QScreen* shownOn = screen();
    if (!shownOn)
        return;
    // The desktop's frame around the window, where it is known yet; else room for a title bar.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = QMargins(0, style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    const QRect room = shownOn->availableGeometry();
    resize(
        m_frame->designedSize().boundedTo(room.size().shrunkBy(frame)).expandedTo(minimumSize()));
    // A window moves by its frame's corner.
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size().grownBy(frame), room)
             .topLeft());
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    m_frame->apply(size());
    QWidget::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window is only ever left through the exit question.
    event->ignore();
    askToEndProgram();
}

// The Menu key and Shift+F10 open a grid's menu at its current cell, where the user works; the
// menu Qt opens for the key lies at the grid's corner, over its caption.
void MainWindow::openMenuAtCell(QAbstractItemView* grid)
{
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QPoint at = cell.isValid() ? cell.center() : QPoint();
    QMenu::exec(grid->actions(), grid->viewport()->mapToGlobal(at), nullptr, grid);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (auto* grid = qobject_cast<QAbstractItemView*>(watched)) {
            openMenuAtCell(grid);
            return true;
        }
    }
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        if (auto* panel = qobject_cast<QWidget*>(watched); m_floatingPanels.contains(panel)) {
            panelShownOrHidden(panel);
            return false;
        }
    }
    if (watched->property("linkTarget").isValid())
        return linkEvent(watched, event) || QWidget::eventFilter(watched, event);
    // Otherwise it is the status bar or one of its panels: passing over them resets the link.
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        Look::setTextColour(m_siteLink, Qt::black);
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::linkEvent(QObject* link, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool keyPressed =
        type == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                     static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
    if (type == QEvent::MouseButtonRelease || keyPressed) {
        m_shell.open(QUrl(link->property("linkTarget").toString()));
        return true;
    }
    if (link == m_siteLink && (type == QEvent::Enter || type == QEvent::MouseMove))
        Look::setTextColour(m_siteLink, LinkBlue);
    return false;
}

// The drill status grid of the main window: loading a year into it, and the year buttons.

void MainWindow::buildGrid()
{
    m_drills = new DrillGridEditor(m_messages, this);
    m_drillGrid = m_drills->grid();
    connect(m_drills, &DrillGridEditor::cellStored, this, &MainWindow::onCellStored);
    connect(m_drills, &DrillGridEditor::evaluationRequested, this, &MainWindow::openQuestionnaire);
    connect(m_drills, &DrillGridEditor::waitingForLock, this, &MainWindow::showLockWait);
    connect(m_drills, &DrillGridEditor::yearStepRequested, this, [this](int step) {
        (step > 0 ? m_nextYearButton : m_previousYearButton)
            ->click(); // a disabled button stays put
    });
}

void MainWindow::setYearCaption(int year)
{
    m_year = year;
    m_yearLabel->setText(yearCaption(year));
}

bool MainWindow::loadYear()
{
    m_drills->endEdit();
    const int year = shownYear();
    const QModelIndex cursor = m_drillGrid->currentIndex();
    const YearLoad load = readYear(*m_yearDrills, *m_ships, year);
    // The keyboard's cell keeps its place in the new rows, as far as they reach.
    const int rows = m_drills->model()->rowCount();
    if (cursor.isValid() && rows > 0)
        m_drillGrid->setCurrentIndex(
            m_drills->model()->index(qMin(cursor.row(), rows - 1), cursor.column()));
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the label.
    const int kept = m_yearDrills->recordsYear();
    if (load == YearLoad::NotRead && kept != 0)
        setYearCaption(kept);
    m_reportCurrent = false;
    m_previousYearButton->setEnabled(shownYear() != FirstYear);
    m_nextYearButton->setEnabled(shownYear() != Clock::today().year());
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        m_yearDrills->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
    return load != YearLoad::NotRead;
}

void MainWindow::onCellStored(bool reportRefilled)
{
    m_reportCurrent = reportRefilled;
}

void MainWindow::showNextYear()
{
    showYear(shownYear() + 1);
}

void MainWindow::showPreviousYear()
{
    showYear(shownYear() - 1);
}

void MainWindow::showYear(int year)
{
    // What was typed for this year is stored in it first, or stays in its box.
    if (m_drills->storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    setYearCaption(year);
    loadYear();
}

// The questionnaire panel over the main window: opened from an evaluation cell or as the
// blank "Evaluation Form"; its saved total goes into the drill like a typed value.

void MainWindow::buildEvaluationPanel()
{
    m_evaluationPanel = new EvaluationPanel(*m_db, m_messages, m_folder, this);
    m_evaluationPanel->hide();
    addFloatingPanel(m_evaluationPanel);
    connect(m_evaluationPanel, &EvaluationPanel::saveRequested, this,
            &MainWindow::saveQuestionnaire);
    connect(m_evaluationPanel, &EvaluationPanel::closed, m_shade, &QWidget::hide);
    connect(findChild<QPushButton*>(QStringLiteral("evaluationFormButton")), &QPushButton::clicked,
            this, &MainWindow::openBlankQuestionnaire);
}

void MainWindow::openQuestionnaire(const DrillChange& edit)
{
    hidePanels();
    m_evaluationPanel->move(Twips::toPx(PanelLeftTwips), Twips::toPx(PanelTopTwips));
    const DrillRecord* record = m_yearDrills->recordOf(edit.idDrill);
    const int drill = DrillRecord::drillOf(edit.field);
    if (!record || drill < 0)
        return;
    const Drill& evaluated = record->drills.at(drill);
    const bool yearClosed = m_yearDrills->closedYear().has_value();
    // The panel picks the drill by the field's column in the drill query, counted from 1.
    const bool opened =
        m_evaluationPanel->openForDrill(record->idDrill, record->shipName, evaluated.done.shown(),
                                        evaluated.master, edit.field + 1, yearClosed);
    if (!opened)
        return; // the panel has told the user why
    m_evaluating = edit;
    layShade(m_evaluationPanel, m_shade);
}

void MainWindow::openBlankQuestionnaire()
{
    m_evaluating.reset(); // a blank form belongs to no drill
    showPanel(m_evaluationPanel, PanelLeftTwips, PanelTopTwips);
    m_evaluationPanel->openBlank();
}

// The answers and their total are one change of the evaluated drill alone; the panel stays
// open with them while they could not be stored.
void MainWindow::saveQuestionnaire(const AnswersChange& answers, const QString& total)
{
    if (!m_evaluating)
        return;
    DrillChange change = *m_evaluating;
    change.value = total;
    change.answers = answers;
    if (m_drills->storeValue(change) != DrillGridEditor::Stored::Refused)
        m_evaluationPanel->finish();
}

// The floating panels of the main window for the fleet and the company name.

void MainWindow::buildPanels()
{
    m_shade = new QFrame(this);
    m_shade->setObjectName(QStringLiteral("shade"));
    Look::fillBackground(m_shade, ShadeGrey);
    m_shade->hide();

    m_fleetPanel = new FleetPanel(this);
    connect(m_fleetPanel, &FleetPanel::saveClicked, this, &MainWindow::saveFleet);
    connect(m_fleetPanel, &FleetPanel::cancelClicked, this, [this] {
        m_fleetPanel->hide(); // drops what was typed but not stored
        m_shade->hide();
    });
    m_companyPanel = new CompanyPanel(this);
    connect(m_companyPanel, &CompanyPanel::saveClicked, this, &MainWindow::saveCompanyName);
    connect(m_companyPanel, &CompanyPanel::cancelClicked, this, [this] {
        m_companyPanel->hide();
        m_shade->hide();
    });
    addFloatingPanel(m_companyPanel);
    addFloatingPanel(m_fleetPanel);

    connect(findChild<QPushButton*>(QStringLiteral("fleetButton")), &QPushButton::clicked, this,
            &MainWindow::openFleetPanel);
    connect(findChild<QPushButton*>(QStringLiteral("companyButton")), &QPushButton::clicked, this,
            &MainWindow::openCompanyPanel);
}

void MainWindow::openFleetPanel()
{
    showPanel(m_fleetPanel, 2280, 1440);
}

void MainWindow::saveFleet()
{
    m_fleetPanel->commitEdit(); // a ship typed just before "Save" belongs to the fleet
    m_fleetPanel->hide();
    m_shade->hide();
    addDrillRowsForNewShips();
    m_newShipsTimer->start();
}

void MainWindow::addNewShipsAndReload()
{
    addDrillRowsForNewShips();
    loadYear();
    m_newShipsTimer->stop();
}

void MainWindow::addDrillRowsForNewShips()
{
    m_yearDrills->setYear(shownYear());
    m_yearDrills->addMissingRecords(m_ships->ships());
    m_drills->endEdit(); // the grid is rebuilt: a pending edit has no cell left to go to
}

void MainWindow::openCompanyPanel()
{
    m_companyPanel->startEditing(m_companyLabel->text());
    showPanel(m_companyPanel, 2280, 2280);
}

void MainWindow::shipRenamedByOtherUser(qint64 id, const QString& startedFrom,
                                        const QString& storedNow, const QString& typed)
{
    const QString what = tr("the name of the ship \"%1\"").arg(startedFrom);
    if (m_messages.askToReplace(ProgramTitle, editConflictQuestion(what, storedNow, typed)))
        m_ships->overwriteName(id, storedNow, typed);
}

// The name replaces the one the panel was opened with; another user's newer name is replaced
// only when the user says so.
void MainWindow::saveCompanyName(const QString& startedFrom, const QString& typed)
{
    CompanyTable company(*m_db);
    QString replaced = startedFrom;
    while (true) {
        const CompanyTable::Write write = company.replaceName(replaced, typed);
        if (write.outcome == CompanyTable::Outcome::Failed) {
            // The panel stays open with the text, so nothing typed is lost.
            if (tellIfConnectionLost(
                    tr("The company name was not stored: it is still in its box.")))
                return;
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The company name could not be stored. The database refused the "
                               "change; the name shown is unchanged."));
            return;
        }
        if (write.outcome == CompanyTable::Outcome::Stored)
            break;
        if (!m_messages.askToReplace(ProgramTitle, editConflictQuestion(tr("the company name"),
                                                                        write.storedNow, typed))) {
            setCompanyName(write.storedNow);
            m_companyPanel->hide();
            m_shade->hide();
            return;
        }
        replaced = write.storedNow;
    }
    setCompanyName(typed);
    m_companyPanel->hide();
    m_shade->hide();
}

// The drill status report of the shown year: its table follows every edit (on a server it
// is filled for the report), and "Print Preview" shows it.

bool MainWindow::refillReportTable()
{
    hidePanels();
    m_reportCurrent =
        PrintDrillsTable::refill(*m_db, shownYear(), m_companyLabel->text(), Clock::now());
    return m_reportCurrent;
}

void MainWindow::showStatusReport()
{
    // The report must show exactly what the grid shows, with this moment's stamp.
    m_reportCurrent = false;
    if (!storePendingEdit() || !(m_reportCurrent || refillReportTable())) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The drill status report could not be prepared: the database "
                           "refused to fill its report table. Nothing was printed."));
        return;
    }
    if (!m_statusReport)
        m_statusReport = std::make_unique<ReportControl>(m_messages, this);
    const auto& closed = m_yearDrills->closedYear();
    DrillStatusReport::prepare(*m_statusReport, shownYear(), m_companyLabel->text(),
                               closed ? closed->closedOn() : QString());
    m_statusReport->setDatabase(*m_db);
    m_statusReport->setReportFileName(
        AppFolder::programFile(m_folder, QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    m_statusReport->setDestination(ReportControl::Destination::Window);
    m_statusReport->run();
}

// "Due Drills" over the main window: opened from the year bar or by Ctrl+D, it follows the
// shown year and every re-read, and a drill chosen there becomes the grid's current cell.

void MainWindow::buildDueDrillsButton()
{
    auto* button = new QPushButton(tr("Due Drills"), this);
    button->setObjectName(QStringLiteral("dueDrillsButton"));
    button->setFont(Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25));
    button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    button->setToolTip(
        tr("Due Drills (%1)").arg(button->shortcut().toString(QKeySequence::NativeText)));
    // At the right end of the year label, clear of its centred text.
    Look::place(button, 12015, 1080, 1275, 345);
    connect(button, &QPushButton::clicked, this, &MainWindow::showDueDrills);
}

void MainWindow::showDueDrills()
{
    if (!m_dueDrills) {
        m_dueDrills = new DueDrillsWindow(*m_db, m_messages, this);
        connect(m_dueDrills, &DueDrillsWindow::drillChosen, this, &MainWindow::goToDrill);
        // The list follows the grid: a new year, other users' changes, the user's own edits.
        const auto follow = [this] {
            if (m_dueDrills->isVisible())
                m_dueDrills->showYear(shownYear(), m_companyLabel->text());
        };
        connect(m_yearDrills.get(), &DrillDataSource::refreshed, m_dueDrills, follow);
        connect(m_drills, &DrillGridEditor::cellStored, m_dueDrills, follow);
    }
    m_dueDrills->showYear(shownYear(), m_companyLabel->text());
    m_dueDrills->show();
    m_dueDrills->raise();
    m_dueDrills->activateWindow();
}

void MainWindow::goToDrill(qint64 idDrill, int drill)
{
    if (!m_yearDrills->recordOf(idDrill))
        return; // no longer in the shown year
    hidePanels();
    activateWindow();
    m_drills->goToField(idDrill, DrillColumns::firstOfDrill(drill));
}

// The history of changes and the closing of years, in the main window: Ctrl+H and "History..."
// on a drill cell or a ship of the fleet; "Close Year..." and "Reopen Year..." on the year's
// caption and by key.

void MainWindow::buildHistoryActions()
{
    QAction* history = windowAction(this, "ActHistory", tr("History..."), Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &MainWindow::showHistory);
    auto* fleetGrid = m_fleetPanel->findChild<QTableView*>(QStringLiteral("shipGrid"));
    for (QAbstractItemView* grid : {static_cast<QAbstractItemView*>(m_drillGrid),
                                    static_cast<QAbstractItemView*>(fleetGrid)}) {
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        grid->addAction(history);
        grid->installEventFilter(this);
        auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), grid, nullptr, nullptr,
                                      Qt::WidgetWithChildrenShortcut);
        connect(menuKey, &QShortcut::activated, this, [this, grid] { openMenuAtCell(grid); });
    }

    QAction* close =
        windowAction(this, "ActCloseYear", tr("Close Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    QAction* reopen =
        windowAction(this, "ActReopenYear", tr("Reopen Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_U);
    connect(close, &QAction::triggered, this, &MainWindow::closeShownYear);
    connect(reopen, &QAction::triggered, this, &MainWindow::reopenShownYear);
    m_yearLabel->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_yearLabel->addActions({close, reopen});
}

// The one key serves the fleet while its panel is open, the drill of an open questionnaire,
// and the drill grid otherwise; over any other panel it says why it shows nothing.
void MainWindow::showHistory()
{
    if (m_fleetPanel->isVisible())
        showShipHistory();
    else if (m_evaluationPanel->isVisible())
        showDrillHistory(m_evaluating ? m_yearDrills->recordOf(m_evaluating->idDrill) : nullptr);
    else if (m_drillGrid->isEnabled())
        showDrillHistory(m_drills->currentRecord());
    else
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Close the open panel to see the history of changes."));
}

void MainWindow::openHistory(const QString& subject, HistoryWindow::Reader reader)
{
    auto* window =
        new HistoryWindow(subject, m_companyLabel->text(), std::move(reader), m_messages, this);
    if (!window->read()) {
        delete window;
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The history of changes could not be read from the database."));
        return;
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->show();
    window->activateWindow();
}

void MainWindow::showDrillHistory(const DrillRecord* record)
{
    if (!record) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a cell of a ship's drills to see their history."));
        return;
    }
    openHistory(tr("%1, drills of %2").arg(record->shipName).arg(shownYear()),
                [this, idDrill = record->idDrill](bool* locked) {
                    return ChangeHistory::ofDrill(*m_db, idDrill, locked);
                });
}

void MainWindow::showShipHistory()
{
    const QModelIndex current =
        m_fleetPanel->findChild<QTableView*>(QStringLiteral("shipGrid"))->currentIndex();
    const Ship ship = current.isValid() ? m_ships->ships().value(current.row()) : Ship();
    if (ship.id == 0) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a ship to see its history."));
        return;
    }
    openHistory(ship.name, [this, idShip = ship.id](bool* locked) {
        return ChangeHistory::ofShip(*m_db, idShip, locked);
    });
}

// The closure read with the year: an edit box opens without asking the database.
bool MainWindow::refuseClosedYearEdit()
{
    const auto& closed = m_yearDrills->closedYear();
    if (closed)
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
    return closed.has_value();
}

void MainWindow::closeShownYear()
{
    const int year = shownYear();
    if (year > Clock::today().year()) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 has not come yet and cannot be closed.").arg(year));
        return;
    }
    if (const auto closed = YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
        return;
    }
    // An edit of the year is stored before it closes, or the year stays open.
    if (m_drills->storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    if (!m_messages.askYesNo(tr("Close Year"),
                             tr("Close the year %1? Its drills and evaluations can then no longer "
                                "be changed, until the year is reopened with a reason.")
                                 .arg(year)))
        return;
    QSqlError error;
    if (YearClosure::close(*m_db, year, Clock::today().year(), &error) !=
        YearClosure::Outcome::Done)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be closed: %2").arg(year).arg(error.text()));
    m_yearDrills->refreshClosure();
    showYearClosure();
}

void MainWindow::reopenShownYear()
{
    const int year = shownYear();
    if (!YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 is not closed.").arg(year));
        return;
    }
    const std::optional<QString> reason = m_messages.askText(
        tr("Reopen Year"),
        tr("Why is the year %1 reopened? The reason is kept in the history of changes.").arg(year));
    if (!reason)
        return;
    QSqlError error;
    switch (YearClosure::reopen(*m_db, year, *reason, &error)) {
    case YearClosure::Outcome::ReasonRequired:
        m_messages.tell(
            Messages::Icon::Information, ProgramTitle,
            tr("A year is reopened only with a reason. The year %1 stays closed.").arg(year));
        break;
    case YearClosure::Outcome::Failed:
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be reopened: %2").arg(year).arg(error.text()));
        break;
    default:
        break;
    }
    m_yearDrills->refreshClosure();
    showYearClosure();
}

// The caption says whether the shown year is closed, by whom and when, and so does its tip.
void MainWindow::showYearClosure()
{
    const auto& closed = m_yearDrills->closedYear();
    const QString state = closed ? closed->closedOn() : QString();
    const QString caption = yearCaption(shownYear());
    m_yearLabel->setText(state.isEmpty() ? caption
                                         : QStringLiteral("%1 <span style=\"font-size: 9pt; "
                                                          "font-weight: normal;\">(%2)</span>")
                                               .arg(caption, state.toHtmlEscaped()));
    m_yearLabel->setToolTip(state);
    m_yearLabel->setAccessibleDescription(state);
}

// Several users on one database: what the others change is shown here, a connection lost to
// the server is noticed, told once and made again when the server answers, and a role that may
// only read gets a window that only reads.

void MainWindow::watchOtherUsers()
{
    m_watch = std::make_unique<ChangeWatch>(*m_db);
    connect(m_watch.get(), &ChangeWatch::changed, this, &MainWindow::otherUsersChanged);
    connect(m_watch.get(), &ChangeWatch::drillsChanged, this, &MainWindow::otherUsersChangedDrills);
    m_watch->start();
    connect(m_drills, &DrillGridEditor::connectionLost, this, &MainWindow::connectionLost);
    // A server can go away while nobody edits: a light question now and then notices it.
    if (m_db->engine() == DatabaseLocation::Engine::Postgres)
        m_aliveTimer->start();
}

void MainWindow::otherUsersChanged()
{
    // An open panel works on what it was opened with: a questionnaire's total goes to the grid
    // row it came from, and the fleet list keeps what is being typed. What changed is read once
    // the panels are closed (the grid takes input again).
    if (!m_drillGrid->isEnabled()) {
        m_othersChanged = true;
        return;
    }
    m_othersChanged = false;
    m_ships->refresh();
    readCompanyName();
    m_drills->reread();
    m_reportCurrent = false;
}

void MainWindow::otherUsersChangedDrills(const QList<qint64>& idDrills)
{
    if (!m_drillGrid->isEnabled()) {
        m_othersChanged = true;
        return;
    }
    m_yearDrills->refreshDrills(idDrills);
    m_reportCurrent = false;
}

void MainWindow::connectionLost()
{
    if (m_reconnectTimer->isActive())
        return; // told already
    if (m_evaluationPanel->isVisible())
        tellIfConnectionLost(tr("The answers were not saved: they are still shown in the "
                                "questionnaire, to be saved again."));
    else
        tellConnectionLost(tr("The edit was not stored: it is still in its box. The program "
                              "connects again as soon as the server answers; then press Enter "
                              "to store it."));
}

void MainWindow::checkServerAlive()
{
    if (!m_reconnectTimer->isActive() && !m_db->isAlive())
        tellConnectionLost(tr("The program connects again as soon as the server answers; until "
                              "then the grid may not show other users' changes."));
}

bool MainWindow::tellIfConnectionLost(const QString& notStored)
{
    if (m_db->isAlive())
        return false;
    tellConnectionLost(notStored + QLatin1Char(' ') +
                       tr("The program connects again as soon as the server answers."));
    return true;
}

// Each refused action is told; the connection itself is made again in the background.
void MainWindow::tellConnectionLost(const QString& consequence)
{
    m_statusPanels.at(StatusLinePanel)->setText(tr("Not connected: the grid may be out of date"));
    // Connecting again goes on while the box is open, and closes it once connected; what
    // others changed meanwhile is read after the box, where the action that failed ends.
    m_reconnectTimer->start();
    m_tellingLost = true;
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("The connection to the database %1 was lost. %2")
                        .arg(m_db->location().display(), consequence));
    m_tellingLost = false;
    if (std::exchange(m_reconnectedWhileTelling, false))
        otherUsersChanged();
}

// Connecting is tried in the background; only a server that answered is connected to here.
void MainWindow::tryReconnect()
{
    if (!m_probe) {
        m_probe = std::make_unique<ServerProbe>(m_db->location(), std::chrono::seconds(5));
        connect(m_probe.get(), &ServerProbe::answered, this, &MainWindow::serverAnswered);
    }
    m_probe->start();
}

void MainWindow::serverAnswered(bool reachable)
{
    if (!reachable || !m_reconnectTimer->isActive() || !m_db->reconnect().isEmpty())
        return; // the next tick tries again
    m_reconnectTimer->stop();
    // A new session has no subscription, and what others did meanwhile is not yet shown.
    m_watch->start();
    showAccess();
    if (m_tellingLost) {
        m_reconnectedWhileTelling = true;
        m_messages.withdraw();
    } else {
        otherUsersChanged();
    }
}

void MainWindow::showAccess()
{
    const WriteRights rights = m_db->writeRights();
    setReadOnly(!rights.mayWrite, rights.role);
}

void MainWindow::setReadOnly(bool readOnly, const QString& role)
{
    for (const char* name : {"saveCompanyButton", "saveFleetButton", "confirmButton"}) {
        for (auto* button : findChildren<QAbstractButton*>(QLatin1String(name)))
            button->setEnabled(!readOnly);
    }
    m_drills->setReadOnly(readOnly);
    for (auto* list : m_fleetPanel->findChildren<QAbstractItemView*>())
        list->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked |
                                             QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed);
    m_statusPanels.at(StatusLinePanel)
        ->setText(readOnly ? tr("Read only: %1 may not change the data").arg(role) : QString());
}
