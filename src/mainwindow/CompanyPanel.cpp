#include "mainwindow/CompanyPanel.h"

#include "common/Twips.h"
#include "widgets/Look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CompanyPanel::CompanyPanel(QWidget* parent) : QFrame(parent), TxtCompany(new QLineEdit(this))
{
    setObjectName(QStringLiteral("PicCompany"));
    Look::paintPanel(this, QColor(0xFF, 0xC0, 0x80), 8355, 1845);
    Look::label(this, "Label3", QStringLiteral("Enter your company's name ..."),
                QRect(360, 180, 6195, 315), QStringLiteral("Verdana"));
    // Reaching a little further left than its design keeps the caption whole in the fonts
    // found here; its right edge stays by the text box.
    QLabel* caption =
        Look::label(this, "Label2", QStringLiteral("Company Name :"), QRect(30, 690, 1305, 255));
    caption->setBuddy(TxtCompany);

    TxtCompany->setObjectName(QStringLiteral("TxtCompany"));
    TxtCompany->setAccessibleName(tr("Company name"));
    TxtCompany->setGeometry(Twips::rect(1380, 630, 6765, 345));

    connect(Look::button(this, "CmdCancel1", QStringLiteral("Cancel"), 330, 1300),
            &QPushButton::clicked, this, &CompanyPanel::cancelClicked);
    QPushButton* save = Look::button(this, "cmdSave1", QStringLiteral("Save"), 6780, 1300);
    connect(save, &QPushButton::clicked, this,
            [this] { emit saveClicked(m_startedFrom, TxtCompany->text()); });
    connect(TxtCompany, &QLineEdit::returnPressed, save, &QPushButton::click);
}

void CompanyPanel::startEditing(const QString& name)
{
    m_startedFrom = name;
    TxtCompany->setText(name);
    TxtCompany->setFocus();
    TxtCompany->selectAll();
}
