#include "widgets/QtMessages.h"

#include "widgets/Look.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

// A box of a fixed size, so it has no maximise button, whose Enter presses `preferred` when
// given; *shown points to it while it is open.
int showBox(QMessageBox::Icon icon, const QString& title, const QString& text,
            QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton preferred = QMessageBox::NoButton,
            QPointer<QMessageBox>* shown = nullptr)
{
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow(),
                    Look::fixedDialogFlags());
    box.setDefaultButton(preferred);
    if (shown)
        *shown = &box;
    return box.exec();
}

} // namespace

bool QtMessages::askYesNo(const QString& title, const QString& text)
{
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtMessages::askToReplace(const QString& title, const QString& text)
{
    return showBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == QMessageBox::Yes;
}

void QtMessages::tell(Icon icon, const QString& title, const QString& text)
{
    const QMessageBox::Icon shown = icon == Icon::Critical   ? QMessageBox::Critical
                                    : icon == Icon::Question ? QMessageBox::Question
                                                             : QMessageBox::Information;
    showBox(shown, title, text, QMessageBox::Ok, QMessageBox::NoButton, &m_told);
}

void QtMessages::withdraw()
{
    if (m_told)
        m_told->done(QMessageBox::Ok);
}

std::optional<QString> QtMessages::askText(const QString& title, const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), title, text,
                                                 QLineEdit::Normal, {}, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}
