#include "app/frmSplash.h"

#include "common/Twips.h"
#include "widgets/Artwork.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                 const QColor& colour, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

QFont fontOf(const QString& family, qreal points)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void addPicture(QWidget* parent, const char* name, const QString& description,
                const QPixmap& pixmap, const QPoint& topLeftTwips)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setAccessibleName(description);
    picture->setPixmap(pixmap);
    picture->move(Twips::toPx(topLeftTwips.x()), Twips::toPx(topLeftTwips.y()));
    picture->resize(pixmap.size());
}

} // namespace

frmSplash::frmSplash(std::function<void()> openMainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      m_openMainWindow(std::move(openMainWindow)), Frame1(new QFrame(this)),
      Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("HBQ ORX DRILL ORGANIZER"));
    setFixedSize(Twips::toPx(9720), Twips::toPx(6930));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);

    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(150, 60, 9420, 6675));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Raised);
    Frame1->setAutoFillBackground(true);
    QPalette navy = Frame1->palette();
    navy.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
    Frame1->setPalette(navy);
    Frame1->installEventFilter(this);

    addPicture(Frame1, "Image1", tr("HBQ ORX Drill Organizer logo"),
               Artwork::productLogo(Twips::rect(0, 0, 2600, 2600).size()), {600, 1100});
    addPicture(Frame1, "Image2", tr("A ship at sea"),
               Artwork::ship(Twips::rect(0, 0, 5400, 2400).size()), {3600, 3500});
    addPicture(Frame1, "Image3", tr("A lifebuoy"),
               Artwork::lifebuoy(Twips::rect(0, 0, 900, 900).size()), {8200, 300});
    addPicture(Frame1, "Image4", tr("Title banner"),
               Artwork::banner(Twips::rect(0, 0, 9000, 90).size()), {210, 900});

    addLabel(Frame1, "lblCompanyProduct", QStringLiteral("HBQ Marine Software"),
             fontOf(QStringLiteral("Times New Roman"), 20.25), QColor(0xC0, 0xC0, 0xC0),
             Twips::rect(1170, 330, 6900, 465));
    addLabel(Frame1, "lblProductName", QStringLiteral("ORX DRILL ORGANIZER"),
             fontOf(QStringLiteral("Arial"), 20.25), Qt::white,
             Twips::rect(3600, 1200, 5700, 600));
    QLabel* platform = addLabel(Frame1, "lblPlatform", QStringLiteral("for Windows"),
                                fontOf(QStringLiteral("Arial"), 15.75), Qt::white, {});
    platform->move(Twips::toPx(6135), Twips::toPx(1980));
    platform->adjustSize();
    QLabel* version = addLabel(Frame1, "lblVersion", QStringLiteral("Version : 1.0"),
                               fontOf(QStringLiteral("Arial"), 12), Qt::white, {});
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
