#pragma once

#include "reports/reportdocument.h"
#include "reports/reportservice.h"

#include <QDialog>
#include <QSqlDatabase>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;

namespace vok {

class MessageService;

// What the preview keeps for the whole run: the printer with its page setup
// and the zoom. (The folder of the last file saved is kept by askWhereToSave.)
struct PreviewSettings {
    std::unique_ptr<QPrinter> printer;
    int zoomIndex = -1;   // -1: the window's default (page width)
    PreviewSettings();
    ~PreviewSettings();
};

// The report on screen: zoom, page through, "Tiparire" (print dialog),
// "Salvare PDF", "Salvare Excel" and "Salvare CSV" (each asks where to save,
// proposing a file named after the report's title, vehicle and period).
class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    // `settings` (kept by the caller for the run) may be null.
    PreviewWindow(ReportDocument document, PreviewSettings *settings, MessageService *messages,
                  QWidget *parent = nullptr);
    ~PreviewWindow() override;

    int pageCount() const;
    int currentPage() const { return m_page; } // 0-based
    void showPage(int page);
    // Zoom as a factor of the printed size (1.0 = 100 %).
    double zoom() const;
    // Prints every page, or the range the printer asks for, on `printer`.
    void printTo(QPrinter &printer);
    // Readies the printer kept for the run for this report: its orientation and
    // name, and every page to print (a range chosen for an earlier report
    // does not carry over); the printer and paper chosen stay.
    void preparePrinter(QPrinter &printer) const;
    // Write the file; tell the clerk when it fails. True when written.
    bool savePdf(const QString &path);
    bool saveXlsx(const QString &path);
    bool saveCsv(const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void print();
    enum class FileKind { Pdf, Xlsx, Csv };
    void askAndSave(FileKind kind);
    bool save(FileKind kind, const QString &path);
    void render();
    void updateControls();

    ReportDocument m_document;
    std::unique_ptr<ReportPages> m_pages;
    std::unique_ptr<PreviewSettings> m_ownSettings; // when the caller keeps none
    PreviewSettings *m_settings;
    MessageService *m_messages;
    int m_page = 0;

    QPushButton *m_first;
    QPushButton *m_previous;
    QSpinBox *m_pageBox;
    QLabel *m_pageCount;
    QPushButton *m_next;
    QPushButton *m_last;
    QComboBox *m_zoom;
    QPushButton *m_print;
    QPushButton *m_pdf;
    QPushButton *m_xlsx;
    QPushButton *m_csv;
    QPushButton *m_close;
    QScrollArea *m_scroll;
    QLabel *m_view;
};

// The report service of the running program: renders the report and shows it
// in the preview window, or tells the clerk what is wrong.
class PreviewReportService : public ReportService {
public:
    PreviewReportService(const QSqlDatabase &db, MessageService *messages);
    ~PreviewReportService() override;
    void show(QWidget *parent, const ReportRequest &request) override;

    // The document a request gives, or an empty optional after telling the
    // clerk why not (the preview uses it; tests call it directly).
    std::optional<ReportDocument> render(QWidget *parent, const ReportRequest &request);

private:
    QSqlDatabase m_db;
    MessageService *m_messages;
    PreviewSettings m_settings;
};

} // namespace vok
