#include "about/LicenceViewer.h"

#include "about/LicenceText.h"
#include "common/Twips.h"
#include "widgets/Look.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

LicenceViewer::LicenceViewer(QWidget* parent)
    : QDialog(parent, Look::fixedDialogFlags()), m_licenceText(new QPlainTextEdit(this)),
      m_okButton(new QPushButton(QStringLiteral("&Ok"), this))
{
    setObjectName(QStringLiteral("LicenceViewer"));
    setWindowTitle(QStringLiteral("Kendrix Licence Agreement"));
    setFixedSize(Twips::toPx(9600), Twips::toPx(5895));
    setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));

    m_licenceText->setObjectName(QStringLiteral("licenceText"));
    m_licenceText->setAccessibleName(tr("Licence agreement text"));
    m_licenceText->setGeometry(Twips::rect(120, 135, 9360, 5025));
    m_licenceText->setPlainText(LicenceText::agreement());
    // Read-only, yet the caret still walks the text so keyboard users can read and scroll it.
    m_licenceText->setReadOnly(true);
    m_licenceText->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                           Qt::TextSelectableByMouse);
    m_licenceText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_licenceText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_licenceText->setTabChangesFocus(true);
    m_licenceText->installEventFilter(this);

    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(Twips::rect(3998, 5340, 1635, 375));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(m_licenceText, m_okButton);
}

void LicenceViewer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Look::centreOnScreen(*this);
    m_licenceText->setFocus();
}

// Only "Ok" closes the agreement: Escape does nothing, wherever the focus is.
void LicenceViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

// In the text only the keys that move the caret or scroll do anything: Enter and Escape would
// otherwise reach the dialog and close it, though only "Ok" closes it. Tab still leaves the text.
bool LicenceViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_licenceText || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        return true;
    }
}
