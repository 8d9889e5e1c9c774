#include "about/frmLicence.h"

#include "about/LicenceText.h"
#include "common/Twips.h"
#include "widgets/Look.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

frmLicence::frmLicence(QWidget* parent)
    : QDialog(parent, Look::fixedDialogFlags()), Text1(new QPlainTextEdit(this)),
      cmdOK(new QPushButton(QStringLiteral("&Ok"), this))
{
    setObjectName(QStringLiteral("frmLicence"));
    setWindowTitle(QStringLiteral("Kendrix Licence Agreement"));
    setFixedSize(Twips::toPx(9600), Twips::toPx(5895));
    setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));

    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(tr("Licence agreement text"));
    Text1->setGeometry(Twips::rect(120, 135, 9360, 5025));
    Text1->setPlainText(LicenceText::agreement());
    // Read-only, yet the caret still walks the text so keyboard users can read and scroll it.
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setTabChangesFocus(true);
    Text1->installEventFilter(this);

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(3998, 5340, 1635, 375));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(Text1, cmdOK);
}

void frmLicence::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Look::centreOnScreen(*this);
    Text1->setFocus();
}

// In the text only the keys that move the caret or scroll do anything: Enter and Escape would
// otherwise reach the dialog and close it, though only "Ok" closes it. Tab still leaves the text.
bool frmLicence::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Text1 || event->type() != QEvent::KeyPress)
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
