#include "sheet/spreadsheet.h"

#include "base/numbers.h"
#include "sheet/csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace vok::sheet {

namespace {

constexpr double minimumWidth = 4;
constexpr double maximumWidth = 60;
constexpr double padding = 2;

QString cannotWrite(const QString &path, const QString &why)
{
    return QStringLiteral("Fisierul %1 nu poate fi scris: %2").arg(QDir::toNativeSeparators(path), why);
}

double textWidth(const Cell &c)
{
    double width = 0;
    for (const QString &line : c.text.split(u'\n')) {
        if (c.wrap) {
            for (const QString &word : line.split(u' ', Qt::SkipEmptyParts))
                width = std::max(width, double(word.size()));
        } else {
            width = std::max(width, double(line.size()));
        }
    }
    return c.bold ? width * 1.1 : width;
}

// The lines a wrapped text takes in a column `width` characters wide.
int wrappedLines(const QString &text, double width)
{
    int lines = 0;
    for (const QString &paragraph : text.split(u'\n')) {
        ++lines;
        double used = 0;
        for (const QString &word : paragraph.split(u' ', Qt::SkipEmptyParts)) {
            const double needed = used > 0 ? used + 1 + word.size() : word.size();
            if (used > 0 && needed > width - 1) {
                ++lines;
                used = word.size();
            } else {
                used = needed;
            }
        }
    }
    return lines;
}

// One format per look: libxlsxwriter keeps them for the workbook.
class Formats {
public:
    explicit Formats(lxw_workbook *workbook)
        : m_workbook(workbook)
    {
    }

    lxw_format *of(const Cell &c)
    {
        const QString key = QStringLiteral("%1|%2|%3|%4").arg(int(c.bold)).arg(int(c.wrap)).arg(int(c.align)).arg(c.format);
        if (lxw_format *f = m_formats.value(key))
            return f;
        lxw_format *f = workbook_add_format(m_workbook);
        if (c.bold)
            format_set_bold(f);
        if (c.wrap) {
            format_set_text_wrap(f);
            format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        }
        switch (c.align) {
        case Cell::Align::Left:
            format_set_align(f, LXW_ALIGN_LEFT);
            break;
        case Cell::Align::Center:
            format_set_align(f, LXW_ALIGN_CENTER);
            break;
        case Cell::Align::Right:
            format_set_align(f, LXW_ALIGN_RIGHT);
            break;
        case Cell::Align::Default:
            break;
        }
        if (c.isNumber() && !c.format.isEmpty())
            format_set_num_format(f, c.format.toUtf8().constData());
        m_formats.insert(key, f);
        return f;
    }

private:
    lxw_workbook *m_workbook;
    QHash<QString, lxw_format *> m_formats;
};

void check(lxw_error error, const QString &path)
{
    if (error != LXW_NO_ERROR)
        throw WriteError(cannotWrite(path, QString::fromUtf8(lxw_strerror(error))));
}

void fillWorksheet(const Table &table, lxw_workbook *workbook, lxw_worksheet *sheet, const QString &path)
{
    // Printed as the report is: A4, its orientation, every column on the page's width.
    worksheet_set_paper(sheet, 9);
    if (table.landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);

    Formats formats(workbook);
    const QVector<double> widths = columnWidths(table);
    for (int c = 0; c < widths.size(); ++c)
        check(worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr), path);
    for (int r = 0; r < table.rows.size(); ++r) {
        const QVector<Cell> &row = table.rows[r];
        // Spreadsheet programs do not grow a row for its wrapped headings by themselves.
        int lines = 1;
        int at = 0;
        for (const Cell &cell : row) {
            if (cell.wrap && at < widths.size())
                lines = std::max(lines, wrappedLines(cell.text, widths[at]));
            at += std::max(cell.span, 1);
        }
        if (lines > 1)
            check(worksheet_set_row(sheet, lxw_row_t(r), 15.0 * lines, nullptr), path);
        int column = 0;
        for (const Cell &cell : row) {
            const auto at = lxw_col_t(column);
            const int span = std::max(cell.span, 1);
            column += span;
            if (cell.kind == Cell::Kind::Empty)
                continue;
            lxw_format *format = formats.of(cell);
            if (cell.isNumber()) {
                check(worksheet_write_number(sheet, lxw_row_t(r), at, cell.value, format), path);
            } else if (span > 1) {
                check(worksheet_merge_range(sheet, lxw_row_t(r), at, lxw_row_t(r), lxw_col_t(at + span - 1),
                                            cell.text.toUtf8().constData(), format),
                      path);
            } else {
                check(worksheet_write_string(sheet, lxw_row_t(r), at, cell.text.toUtf8().constData(), format), path);
            }
        }
    }
}

} // namespace

Cell Cell::textCell(const QString &text)
{
    Cell c;
    c.kind = text.isEmpty() ? Kind::Empty : Kind::Text;
    c.text = text;
    return c;
}

Cell Cell::masked(double value, const QString &mask)
{
    Cell c;
    c.kind = Kind::Number;
    c.text = formatNumber(value, mask);
    c.value = c.text.toDouble();
    c.format = mask;
    return c;
}

Cell Cell::plain(double value)
{
    Cell c;
    c.kind = Kind::Number;
    c.text = doubleText(value);
    c.value = c.text.toDouble();
    return c;
}

int Table::columnCount() const
{
    int count = 0;
    for (const QVector<Cell> &row : rows) {
        int width = 0;
        for (const Cell &c : row)
            width += std::max(c.span, 1);
        count = std::max(count, width);
    }
    return count;
}

WriteError::WriteError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

QByteArray toCsv(const Table &table)
{
    const int columns = table.columnCount();
    QByteArray out;
    for (const QVector<Cell> &row : table.rows) {
        QList<csv::Field> fields;
        for (const Cell &c : row) {
            fields.append({c.text, c.isNumber()});
            for (int i = 1; i < c.span; ++i)
                fields.append(csv::Field());
        }
        while (fields.size() < columns)
            fields.append(csv::Field());
        out += csv::line(fields);
    }
    return out;
}

void writeCsv(const Table &table, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw WriteError(cannotWrite(path, file.errorString()));
    file.write(toCsv(table));
    if (!file.commit())
        throw WriteError(cannotWrite(path, file.errorString()));
}

void writeXlsx(const Table &table, const QString &path)
{
    // libxlsxwriter writes to a file of its own; the workbook is made in a
    // folder of ours and then saved under the wanted name in one step, with
    // the permissions any new file of the clerk's gets.
    QTemporaryDir work;
    if (!work.isValid())
        throw WriteError(cannotWrite(path, work.errorString()));
    const QString made = work.filePath(QStringLiteral("registru.xlsx"));
    lxw_workbook *workbook = workbook_new(QFile::encodeName(made).constData());
    if (!workbook)
        throw WriteError(cannotWrite(path, QStringLiteral("registrul nu poate fi creat")));
    lxw_worksheet *worksheet = workbook_add_worksheet(workbook, worksheetName(table.name).toUtf8().constData());
    try {
        if (!worksheet)
            throw WriteError(cannotWrite(path, QStringLiteral("foaia de calcul nu poate fi creata")));
        fillWorksheet(table, workbook, worksheet, path);
    } catch (...) {
        workbook_close(workbook);
        throw;
    }
    check(workbook_close(workbook), path);

    QFile in(made);
    if (!in.open(QIODevice::ReadOnly))
        throw WriteError(cannotWrite(path, in.errorString()));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        throw WriteError(cannotWrite(path, out.errorString()));
    out.write(in.readAll());
    if (!out.commit())
        throw WriteError(cannotWrite(path, out.errorString()));
}

QVector<double> columnWidths(const Table &table)
{
    const int columns = table.columnCount();
    QVector<double> widths(columns, 0);
    for (const QVector<Cell> &row : table.rows) {
        int column = 0;
        for (const Cell &c : row) {
            if (c.span <= 1 && column < columns)
                widths[column] = std::max(widths[column], textWidth(c));
            column += std::max(c.span, 1);
        }
    }
    for (double &w : widths)
        w = std::min(std::max(w, minimumWidth - padding) + padding, maximumWidth);
    // A text over several columns (a label, a title) has their room together.
    for (const QVector<Cell> &row : table.rows) {
        int column = 0;
        for (const Cell &c : row) {
            const int span = std::max(c.span, 1);
            if (span > 1 && column + span <= columns) {
                double room = 0;
                for (int i = column; i < column + span; ++i)
                    room += widths[i];
                const double missing = textWidth(c) + padding - room;
                if (missing > 0)
                    for (int i = column; i < column + span; ++i)
                        widths[i] = std::min(widths[i] + missing / span, maximumWidth);
            }
            column += span;
        }
    }
    return widths;
}

QString worksheetName(const QString &wanted)
{
    QString name;
    for (const QChar ch : wanted) {
        if (QStringLiteral("[]:*?/\\").contains(ch) || ch.category() == QChar::Other_Control)
            name += u' ';
        else
            name += ch;
    }
    name = name.simplified();
    // At most 31 characters, cut after a whole word when there is one
    // ("FISA ACTIVITATII ZILNICE", not "FISA ACTIVITATII ZILNICE (V.O.K"),
    // without a dangling dash, comma or opening bracket.
    constexpr qsizetype longest = 31;
    if (name.size() > longest) {
        const qsizetype space = name.at(longest) == u' ' ? longest : name.lastIndexOf(u' ', longest - 1);
        name = name.left(space > 0 ? space : longest);
        while (!name.isEmpty() && QStringLiteral(" -,;(").contains(name.back()))
            name.chop(1);
    }
    // A worksheet name may not start or end with an apostrophe.
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Foaie1") : name;
}

Cell gridCell(const QVariant &value, const QString &shown, bool alignedRight)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        if (!value.isNull())
            return Cell::plain(value.toDouble());
        break;
    default:
        break;
    }
    if (alignedRight && isNumber(shown))
        return Cell::plain(readNumber(shown));
    return Cell::textCell(shown);
}

} // namespace vok::sheet
