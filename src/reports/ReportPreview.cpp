#include "reports/ReportPreview.h"

#include "common/Messages.h"
#include "reports/ReportProgress.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

const QStringList ZoomSteps = {
    QStringLiteral("25%"),  QStringLiteral("50%"),  QStringLiteral("75%"),
    QStringLiteral("100%"), QStringLiteral("125%"), QStringLiteral("150%"),
    QStringLiteral("200%"), QStringLiteral("300%"), QStringLiteral("400%")};

QString fitWidthText()
{
    return ReportPreview::tr("Fit Width");
}

QString fitPageText()
{
    return ReportPreview::tr("Fit Page");
}

QToolButton* addButton(QToolBar* bar, const char* name, const QString& text, const QIcon& icon,
                       const QKeySequence& key, Qt::ToolButtonStyle style)
{
    QAction* action = bar->addAction(icon, text);
    action->setShortcut(key);
    action->setToolTip(key.isEmpty() ? text
                                     : QStringLiteral("%1 (%2)").arg(
                                           text, key.toString(QKeySequence::NativeText)));
    auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(text);
    button->setToolButtonStyle(style);
    return button;
}

// The desktop's printer icon, or a plain one drawn here when its theme has none.
QIcon printerIcon()
{
    const QIcon themed = QIcon::fromTheme(QStringLiteral("document-print"));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x3c, 0x3c, 0x3c), 2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(11, 3, 18, 12)); // paper going in
    painter.setBrush(QColor(0x8a, 0x93, 0xa6));
    painter.drawRoundedRect(QRectF(3, 13, 34, 15), 3, 3);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(10, 22, 20, 15)); // printed sheet
    painter.drawLine(QPointF(14, 28), QPointF(26, 28));
    painter.drawLine(QPointF(14, 32), QPointF(23, 32));
    return QIcon(pixmap);
}

// A file name offered for an export, from the report's title.
QString suggestedName(const QString& title, const QString& suffix)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([\\/:*?"<>|]+)"));
    static const QRegularExpression trailingDots(QStringLiteral(R"([.\s]+$)"));
    QString name = title.trimmed();
    name.replace(unsafe, QStringLiteral(" ")).remove(trailingDots);
    if (name.isEmpty())
        name = QStringLiteral("Report");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + suffix);
}

} // namespace

ReportPreview::ReportPreview(std::shared_ptr<const ReportPages> pages, Messages& messages,
                             QWidget* parent, const ReportPages::Progress& firstPaint,
                             CsvExport csvExport)
    : QMainWindow(parent), m_pages(std::move(pages)), m_firstPaint(firstPaint),
      m_csvExport(std::move(csvExport)), m_messages(messages),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = m_pages->title();
    setWindowTitle(title.isEmpty() ? tr("Print Preview") : tr("Print Preview - %1").arg(title));

    m_printer->setPageLayout(m_pages->pageLayout());
    m_printer->setDocName(title);
    m_pageView = new QPrintPreviewWidget(m_printer.get(), this);
    m_pageView->setObjectName(QStringLiteral("pageView"));
    m_pageView->setAccessibleName(tr("Report pages"));
    connect(m_pageView, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paintPages);
    connect(m_pageView, &QPrintPreviewWidget::previewChanged, this,
            &ReportPreview::showPageAndZoom);
    setCentralWidget(m_pageView);

    buildToolBar();
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusBar()->addPermanentWidget(m_statusLabel);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(QSize(1180, 820).boundedTo(screen.size() * 0.92));
    m_pageView->fitToWidth();
    m_pageView->updatePreview();
    m_firstPaint = {};
    m_pageView->setFocus();
}

ReportPreview::~ReportPreview()
{
    delete m_pageView; // before the printer it paints on
}

int ReportPreview::pageCount() const
{
    return m_pageView->pageCount();
}

int ReportPreview::currentPage() const
{
    return m_pageView->currentPage();
}

void ReportPreview::buildToolBar()
{
    QToolBar* bar = addToolBar(tr("Preview"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    addNavigation(bar);
    bar->addSeparator();
    addZoom(bar);
    bar->addSeparator();
    addOutput(bar);
}

void ReportPreview::addNavigation(QToolBar* bar)
{
    const QStyle* look = style();
    auto* first = addButton(bar, "firstPageButton", tr("First Page"),
                            look->standardIcon(QStyle::SP_MediaSkipBackward),
                            QKeySequence(Qt::CTRL | Qt::Key_Home), Qt::ToolButtonIconOnly);
    auto* previous = addButton(bar, "previousPageButton", tr("Previous Page"),
                               look->standardIcon(QStyle::SP_ArrowLeft),
                               QKeySequence(Qt::Key_PageUp), Qt::ToolButtonIconOnly);

    auto* pageLabel = new QLabel(tr(" Page "), bar);
    pageLabel->setObjectName(QStringLiteral("pageCaption"));
    bar->addWidget(pageLabel);
    m_pageBox = new QSpinBox(bar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setAccessibleName(tr("Page number"));
    m_pageBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pageBox->setAlignment(Qt::AlignRight);
    m_pageBox->setKeyboardTracking(false);
    m_pageBox->setMinimumWidth(52);
    bar->addWidget(m_pageBox);
    pageLabel->setBuddy(m_pageBox);
    m_pageCountLabel = new QLabel(bar);
    m_pageCountLabel->setObjectName(QStringLiteral("pageCountLabel"));
    m_pageCountLabel->setMinimumWidth(56);
    bar->addWidget(m_pageCountLabel);

    auto* next =
        addButton(bar, "nextPageButton", tr("Next Page"), look->standardIcon(QStyle::SP_ArrowRight),
                  QKeySequence(Qt::Key_PageDown), Qt::ToolButtonIconOnly);
    auto* last = addButton(bar, "lastPageButton", tr("Last Page"),
                           look->standardIcon(QStyle::SP_MediaSkipForward),
                           QKeySequence(Qt::CTRL | Qt::Key_End), Qt::ToolButtonIconOnly);

    connect(first, &QToolButton::triggered, this, [this] { goToPage(1); });
    connect(previous, &QToolButton::triggered, this, [this] { goToPage(currentPage() - 1); });
    connect(next, &QToolButton::triggered, this, [this] { goToPage(currentPage() + 1); });
    connect(last, &QToolButton::triggered, this, [this] { goToPage(pageCount()); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, &ReportPreview::goToPage);
}

void ReportPreview::addZoom(QToolBar* bar)
{
    auto* zoomLabel = new QLabel(tr("&Zoom"), bar);
    zoomLabel->setObjectName(QStringLiteral("zoomCaption"));
    bar->addWidget(zoomLabel);
    auto* zoomOut = addButton(bar, "zoomOutButton", tr("Zoom Out"), {},
                              QKeySequence(QKeySequence::ZoomOut), Qt::ToolButtonTextOnly);
    zoomOut->setText(QStringLiteral("\u2212"));
    m_zoomBox = new QComboBox(bar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setAccessibleName(tr("Zoom"));
    m_zoomBox->setEditable(true);
    m_zoomBox->setInsertPolicy(QComboBox::NoInsert);
    // On Linux a screen reader names a combo box by its label, and would read its text instead.
    m_zoomBox->lineEdit()->setAccessibleName(m_zoomBox->accessibleName());
    zoomLabel->setBuddy(m_zoomBox);
    m_zoomBox->addItems(QStringList{fitWidthText(), fitPageText()} + ZoomSteps);
    m_zoomBox->setMinimumContentsLength(9);
    bar->addWidget(m_zoomBox);
    auto* zoomIn = addButton(bar, "zoomInButton", tr("Zoom In"), {},
                             QKeySequence(QKeySequence::ZoomIn), Qt::ToolButtonTextOnly);
    zoomIn->setText(QStringLiteral("+"));
    for (QToolButton* button : {zoomOut, zoomIn}) {
        QFont font = button->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.3);
        button->setFont(font);
        button->setMinimumWidth(28);
    }

    connect(zoomOut, &QToolButton::triggered, this, [this] {
        m_pageView->zoomOut();
        showPageAndZoom();
    });
    connect(zoomIn, &QToolButton::triggered, this, [this] {
        m_pageView->zoomIn();
        showPageAndZoom();
    });
    connect(m_zoomBox, &QComboBox::textActivated, this, &ReportPreview::applyZoomText);
    connect(m_zoomBox->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { applyZoomText(m_zoomBox->currentText()); });
}

void ReportPreview::addOutput(QToolBar* bar)
{
    auto* print = addButton(bar, "printButton", tr("Print..."), printerIcon(),
                            QKeySequence(QKeySequence::Print), Qt::ToolButtonTextBesideIcon);
    auto* exportPdf = addButton(bar, "exportPdfButton", tr("Export PDF..."),
                                style()->standardIcon(QStyle::SP_DialogSaveButton),
                                QKeySequence(Qt::CTRL | Qt::Key_E), Qt::ToolButtonTextBesideIcon);
    if (m_csvExport) {
        auto* exportCsv = addButton(bar, "exportCsvButton", tr("Export CSV..."),
                                    style()->standardIcon(QStyle::SP_FileIcon), QKeySequence(),
                                    Qt::ToolButtonTextBesideIcon);
        connect(exportCsv, &QToolButton::triggered, this, &ReportPreview::exportToCsv);
    }
    auto* spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    auto* close = addButton(bar, "closeButton", tr("Close"),
                            style()->standardIcon(QStyle::SP_DialogCloseButton),
                            QKeySequence(Qt::Key_Escape), Qt::ToolButtonTextBesideIcon);

    connect(print, &QToolButton::triggered, this, &ReportPreview::printForm);
    connect(exportPdf, &QToolButton::triggered, this, &ReportPreview::exportToPdf);
    connect(close, &QToolButton::triggered, this, &QWidget::close);
}

void ReportPreview::paintPages(QPrinter* printer)
{
    if (m_firstPaint) {
        m_cancelled =
            m_pages->paint(*printer, 0, 0, m_firstPaint) == ReportPages::Outcome::Cancelled;
        return;
    }
    ReportProgress progress(this);
    m_pages->paint(*printer, 0, 0, progress.callback());
}

void ReportPreview::showPageAndZoom()
{
    const int count = m_pageView->pageCount();
    const QSignalBlocker blocker(m_pageBox);
    m_pageBox->setRange(count > 0 ? 1 : 0, count);
    m_pageBox->setValue(m_pageView->currentPage());
    m_pageCountLabel->setText(tr(" of %1 ").arg(count));

    QString zoom;
    switch (m_pageView->zoomMode()) {
    case QPrintPreviewWidget::FitToWidth:
        zoom = fitWidthText();
        break;
    case QPrintPreviewWidget::FitInView:
        zoom = fitPageText();
        break;
    case QPrintPreviewWidget::CustomZoom:
        zoom = QStringLiteral("%1%").arg(qRound(m_pageView->zoomFactor() * 100));
        break;
    }
    m_zoomBox->setEditText(zoom);
    m_statusLabel->setText(tr("Page %1 of %2   Zoom %3%")
                               .arg(m_pageView->currentPage())
                               .arg(count)
                               .arg(qRound(m_pageView->zoomFactor() * 100)));
}

void ReportPreview::applyZoomText(const QString& text)
{
    QString digits = text;
    digits.remove(u'%');
    bool ok = false;
    const int percent = digits.trimmed().toInt(&ok);
    if (text == fitWidthText())
        m_pageView->fitToWidth();
    else if (text == fitPageText())
        m_pageView->fitInView();
    else if (ok && percent >= 10 && percent <= 800)
        m_pageView->setZoomFactor(percent / 100.0);
    showPageAndZoom(); // also puts back the shown zoom after text that is not one
}

void ReportPreview::goToPage(int page)
{
    m_pageView->setCurrentPage(page);
    showPageAndZoom();
}

void ReportPreview::printForm()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_printer->pageLayout());
    printer.setDocName(m_printer->docName());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print"));
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() == QDialog::Accepted)
        print(printer);
}

bool ReportPreview::print(QPrinter& printer)
{
    const bool range = printer.printRange() == QPrinter::PageRange;
    ReportProgress progress(this);
    switch (m_pages->paint(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0,
                           progress.callback())) {
    case ReportPages::Outcome::Painted:
        return true;
    case ReportPages::Outcome::Cancelled:
        printer.abort();
        return false;
    case ReportPages::Outcome::Failed:
        break;
    }
    m_messages.tell(
        Messages::Icon::Critical, tr("Print"),
        tr("The report could not be sent to the printer %1.").arg(printer.printerName()));
    return false;
}

QString ReportPreview::askFileName(const QString& title, const QString& suffix,
                                   const QString& filter)
{
    QString fileName = QFileDialog::getSaveFileName(
        this, title, suggestedName(m_printer->docName(), suffix), filter);
    if (!fileName.isEmpty() && !fileName.endsWith(suffix, Qt::CaseInsensitive))
        fileName += suffix;
    return fileName;
}

void ReportPreview::exportToPdf()
{
    const QString fileName =
        askFileName(tr("Export PDF"), QStringLiteral(".pdf"), tr("PDF files (*.pdf)"));
    if (!fileName.isEmpty())
        exportPdf(fileName);
}

void ReportPreview::exportToCsv()
{
    const QString fileName =
        askFileName(tr("Export CSV"), QStringLiteral(".csv"), tr("CSV files (*.csv)"));
    if (!fileName.isEmpty())
        exportCsv(fileName);
}

bool ReportPreview::exportPdf(const QString& fileName)
{
    ReportProgress progress(this);
    switch (m_pages->writePdf(fileName, progress.callback())) {
    case ReportPages::Outcome::Painted:
        statusBar()->showMessage(tr("Saved as %1").arg(QDir::toNativeSeparators(fileName)), 8000);
        return true;
    case ReportPages::Outcome::Cancelled:
        return false;
    case ReportPages::Outcome::Failed:
        break;
    }
    m_messages.tell(Messages::Icon::Critical, tr("Export PDF"), ReportPages::pdfFailure(fileName));
    return false;
}

bool ReportPreview::exportCsv(const QString& fileName)
{
    const QString failure =
        m_csvExport ? m_csvExport(fileName) : tr("This report has no rows to export.");
    if (failure.isEmpty()) {
        statusBar()->showMessage(tr("Saved as %1").arg(QDir::toNativeSeparators(fileName)), 8000);
        return true;
    }
    m_messages.tell(Messages::Icon::Critical, tr("Export CSV"), failure);
    return false;
}
