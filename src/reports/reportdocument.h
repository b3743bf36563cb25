#pragma once

#include <QDate>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>

#include <memory>

namespace vok::sheet {
struct Table;
}

class QPainter;
class QPagedPaintDevice;

// A filled report: its lines of text, ready to be cut into pages and painted
// (preview, printer, PDF) or written as HTML or plain text. Built by
// ReportEngine; needs no widgets.
namespace vok {

struct ReportDocument {
    enum class Style { Normal, Bold, Title, Subtitle, Small, Italic };
    enum class Border { None, Grid, Top, Bottom, Box };
    enum class Align { Left, Center, Right };

    struct Cell {
        QString text;
        double from = 0;   // left edge, as a fraction of the printable width
        double to = 1;     // right edge
        int span = 1;      // report columns covered (rows only; for HTML)
        Align align = Align::Left;
        bool wrap = false; // long texts continue on the next lines of the cell
        // A value at the end of the text ("Anul: 2024", "12.50", "Marca si
        // tipul: DACIA"): where it begins (-1: none), whether it is a figure
        // (a number) and the mask it is written with (empty: as stored). The
        // spreadsheets put label and value in cells of their own, figures as numbers.
        int valueAt = -1;
        bool figure = false;
        QString figureMask;

        bool hasFigure() const { return figure && valueAt >= 0; }
    };

    struct Line {
        enum class Kind { Text, Row };
        Kind kind = Kind::Text;
        Style style = Style::Normal;
        Border border = Border::None;
        QVector<Cell> cells;
        bool keepWithNext = false;
        bool pageBreakBefore = false;
    };

    QString fileName;          // the definition, "rapcalculf.rpt"
    QString title;
    QString unit;              // setari: unitate
    QString managerFunction;   // functie
    QString managerName;       // numeman
    QString preparedBy;        // intocmit
    QDate printDate;
    bool landscape = false;
    double fontSize = 8;       // points
    QMarginsF margins{12, 10, 12, 10}; // millimetres
    int columnCount = 0;
    Line heading;              // the column captions, repeated above each run of rows
    QVector<Line> lines;

    // A4 in the report's orientation, with its margins.
    QPageLayout pageLayout() const;

    QString toText() const;
    QString toHtml() const;
    // Writes the pages as PDF; throws ReportError when the file cannot be written.
    void writePdf(const QString &path) const;
    void writePdf(const QString &path, const QPageLayout &layout) const;

    // The same lines as a table of cells (reportsheet.cpp): the unit, then
    // every line in order, the column headings above each run of rows;
    // figures as numbers with the report's mask, bold lines bold.
    sheet::Table toTable() const;
    // Spreadsheet files of that table; throw ReportError when they cannot be written.
    void writeXlsx(const QString &path) const;
    void writeCsv(const QString &path) const;
};

// The document cut into pages for one paper size and orientation. Painting
// works in points, with the origin at the paper's top-left corner.
class ReportPages {
public:
    ReportPages(const ReportDocument &document, const QPageLayout &layout);

    int count() const { return int(m_pages.size()); }
    QSizeF paperSize() const { return m_paper.size(); } // points
    // Paints one page (0-based); the painter's coordinates are points.
    void paint(QPainter &painter, int page) const;
    // Paints every page (or pages from..to, 0-based) on a printer or PDF writer.
    void print(QPagedPaintDevice &device, int from = 0, int to = -1) const;

private:
    struct Placed {
        int line;      // index in the document's lines, -1 for the heading
        double y;
        double height;
    };
    // Shaped texts kept between pages: a report repeats its numbers a lot.
    struct Glyphs;
    mutable std::shared_ptr<Glyphs> m_glyphs;

    const ReportDocument &m_document;
    QRectF m_paper;   // points
    QRectF m_body;    // between page header and footer
    QRectF m_printable;
    QVector<QVector<Placed>> m_pages;
};

} // namespace vok
