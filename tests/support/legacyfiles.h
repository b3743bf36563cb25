#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace vok::test {

// The stand-ins for mdbtools (tests/legacy/fakemdbtools), put first on
// $PATH of this process and of the programs it starts.
void useFakeMdbTools();

// An Access-looking file `path` (the first bytes of a Jet 4 file, whole
// pages) whose tables the stand-ins serve from `path`.tables/: each entry of
// `tables` is a table's name and its mdb-export CSV text (header first).
void writeFakeMdb(const QString &path, const QMap<QString, QString> &tables);

// The tables of a small department's vok.mdb, as mdb-export writes them:
// two vehicles, their sheets, trips, month rows, parts, report header and a
// row of every reference table; names in the former file's own case.
QMap<QString, QString> sampleTables();

} // namespace vok::test
