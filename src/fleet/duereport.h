#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

// The rows of the report "SCADENTE" (rapscadente.rpt). What is due is
// computed by the program (documents in force, odometers, the settings), not
// stored; before the report reads it, it is written into a temporary table of
// the connection, `scadente`, which nobody else sees and which goes with the
// connection:
//   ordine   the line's place (the order of vok --due)
//   fel      "document", "driver" or "service"
//   subiect  the registration number or the driver's name
//   ce       the document's kind, "permis", "aviz" or "revizie"
//   cand     dd.mm.yyyy, or the km at which the service falls due
//   ramas    days or km left, negative when overdue
//   unitate  "zile" or "km"
//   depasit  1 when overdue
//   zile, km how far ahead it looked (setari.zilescadente, kmscadente)
namespace vok::due {

inline QString reportTable() { return QStringLiteral("scadente"); }

// Creates (when missing) and fills the temporary table with what is due on
// `today`. Throws DbError when a statement fails.
void fillReportTable(const QSqlDatabase &db, const QDate &today);

} // namespace vok::due
