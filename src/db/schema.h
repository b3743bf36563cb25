#pragma once

#include "db/database.h"

#include <QStringList>

namespace vok::schema {

// The SQL dialect of a connection; every difference between engines lives here.
enum class Dialect { Sqlite, Postgres };

Dialect dialectOf(const QSqlDatabase &db);

// The statements of one migration step of a database kind, in order. Steps are
// numbered from 1; each leaves the schema at that version and is safe to repeat.
QStringList migrationStep(DatabaseKind kind, int step, Dialect dialect);
int stepCount(DatabaseKind kind);

// The table names of each kind, in creation order.
QStringList tableNames(DatabaseKind kind);

// The normative's reference tables, which the program only reads (and the
// clerk fills in the normative editor).
QStringList referenceTables();

// A column name quoted where the engine needs it (the oil-burn bands).
QString quoted(const QString &column);

} // namespace vok::schema
