#include "mainwindow/CompanyPanel.h"

#include "common/Twips.h"
#include "widgets/Look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CompanyPanel::CompanyPanel(QWidget* parent) : QFrame(parent), m_companyNameBox(new QLineEdit(this))
{
    setObjectName(QStringLiteral("companyPanel"));
    Look::paintPanel(this, QColor(0xFF, 0xC0, 0x80), 8355, 1845);
    Look::label(this, "companyTitle", QStringLiteral("Enter your company's name ..."),
                QRect(360, 180, 6195, 315), QStringLiteral("Verdana"));
    // Reaching a little further left than its design keeps the caption whole in the fonts
    // found here; its right edge stays by the text box.
    QLabel* caption = Look::label(this, "companyNameCaption", QStringLiteral("Company Name :"),
                                  QRect(30, 690, 1305, 255));
    caption->setBuddy(m_companyNameBox);

    m_companyNameBox->setObjectName(QStringLiteral("companyNameBox"));
    m_companyNameBox->setAccessibleName(tr("Company name"));
    m_companyNameBox->setGeometry(Twips::rect(1380, 630, 6765, 345));

    connect(Look::button(this, "cancelCompanyButton", QStringLiteral("Cancel"), 330, 1300),
            &QPushButton::clicked, this, &CompanyPanel::cancelClicked);
    m_saveButton = Look::button(this, "saveCompanyButton", QStringLiteral("Save"), 6780, 1300);
    connect(m_saveButton, &QPushButton::clicked, this,
            [this] { emit saveClicked(m_startedFrom, m_companyNameBox->text()); });
    connect(m_companyNameBox, &QLineEdit::returnPressed, m_saveButton, &QPushButton::click);
}

void CompanyPanel::startEditing(const QString& name)
{
    m_startedFrom = name;
    m_companyNameBox->setText(name);
    m_companyNameBox->setFocus();
    m_companyNameBox->selectAll();
}

void CompanyPanel::setSaveEnabled(bool enabled)
{
    m_saveButton->setEnabled(enabled);
}
