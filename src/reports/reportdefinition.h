#pragma once

#include <QList>
#include <QMarginsF>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

// A report definition file (*.rpt): which tables feed the report, its columns,
// groups, header and footer lines. The format is documented in docs/REPORTS.md.
// Loading checks the file's shape; the formulas in it are checked when the
// report runs against the database (ReportEngine).
namespace vok {

struct ReportDefinition {
    enum class Align { Left, Center, Right };

    // One piece of a line: a literal text with {table.column} references, a
    // value formula shown with a mask or format, or both (text then value).
    struct Cell {
        QString text;
        QString value;
        QString mask;    // "#0.000", "#0.00", "#0.0", "#0", "0", "00"
        QString format;  // "", "month", "mark"
        double width = 1;
        Align align = Align::Left;
        bool wrap = false;
        QString where;   // for messages: "header[2].cells[1]"
    };

    // A line of a header or footer. Either free cells across the page, or a
    // row aligned on the report's columns (values by column id, with a label
    // in the columns before the first value).
    struct Line {
        QList<Cell> cells;
        bool isRow = false;
        QList<QPair<QString, QString>> row; // column id -> value formula
        QString label;
        QString style;      // "normal", "bold", "title", "subtitle", "small", "italic"
        QString border;     // "none", "grid", "top", "bottom", "box"
        QString condition;  // "if": printed only when true
        bool keepWithNext = false;
        QString where;
    };

    struct Column {
        QString id;
        QString caption;    // "\n" breaks the heading
        QString value;
        QString mask;
        QString format;
        double width = 1;
        Align align = Align::Right;
        bool wrap = false;
        QString where;
    };

    struct Join {
        QString table;
        QString on;
        bool left = false;
        QString where;
    };

    struct Group {
        QString by;
        QList<Line> header;
        QList<Line> footer;
        bool newPage = false;
        QString where;
    };

    QString fileName;      // "rapcalculf.rpt", for messages
    QString title;
    bool landscape = false;
    double fontSize = 8;   // points
    QMarginsF margins{12, 10, 12, 10}; // millimetres: left, top, right, bottom
    QString from;
    QList<Join> joins;
    QList<QPair<QString, QVariant>> parameters; // named formula values and their defaults
    QStringList sort;
    QList<Column> columns;
    bool detail = true;
    QList<Line> header;
    QList<Group> groups;
    QList<Line> footer;
    QString noData = QStringLiteral("Nu exista date pentru selectia facuta.");
    bool signatures = true;

    // Reads and checks a definition; throws ReportError naming the file and the place.
    static ReportDefinition load(const QString &path);
    static ReportDefinition parse(const QByteArray &json, const QString &fileName);
};

} // namespace vok
