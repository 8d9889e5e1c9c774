#include "mainwindow/PanelHost.h"

#include "common/Twips.h"
#include "evaluation/EvaluationPanel.h"
#include "mainwindow/CompanyPanel.h"
#include "mainwindow/FleetPanel.h"
#include "widgets/Look.h"

#include <QEvent>
#include <QFrame>

#include <algorithm>

namespace {

const QColor ShadeGrey(0x40, 0x40, 0x40);
constexpr int ShadeOffsetTwips = 100;
constexpr int PanelLeftTwips = 2280;
constexpr int QuestionnaireTopTwips = 120;

} // namespace

PanelHost::PanelHost(QWidget& window)
    : QObject(&window), m_window(window), m_shade(new QFrame(&window)),
      m_fleet(new FleetPanel(&window)), m_company(new CompanyPanel(&window))
{
    m_shade->setObjectName(QStringLiteral("shade"));
    Look::fillBackground(m_shade, ShadeGrey);
    m_shade->hide();

    connect(m_fleet, &FleetPanel::saveClicked, this, [this] {
        m_fleet->commitEdit(); // a ship typed just before "Save" belongs to the fleet
        hideAll();
        emit fleetSaved();
    });
    // Closing the fleet's panel drops what was typed but not stored.
    connect(m_fleet, &FleetPanel::cancelClicked, this, &PanelHost::hideAll);
    connect(m_company, &CompanyPanel::saveClicked, this, &PanelHost::companySaveRequested);
    connect(m_company, &CompanyPanel::cancelClicked, this, &PanelHost::hideAll);
    add(m_company);
    add(m_fleet);
}

void PanelHost::add(QWidget* panel)
{
    m_panels.append(panel);
    panel->installEventFilter(this);
}

void PanelHost::addQuestionnaire(EvaluationPanel* questionnaire)
{
    m_questionnaire = questionnaire;
    questionnaire->hide();
    questionnaire->setSaveEnabled(!m_readOnly);
    add(questionnaire);
    connect(questionnaire, &EvaluationPanel::closed, m_shade, &QWidget::hide);
}

void PanelHost::openFleet()
{
    show(m_fleet, PanelLeftTwips, 1440);
}

void PanelHost::openCompany(const QString& name)
{
    m_company->startEditing(name);
    show(m_company, PanelLeftTwips, 2280);
}

void PanelHost::placeQuestionnaire()
{
    hideAll();
    m_questionnaire->move(Twips::toPx(PanelLeftTwips), Twips::toPx(QuestionnaireTopTwips));
}

void PanelHost::openBlankForm()
{
    show(m_questionnaire, PanelLeftTwips, QuestionnaireTopTwips);
    m_questionnaire->openBlank();
}

void PanelHost::show(QWidget* panel, int left, int top)
{
    hideAll();
    panel->move(Twips::toPx(left), Twips::toPx(top));
    showPlaced(panel);
}

void PanelHost::showPlaced(QWidget* panel)
{
    const int offset = Twips::toPx(ShadeOffsetTwips);
    // In a window smaller than designed the whole panel and its shade stay in view.
    panel->move(std::max(0, std::min(panel->x(), m_window.width() - panel->width() - offset)),
                std::max(0, std::min(panel->y(), m_window.height() - panel->height() - offset)));
    panel->show();
    panel->raise();
    m_shade->show();
    m_shade->setGeometry(panel->x() + offset, panel->y() + offset, panel->width(), panel->height());
    m_shade->stackUnder(panel);
}

void PanelHost::hideAll()
{
    for (QWidget* panel : std::as_const(m_panels))
        panel->hide();
    m_shade->hide();
}

bool PanelHost::fleetOpen() const
{
    return m_fleet->isVisible();
}

bool PanelHost::questionnaireOpen() const
{
    return m_questionnaire && m_questionnaire->isVisible();
}

bool PanelHost::anyOpen() const
{
    return std::any_of(m_panels.cbegin(), m_panels.cend(),
                       [](const QWidget* panel) { return !panel->isHidden(); });
}

void PanelHost::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_fleet->setReadOnly(readOnly);
    m_company->setSaveEnabled(!readOnly);
    if (m_questionnaire)
        m_questionnaire->setSaveEnabled(!readOnly);
}

// An open panel lies in front of the grid: the window keeps the grid from clicks, keys and the
// wheel until the panel is closed, and the panel takes the focus.
bool PanelHost::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        auto* panel = qobject_cast<QWidget*>(watched);
        emit panelsChanged(anyOpen());
        if (!panel->isHidden())
            focusFirstControl(panel);
    }
    return false;
}

void PanelHost::focusFirstControl(QWidget* panel)
{
    const auto controls = panel->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() &&
            control->isVisibleTo(panel)) {
            control->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}
