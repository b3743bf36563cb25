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
// True when a statement of a step has nothing left to do: SQLite cannot add a
// column "if not exists", so an added column that is already there is skipped.
bool isApplied(const QSqlDatabase &db, const QString &statement);

// The schema version of a database kind: PRAGMA user_version of its SQLite
// file; on a server, the row of that kind in vok_schema (both kinds share one
// database there). setVersion runs inside the migration's transaction.
int version(const QSqlDatabase &db, DatabaseKind kind);
// Inside a migration's transaction: on a server, makes a second program
// starting at the same time wait until this one has migrated, and makes the
// version table (the one statement there that a reading never runs).
void lockForMigration(const QSqlDatabase &db);
void setVersion(const QSqlDatabase &db, DatabaseKind kind, int version);

// The table names of each kind, in creation order.
QStringList tableNames(DatabaseKind kind);
// The business tables the former program had (and its files may hold): the
// tables of version 1. The drivers' register and the documents came later.
QStringList importedTableNames();

// The columns of a business table as the program names them (every step
// applied), in order; empty for a table it does not know.
QStringList columnNames(const QString &table);

// The normative's reference tables, which the program only reads (and the
// clerk fills in the normative editor).
QStringList referenceTables();

// A column name quoted where the engine needs it (the oil-burn bands).
QString quoted(const QString &column);

} // namespace vok::schema
