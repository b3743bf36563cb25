#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated files, read and written: UTF-8, one record a line, fields
// that hold a comma, a quote or a line break between double quotes (a quote
// inside doubled). Every CSV the program writes (reports, grids, the journal,
// the normative's tables) goes through line(); the normative's tables and the
// reading tools' output are read with parse().
//
// A text a spreadsheet would take for a formula (one beginning with =, +, -,
// @, a tab or a carriage return) is written after an apostrophe, which the
// spreadsheet shows as the mark of a text; a field that is wholly a decimal
// number ("-6.62") stays bare, so figures stay numbers.
namespace vok::csv {

struct Record {
    int line = 0;        // line of the file on which the record starts, from 1
    QStringList fields;
};

struct ParseResult {
    QList<Record> records; // every record, the header first
    int errorLine = 0;     // 0 when the file was read whole
    QString error;         // why the file is broken, in the clerk's words

    bool ok() const { return errorLine == 0; }
};

// Reads a whole file. A leading byte-order mark is skipped; line ends may be
// LF or CR LF; a last line without its line end counts; empty lines are
// skipped. Bytes that are not UTF-8, a quote left open or text after a
// closing quote make the file broken, and the line is named. Fields are
// separated by `delimiter` (a comma unless a supplier's statement uses another).
ParseResult parse(const QByteArray &data, QChar delimiter = u',');

// A field to write: a text, or a figure the program formatted (written bare).
struct Field {
    QString text;
    bool figure = false;
};

// One record as a line of the file, ended by CR LF. Texts are guarded (see
// guarded()); a field is quoted when it holds a comma, a quote, a line break
// or begins or ends with a blank.
QByteArray line(const QList<Field> &fields);
QByteArray line(const QStringList &texts);

// A whole file: the header, then the rows.
QByteArray write(const QStringList &header, const QList<QStringList> &rows);

// True when `text` is wholly a decimal number: an optional minus, digits, and
// a point with digits ("12", "-6.62").
bool isDecimal(const QString &text);

// The text as written: after an apostrophe when it begins with = + - @, a tab
// or a carriage return and is not a decimal number; also when it begins with
// an apostrophe that unguarded() would otherwise take away, so that every
// text reads back as it was.
QString guarded(const QString &text);
// The text a guarded field stands for (the reverse of guarded()); for the
// files the program wrote itself and reads back.
QString unguarded(const QString &field);

} // namespace vok::csv
