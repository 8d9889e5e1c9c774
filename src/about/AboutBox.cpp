#include "about/AboutBox.h"

#include "about/LicenceViewer.h"
#include "about/MakerLogo.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "widgets/Artwork.h"
#include "widgets/Look.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

namespace {

// The maker's lines; plainly fictional.
const QString DistributorLines[] = {
    QStringLiteral("This program is freely distributed by:"),
    QStringLiteral("HBQ Marine Software Ltd."),
    QStringLiteral("1 Harbour Way, Example Bay"),
    QStringLiteral("Tel/Fax +00 555 0100"),
    QStringLiteral("hbq-marine.example.com, orx@hbq-marine.example.com"),
};
const QString CopyrightLine = QStringLiteral("Copyright \u00A9 2024 HBQ Marine Software Ltd.");
const QString LicenceLine = QStringLiteral("Freeware under the Kendrix Licence Agreement.");
const QString LegalWarning =
    QStringLiteral("Warning: this program is protected by copyright law and international "
                   "treaties. It may be copied and given away free of charge, but not sold or "
                   "changed.");

// Tried in this order; the first one on the PATH is started.
const QStringList SysInfoPrograms = {QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                                     QStringLiteral("kinfocenter"),
                                     QStringLiteral("gnome-system-monitor")};

constexpr int LabelGapPx = 10;
constexpr int ParagraphGapPx = 8;

QString findSysInfoProgram()
{
    for (const QString& name : SysInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QLabel* addLabel(QWidget* parent, const char* name, const QFont& font, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text,
                       const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    return button;
}

} // namespace

AboutBox::AboutBox(Messages& messages, Shell& shell, QWidget* parent)
    : QDialog(parent, Look::fixedDialogFlags()), m_messages(messages), m_shell(shell)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(Twips::toPx(6360), Twips::toPx(4665));
    setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    createPictures();
    createLabels();
    createButtons();
    fillWindow();
}

QString AboutBox::distributorText(int major, int minor, int revision)
{
    QString text;
    for (const QString& line : DistributorLines)
        text += line + u'\n';
    return text + QStringLiteral("(revision: %1.%2.%3)").arg(major).arg(minor).arg(revision);
}

void AboutBox::startSystemInfo()
{
    const QString program = findSysInfoProgram();
    if (!program.isEmpty() && m_shell.startProgram(program, {}))
        return;
    m_messages.tell(Messages::Icon::Information, QStringLiteral("Kendrix"),
                    QStringLiteral("System Information Is Unavailable At This Time."));
}

void AboutBox::showDataFile(const QString& filePath)
{
    const QString path = QDir::toNativeSeparators(filePath);
    const QRect line = Twips::rect(120, 4200, 6120, 240);
    const int lineHeight = Twips::toPx(300);
    setFixedSize(width(), height() + lineHeight);
    for (QPushButton* button : {m_okButton, m_systemInfoButton, m_licenceButton})
        button->move(button->x(), button->y() + lineHeight);
    m_dataFileLabel = new QLabel(this);
    m_dataFileLabel->setObjectName(QStringLiteral("dataFileLabel"));
    m_dataFileLabel->setGeometry(line);
    // A long path keeps its start and its file name; the whole of it is in the tip.
    m_dataFileLabel->setText(m_dataFileLabel->fontMetrics().elidedText(
        tr("Data file: %1").arg(path), Qt::ElideMiddle, line.width()));
    m_dataFileLabel->setToolTip(path);
    m_dataFileLabel->setAccessibleDescription(path);
    m_dataFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_dataFileLabel->show();
}

void AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Look::centreOnScreen(*this);
}

void AboutBox::createPictures()
{
    m_programPicture = Look::picture(this, "programPicture", tr("HBQ ORX Drill Organizer picture"),
                                     Artwork::lifebuoy, QRect(120, 120, 480, 480));
    m_makerLogo = Look::picture(this, "makerLogo", tr("HBQ Marine Software logo"), MakerLogo::draw,
                                QRect(120, 690, 3645, 2835));
}

void AboutBox::createLabels()
{
    m_titleLabel =
        addLabel(this, "titleLabel", Look::font(QStringLiteral("MS Sans Serif"), 9.75, true),
                 Twips::rect(720, 120, 4920, 300));
    m_versionLabel =
        addLabel(this, "versionLabel", Look::font(QStringLiteral("MS Sans Serif"), 8.25, true),
                 Twips::rect(720, 420, 4920, 240));
    // Holds no text, it only places m_distributorLines; hidden so screen readers skip it.
    m_companyAnchor = addLabel(this, "companyAnchor", font(), Twips::rect(3885, 690, 2355, 0));
    m_companyAnchor->hide();
    m_distributorLines = addLabel(this, "distributorLines", font(), Twips::rect(3885, 0, 2355, 0));
    m_copyrightLabel = addLabel(this, "copyrightLabel", font(), Twips::rect(3885, 0, 2355, 0));
    m_warningLabel = addLabel(this, "warningLabel", font(), Twips::rect(120, 3690, 6120, 420));
    m_warningLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void AboutBox::createButtons()
{
    // Created in tab order: OK first, so it has the focus when the box opens.
    m_okButton =
        addButton(this, "okButton", QStringLiteral("OK"), Twips::rect(4980, 4200, 1260, 345));
    m_systemInfoButton = addButton(this, "systemInfoButton", QStringLiteral("&System Info..."),
                                   Twips::rect(3390, 4200, 1500, 345));
    m_licenceButton = addButton(this, "licenceButton", QStringLiteral("Licence Agreement"),
                                Twips::rect(1500, 4200, 1800, 345));
    // Enter presses OK as the default button; Escape closes the box as well.
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_systemInfoButton, &QPushButton::clicked, this, &AboutBox::startSystemInfo);
    connect(m_licenceButton, &QPushButton::clicked, this, &AboutBox::showLicence);
}

void AboutBox::fillWindow()
{
    setWindowTitle(QStringLiteral("About ") + ProgramTitle);
    m_copyrightLabel->setText(CopyrightLine + u'\n' + LicenceLine);
    m_versionLabel->setText(QStringLiteral("Version 1.0"));
    m_titleLabel->setText(ProgramTitle);
    m_distributorLines->setText(distributorText(VersionMajor, VersionMinor, VersionRevision));
    m_warningLabel->setText(LegalWarning);
    placeBelow(m_distributorLines, m_companyAnchor, LabelGapPx);
    placeBelow(m_copyrightLabel, m_distributorLines, ParagraphGapPx);
}

// Moves the label under its anchor and lets it grow to the height its text needs.
void AboutBox::placeBelow(QLabel* label, const QWidget* anchor, int gapPx)
{
    label->move(label->x(), anchor->y() + anchor->height() + gapPx);
    label->resize(label->width(), label->heightForWidth(label->width()));
}

void AboutBox::showLicence()
{
    LicenceViewer licence(this);
    licence.exec();
}
