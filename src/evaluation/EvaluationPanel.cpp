#include "evaluation/EvaluationPanel.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDatabase.h"
#include "data/PrintEvalTable.h"
#include "evaluation/DrillEvalReport.h"
#include "reports/ReportRequest.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Look.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <numeric>

namespace {

const QString MessageTitle = QStringLiteral("Drill Evaluation");
const QColor LightRed(255, 192, 192);

constexpr int WidthTwips = 10905;
constexpr int HeightTwips = 7395;
constexpr int RowLeft = 180;
constexpr int RowWidth = 10545;
constexpr int PlainRowHeight = 375;
constexpr int HeadedRowHeight = 585;
constexpr int GroupLeft = 8520;
constexpr int RowTops[] = {1980, 2340, 2700, 3060, 3630, 4200, 4770, 5340, 5910, 6270};
constexpr int ButtonLefts[] = {120, 540, 960, 1380, 1830};
constexpr int ColumnHeadLefts[] = {8640, 9060, 9510, 9930, 10350};

const QString ScaleNames[] = {QStringLiteral("Poor"), QStringLiteral("Medium"),
                              QStringLiteral("Good"), QStringLiteral("Very Good"),
                              QStringLiteral("Excellent")};

struct Question
{
    QString heading; // rows 4 to 8 only, with their step part
    QString step;
    QString text;
};

const QString IncidentReport = QStringLiteral("INCIDENT REPORT TO HBQ ORX TEAM");

const Question Questions[EvaluationTable::QuestionCount] = {
    {{}, {}, QStringLiteral("1. How well the drill was organized? (preparation of scenario etc.)")},
    {{},
     {},
     QStringLiteral("2. Was the last sailing condition report readily available from the "
                    "ship?")},
    {{}, {}, QStringLiteral("3. Was the initial request to HBQ ORX Team correctly/promptly done?")},
    {IncidentReport, QStringLiteral("- Step 1 of 3:"),
     QStringLiteral("Was the incident general information & intact condition immediately before "
                    "damage correctly/promptly reported?")},
    {IncidentReport, QStringLiteral("- Step 2 of 3:"),
     QStringLiteral("Were the incident details covering both Free Floating and Grounding "
                    "Conditions correctly/promptly reported?")},
    {IncidentReport, QStringLiteral("- Step 3 of 3:"),
     QStringLiteral("Was the SOPEP Initial Report correctly/promptly reported?")},
    {QStringLiteral("DAMAGE CONDITION EVALUATION:"),
     {},
     QStringLiteral("Was the condition of the ship after the incident effectively determined by "
                    "the HBQ ORX Team+ Company+ Ship?")},
    {QStringLiteral("FOLLOW UP REPORTS/CORRECTIVE ACTIONS:"),
     {},
     QStringLiteral("Were the corrective actions properly calculated/ implemented by the Company "
                    "ER Team/HBQ ORX Team/Ship?")},
    {{},
     {},
     QStringLiteral("9. Was the Daily Log of the incident correctly updated during the "
                    "Drill?")},
    {{},
     {},
     QStringLiteral("10. Was the Index of Record Keeping correctly updated for ISM "
                    "files?")},
};

QFont captionFont()
{
    return Look::font(QStringLiteral("Verdana"), 8.25, true);
}

// The field captions end where their values begin; a semi-condensed face keeps them whole.
QFont fieldCaptionFont()
{
    QFont font = captionFont();
    font.setStretch(QFont::SemiCondensed);
    return font;
}

QLabel* addLabel(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Look::place(label, left, top, width, height);
    return label;
}

QLabel* addCaption(QWidget* parent, const QString& text, int left, int top, int width,
                   int height = 255)
{
    QLabel* caption = addLabel(parent, text, left, top, width, height);
    caption->setFont(fieldCaptionFont());
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return caption;
}

// A label whose text the program sets: a screen reader reads that text, and the caption
// beside it describes it.
QLabel* addValue(QWidget* parent, const char* name, const QString& description, int left, int top,
                 int width, int height = 255)
{
    auto* value = new ElidingLabel(parent);
    value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Look::place(value, left, top, width, height);
    value->setObjectName(QString::fromLatin1(name));
    value->setAccessibleDescription(description);
    return value;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text, int left, int top,
                       int width)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    Look::place(button, left, top, width, 375);
    return button;
}

// Unchecks every button, which an exclusive group does not allow by itself.
void clearGroup(QButtonGroup* group)
{
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

} // namespace

EvaluationPanel::EvaluationPanel(DrillDatabase& db, Messages& messages, QString applicationFolder,
                                 QWidget* parent)
    : QFrame(parent), m_db(db), m_messages(messages), m_folder(std::move(applicationFolder)),
      m_formReport(messages, this)
{
    setObjectName(QStringLiteral("evaluationPanel"));
    setAccessibleName(tr("Drill evaluation questionnaire"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    Look::fillBackground(this, LightRed);
    setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    setFixedSize(Twips::toPx(WidthTwips), Twips::toPx(HeightTwips));
    buildHeader();
    buildQuestions();
    buildFooter();
    hide();
}

void EvaluationPanel::buildHeader()
{
    addCaption(this, QStringLiteral("Company Name :"), 60, 150, 1440);
    m_companyLabel = addValue(this, "companyLabel", tr("Company name"), 1530, 150, 4050);
    addCaption(this, QStringLiteral("Drill Date :"), 5640, 150, 1320);
    m_drillDateLabel = addValue(this, "drillDateLabel", tr("Drill date"), 6990, 150, 3735);
    addCaption(this, QStringLiteral("Ship Name :"), 210, 510, 1350);
    m_shipLabel = addValue(this, "shipLabel", tr("Ship name"), 1590, 510, 3930);
    addCaption(this, QStringLiteral("Ship's Master :"), 5580, 510, 1350);
    m_masterLabel = addValue(this, "masterLabel", tr("Ship's master"), 6960, 510, 3765);

    QLabel* title = addLabel(this, QStringLiteral("QUESTIONS FOR THE HBQ ORX DRILL EVALUATION"),
                             150, 870, 10605, 315);
    title->setFont(Look::font(QStringLiteral("Verdana"), 9.75, true));
    title->setAlignment(Qt::AlignCenter);

    addCaption(this, QStringLiteral("Important Notes:"), 150, 1290, 1470)
        ->setAlignment(Qt::AlignRight | Qt::AlignTop);
    QLabel* notes = addLabel(
        this,
        QStringLiteral("This questionnaire provides simple means to evaluate an HBQ ORX Drill "
                       "Exercise involving all three parties: the Ship, the Company's ER Team "
                       "and HBQ ORX Team."),
        1650, 1290, 9075, 450);
    notes->setFont(Look::font(QStringLiteral("Verdana"), 8.25, false, true));
    notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notes->setWordWrap(true);

    addCaption(this, QStringLiteral("Evaluation Scale:"), 150, 1770, 1440, 210);
    addLabel(this, QStringLiteral("(1: Poor, 2:Medium, 3:Good, 4:Very Good, 5:Excellent)"), 1620,
             1770, 6900, 210);
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth);
    for (int scale = 1; scale <= EvaluationTable::ScaleSize; ++scale) {
        QLabel* head =
            addLabel(this, QString::number(scale), ColumnHeadLefts[scale - 1], 1770, 240, 210);
        head->setObjectName(QStringLiteral("scaleHeading%1").arg(scale));
        head->setFont(captionFont());
        head->setAlignment(Qt::AlignCenter);
        head->resize(indicator, head->height()); // centred over the button's circle
    }
}

void EvaluationPanel::buildQuestions()
{
    for (int question = 1; question <= EvaluationTable::QuestionCount; ++question) {
        QFrame* row = addQuestionRow(question, RowTops[question - 1]);
        addOptionGroup(question, row);
    }
}

QFrame* EvaluationPanel::addQuestionRow(int question, int top)
{
    const Question& content = Questions[question - 1];
    const bool headed = !content.heading.isEmpty();
    auto* row = new QFrame(this);
    row->setObjectName(QStringLiteral("Question%1").arg(question));
    row->setFrameStyle(QFrame::Box | QFrame::Plain);
    Look::place(row, RowLeft, top, RowWidth, headed ? HeadedRowHeight : PlainRowHeight);

    // Texts end just before the first answer button.
    const int textRight = GroupLeft - RowLeft + ButtonLefts[0] - 30;
    if (!headed) {
        addLabel(row, content.text, 60, 0, textRight - 60, PlainRowHeight)
            ->setObjectName(QStringLiteral("questionText%1").arg(question));
        return row;
    }
    // The heading line and up to two lines of question text share the row.
    auto* heading = new QLabel(row);
    heading->setTextFormat(Qt::RichText);
    heading->setText(content.heading.toHtmlEscaped() +
                     QStringLiteral(" <span style=\"font-family: Verdana; font-weight: bold\">"
                                    "%1</span>")
                         .arg(content.step.toHtmlEscaped()));
    heading->setFont(Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25));
    Look::place(heading, 300, 15, textRight - 300, 180);

    addLabel(row, QStringLiteral("%1.").arg(question), 60, 195, 240, 360);
    QLabel* text = addLabel(row, content.text, 300, 195, textRight - 300, 360);
    text->setObjectName(QStringLiteral("questionText%1").arg(question));
    text->setWordWrap(true);
    return row;
}

void EvaluationPanel::addOptionGroup(int question, QWidget* row)
{
    auto* box = new QWidget(row);
    box->setObjectName(QStringLiteral("questionRow%1").arg(question));
    Look::fillBackground(box, LightRed);
    const int height = row->height() - 2;
    box->setGeometry(Twips::toPx(GroupLeft - RowLeft), 1, Twips::toPx(2160), height);

    auto* group = new QButtonGroup(this);
    group->setObjectName(QStringLiteral("question%1").arg(question));
    for (int index = 0; index < EvaluationTable::ScaleSize; ++index) {
        auto* button = new QRadioButton(box);
        button->setObjectName(QStringLiteral("question%1_%2").arg(question).arg(index));
        button->setAccessibleName(tr("Question %1: %2").arg(question).arg(ScaleNames[index]));
        button->setToolTip(QStringLiteral("%1 %2").arg(index + 1).arg(ScaleNames[index]));
        const QSize size = button->sizeHint();
        button->setGeometry(Twips::toPx(ButtonLefts[index]), (height - size.height()) / 2,
                            size.width(), size.height());
        group->addButton(button, index);
    }
    connect(group, &QButtonGroup::idToggled, this, [this] { showTotal(); });
    m_options[question - 1] = group;
}

void EvaluationPanel::buildFooter()
{
    m_cancelFormButton =
        addButton(this, "cancelFormButton", QStringLiteral("Cancel"), 150, 6930, 1455);
    m_printFormButton =
        addButton(this, "printFormButton", QStringLiteral("Print Preview"), 1740, 6930, 1455);

    addCaption(this, QStringLiteral("Total Evaluation (%) :"), 5700, 6960, 2250);
    m_totalLabel =
        addValue(this, "totalLabel", tr("Total evaluation in percent"), 8010, 6840, 1215, 405);
    m_totalLabel->setFont(captionFont());
    m_totalLabel->setAlignment(Qt::AlignCenter);
    m_totalLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Look::fillBackground(m_totalLabel, Qt::white);

    m_confirmButton = addButton(this, "confirmButton", QStringLiteral("Save"), 9540, 6960, 1215);

    connect(m_cancelFormButton, &QPushButton::clicked, this, &EvaluationPanel::cancel);
    connect(m_printFormButton, &QPushButton::clicked, this, &EvaluationPanel::printForm);
    connect(m_confirmButton, &QPushButton::clicked, this, &EvaluationPanel::confirm);
}

void EvaluationPanel::setCompanyName(const QString& name)
{
    m_companyLabel->setText(name);
}

void EvaluationPanel::setSaveEnabled(bool enabled)
{
    m_confirmButton->setEnabled(enabled);
}

bool EvaluationPanel::openForDrill(qint64 idDrill, const QString& ship, const QString& drillDate,
                                   const QString& master, int column,
                                   const std::optional<EvaluationTable::Answers>& stored,
                                   bool readOnly)
{
    if (!stored) {
        m_messages.tell(Messages::Icon::Critical, MessageTitle,
                        tr("The answers of this drill could not be opened in the database. "
                           "Please try again."));
        return false;
    }
    m_idDrill = idDrill;
    m_drill = EvaluationTable::drillOfColumn(column);
    m_confirmButton->setVisible(!readOnly);
    setOptionsEnabled(!readOnly);
    m_shipLabel->setText(ship);
    m_drillDateLabel->setText(drillDate);
    m_masterLabel->setText(master);
    m_openedWith = *stored;
    showAnswers(*stored);
    showTotal();
    return true;
}

void EvaluationPanel::setOptionsEnabled(bool enabled)
{
    for (QButtonGroup* group : m_options) {
        for (QAbstractButton* option : group->buttons())
            option->setEnabled(enabled);
    }
}

void EvaluationPanel::openBlank()
{
    m_confirmButton->hide();
    setOptionsEnabled(true);
    m_shipLabel->clear();
    m_drillDateLabel->clear();
    m_masterLabel->clear();
    showAnswers({});
    m_totalLabel->clear();
}

void EvaluationPanel::showAnswers(const EvaluationTable::Answers& answers)
{
    for (int question = 0; question < EvaluationTable::QuestionCount; ++question) {
        QButtonGroup* group = m_options[question];
        clearGroup(group);
        if (QAbstractButton* chosen = group->button(answers[question] - 1))
            chosen->setChecked(true);
    }
}

EvaluationTable::Answers EvaluationPanel::shownAnswers() const
{
    EvaluationTable::Answers answers{};
    for (int question = 0; question < EvaluationTable::QuestionCount; ++question)
        answers[question] = m_options[question]->checkedId() + 1; // -1 (none) gives 0
    return answers;
}

int EvaluationPanel::totalPercent() const
{
    const EvaluationTable::Answers answers = shownAnswers();
    return 2 * std::accumulate(answers.begin(), answers.end(), 0);
}

void EvaluationPanel::showTotal()
{
    m_totalLabel->setText(QString::number(totalPercent()));
}

void EvaluationPanel::confirm()
{
    emit saveRequested({m_openedWith, shownAnswers()}, m_totalLabel->text());
}

void EvaluationPanel::cancel()
{
    finish();
}

void EvaluationPanel::finish()
{
    hide();
    emit closed();
}

PrintEvalTable::Questionnaire EvaluationPanel::shownQuestionnaire() const
{
    PrintEvalTable::Questionnaire questionnaire;
    questionnaire.company = m_companyLabel->text();
    questionnaire.ship = m_shipLabel->text();
    questionnaire.drillDate = m_drillDateLabel->text();
    questionnaire.master = m_masterLabel->text();
    questionnaire.total = m_totalLabel->text();
    questionnaire.answers = shownAnswers();
    return questionnaire;
}

bool EvaluationPanel::fillPrintTable()
{
    if (PrintEvalTable::refill(m_db, shownQuestionnaire(), Clock::now()))
        return true;
    tellNotPrintable();
    return false;
}

void EvaluationPanel::tellNotPrintable()
{
    m_messages.tell(Messages::Icon::Critical, MessageTitle,
                    tr("The questionnaire could not be prepared for printing: the database "
                       "refused to store it. Please try again."));
}

void EvaluationPanel::printThrough(DatabaseWorker& worker)
{
    m_printRequest = new ReportRequest(worker, m_formReport, tr("the printed questionnaire"), this);
    connect(m_printRequest, &ReportRequest::waitShown, this, &EvaluationPanel::waitShown);
    connect(m_printRequest, &ReportRequest::refused, this, &EvaluationPanel::tellNotPrintable);
}

void EvaluationPanel::printForm()
{
    if (m_printRequest && m_printRequest->isWaiting())
        return; // the form as it was asked for is on its way
    DrillEvalReport::prepare(m_formReport, m_db, m_folder);
    m_formReport.setDestination(ReportControl::Destination::Window);
    if (!m_printRequest) {
        if (fillPrintTable())
            m_formReport.run();
        return;
    }
    m_printRequest->start([questionnaire = shownQuestionnaire(),
                           now = Clock::now()](DrillDatabase& db, DataFailure* failure) {
        return PrintEvalTable::refill(db, questionnaire, now, failure);
    });
}
