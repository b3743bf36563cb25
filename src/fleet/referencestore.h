#pragma once

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace vok {

// A column of one of the normative's reference tables.
struct ReferenceColumn {
    enum class Kind { Text, Integer, Real };
    QString name;
    Kind kind = Kind::Text;
    // Texts that the trip window's towing dialog looks rows up by: an
    // apostrophe is refused in them, as in every text the program quotes.
    bool refusesApostrophe = false;
    // sporI.nri: the row's position in the table, kept by the program.
    bool numbered = false;
};

// The columns of a reference table, in the order shown and exported (the
// hidden row key idr is not among them). Empty for a name that is not a
// reference table.
QList<ReferenceColumn> referenceColumns(const QString &table);

// The stored value of a typed cell: a number for a numeric column (an empty
// text is an empty cell), the text as typed otherwise; or the reason the text
// is refused.
struct CellValue {
    QVariant value;
    QString refusal; // empty when accepted
    bool ok() const { return refusal.isEmpty(); }
};
CellValue checkReferenceValue(const ReferenceColumn &column, const QString &text);

// A cell as the grids show it and the export writes it: numbers in plain
// decimal text with a point, an empty cell as an empty text.
QString referenceCellText(const ReferenceColumn &column, const QVariant &value);

// One stored row: its hidden key and its values in column order.
struct ReferenceRow {
    int idr = 0;
    QVariantList values;
    int versiune = 0; // each write of the row advances it
};

// The rows a CSV file would put in place of a table's rows, or the line and
// reason for which the whole file is refused.
struct ReferenceImport {
    QList<QVariantList> rows;
    int errorLine = 0;
    QString error;
    bool ok() const { return errorLine == 0; }
};
ReferenceImport readReferenceCsv(const QString &table, const QByteArray &data);

// Reading and changing the normative's reference tables. Rows keep their
// table order (the order of their hidden key); sporI.nri is renumbered 1, 2,
// 3 ... in that order after every change. Throws DbError when a statement
// fails; a name that is not a reference table is refused the same way.
class ReferenceStore {
public:
    explicit ReferenceStore(const QSqlDatabase &db);

    QList<ReferenceRow> rows(const QString &table) const;
    // The rows of consumCm1 .. consumCm4 (`number` 1 to 4) for one ignition
    // type (aprind 1 spark, 2 compression).
    QList<ReferenceRow> consumptionRows(int number, int aprind) const;
    int count(const QString &table) const;

    // The fel_auto of every sporI row, in nri order: the vehicle window's list
    // of special installations, whose positions are the nri.
    QStringList installationKinds() const;

    // A new empty row at the end of the table (ignition type 1 for the
    // consumption tables); returns its key.
    int addRow(const QString &table);
    // Writes one value of a row; with `loadedVersion`, only while the row is
    // still at that version (StaleRecord otherwise). Returns the new version.
    int setValue(const QString &table, int idr, const QString &column, const QVariant &value,
                 std::optional<int> loadedVersion = std::nullopt);
    // Deletes a row. A sporI row goes with the rows below it moving up one
    // number, and the vehicles that name those rows follow them (auto.Ispec).
    void removeRow(const QString &table, int idr);

    // The registration numbers of the vehicles whose special installation is
    // the sporI row `idr`, in order.
    QStringList installationUsers(int idr) const;
    // How many vehicles name a special installation at all.
    int vehiclesWithInstallation() const;
    // Puts `rows` in place of every row of the table, in one transaction.
    void replaceAll(const QString &table, const QList<QVariantList> &rows);

    // The table as a CSV file: header of column names, then the rows.
    QByteArray csv(const QString &table) const;

private:
    void renumber(const QString &table);
    QSqlDatabase m_db;
};

} // namespace vok
