#include "widgets/QtMessages.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

bool QtMessages::askYesNo(const QString& title, const QString& text)
{
    return QMessageBox::question(QApplication::activeWindow(), title, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtMessages::tell(Icon icon, const QString& title, const QString& text)
{
    const QMessageBox::Icon shown = icon == Icon::Critical   ? QMessageBox::Critical
                                    : icon == Icon::Question ? QMessageBox::Question
                                                             : QMessageBox::Information;
    QMessageBox box(shown, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

std::optional<QString> QtMessages::askText(const QString& title, const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), title, text,
                                                 QLineEdit::Normal, {}, &ok);
    return ok ? std::optional<QString>(answer) : std::nullopt;
}
