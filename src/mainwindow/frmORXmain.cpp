#include "mainwindow/frmORXmain.h"

#include "about/frmAbout.h"
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
#include "mainwindow/FleetPanel.h"
#include "reports/ReportControl.h"
#include "widgets/Artwork.h"
#include "widgets/ElidingLabel.h"
#include "widgets/FlexGrid.h"
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
    return frmORXmain::tr("Made by HBQ Marine Software (example)");
}

} // namespace

frmORXmain::frmORXmain(QString applicationFolder, Messages& messages, Shell& shell, QWidget* parent)
    : QWidget(parent), m_folder(std::move(applicationFolder)),
      m_location(DatabaseLocation::file(
          AppFolder::file(m_folder, QString::fromLatin1(AppFolder::DatabaseFileName)))),
      m_messages(messages), m_shell(shell)
{
    setObjectName(QStringLiteral("frmORXmain"));
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

frmORXmain::~frmORXmain() = default;

void frmORXmain::buildCommandColumn()
{
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Look::fillBackground(Picture1, Navy);
    place(Picture1, 60, 90, 2205, 8445);

    Look::picture(Picture1, "Image1", tr("HBQ ORX Drill Organizer logo"), Artwork::productLogo,
                  QRect(0, 0, 2145, 2115));
    Look::picture(Picture1, "Image4", tr("A ship at sea"), Artwork::ship,
                  QRect(0, 4300, 2145, 1500));
    Look::picture(Picture1, "Image5", tr("A lifebuoy"), Artwork::lifebuoy,
                  QRect(622, 6000, 900, 900));

    struct Button
    {
        const char* name;
        QString caption;
        int top;
    };
    const Button buttons[] = {
        {"CmdCompany", QStringLiteral("Company"), 2190},
        {"CmdShips", QStringLiteral("Update Fleet"), 2580},
        {"CmdEvalComp", QStringLiteral("Evaluation Form"), 2970},
        {"Command2", QStringLiteral("Print Preview"), 3360},
        {"CmdSample", QStringLiteral("Drill Presentation"), 7200},
        {"Command4", QStringLiteral("About Program"), 7590},
        {"Command3", QStringLiteral("End Program"), 7980},
    };
    for (const Button& entry : buttons) {
        auto* button = new QPushButton(entry.caption, Picture1);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setFont(Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25));
        place(button, 0, entry.top, 2145, 375);
    }
    const auto onClick = [this](const char* name, void (frmORXmain::*handler)()) {
        connect(Picture1->findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked,
                this, handler);
    };
    onClick("Command2", &frmORXmain::Command2_Click);
    onClick("CmdSample", &frmORXmain::CmdSample_Click);
    onClick("Command4", &frmORXmain::Command4_Click);
    onClick("Command3", &frmORXmain::Command3_Click);
}

void frmORXmain::buildTitleArea()
{
    Look::picture(this, "Image2", tr("Title banner"), Artwork::banner,
                  QRect(2370, 120, 12585, 450));
    Look::picture(this, "Image3", tr("A ship"), Artwork::ship, QRect(13230, 210, 1575, 255));

    Label18 = new QLabel(QStringLiteral("HBQ ORX - DRILL STATUS"), this);
    Label18->setObjectName(QStringLiteral("Label18"));
    Label18->setFont(Look::font(QStringLiteral("Verdana"), 12, true));
    Label18->setAlignment(Qt::AlignCenter);
    Look::setTextColour(Label18, Qt::white);
    place(Label18, 2370, 90, 12615, 495);

    LblCompany = new ElidingLabel(this);
    LblCompany->setObjectName(QStringLiteral("LblCompany"));
    LblCompany->setAccessibleDescription(tr("Company name"));
    LblCompany->setFont(Look::font(QStringLiteral("Verdana"), 11, true));
    LblCompany->setAlignment(Qt::AlignCenter);
    Look::setTextColour(LblCompany, Navy);
    place(LblCompany, 2370, 630, 12615, 345);

    const QFont buttonFont = Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25);
    CmdPreviousYear = new QPushButton(QStringLiteral("< Previous Year"), this);
    CmdPreviousYear->setObjectName(QStringLiteral("CmdPreviousYear"));
    CmdPreviousYear->setFont(buttonFont);
    place(CmdPreviousYear, 2370, 1050, 1650, 405);
    connect(CmdPreviousYear, &QPushButton::clicked, this, &frmORXmain::CmdPreviousYear_Click);

    LblYear = new QLabel(this);
    LblYear->setObjectName(QStringLiteral("LblYear"));
    LblYear->setFont(Look::font(QStringLiteral("Verdana"), 13.5, true));
    LblYear->setAlignment(Qt::AlignCenter);
    Look::setTextColour(LblYear, Navy);
    place(LblYear, 4020, 1050, 9315, 405);

    CmdNextYear = new QPushButton(QStringLiteral("Next Year >"), this);
    CmdNextYear->setObjectName(QStringLiteral("CmdNextYear"));
    CmdNextYear->setFont(buttonFont);
    CmdNextYear->setEnabled(false); // the current year is shown first
    place(CmdNextYear, 13350, 1050, 1650, 405);
    connect(CmdNextYear, &QPushButton::clicked, this, &frmORXmain::CmdNextYear_Click);
}

void frmORXmain::buildStatusBar()
{
    StatusBar1 = new QFrame(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setMouseTracking(true);
    StatusBar1->installEventFilter(this);
    StatusBar1->setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    place(StatusBar1, 0, 8610, 15105, 285);
    const QString texts[] = {ProgramTitle, madeBy(), {}, {}, {}};
    const int widths[] = {2500, 4000, 1500, 3000, 3900};
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(texts[i], StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
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
void frmORXmain::showLockWait(const QString& text)
{
    QLabel* panel = m_statusPanels.at(1);
    panel->setText(text.isEmpty() ? madeBy() : text);
    panel->repaint();
}

void frmORXmain::buildLinks()
{
    auto* picSite = new QWidget(this);
    picSite->setObjectName(QStringLiteral("picSite"));
    place(picSite, 6600, 8670, 1455, 225);
    lblSite = new QLabel(QStringLiteral("hbq-marine.example"), picSite);
    lblSite->setObjectName(QStringLiteral("lblSite"));
    lblSite->setToolTip(QStringLiteral("HBQ Website"));
    QFont siteFont = Look::font(QStringLiteral("Verdana"), 6.75);
    siteFont.setStretch(QFont::SemiCondensed); // the whole address fits the status panel
    lblSite->setFont(siteFont);
    Look::setTextColour(lblSite, Qt::black);
    place(lblSite, 60, 0, 1395, 225);
    addLink(lblSite, SiteUrl);

    auto* picSocial = new QWidget(this);
    picSocial->setObjectName(QStringLiteral("picSocial"));
    place(picSocial, 8100, 8670, 2775, 255);
    auto* lblFollow = new QLabel(QStringLiteral("follow us..."), picSocial);
    lblFollow->setObjectName(QStringLiteral("lblFollow"));
    lblFollow->setFont(Look::font(QStringLiteral("Verdana"), 6.75));
    place(lblFollow, 330, 0, 915, 240);

    struct Icon
    {
        const char* name;
        Artwork::LinkIcon picture;
        int left;
        QString tip;
        QString target;
    };
    const Icon icons[] = {
        {"imgFacebook", Artwork::LinkIcon::Facebook, 1290, QStringLiteral("HBQ Facebook page"),
         QStringLiteral("https://facebook.example.com/hbq-marine")},
        {"imgLinkedin", Artwork::LinkIcon::LinkedIn, 1590, QStringLiteral("HBQ LinkedIn page"),
         QStringLiteral("https://linkedin.example.com/company/hbq-marine")},
        {"imgTwitter", Artwork::LinkIcon::Twitter, 1890, QStringLiteral("HBQ Twitter page"),
         QStringLiteral("https://twitter.example.com/hbq_marine")},
        {"imgBlog", Artwork::LinkIcon::Blog, 2190, QStringLiteral("HBQ Blog"),
         QStringLiteral("https://blog.hbq-marine.example/")},
        {"imgMail", Artwork::LinkIcon::Mail, 2490, QStringLiteral("email to HBQ Sales"),
         QStringLiteral("mailto:sales@hbq-marine.example")},
    };
    for (const Icon& icon : icons) {
        auto* label = new QLabel(picSocial);
        label->setObjectName(QString::fromLatin1(icon.name));
        label->setPixmap(Artwork::linkIcon(icon.picture, Twips::toPx(240)));
        label->setToolTip(icon.tip);
        place(label, icon.left, 0, 240, 240);
        addLink(label, icon.target);
    }
}

void frmORXmain::addLink(QLabel* link, const QString& target)
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

void frmORXmain::buildTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmORXmain::Timer1_Timer);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(60000);
    connect(Timer2, &QTimer::timeout, this, &frmORXmain::Timer2_Timer);

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(100);
    Timer3->setSingleShot(true);
    connect(Timer3, &QTimer::timeout, this, &frmORXmain::Timer3_Timer);

    TimerReconnect = new QTimer(this);
    TimerReconnect->setObjectName(QStringLiteral("TimerReconnect"));
    TimerReconnect->setInterval(2000);
    connect(TimerReconnect, &QTimer::timeout, this, &frmORXmain::TimerReconnect_Timer);

    TimerAlive = new QTimer(this);
    TimerAlive->setObjectName(QStringLiteral("TimerAlive"));
    TimerAlive->setInterval(5000);
    connect(TimerAlive, &QTimer::timeout, this, &frmORXmain::TimerAlive_Timer);
}

bool frmORXmain::Form_Load()
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
    Data2 = std::make_unique<ShipTableModel>(m_db->connection());
    Data2->refresh();
    PicShips->setShips(Data2.get());
    connect(Data2.get(), &ShipTableModel::nameRequired, this, [this] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Every ship needs a name. The name was not changed."));
    });
    connect(Data2.get(), &ShipTableModel::nameChangedByOtherUser, this,
            &frmORXmain::shipRenamedByOtherUser);
    connect(Data2.get(), &ShipTableModel::writeFailed, this, [this](const QString& reason) {
        if (!tellIfConnectionLost(tr("The change to the fleet was not stored.")))
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The fleet could not be changed: %1").arg(reason));
    });
    Data1 = std::make_unique<DrillDataSource>(*m_db);
    m_drills->bind(*Data1);
    m_drills->setEditGuard([this] { return refuseClosedYearEdit(); });
    connect(Data1.get(), &DrillDataSource::refreshed, this, &frmORXmain::showYearClosure);
    setYearCaption(Clock::today().year());
    if (!LoadFlexGrid()) {
        QGuiApplication::restoreOverrideCursor();
        return false;
    }
    Timer2_Timer();
    buildEvaluationPanel();
    SubCompany();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("frmSplash"))
            window->close();
    }
    watchOtherUsers();
    showAccess();
    m_drills->focusFirstDrillCell();
    Timer1->start();
    Timer2->start();
    QGuiApplication::restoreOverrideCursor();
    return true;
}

// The first panel keeps the program's name; which database is in use is in its tip, which a
// screen reader reads as well.
void frmORXmain::showDatabaseInUse()
{
    const QString inUse = tr("Database: %1").arg(m_db->location().display());
    m_statusPanels.first()->setToolTip(inUse);
    m_statusPanels.first()->setAccessibleDescription(inUse);
}

// A server keeps its own backups; the program copies only a file.
void frmORXmain::makeDailyBackup()
{
    if (m_db->engine() != DatabaseLocation::Engine::Sqlite)
        return;
    // Only a file that passed its checks is copied, and before anything is written to it.
    const QString backupFailure = Backups::makeDailyOrSayWhy(m_db->filePath());
    if (!backupFailure.isEmpty())
        m_messages.tell(Messages::Icon::Critical, ProgramTitle, backupFailure);
}

QString frmORXmain::newestBackupSentence() const
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

void frmORXmain::SubCompany()
{
    if (const auto name = CompanyTable(*m_db).name())
        setCompanyName(*name);
}

void frmORXmain::setCompanyName(const QString& name)
{
    LblCompany->setText(name);
    PicEvaluation->setCompanyName(name);
}

void frmORXmain::HidePics()
{
    for (QWidget* panel : std::as_const(m_floatingPanels))
        panel->hide();
    PicShade->hide();
}

void frmORXmain::addFloatingPanel(QWidget* panel)
{
    m_floatingPanels.append(panel);
    panel->installEventFilter(this);
}

// An open panel lies in front of the grid: the grid takes no clicks, keys or wheel until the
// panel is closed, so nothing typed or clicked there can reach a cell the panel did not mean.
void frmORXmain::panelShownOrHidden(QWidget* panel)
{
    const bool anyOpen = std::any_of(m_floatingPanels.cbegin(), m_floatingPanels.cend(),
                                     [](const QWidget* open) { return !open->isHidden(); });
    const bool wasBlocked = !DBGrid1->isEnabled();
    DBGrid1->setEnabled(!anyOpen);
    if (!panel->isHidden())
        focusFirstControl(panel);
    else if (wasBlocked && !anyOpen)
        DBGrid1->setFocus(Qt::OtherFocusReason);
    // After the step that closed the panel (a saved total is written to its row first).
    if (!anyOpen && m_othersChanged)
        QTimer::singleShot(0, this, &frmORXmain::OtherUsers_Changed);
}

void frmORXmain::focusFirstControl(QWidget* panel)
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

void frmORXmain::showPanel(QWidget* panel, int left, int top)
{
    HidePics();
    panel->move(Twips::toPx(left), Twips::toPx(top));
    LoadPicShade(panel, PicShade);
}

void frmORXmain::LoadPicShade(QWidget* panel, QWidget* shade)
{
    const int offset = Twips::toPx(ShadeOffsetTwips);
    panel->show();
    panel->raise();
    shade->show();
    shade->setGeometry(panel->x() + offset, panel->y() + offset, panel->width(), panel->height());
    shade->stackUnder(panel);
}

// The commit-and-refresh step. An edit costs its one field, its one row's colours and the
// report table, in one transaction; the whole grid is recoloured only for a new year or day.
bool frmORXmain::Timer1_Timer()
{
    Timer1->stop();
    HidePics();
    const int row = DBGrid1->row();
    const int col = DBGrid1->col();
    const bool reportFollows = PrintDrillsTable::followsEdits(*m_db);
    const auto refillReport = [this] {
        return PrintDrillsTable::refillWithin(*m_db, shownYear(), LblCompany->text(), Clock::now());
    };
    m_drills->commitEdit(reportFollows ? refillReport : std::function<bool()>());
    if (!m_drills->isColoured()) {
        UpdateColors();
        // The recolouring walks the current cell to the last row; the cell being edited stays
        // the one that the next Enter writes.
        DBGrid1->setRow(row);
        DBGrid1->setCol(col);
    }
    return m_reportCurrent || !reportFollows || PrintDrills();
}

void frmORXmain::Timer2_Timer()
{
    m_statusPanels.last()->setText(DateText::clockText(Clock::now()));
    m_drills->recolourIfTheDayChanged();
}

void frmORXmain::CmdSample_Click()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    HidePics();
    // A missing file or viewer shows nothing: the guidance is optional.
    const QString presentation =
        AppFolder::programFile(m_folder, QStringLiteral("HBQORXDRILLGUIDANCE.pps"));
    if (QFileInfo::exists(presentation))
        m_shell.open(QUrl::fromLocalFile(presentation));
    QGuiApplication::restoreOverrideCursor();
}

void frmORXmain::Command4_Click()
{
    HidePics();
    frmAbout about(m_messages, m_shell, this);
    about.showDataFile(m_db->location().display());
    about.exec();
}

void frmORXmain::Command3_Click()
{
    if (m_messages.askYesNo(QStringLiteral("EXIT"),
                            QStringLiteral("Do you really want to exit P R O G R A M ?"))) {
        // Everything is stored by now: the windows go at the answer, not after the clean-up.
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QCoreApplication::exit(0);
    }
}

void frmORXmain::closeEvent(QCloseEvent* event)
{
    // The window is only ever left through the exit question.
    event->ignore();
    Command3_Click();
}

bool frmORXmain::eventFilter(QObject* watched, QEvent* event)
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
        Look::setTextColour(lblSite, Qt::black);
    return QWidget::eventFilter(watched, event);
}

bool frmORXmain::linkEvent(QObject* link, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool keyPressed =
        type == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                     static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
    if (type == QEvent::MouseButtonRelease || keyPressed) {
        m_shell.open(QUrl(link->property("linkTarget").toString()));
        return true;
    }
    if (link == lblSite && (type == QEvent::Enter || type == QEvent::MouseMove))
        Look::setTextColour(lblSite, LinkBlue);
    return false;
}
