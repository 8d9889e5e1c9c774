#include "calendar/DatePicker.h"

#include "calendar/CalendarDate.h"
#include "calendar/CalendarPictures.h"
#include "calendar/MonthDaysModel.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/Twips.h"
#include "widgets/Look.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>

#include <array>

namespace {

constexpr int GridSide = MonthDaysModel::DaysPerWeek;
constexpr int HeadingRowHeight = 245; // twips
constexpr int WeekRowHeight = 240;    // twips, the grid's usual row height for its font
constexpr int DayColumnWidth = 415;   // twips
constexpr int TodayPanelWidth = 670;  // twips
const QRect CloseButtonTwips(2760, 2100, 285, 345);
const QColor TitleBlue(0x00, 0x00, 0xC0);

struct Language
{
    std::array<const char16_t*, GridSide> headings;
    const char16_t* today;

    QStringList headingTexts() const
    {
        QStringList texts;
        for (const char16_t* heading : headings)
            texts.append(QString::fromUtf16(heading));
        return texts;
    }
};

const Language English{{u"Su", u"Mo", u"Tu", u"We", u"Th", u"Fr", u"Sa"}, u"Today"};
// Tuesday's heading starts with a Latin T, as the program has always shown it.
const Language Greek{{u"Κυ", u"Δε", u"T\u03C1", u"Τε", u"Πε", u"Πα", u"Σα"}, u"Σήμερα"};

// English where the locale's Sunday begins "Su", Greek everywhere else.
const Language& headingLanguage()
{
    return QLocale().dayName(Qt::Sunday).startsWith(u"Su") ? English : Greek;
}

// A month standing alone takes its standalone name (Greek "Μάρτιος", not "Μαρτίου").
QString monthTitle(const QDate& date)
{
    return QLocale().standaloneMonthName(date.month()) + QStringLiteral(" - ") +
           QString::number(date.year()).rightJustified(4, u'0');
}

QPushButton* addPictureButton(QWidget* parent, const char* name, const QString& description,
                              const QIcon& picture, const QRect& geometry)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(description);
    button->setIcon(picture);
    button->setIconSize(QSize(12, 12));
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}

QRect twipsToPx(const QRect& twips)
{
    return Twips::rect(twips.left(), twips.top(), twips.width(), twips.height());
}

QLabel* addPanel(QLayout* bar, const char* name, const QString& description)
{
    auto* panel = new QLabel;
    panel->setObjectName(QString::fromLatin1(name));
    panel->setAccessibleName(description);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(1);
    bar->addWidget(panel);
    return panel;
}

} // namespace

DatePicker::DatePicker(const CalendarDate& anchor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_value(anchor)
{
    setObjectName(QStringLiteral("DatePicker"));
    // A blank, not an empty title: the window system shows the program's name for an empty one.
    setWindowTitle(QStringLiteral(" "));
    setAccessibleName(tr("Pick a date"));
    setModal(true);
    setFixedSize(Twips::toPx(3030), Twips::toPx(2355));
    setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));

    buildTitleRow();
    buildGrid();
    buildStatusBar();
    buildCloseButton();
    setTabOrderOfControls();
    fillWindow();
}

void DatePicker::buildTitleRow()
{
    using CalendarPictures::chevrons;
    using CalendarPictures::Direction;
    m_yearDownButton = addPictureButton(this, "yearDownButton", tr("One Year Down"),
                                        chevrons(Direction::Left, 2), Twips::rect(0, 0, 285, 330));
    m_monthDownButton =
        addPictureButton(this, "monthDownButton", tr("One Month Down"),
                         chevrons(Direction::Left, 1), Twips::rect(280, 0, 285, 330));
    m_monthUpButton =
        addPictureButton(this, "monthUpButton", tr("One Month Up"), chevrons(Direction::Right, 1),
                         Twips::rect(2460, 0, 285, 330));
    m_yearUpButton =
        addPictureButton(this, "yearUpButton", tr("One Year Up"), chevrons(Direction::Right, 2),
                         Twips::rect(2745, 0, 285, 330));
    for (QPushButton* button :
         {m_yearDownButton, m_monthDownButton, m_monthUpButton, m_yearUpButton})
        button->setToolTip(button->accessibleName());

    connect(m_monthDownButton, &QPushButton::clicked, this,
            [this] { moveAnchor(m_anchor.addMonths(-1)); });
    connect(m_monthUpButton, &QPushButton::clicked, this,
            [this] { moveAnchor(m_anchor.addMonths(1)); });
    connect(m_yearDownButton, &QPushButton::clicked, this,
            [this] { moveAnchor(m_anchor.addYears(-1)); });
    connect(m_yearUpButton, &QPushButton::clicked, this,
            [this] { moveAnchor(m_anchor.addYears(1)); });

    m_monthTitle = new QLabel(this);
    m_monthTitle->setObjectName(QStringLiteral("monthTitle"));
    m_monthTitle->setGeometry(Twips::rect(555, 0, 1920, 330));
    m_monthTitle->setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25, true));
    m_monthTitle->setAlignment(Qt::AlignCenter);
    m_monthTitle->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette palette = m_monthTitle->palette();
    palette.setColor(QPalette::WindowText, TitleBlue);
    m_monthTitle->setPalette(palette);
    // The chevron buttons overlap its ends by a pixel; they stay on top.
    m_monthTitle->lower();
}

void DatePicker::buildGrid()
{
    m_dayGrid = new QTableView(this);
    m_days = new MonthDaysModel(m_dayGrid);
    m_dayGrid->setModel(m_days);
    m_dayGrid->setObjectName(QStringLiteral("dayGrid"));
    m_dayGrid->setAccessibleName(tr("Days of the month"));
    m_dayGrid->setGeometry(Twips::rect(0, 330, 3030, 1770));
    m_dayGrid->setFont(Look::font(QStringLiteral("Arial Greek"), 8.25));
    m_dayGrid->horizontalHeader()->hide();
    m_dayGrid->verticalHeader()->hide();
    m_dayGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_dayGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_dayGrid->setSelectionMode(QAbstractItemView::NoSelection);
    m_dayGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dayGrid->setTabKeyNavigation(false);
    m_dayGrid->verticalHeader()->setMinimumSectionSize(1);
    m_dayGrid->horizontalHeader()->setMinimumSectionSize(0);
    m_dayGrid->setRowHeight(0, Twips::toPx(HeadingRowHeight));
    for (int row = 1; row < m_days->rowCount(); ++row)
        m_dayGrid->setRowHeight(row, Twips::toPx(WeekRowHeight));
    for (int col = 0; col < GridSide; ++col)
        m_dayGrid->setColumnWidth(col, Twips::toPx(DayColumnWidth));
    connect(m_dayGrid, &QTableView::clicked, this, &DatePicker::pickDay);
    m_dayGrid->installEventFilter(this);
}

void DatePicker::focusDays()
{
    m_dayGrid->setFocus(Qt::OtherFocusReason);
}

bool DatePicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_dayGrid || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    // The keypad's keys count as the others.
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && dayKey(key->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

// The keys move the anchor day itself, so they cross into the next or previous month.
bool DatePicker::dayKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
        moveAnchor(m_anchor.addDays(-1));
        return true;
    case Qt::Key_Right:
        moveAnchor(m_anchor.addDays(1));
        return true;
    case Qt::Key_Up:
        moveAnchor(m_anchor.addDays(-GridSide));
        return true;
    case Qt::Key_Down:
        moveAnchor(m_anchor.addDays(GridSide));
        return true;
    case Qt::Key_PageUp:
        moveAnchor(m_anchor.addMonths(-1));
        return true;
    case Qt::Key_PageDown:
        moveAnchor(m_anchor.addMonths(1));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        pickDay(m_dayGrid->currentIndex());
        return true;
    default:
        return false;
    }
}

void DatePicker::buildStatusBar()
{
    m_statusBar = new QFrame(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setAccessibleName(tr("Today"));
    m_statusBar->setGeometry(Twips::rect(0, 2070, 3030, 285));
    // Small enough for the longest weekday to fit beside the close button.
    m_statusBar->setFont(Look::font(QStringLiteral("MS Sans Serif"), 7.5));
    auto* panels = new QHBoxLayout(m_statusBar);
    // The panels end where the close button begins.
    const int closeButtonLeft = twipsToPx(CloseButtonTwips).left();
    panels->setContentsMargins(1, 1, m_statusBar->width() - closeButtonLeft + 1, 1);
    panels->setSpacing(2);
    m_todayWord = addPanel(panels, "todayWord", tr("Today"));
    m_todayWord->setFixedWidth(Twips::toPx(TodayPanelWidth));
    m_todayDate = addPanel(panels, "todayDate", tr("Today's date"));
}

void DatePicker::buildCloseButton()
{
    // Only the part inside the window can be seen or clicked.
    const QRect inside = twipsToPx(CloseButtonTwips).intersected(rect());
    m_closeButton =
        addPictureButton(this, "closeButton", tr("Close"), CalendarPictures::closeCross(), inside);
    m_closeButton->raise();
    connect(m_closeButton, &QPushButton::clicked, this, &DatePicker::reject);
}

void DatePicker::setTabOrderOfControls()
{
    const QList<QWidget*> order = {m_monthUpButton,  m_monthDownButton, m_dayGrid,
                                   m_monthTitle,     m_statusBar,       m_yearUpButton,
                                   m_yearDownButton, m_closeButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    m_monthUpButton->setFocus();
}

void DatePicker::fillWindow()
{
    // The opener places the window afterwards.
    move(0, 0);
    const QDate today = Clock::today();
    m_todayDate->setText(QLocale().toString(today, QStringLiteral("dddd, d - MMM - yyyy")));
    const std::optional<QDate> anchor = m_value.toDate();
    if (!anchor)
        m_value = CalendarDate::fromDate(today);
    m_anchor = anchor.value_or(today);
    showHeadings();
    showAnchorMonth();
}

void DatePicker::showHeadings()
{
    const Language& language = headingLanguage();
    m_todayWord->setText(QString::fromUtf16(language.today));
    m_days->setHeadings(language.headingTexts());
}

void DatePicker::moveAnchor(const QDate& anchor)
{
    m_anchor = anchor;
    m_value = CalendarDate::fromDate(anchor);
    showAnchorMonth();
}

void DatePicker::showAnchorMonth()
{
    m_monthTitle->setText(monthTitle(m_anchor));
    m_days->showMonthOf(m_anchor);
    // The anchor day is where the keyboard starts.
    m_dayGrid->setCurrentIndex(m_days->indexOfDay(m_anchor));
}

void DatePicker::pickDay(const QModelIndex& cell)
{
    // Headings and the blank cells around the month are no days: the picker stays open.
    const std::optional<QDate> day = m_days->dayAt(cell);
    if (!day)
        return;
    m_value = CalendarDate::fromText(DateText::toShort(*day));
    accept();
}

void DatePicker::reject()
{
    m_value = CalendarDate::emptyText();
    QDialog::reject();
}
