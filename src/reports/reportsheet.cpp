// A report as a spreadsheet: the lines the engine laid out for the page, put
// into the report's columns.
#include "reports/reportdocument.h"

#include "reports/selectionformula.h"
#include "sheet/spreadsheet.h"

#include <QFileInfo>

namespace vok {

namespace {

using sheet::Cell;

Cell::Align sheetAlign(ReportDocument::Align a)
{
    switch (a) {
    case ReportDocument::Align::Center:
        return Cell::Align::Center;
    case ReportDocument::Align::Right:
        return Cell::Align::Right;
    default:
        return Cell::Align::Left;
    }
}

bool boldStyle(ReportDocument::Style s)
{
    return s == ReportDocument::Style::Bold || s == ReportDocument::Style::Title || s == ReportDocument::Style::Subtitle;
}

// A column caption on one line: "Resti-\ntuiri" is "Restituiri", "Km\nparcursi" is "Km parcursi".
QString captionText(const QString &caption)
{
    const QStringList parts = caption.split(u'\n');
    QString text;
    for (const QString &part : parts) {
        const QString piece = part.trimmed();
        if (text.endsWith(u'-') && !piece.isEmpty() && piece.front().isLower())
            text.chop(1);
        else if (!text.isEmpty())
            text += u' ';
        text += piece;
    }
    return text;
}

Cell figureCell(const ReportDocument::Cell &c, bool bold)
{
    const double value = c.text.mid(c.valueAt).toDouble();
    Cell cell = c.figureMask.isEmpty() ? Cell::plain(value) : Cell::masked(value, c.figureMask);
    cell.bold = bold;
    return cell;
}

class TableBuilder {
public:
    explicit TableBuilder(const ReportDocument &d)
        : m_doc(d)
    {
        for (const ReportDocument::Cell &c : d.heading.cells) {
            m_from.append(c.from);
            m_to.append(c.to);
        }
        if (m_from.isEmpty()) {
            m_from.append(0);
            m_to.append(1);
        }
    }

    sheet::Table build()
    {
        // The widths the headings and rows give the columns, so that a label
        // of the header takes only the columns it needs.
        sheet::Table columns;
        if (m_doc.columnCount > 0)
            columns.rows.append(heading());
        for (const ReportDocument::Line &line : m_doc.lines)
            if (line.kind == ReportDocument::Line::Kind::Row)
                columns.rows.append(rowCells(line));
        m_widths = sheet::columnWidths(columns);

        sheet::Table table;
        table.name = m_doc.title.isEmpty() ? QFileInfo(m_doc.fileName).completeBaseName() : m_doc.title;
        table.landscape = m_doc.landscape;
        if (!m_doc.unit.isEmpty()) {
            Cell unit = Cell::textCell(m_doc.unit);
            unit.bold = true;
            table.rows.append({unit});
        }
        bool previousRow = false;
        for (const ReportDocument::Line &line : m_doc.lines) {
            const bool row = line.kind == ReportDocument::Line::Kind::Row;
            if (row && !previousRow && m_doc.columnCount > 0)
                table.rows.append(heading());
            table.rows.append(row ? rowCells(line) : textCells(line));
            previousRow = row;
        }
        return table;
    }

private:
    QVector<Cell> heading() const
    {
        QVector<Cell> cells;
        for (const ReportDocument::Cell &c : m_doc.heading.cells) {
            Cell cell = Cell::textCell(captionText(c.text));
            cell.bold = true;
            cell.wrap = true;
            cell.align = Cell::Align::Center;
            cells.append(cell);
        }
        return cells;
    }

    // A row: its cells are the report's columns (a label may span several).
    QVector<Cell> rowCells(const ReportDocument::Line &line) const
    {
        const bool bold = boldStyle(line.style);
        QVector<Cell> cells;
        for (const ReportDocument::Cell &c : line.cells) {
            Cell cell = c.hasFigure() && c.valueAt == 0 ? figureCell(c, bold) : Cell::textCell(c.text);
            cell.bold = bold;
            cell.span = std::max(c.span, 1);
            if (!cell.isNumber())
                cell.align = sheetAlign(c.align);
            cells.append(cell);
        }
        return cells;
    }

    int columnAt(double x) const
    {
        for (int c = 0; c < m_to.size(); ++c)
            if (m_to[c] > x + 1e-6)
                return c;
        return int(m_to.size()) - 1;
    }

    int lastColumnBefore(double x) const
    {
        int last = 0;
        for (int c = 0; c < m_from.size(); ++c)
            if (m_from[c] < x - 1e-6)
                last = c;
        return last;
    }

    // Cells side by side: each goes to the columns under it on the page; a
    // label and its value ("Anul: 2024") are two cells, a figure a number.
    QVector<Cell> textCells(const ReportDocument::Line &line) const
    {
        const bool bold = boldStyle(line.style);
        QVector<Cell> cells;
        int used = 0; // columns filled so far
        auto place = [&](int column, Cell cell) {
            while (used < column) {
                cells.append(Cell());
                ++used;
            }
            used += std::max(cell.span, 1);
            cells.append(cell);
        };
        for (const ReportDocument::Cell &c : line.cells) {
            if (c.text.trimmed().isEmpty())
                continue;
            const int first = std::max(columnAt(c.from), used);
            const int last = std::max(lastColumnBefore(c.to), first);
            if (c.valueAt > 0) {
                // The label over the columns it needs (at least one, and
                // leaving one for the value), the value after it.
                const QString labelText = c.text.left(c.valueAt).trimmed();
                int labelSpan = 1;
                double room = m_widths.value(first);
                while (room < labelText.size() + 1 && first + labelSpan < last) {
                    room += m_widths.value(first + labelSpan);
                    ++labelSpan;
                }
                Cell label = Cell::textCell(labelText);
                label.bold = bold;
                label.span = labelSpan;
                place(first, label);
                Cell value = c.hasFigure() ? figureCell(c, bold) : Cell::textCell(c.text.mid(c.valueAt));
                value.bold = bold;
                if (!c.hasFigure())
                    value.span = std::max(last - used + 1, 1);
                place(used, value);
            } else {
                Cell t = Cell::textCell(QString(c.text).replace(u'\n', u' '));
                t.bold = bold;
                t.span = last - first + 1;
                t.align = sheetAlign(c.align);
                place(first, t);
            }
        }
        return cells;
    }

    const ReportDocument &m_doc;
    QVector<double> m_from, m_to;
    QVector<double> m_widths; // characters, from the headings and rows
};

} // namespace

sheet::Table ReportDocument::toTable() const { return TableBuilder(*this).build(); }

void ReportDocument::writeXlsx(const QString &path) const
{
    try {
        sheet::writeXlsx(toTable(), path);
    } catch (const sheet::WriteError &error) {
        throw ReportError(error.message());
    }
}

void ReportDocument::writeCsv(const QString &path) const
{
    try {
        sheet::writeCsv(toTable(), path);
    } catch (const sheet::WriteError &error) {
        throw ReportError(error.message());
    }
}

} // namespace vok
