#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

#include <stdexcept>

// A table of cells, as a report or a grid hands it to accounting, and its two
// files: XLSX (numbers as numeric cells with their number format, bold totals,
// columns wide enough) and CSV (UTF-8, commas, a point for decimals, quoted
// as RFC 4180 says).
//
//   sheet::Table t;
//   t.rows.append({sheet::Cell::text("Km"), sheet::Cell::number(12.5, "#0.0")});
//   sheet::writeXlsx(t, "km.xlsx");   // throws sheet::WriteError
namespace vok::sheet {

struct Cell {
    enum class Kind { Empty, Text, Number };
    enum class Align { Default, Left, Center, Right };

    Kind kind = Kind::Empty;
    QString text;       // the text; for a number, the figure as written in CSV
    double value = 0;   // a number's value
    QString format;     // a number's format: "#0.00", "00", "0"; empty: as the value is
    bool bold = false;
    bool wrap = false;  // a heading: its lines break between words
    int span = 1;       // columns covered (merged in XLSX)
    Align align = Align::Default;

    static Cell textCell(const QString &text);
    // A number shown with a display mask ("#0.000" ...): the figure is the
    // value as the mask writes it, and the cell holds exactly that value.
    static Cell masked(double value, const QString &mask);
    // A number as it is stored: 15 significant digits, no fixed decimals.
    static Cell plain(double value);

    bool isNumber() const { return kind == Kind::Number; }
};

struct Table {
    QString name;                  // the worksheet's name
    QVector<QVector<Cell>> rows;
    bool landscape = false;        // printed on A4 in landscape (else portrait), as wide as the page

    int columnCount() const;
};

class WriteError : public std::runtime_error {
public:
    explicit WriteError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The CSV text (sheet/csv.h writes each line): one record per row, every row
// as wide as the widest; numbers bare, texts guarded against formulas.
QByteArray toCsv(const Table &table);

// Write the file whole or not at all (a file already there stays as it was
// when writing fails). Throw WriteError with a message for the clerk.
void writeCsv(const Table &table, const QString &path);
void writeXlsx(const Table &table, const QString &path);

// Width of each column in characters, so that what it holds fits: numbers
// and texts whole, headings (wrapped) by their longest word, and a text that
// spans several columns spread over them.
QVector<double> columnWidths(const Table &table);

// A worksheet name: at most 31 characters (cut after a whole word), none of
// []:*?/\ ; never empty.
QString worksheetName(const QString &wanted);

// The cell for a value of a grid: a number when the model gives a number,
// or a number's text in a column aligned to the right (the grids align their
// numbers so); anything else is the text the grid shows.
Cell gridCell(const QVariant &value, const QString &shown, bool alignedRight);

} // namespace vok::sheet
