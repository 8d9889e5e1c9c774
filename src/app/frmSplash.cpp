#include "app/frmSplash.h"

#include "common/ProgramTitle.h"
#include "common/Twips.h"
#include "widgets/Artwork.h"
#include "widgets/Look.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

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

frmSplash::frmSplash(std::function<void()> openMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_openMainWindow(std::move(openMainWindow)), Frame1(new QFrame(this)),
      Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(ProgramTitle);
    setFixedSize(Twips::toPx(9720), Twips::toPx(6930));
    setFocusPolicy(Qt::StrongFocus);

    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(150, 60, 9420, 6675));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Raised);
    Look::fillBackground(Frame1, QColor(0x00, 0x00, 0x80));
    Frame1->installEventFilter(this);

    Look::picture(Frame1, "Image1", tr("HBQ ORX Drill Organizer logo"), Artwork::productLogo,
                  QRect(600, 1100, 2600, 2600));
    Look::picture(Frame1, "Image2", tr("A ship at sea"), Artwork::ship,
                  QRect(3600, 3500, 5400, 2400));
    Look::picture(Frame1, "Image3", tr("A lifebuoy"), Artwork::lifebuoy,
                  QRect(8400, 180, 720, 720));
    Look::picture(Frame1, "Image4", tr("Title banner"), Artwork::banner, QRect(210, 960, 9000, 90));

    addLabel(Frame1, "lblCompanyProduct", QStringLiteral("HBQ Marine Software"),
             Look::font(QStringLiteral("Times New Roman"), 20.25, true), QColor(0xC0, 0xC0, 0xC0))
        ->setGeometry(Twips::rect(1170, 330, 6900, 465));
    addLabel(Frame1, "lblProductName", QStringLiteral("ORX DRILL ORGANIZER"),
             Look::font(QStringLiteral("Arial"), 20.25, true), Qt::white)
        ->setGeometry(Twips::rect(3600, 1200, 5700, 600));
    QLabel* platform = addLabel(Frame1, "lblPlatform", QStringLiteral("for Windows"),
                                Look::font(QStringLiteral("Arial"), 15.75, true), Qt::white);
    platform->move(Twips::toPx(6135), Twips::toPx(1980));
    platform->adjustSize();
    QLabel* version = addLabel(Frame1, "lblVersion", QStringLiteral("Version : 1.0"),
                               Look::font(QStringLiteral("Arial"), 12, true), Qt::white);
    version->move(Twips::toPx(6300), Twips::toPx(2520));
    version->adjustSize();

    // The pointer is the hourglass until the splash goes.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_pointerIsHourglass = true;
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3500);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::handOver);
    Timer1->start();
}

frmSplash::~frmSplash()
{
    releasePointer();
}

void frmSplash::releasePointer()
{
    if (m_pointerIsHourglass)
        QGuiApplication::restoreOverrideCursor();
    m_pointerIsHourglass = false;
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    Timer1->stop();
    releasePointer();
    QWidget::closeEvent(event);
}

void frmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    activateWindow();
    setFocus();
}

void frmSplash::keyPressEvent(QKeyEvent*)
{
    handOver();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmSplash::handOver()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    Timer1->stop();
    m_openMainWindow();
    close();
}
