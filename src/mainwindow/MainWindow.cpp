#include "mainwindow/MainWindow.h"

#include "about/AboutBox.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "data/Backups.h"
#include "data/ChangeWatch.h"
#include "data/CompanyTable.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "data/ServerProbe.h"
#include "data/ShipTableModel.h"
#include "evaluation/EvaluationPanel.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/FleetPanel.h"
#include "reports/ReportControl.h"
#include "widgets/Artwork.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Look.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor LinkBlue(0x00, 0x00, 0xFF);
constexpr int ShadeOffsetTwips = 100;

// The maker's links; plainly fictional.
const QString SiteUrl = QStringLiteral("https://www.hbq-marine.example/");

using Look::place;

QString madeBy()
{
    return MainWindow::tr("Made by HBQ Marine Software (example)");
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
    setWindowFlags(Look::fixedWindowFlags());
    setFixedSize(Twips::toPx(15105), Twips::toPx(8895));
    buildCommandColumn();
    buildTitleArea();
    buildDueDrillsButton();
    buildTimers();
    buildGrid();
    buildStatusBar();
    buildLinks();

    buildPanels();
    buildHistoryActions();
}

MainWindow::~MainWindow() = default;

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
        auto* panel = new QLabel(texts[i], m_statusBar);
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
    const QString backup = Backups::newestGoodCopy(m_db->filePath());
    if (backup.isEmpty())
        return tr("\n\nThere is no backup of it that could take its place.");
    return tr("\n\nThe newest good backup is \"%1\". To put it in place, close the program and "
              "start it once as:\n%2 --restore \"%1\"")
        .arg(QDir::toNativeSeparators(backup), QString::fromLatin1(AppFolder::ProgramName));
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
    if (m_messages.askYesNo(QStringLiteral("EXIT"),
                            QStringLiteral("Do you really want to exit P R O G R A M ?"))) {
        // Everything is stored by now: the windows go at the answer, not after the clean-up.
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QCoreApplication::exit(0);
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window is only ever left through the exit question.
    event->ignore();
    askToEndProgram();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
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
