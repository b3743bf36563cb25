#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated files of the normative's tables: UTF-8, one record a line,
// fields that hold a comma, a quote or a line break between double quotes
// (a quote inside doubled).
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
// closing quote make the file broken, and the line is named.
ParseResult parse(const QByteArray &data);

// One record as a line of the file (with its LF).
QByteArray line(const QStringList &fields);

// A whole file: the header, then the rows.
QByteArray write(const QStringList &header, const QList<QStringList> &rows);

} // namespace vok::csv
