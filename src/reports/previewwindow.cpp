#include "reports/previewwindow.h"

#include "ui/filedialog.h"
#include "db/database.h"
#include "reports/reportengine.h"
#include "reports/reportfilename.h"
#include "reports/selectionformula.h"
#include "ui/messageservice.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <optional>

namespace vok {

namespace {

struct ZoomLevel {
    const char *caption;
    double factor; // 0: fit the page width, -1: the whole page
};
const ZoomLevel zoomLevels[] = {
    {"50%", 0.5}, {"75%", 0.75}, {"100%", 1.0}, {"125%", 1.25}, {"150%", 1.5}, {"200%", 2.0},
    {"Latime pagina", 0}, {"Pagina intreaga", -1},
};
constexpr int pageWidthZoom = 6;

QPushButton *button(const QString &name, const QString &caption, const QString &tip)
{
    QPushButton *b = widgets::button(nullptr, name, caption);
    b->setToolTip(tip);
    b->setAccessibleName(tip);
    return b;
}

} // namespace

PreviewSettings::PreviewSettings() = default;
PreviewSettings::~PreviewSettings() = default;

PreviewWindow::PreviewWindow(ReportDocument document, PreviewSettings *settings, MessageService *messages,
                             QWidget *parent)
    : QDialog(parent)
    , m_document(std::move(document))
    , m_ownSettings(settings ? nullptr : std::make_unique<PreviewSettings>())
    , m_settings(settings ? settings : m_ownSettings.get())
    , m_messages(messages)
{
    setObjectName(QStringLiteral("previzualizare"));
    setWindowTitle(m_document.title.isEmpty() ? m_document.fileName : m_document.title);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    m_pages = std::make_unique<ReportPages>(m_document, m_document.pageLayout());

    m_first = button(QStringLiteral("primaPagina"), QStringLiteral("|<"), QStringLiteral("Prima pagina"));
    m_previous = button(QStringLiteral("paginaAnterioara"), QStringLiteral("<"), QStringLiteral("Pagina anterioara"));
    m_next = button(QStringLiteral("paginaUrmatoare"), QStringLiteral(">"), QStringLiteral("Pagina urmatoare"));
    m_last = button(QStringLiteral("ultimaPagina"), QStringLiteral(">|"), QStringLiteral("Ultima pagina"));
    // Narrow page buttons leave the row room for every save button within 1024 pixels.
    for (QPushButton *b : {m_first, m_previous, m_next, m_last})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral(">|")) + 28);
    m_pageBox = new QSpinBox;
    m_pageBox->setObjectName(QStringLiteral("pagina"));
    m_pageBox->setRange(1, std::max(1, pageCount()));
    m_pageCount = new QLabel;
    m_pageCount->setObjectName(QStringLiteral("numarPagini"));
    auto *pageLabel = new QLabel(QStringLiteral("&Pagina"));
    pageLabel->setBuddy(m_pageBox);
    m_zoom = new QComboBox;
    m_zoom->setObjectName(QStringLiteral("zoom"));
    for (const ZoomLevel &z : zoomLevels)
        m_zoom->addItem(QString::fromLatin1(z.caption));
    auto *zoomLabel = new QLabel(QStringLiteral("&Marire"));
    zoomLabel->setBuddy(m_zoom);
    m_print = button(QStringLiteral("tiparire"), QStringLiteral("&Tiparire"), QStringLiteral("Tiparire"));
    m_pdf = button(QStringLiteral("salvarePdf"), QStringLiteral("&Salvare PDF"), QStringLiteral("Salvare PDF"));
    m_xlsx = button(QStringLiteral("salvareExcel"), QStringLiteral("Salvare &Excel"), QStringLiteral("Salvare Excel"));
    m_csv = button(QStringLiteral("salvareCsv"), QStringLiteral("Salvare &CSV"), QStringLiteral("Salvare CSV"));
    m_close = button(QStringLiteral("iesire"), QStringLiteral("&Iesire"), QStringLiteral("Iesire"));

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_first);
    bar->addWidget(m_previous);
    bar->addWidget(pageLabel);
    bar->addWidget(m_pageBox);
    bar->addWidget(m_pageCount);
    bar->addWidget(m_next);
    bar->addWidget(m_last);
    bar->addSpacing(16);
    bar->addWidget(zoomLabel);
    bar->addWidget(m_zoom);
    bar->addStretch(1);
    bar->addWidget(m_print);
    bar->addWidget(m_pdf);
    bar->addWidget(m_xlsx);
    bar->addWidget(m_csv);
    bar->addWidget(m_close);

    m_view = new QLabel;
    m_view->setObjectName(QStringLiteral("paginaRaport"));
    m_view->setAlignment(Qt::AlignCenter);
    m_view->setAccessibleName(QStringLiteral("Pagina raportului"));
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("raport"));
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    m_scroll->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    setTabOrder(m_first, m_previous);
    setTabOrder(m_previous, m_pageBox);
    setTabOrder(m_pageBox, m_next);
    setTabOrder(m_next, m_last);
    setTabOrder(m_last, m_zoom);
    setTabOrder(m_zoom, m_print);
    setTabOrder(m_print, m_pdf);
    setTabOrder(m_pdf, m_xlsx);
    setTabOrder(m_xlsx, m_csv);
    setTabOrder(m_csv, m_close);
    setTabOrder(m_close, m_scroll);

    connect(m_first, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(m_last, &QPushButton::clicked, this, [this] { showPage(pageCount() - 1); });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int value) { showPage(value - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_settings)
            m_settings->zoomIndex = index;
        render();
    });
    connect(m_print, &QPushButton::clicked, this, &PreviewWindow::print);
    connect(m_pdf, &QPushButton::clicked, this, [this] { askAndSave(FileKind::Pdf); });
    connect(m_xlsx, &QPushButton::clicked, this, [this] { askAndSave(FileKind::Xlsx); });
    connect(m_csv, &QPushButton::clicked, this, [this] { askAndSave(FileKind::Csv); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    const int zoomIndex = m_settings && m_settings->zoomIndex >= 0 ? m_settings->zoomIndex : pageWidthZoom;
    {
        const QSignalBlocker block(m_zoom);
        m_zoom->setCurrentIndex(zoomIndex);
    }
    const QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry()
                                                       : QRect(0, 0, 1024, 768);
    resize(std::min(screen.width() - 24, 1000), std::min(screen.height() - 48, 720));
    updateControls();
    render();
    m_next->setFocus();
}

PreviewWindow::~PreviewWindow() = default;

int PreviewWindow::pageCount() const { return m_pages->count(); }

void PreviewWindow::showPage(int page)
{
    page = std::clamp(page, 0, pageCount() - 1);
    if (page == m_page && !m_view->pixmap().isNull())
        return;
    m_page = page;
    updateControls();
    render();
    m_scroll->verticalScrollBar()->setValue(0);
}

double PreviewWindow::zoom() const
{
    const int index = std::clamp(m_zoom->currentIndex(), 0, int(std::size(zoomLevels)) - 1);
    const double factor = zoomLevels[index].factor;
    if (factor > 0)
        return factor;
    // Fit the page width (or the whole page) into the visible area.
    const double pixelsPerPoint = logicalDpiX() / 72.0;
    const QSizeF paper = m_pages->paperSize() * pixelsPerPoint;
    // The area without scroll bars, so that a scroll bar coming or going
    // does not change the fit.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize area = m_scroll->contentsRect().size() - QSize(bar + 16, bar + 16);
    double fit = area.width() / paper.width();
    if (factor < 0)
        fit = std::min(fit, area.height() / paper.height());
    return std::clamp(fit, 0.2, 4.0);
}

void PreviewWindow::render()
{
    // Sharp on high-density screens: the image has the screen's pixels.
    const double ratio = devicePixelRatioF();
    const double scale = zoom() * logicalDpiX() / 72.0 * ratio;
    const QSizeF paper = m_pages->paperSize();
    QImage image(QSize(qRound(paper.width() * scale), qRound(paper.height() * scale)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale / ratio, scale / ratio);
        m_pages->paint(painter, m_page);
    }
    m_view->setPixmap(QPixmap::fromImage(image));
}

void PreviewWindow::updateControls()
{
    const int count = pageCount();
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(m_page + 1);
    }
    m_pageCount->setText(QStringLiteral("din %1").arg(count));
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < count);
    m_last->setEnabled(m_page + 1 < count);
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        showPage(m_page + 1);
        return;
    case Qt::Key_PageUp:
        showPage(m_page - 1);
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            showPage(pageCount() - 1);
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Fitting zooms follow the size of the visible area.
    if (watched == m_scroll && event->type() == QEvent::Resize
        && zoomLevels[std::clamp(m_zoom->currentIndex(), 0, int(std::size(zoomLevels)) - 1)].factor <= 0)
        render();
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::printTo(QPrinter &printer)
{
    printer.setFullPage(true);
    const ReportPages pages(m_document, printer.pageLayout());
    int from = 0, to = pages.count() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage() - 1;
        to = printer.toPage() > 0 ? printer.toPage() - 1 : to;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_page;
    }
    try {
        pages.print(printer, from, to);
    } catch (const ReportError &error) {
        if (m_messages)
            m_messages->error(this, error.message());
    }
}

void PreviewWindow::preparePrinter(QPrinter &printer) const
{
    printer.setPageOrientation(m_document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(printDocumentName(reportDescription(m_document)));
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
}

void PreviewWindow::print()
{
    if (!m_settings->printer)
        m_settings->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter &printer = *m_settings->printer;
    preparePrinter(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Tiparire"));
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    printTo(printer);
    QApplication::restoreOverrideCursor();
}

bool PreviewWindow::save(FileKind kind, const QString &path)
{
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        switch (kind) {
        case FileKind::Pdf:
            m_document.writePdf(path);
            break;
        case FileKind::Xlsx:
            m_document.writeXlsx(path);
            break;
        case FileKind::Csv:
            m_document.writeCsv(path);
            break;
        }
        QApplication::restoreOverrideCursor();
        return true;
    } catch (const ReportError &error) {
        QApplication::restoreOverrideCursor();
        if (m_messages)
            m_messages->error(this, error.message());
        return false;
    }
}

bool PreviewWindow::savePdf(const QString &path) { return save(FileKind::Pdf, path); }
bool PreviewWindow::saveXlsx(const QString &path) { return save(FileKind::Xlsx, path); }
bool PreviewWindow::saveCsv(const QString &path) { return save(FileKind::Csv, path); }

void PreviewWindow::askAndSave(FileKind kind)
{
    static const SaveRequest requests[] = {
        {QStringLiteral("Salvare PDF"), QStringLiteral("Fisiere PDF (*.pdf)"), QStringLiteral("pdf"), {}},
        {QStringLiteral("Salvare Excel"), QStringLiteral("Fisiere Excel (*.xlsx)"), QStringLiteral("xlsx"), {}},
        {QStringLiteral("Salvare CSV"), QStringLiteral("Fisiere CSV (*.csv)"), QStringLiteral("csv"), {}},
    };
    SaveRequest request = requests[int(kind)];
    request.description = reportDescription(m_document);
    const QString path = askWhereToSave(this, request);
    if (path.isEmpty())
        return;
    if (save(kind, path) && m_messages)
        m_messages->inform(this, QStringLiteral(" Raportul a fost salvat in %1 ").arg(QDir::toNativeSeparators(path)));
}

// ---------------------------------------------------------------- service

PreviewReportService::PreviewReportService(const QSqlDatabase &db, MessageService *messages)
    : m_db(db)
    , m_messages(messages)
{
}

PreviewReportService::~PreviewReportService() = default;

std::optional<ReportDocument> PreviewReportService::render(QWidget *parent, const ReportRequest &request)
{
    // The request names the data file; the program's own connection serves
    // it unless another file is named.
    const QString own = QFileInfo(m_db.databaseName()).canonicalFilePath();
    const bool other = !request.dataFile.isEmpty() && QFileInfo(request.dataFile).canonicalFilePath() != own;
    if (other && !QFileInfo::exists(request.dataFile)) {
        m_messages->error(parent, QStringLiteral("Fisierul de date %1 nu exista.").arg(request.dataFile));
        return std::nullopt;
    }
    const QString connection = QStringLiteral("vok-report-data");
    std::optional<ReportDocument> document;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        QSqlDatabase db = other ? database::openSqlite(request.dataFile, connection, DatabaseKind::Data) : m_db;
        document = ReportEngine(db).run(request);
    } catch (const ReportError &error) {
        QApplication::restoreOverrideCursor();
        m_messages->error(parent, error.message());
    } catch (const DbError &error) {
        QApplication::restoreOverrideCursor();
        m_messages->error(parent, QStringLiteral("Raportul %1 nu poate fi intocmit: %2").arg(request.reportFile, error.message()));
    }
    if (document)
        QApplication::restoreOverrideCursor();
    if (other)
        database::close(connection);
    return document;
}

void PreviewReportService::show(QWidget *parent, const ReportRequest &request)
{
    std::optional<ReportDocument> document = render(parent, request);
    if (!document)
        return;
    PreviewWindow window(std::move(*document), &m_settings, m_messages, parent);
    window.exec();
}

} // namespace vok
