#include "app/SplashScreen.h"

#include "common/ProgramTitle.h"
#include "common/Twips.h"
#include "widgets/Artwork.h"
#include "widgets/Look.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                 const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    Look::setTextColour(label, colour);
    return label;
}

} // namespace

SplashScreen::SplashScreen(std::function<void()> openMainWindow, Tickers& tickers, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_openMainWindow(std::move(openMainWindow)), m_splashFrame(new QFrame(this)),
      m_handOverTimer(tickers.make(Ticker::Step::SplashHandOver, std::chrono::milliseconds(3500),
                                   Ticker::Repeat::Once, this))
{
    setObjectName(QStringLiteral("SplashScreen"));
    setWindowTitle(ProgramTitle);
    setFixedSize(Twips::toPx(9720), Twips::toPx(6930));
    setFocusPolicy(Qt::StrongFocus);

    m_splashFrame->setObjectName(QStringLiteral("splashFrame"));
    m_splashFrame->setGeometry(Twips::rect(150, 60, 9420, 6675));
    m_splashFrame->setFrameStyle(QFrame::Box | QFrame::Raised);
    Look::fillBackground(m_splashFrame, QColor(0x00, 0x00, 0x80));
    m_splashFrame->installEventFilter(this);

    Look::picture(m_splashFrame, "productLogo", tr("HBQ ORX Drill Organizer logo"),
                  Artwork::productLogo, QRect(600, 1100, 2600, 2600));
    Look::picture(m_splashFrame, "shipPicture", tr("A ship at sea"), Artwork::ship,
                  QRect(3600, 3500, 5400, 2400));
    Look::picture(m_splashFrame, "lifebuoyPicture", tr("A lifebuoy"), Artwork::lifebuoy,
                  QRect(8400, 180, 720, 720));
    Look::picture(m_splashFrame, "titleBanner", tr("Title banner"), Artwork::banner,
                  QRect(210, 960, 9000, 90));

    addLabel(m_splashFrame, "makerName", QStringLiteral("HBQ Marine Software"),
             Look::font(QStringLiteral("Times New Roman"), 20.25, true), QColor(0xC0, 0xC0, 0xC0))
        ->setGeometry(Twips::rect(1170, 330, 6900, 465));
    addLabel(m_splashFrame, "productName", QStringLiteral("ORX DRILL ORGANIZER"),
             Look::font(QStringLiteral("Arial"), 20.25, true), Qt::white)
        ->setGeometry(Twips::rect(3600, 1200, 5700, 600));
    QLabel* platform = addLabel(m_splashFrame, "platformLabel", QStringLiteral("for Windows"),
                                Look::font(QStringLiteral("Arial"), 15.75, true), Qt::white);
    platform->move(Twips::toPx(6135), Twips::toPx(1980));
    platform->adjustSize();
    QLabel* version = addLabel(m_splashFrame, "versionLabel", QStringLiteral("Version : 1.0"),
                               Look::font(QStringLiteral("Arial"), 12, true), Qt::white);
    version->move(Twips::toPx(6300), Twips::toPx(2520));
    version->adjustSize();

    // The pointer is the hourglass until the splash goes.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_pointerIsHourglass = true;
    connect(m_handOverTimer, &Ticker::ticked, this, &SplashScreen::handOver);
    m_handOverTimer->start();
}

SplashScreen::~SplashScreen()
{
    releasePointer();
}

void SplashScreen::releasePointer()
{
    if (m_pointerIsHourglass)
        QGuiApplication::restoreOverrideCursor();
    m_pointerIsHourglass = false;
}

void SplashScreen::closeEvent(QCloseEvent* event)
{
    m_handOverTimer->stop();
    releasePointer();
    QWidget::closeEvent(event);
}

void SplashScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    activateWindow();
    setFocus();
}

void SplashScreen::keyPressEvent(QKeyEvent*)
{
    handOver();
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_splashFrame && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashScreen::handOver()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    m_handOverTimer->stop();
    m_openMainWindow();
    close();
}
