#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// A supplier's fuel-card statement (a CSV file) read through a column mapping.
// Pure: nothing here reads or writes a database.
namespace vok::cards {

// Which column of a supplier's statement holds which field, and how its
// texts are written. Columns count from 1; 0 is "not in the file".
struct CardFormat {
    int id = 0;
    int version = 0;
    QString name;
    QString supplier;
    QString encoding = QStringLiteral("UTF-8"); // "UTF-8" (with or without BOM) or "Windows-1250"
    QChar delimiter = u',';
    QChar decimal = u'.';
    QString dateFormat = QStringLiteral("dd.mm.yyyy"); // dd, mm, yyyy (or yy), any separators
    QString timeFormat = QStringLiteral("HH:MM");
    int headerRows = 1;
    int card = 0, plate = 0, date = 0, time = 0, product = 0, litres = 0, price = 0, amount = 0, station = 0;

    // The fields in the order a mapping lists them, with their captions.
    static QStringList fieldNames();
    int column(int field) const;
    void setColumn(int field, int column);

    // Why the mapping cannot read a file (no date or litres column, neither
    // card nor plate, an unknown encoding...); empty when it can.
    QString problem() const;
};

// The program's own format, `vok`: UTF-8, a header line
// card,numar_auto,data,ora,produs,litri,pret,valoare,statie, comma, decimal
// point, dd.mm.yyyy and HH:MM.
CardFormat vokFormat();
QByteArray vokHeader();

// One transaction as the statement gives it.
struct CardTransaction {
    int line = 0; // the line of the file it was read from
    QString card;
    QString plate;
    QDate date;
    QTime time; // invalid when the statement gives none
    QString product;
    double litres = 0; // negative: a reversal
    double price = 0;
    double amount = 0;
    QString station;
};

struct RefusedRow {
    int line = 0;
    QString reason;
};

struct StatementRead {
    QList<CardTransaction> transactions;
    QList<RefusedRow> refused; // rows that could not be read, by line
    QString error;             // the whole file cannot be read (encoding, quotes, mapping)

    bool fileOk() const { return error.isEmpty(); }
};

// The file's text, decoded as the mapping says (a BOM is dropped); `ok`
// false when the bytes are not of that encoding.
QString decodeText(const QByteArray &data, const QString &encoding, bool *ok = nullptr);

// The file's records (as the mapping's encoding and delimiter split them),
// header rows included; at most `limit` of them (0: all). For the mapping
// dialog's first rows.
QList<QStringList> previewRows(const QByteArray &data, const CardFormat &format, int limit, QString *error = nullptr);

// Reads every row after the header rows. A row with a bad date, time or
// number, or with neither card nor plate, is refused with its line; blank
// rows are skipped.
StatementRead readStatement(const QByteArray &data, const CardFormat &format);

// A number as the mapping writes it: the decimal separator given, spaces and
// the other separator taken as thousands' marks. nullopt-like: `ok` false.
double parseAmount(const QString &text, QChar decimal, bool *ok);
QDate parseDate(const QString &text, const QString &format);
QTime parseTime(const QString &text);

} // namespace vok::cards
