#include "mainwindow/WindowFrame.h"

#include "common/DateText.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "widgets/Artwork.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Look.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor LinkBlue(0x00, 0x00, 0xFF);
// How far a window may be smaller than designed: the status line's second panel gives up most
// of its width, and the pictures of the command column close up on the buttons above them.
constexpr int SpareWidthTwips = 3000;
constexpr int SpareHeightTwips = 500;
constexpr int StatusLinePanel = 3; // says why the window cannot write

// The maker's links; plainly fictional.
const QString SiteUrl = QStringLiteral("https://www.hbq-marine.example/");

using Look::place;
using F = FrameLayout;

QString madeBy()
{
    return WindowFrame::tr("Made by HBQ Marine Software (example)");
}

QFont buttonFont()
{
    return Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25);
}

} // namespace

WindowFrame::WindowFrame(QWidget& window, Shell& shell)
    : QObject(&window), m_window(window), m_shell(shell), m_layout(window.size())
{
    buildCommandColumn();
    buildTitleArea();
    buildDueDrillsButton();
}

void WindowFrame::holdGrid(QWidget* grid)
{
    m_layout.add(grid, F::Wider | F::Taller);
    buildStatusBar();
    buildLinks();
    m_window.setMinimumSize(m_window.size() -
                            QSize(Twips::toPx(SpareWidthTwips), Twips::toPx(SpareHeightTwips)));
}

void WindowFrame::fitToScreen()
{
    const QScreen* shownOn = m_window.screen();
    if (!shownOn)
        return;
    // The desktop's frame around the window, where it is known yet; else room for a title bar.
    const QWindow* handle = m_window.windowHandle();
    QMargins frame = handle ? handle->frameMargins() : QMargins();
    if (frame.isNull())
        frame = QMargins(0, m_window.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    const QRect room = shownOn->availableGeometry();
    m_window.resize(m_layout.designedSize()
                        .boundedTo(room.size().shrunkBy(frame))
                        .expandedTo(m_window.minimumSize()));
    // A window moves by its frame's corner.
    m_window.move(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, m_window.size().grownBy(frame), room)
            .topLeft());
}

void WindowFrame::buildCommandColumn()
{
    auto* column = new QFrame(&m_window);
    column->setObjectName(QStringLiteral("commandColumn"));
    Look::fillBackground(column, Navy);
    place(column, 60, 90, 2205, 8445);
    m_layout.add(column, F::Taller);

    Look::picture(column, "productLogo", tr("HBQ ORX Drill Organizer logo"), Artwork::productLogo,
                  QRect(0, 0, 2145, 2115));
    m_layout.add(Look::picture(column, "shipPicture", tr("A ship at sea"), Artwork::ship,
                               QRect(0, 4300, 2145, 1500)),
                 F::Bottom);
    m_layout.add(Look::picture(column, "lifebuoyPicture", tr("A lifebuoy"), Artwork::lifebuoy,
                               QRect(622, 6000, 900, 900)),
                 F::Bottom);

    struct Button
    {
        const char* name;
        QString caption;
        int top;
        void (WindowFrame::*clicked)();
    };
    const Button buttons[] = {
        {"companyButton", QStringLiteral("Company"), 2190, &WindowFrame::companyClicked},
        {"fleetButton", QStringLiteral("Update Fleet"), 2580, &WindowFrame::fleetClicked},
        {"evaluationFormButton", QStringLiteral("Evaluation Form"), 2970,
         &WindowFrame::evaluationFormClicked},
        {"printPreviewButton", QStringLiteral("Print Preview"), 3360,
         &WindowFrame::printPreviewClicked},
        {"presentationButton", QStringLiteral("Drill Presentation"), 7200,
         &WindowFrame::presentationClicked},
        {"aboutButton", QStringLiteral("About Program"), 7590, &WindowFrame::aboutClicked},
        {"endProgramButton", QStringLiteral("End Program"), 7980, &WindowFrame::endProgramClicked},
    };
    for (const Button& entry : buttons) {
        auto* button = new QPushButton(entry.caption, column);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setFont(buttonFont());
        place(button, 0, entry.top, 2145, 375);
        connect(button, &QPushButton::clicked, this, entry.clicked);
        // The lower buttons stay by the pictures at the column's foot.
        if (entry.top > 4300)
            m_layout.add(button, F::Bottom);
    }
}

void WindowFrame::buildTitleArea()
{
    QLabel* banner = Look::picture(&m_window, "titleBanner", tr("Title banner"), Artwork::banner,
                                   QRect(2370, 120, 12585, 450));
    banner->setScaledContents(true);
    m_layout.add(banner, F::Wider);
    m_layout.add(Look::picture(&m_window, "shipBanner", tr("A ship"), Artwork::ship,
                               QRect(13230, 210, 1575, 255)),
                 F::Right);

    titleLine(new QLabel(QStringLiteral("HBQ ORX - DRILL STATUS"), &m_window), "gridTitle", 12,
              Qt::white, QRect(2370, 90, 12615, 495));
    m_companyLabel = titleLine(new ElidingLabel(&m_window), "companyLabel", 11, Navy,
                               QRect(2370, 630, 12615, 345));
    m_companyLabel->setAccessibleDescription(tr("Company name"));

    m_previousYearButton =
        yearButton("previousYearButton", QStringLiteral("< Previous Year"), 2370);
    connect(m_previousYearButton, &QPushButton::clicked, this, &WindowFrame::previousYearClicked);

    m_yearLabel =
        titleLine(new QLabel(&m_window), "yearLabel", 13.5, Navy, QRect(4020, 1050, 9315, 405));

    m_nextYearButton = yearButton("nextYearButton", QStringLiteral("Next Year >"), 13350);
    m_nextYearButton->setEnabled(false); // the current year is shown first
    m_layout.add(m_nextYearButton, F::Right);
    connect(m_nextYearButton, &QPushButton::clicked, this, &WindowFrame::nextYearClicked);
}

// A centred line of the title, which takes the room of a wider window.
QLabel* WindowFrame::titleLine(QLabel* line, const char* name, qreal points, const QColor& colour,
                               const QRect& twips)
{
    line->setObjectName(QString::fromLatin1(name));
    line->setFont(Look::font(QStringLiteral("Verdana"), points, true));
    line->setAlignment(Qt::AlignCenter);
    Look::setTextColour(line, colour);
    place(line, twips.x(), twips.y(), twips.width(), twips.height());
    m_layout.add(line, F::Wider);
    return line;
}

QPushButton* WindowFrame::yearButton(const char* name, const QString& caption, int left)
{
    auto* button = new QPushButton(caption, &m_window);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(buttonFont());
    place(button, left, 1050, 1650, 405);
    return button;
}

void WindowFrame::buildDueDrillsButton()
{
    auto* button = new QPushButton(tr("Due Drills"), &m_window);
    button->setObjectName(QStringLiteral("dueDrillsButton"));
    button->setFont(buttonFont());
    button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    button->setToolTip(
        tr("Due Drills (%1)").arg(button->shortcut().toString(QKeySequence::NativeText)));
    // At the right end of the year label, clear of its centred text.
    place(button, 12015, 1080, 1275, 345);
    m_layout.add(button, F::Right);
    connect(button, &QPushButton::clicked, this, &WindowFrame::dueDrillsClicked);
}

void WindowFrame::buildStatusBar()
{
    auto* statusBar = new QFrame(&m_window);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setMouseTracking(true);
    statusBar->installEventFilter(this);
    statusBar->setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    place(statusBar, 0, 8610, 15105, 285);
    m_layout.add(statusBar, F::Bottom | F::Wider);
    const QString texts[] = {ProgramTitle, madeBy(), {}, {}, {}};
    const int widths[] = {2500, 4000, 1500, 3000, 3900};
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        // The second panel tells what the program waits for, a text of any length: whole in
        // its tip where it does not fit. It takes the status line's room.
        QLabel* panel = i == 1 ? new ElidingLabel(statusBar) : new QLabel(statusBar);
        panel->setText(texts[i]);
        panel->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMouseTracking(true);
        panel->installEventFilter(this);
        place(panel, left, 0, widths[i], 285);
        if (i > 0)
            m_layout.add(panel, i == 1 ? F::Wider : F::Right);
        left += widths[i];
        m_statusPanels.append(panel);
    }
    m_statusPanels.last()->setAccessibleDescription(tr("Date and time"));
}

void WindowFrame::showClock(const QDateTime& now)
{
    m_statusPanels.last()->setText(DateText::clockText(now));
}

QString WindowFrame::companyName() const
{
    return m_companyLabel->text();
}

void WindowFrame::showCompanyName(const QString& name)
{
    m_companyLabel->setText(name);
}

void WindowFrame::showYear(const QString& caption, const QString& closure)
{
    m_yearLabel->setText(closure.isEmpty() ? caption
                                           : QStringLiteral("%1 <span style=\"font-size: 9pt; "
                                                            "font-weight: normal;\">(%2)</span>")
                                                 .arg(caption, closure.toHtmlEscaped()));
    m_yearLabel->setToolTip(closure);
    m_yearLabel->setAccessibleDescription(closure);
}

void WindowFrame::enableYearSteps(bool previous, bool next)
{
    m_previousYearButton->setEnabled(previous);
    m_nextYearButton->setEnabled(next);
}

void WindowFrame::addYearActions(const QList<QAction*>& actions)
{
    m_yearLabel->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_yearLabel->addActions(actions);
}

void WindowFrame::showLockWait(const QString& text)
{
    QLabel* panel = m_statusPanels.at(1);
    panel->setText(text.isEmpty() ? madeBy() : text);
    panel->repaint();
}

void WindowFrame::endLockWait(const QString& text)
{
    if (m_statusPanels.at(1)->text() == text)
        showLockWait({});
}

// The first panel keeps the program's name; which database is in use is in its tip, which a
// screen reader reads as well.
void WindowFrame::showDatabaseInUse(const QString& database)
{
    const QString inUse = tr("Database: %1").arg(database);
    m_statusPanels.first()->setToolTip(inUse);
    m_statusPanels.first()->setAccessibleDescription(inUse);
}

void WindowFrame::showStatusLine(const QString& text)
{
    m_statusPanels.at(StatusLinePanel)->setText(text);
}

void WindowFrame::buildLinks()
{
    auto* siteLinkBox = new QWidget(&m_window);
    siteLinkBox->setObjectName(QStringLiteral("siteLinkBox"));
    place(siteLinkBox, 6600, 8670, 1455, 225);
    m_layout.add(siteLinkBox, F::Bottom | F::Right);
    m_siteLink = new QLabel(QStringLiteral("hbq-marine.example"), siteLinkBox);
    m_siteLink->setObjectName(QStringLiteral("siteLink"));
    m_siteLink->setToolTip(QStringLiteral("HBQ Website"));
    QFont siteFont = Look::font(QStringLiteral("Verdana"), 6.75);
    siteFont.setStretch(QFont::SemiCondensed); // the whole address fits the status panel
    m_siteLink->setFont(siteFont);
    Look::setTextColour(m_siteLink, Qt::black);
    place(m_siteLink, 60, 0, 1395, 225);
    addLink(m_siteLink, SiteUrl);

    auto* socialLinks = new QWidget(&m_window);
    socialLinks->setObjectName(QStringLiteral("socialLinks"));
    place(socialLinks, 8100, 8670, 2775, 255);
    m_layout.add(socialLinks, F::Bottom | F::Right);
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

void WindowFrame::addLink(QLabel* link, const QString& target)
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

bool WindowFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->property("linkTarget").isValid())
        return linkEvent(watched, event);
    // Otherwise it is the status bar or one of its panels: passing over them resets the link.
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
        Look::setTextColour(m_siteLink, Qt::black);
    return false;
}

bool WindowFrame::linkEvent(QObject* link, QEvent* event)
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
