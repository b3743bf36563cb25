#include "db/schema.h"

#include <QRegularExpression>

namespace vok::schema {

namespace {

struct Table {
    const char *name;
    const char *columns; // "name TYPE, ..." with KEY for a counter key and REAL for floating
    const char *constraints = nullptr;
};

// Version 1: every table of the program. Counter keys never reuse a deleted
// vehicle's number; columns read before anyone writes them default to 0.
const Table dataTables[] = {
    {"auto",
     "ida KEY, nrauto TEXT, marca TEXT, formula INTEGER, motor INTEGER, Cm REAL, Ca REAL, "
     "Cb REAL, Cf REAL, Ispec INTEGER DEFAULT 0, Iaerod INTEGER DEFAULT 0, apar INTEGER DEFAULT 1, "
     "rap INTEGER DEFAULT 0, kmef REAL DEFAULT 0, kmefinc REAL DEFAULT 0, kmechiv REAL DEFAULT 0, "
     "restrez REAL DEFAULT 0",
     "UNIQUE (nrauto)"},
    {"consum", "ida INTEGER NOT NULL, Cm1 REAL, Cm2 REAL, Cm3 REAL, implicit INTEGER", "UNIQUE (ida)"},
    {"foaie",
     "idf KEY, nrf INTEGER, ida INTEGER, sofer TEXT, orap REAL, oras REAL, nrore REAL, data TEXT, "
     "decada INTEGER, idl INTEGER, anul INTEGER, bm REAL DEFAULT 0, nractc TEXT, gz REAL DEFAULT 0, "
     "um REAL DEFAULT 0, nractu1 TEXT, ut REAL DEFAULT 0, nractu2 TEXT, ua REAL DEFAULT 0, "
     "nractu3 TEXT, schu INTEGER DEFAULT 0, nractschu TEXT, schf INTEGER DEFAULT 0, nractschf TEXT, "
     "restit REAL DEFAULT 0, nractrst TEXT",
     "UNIQUE (ida, nrf)"},
    {"curse",
     "idc KEY, idf INTEGER, nrc INTEGER, kmI REAL, kmII REAL, kmIII REAL, kmIV REAL, kmV REAL, "
     "kmVI REAL, kmT REAL, kmE REAL, Kg REAL, Gm REAL, T REAL, U REAL, I REAL, nri INTEGER, Ra REAL, "
     "A REAL, nrq1 INTEGER, nrq4 INTEGER, Cn REAL, Cu REAL, remorca INTEGER, traseu TEXT, "
     "kmtract REAL, kmurb REAL",
     "UNIQUE (idf, nrc)"},
    {"dateluna",
     "idd KEY, ida INTEGER, anul INTEGER, idl INTEGER, ore REAL, km REAL, kme REAL, kminc REAL, "
     "tone REAL, tonekm REAL, bm REAL, gz REAL, restit REAL, restrez REAL, Cn REAL, um REAL, "
     "ut REAL, ua REAL, Cu REAL, kmt REAL, kmet REAL",
     "UNIQUE (ida, anul, idl)"},
    {"piese", "idp KEY, ida INTEGER, act TEXT, denp TEXT, valoare REAL, zi TEXT, luna TEXT, an TEXT"},
    {"setari", "ids KEY, unitate TEXT, functie TEXT, numeman TEXT, intocmit TEXT"},
    {"sporI", "idr KEY, nri INTEGER, fel_auto TEXT, fel_prest TEXT, fel_prest2 TEXT, sporkm REAL"},
    {"sporU", "idr KEY, autom TEXT, bucur REAL, restul REAL"},
    {"sporT",
     "idr KEY, nrcrt TEXT, tip_r TEXT, gr TEXT, motor1r1 REAL, motor1r2 REAL, motor2r1 REAL, "
     "motor2r2 REAL, motor3r1 REAL, motor3r2 REAL"},
    {"coefKg", "idr KEY, tone REAL, motor1fr REAL, motor1r REAL, motor23fr REAL, motor23r REAL"},
    {"consumCm1", "idr KEY, aprind INTEGER, fel TEXT, marca TEXT, capcil TEXT, sarcina TEXT, Cm REAL"},
    {"consumCm2", "idr KEY, aprind INTEGER, fel TEXT, marca TEXT, capcil TEXT, locuri TEXT, Cm REAL"},
    {"consumCm3", "idr KEY, aprind INTEGER, fel TEXT, marca TEXT, capcil TEXT, loc TEXT, Cm REAL"},
    {"consumCm4", "idr KEY, aprind INTEGER, fel TEXT, marca TEXT, capcil TEXT, Cm REAL"},
    {"sistemU", "idr KEY, autom TEXT, baia REAL, filtru REAL"},
    {"uleiCa1", "idr KEY, ciclu TEXT, autocamion REAL, autotren REAL, autobuz REAL"},
    {"uleiCa2",
     "idr KEY, ciclu TEXT, \"<2000\" REAL, \"2001-2005\" REAL, \"5001-11000\" REAL, \">11000\" REAL"},
};

// Every lookup a window makes by something other than a key.
const char *const dataIndexes[] = {
    "CREATE INDEX IF NOT EXISTS foaie_month ON foaie (ida, anul, idl)",
    "CREATE INDEX IF NOT EXISTS curse_sheet ON curse (idf)",
    "CREATE INDEX IF NOT EXISTS dateluna_month ON dateluna (anul, idl)",
    "CREATE INDEX IF NOT EXISTS piese_vehicle ON piese (ida)",
    "CREATE INDEX IF NOT EXISTS coefkg_tone ON coefKg (tone)",
    "CREATE INDEX IF NOT EXISTS spori_nri ON sporI (nri)",
};

// Version 2: the indexes a fleet of hundreds of vehicles and ten years needs.
// A month's sheet numbers are read in order straight from one index (without
// it the engine walked every sheet of the vehicle's years to avoid a sort);
// the driver list reads each name once from its own index; the trip index on
// idf alone duplicated the unique key (idf, nrc).
const char *const dataIndexesV2[] = {
    "CREATE INDEX IF NOT EXISTS foaie_sheets ON foaie (ida, anul, idl, nrf)",
    "DROP INDEX IF EXISTS foaie_month",
    "CREATE INDEX IF NOT EXISTS foaie_driver ON foaie (sofer)",
    "DROP INDEX IF EXISTS curse_sheet",
};

// Version 3: the tank's capacity of each vehicle (litres, 0 = unknown), so
// that a rest in tank above it shows on the charts.
QStringList dataColumnsV3(Dialect dialect)
{
    // PostgreSQL skips a column already there; on SQLite isApplied() does.
    return {dialect == Dialect::Sqlite
                ? QStringLiteral("ALTER TABLE auto ADD COLUMN caprez REAL DEFAULT 0")
                : QStringLiteral("ALTER TABLE auto ADD COLUMN IF NOT EXISTS caprez DOUBLE PRECISION DEFAULT 0")};
}

// Version 4: several clerks on one database. Every record a window loads and
// writes back carries a version that each write advances (a sheet's header
// and its refuelling apart, as two windows write them), and every change of
// business data leaves a row in the journal, written in the same transaction.
const char *const versionedTables[] = {"auto",    "consum",    "foaie",     "curse",     "piese",
                                       "setari",  "sporI",     "sporU",     "sporT",     "coefKg",
                                       "consumCm1", "consumCm2", "consumCm3", "consumCm4", "sistemU",
                                       "uleiCa1", "uleiCa2"};

const Table journalTable = {
    "jurnal",
    "idj KEY, cand TEXT, cine TEXT, fereastra TEXT, tabela TEXT, cheie INTEGER, nrauto TEXT, nrf INTEGER, "
    "nrc INTEGER, actiune TEXT, inainte TEXT, dupa TEXT"};

QString addColumn(Dialect dialect, const QString &table, const QString &column)
{
    return dialect == Dialect::Sqlite
               ? QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 INTEGER DEFAULT 0").arg(table, column)
               : QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2 INTEGER DEFAULT 0").arg(table, column);
}

// Version 5: the journal is append-only. No row of it is ever changed or
// removed, whoever asks; on a server its "who" and "when" are the server's
// own (the login and its clock), whatever the statement names.
QStringList journalTriggersV5(Dialect dialect)
{
    if (dialect == Dialect::Sqlite)
        return {QStringLiteral("CREATE TRIGGER IF NOT EXISTS jurnal_no_update BEFORE UPDATE ON jurnal "
                               "BEGIN SELECT RAISE(ABORT, 'jurnal: randurile jurnalului nu se modifica'); END"),
                QStringLiteral("CREATE TRIGGER IF NOT EXISTS jurnal_no_delete BEFORE DELETE ON jurnal "
                               "BEGIN SELECT RAISE(ABORT, 'jurnal: randurile jurnalului nu se sterg'); END")};
    return {QStringLiteral("CREATE OR REPLACE FUNCTION vok_jurnal_refuse() RETURNS trigger LANGUAGE plpgsql AS $$ "
                           "BEGIN RAISE EXCEPTION 'jurnal: randurile jurnalului nu se modifica si nu se sterg' "
                           "USING ERRCODE = 'insufficient_privilege'; END $$"),
            QStringLiteral("DROP TRIGGER IF EXISTS jurnal_append_only ON jurnal"),
            QStringLiteral("CREATE TRIGGER jurnal_append_only BEFORE UPDATE OR DELETE ON jurnal "
                           "FOR EACH ROW EXECUTE FUNCTION vok_jurnal_refuse()"),
            QStringLiteral("DROP TRIGGER IF EXISTS jurnal_no_truncate ON jurnal"),
            QStringLiteral("CREATE TRIGGER jurnal_no_truncate BEFORE TRUNCATE ON jurnal "
                           "FOR EACH STATEMENT EXECUTE FUNCTION vok_jurnal_refuse()"),
            QStringLiteral("CREATE OR REPLACE FUNCTION vok_jurnal_stamp() RETURNS trigger LANGUAGE plpgsql AS $$ "
                           "BEGIN NEW.cine := session_user; "
                           "NEW.cand := to_char(clock_timestamp(), 'YYYY-MM-DD HH24:MI:SS'); RETURN NEW; END $$"),
            QStringLiteral("DROP TRIGGER IF EXISTS jurnal_stamp ON jurnal"),
            QStringLiteral("CREATE TRIGGER jurnal_stamp BEFORE INSERT ON jurnal "
                           "FOR EACH ROW EXECUTE FUNCTION vok_jurnal_stamp()")};
}

// Version 6: what the clerk measures on a sheet, beside the book: the
// odometer at departure and return (km) and the fuel in the tank at
// departure and return (litres). NULL is "not recorded", never 0, so the
// columns have no default and sheets written before keep NULL.
const char *const measuredColumns[] = {"kmplecare", "kmsosire", "rezplecare", "rezsosire"};

QStringList dataColumnsV6(Dialect dialect)
{
    QStringList statements;
    for (const char *column : measuredColumns)
        statements << (dialect == Dialect::Sqlite
                           ? QStringLiteral("ALTER TABLE foaie ADD COLUMN %1 REAL").arg(QString::fromLatin1(column))
                           : QStringLiteral("ALTER TABLE foaie ADD COLUMN IF NOT EXISTS %1 DOUBLE PRECISION")
                                 .arg(QString::fromLatin1(column)));
    return statements;
}

// Version 7: the drivers' register and the vehicles' documents, with what
// reminds of them before they lapse: a service interval on each vehicle and
// how far ahead the reminders look. Dates are dd.mm.yyyy text, as everywhere.
const Table registerTables[] = {
    {"soferi",
     "idsofer KEY, nume TEXT NOT NULL, permis TEXT, categorii TEXT, exppermis TEXT, expaviz TEXT, "
     "activ INTEGER DEFAULT 1, versiune INTEGER DEFAULT 0",
     "UNIQUE (nume)"},
    {"documente",
     "iddoc KEY, ida INTEGER NOT NULL, tip TEXT NOT NULL, numar TEXT, dela TEXT, panala TEXT, obs TEXT, "
     "versiune INTEGER DEFAULT 0"},
};

// The columns version 7 adds to tables of version 1: table, column, type
// (REAL as in createTable), default (none: NULL).
struct AddedColumn {
    const char *table;
    const char *column;
    const char *type;
    const char *defaultValue;
};
const AddedColumn registerColumns[] = {
    {"auto", "kmrevizie", "REAL", "0"},
    {"auto", "kmultrev", "REAL", nullptr},
    {"setari", "zilescadente", "INTEGER", "30"},
    {"setari", "kmscadente", "INTEGER", "1000"},
};

// Version 8: fuel cards. The register of cards, the statements' transactions
// with the import each came in (a file is imported once: its SHA-256 is
// unique), the column mappings of the suppliers' statements (the program's
// own `vok` among them), the suppliers' e-invoices with their lines, and the
// words that make a card's product fuel or allowed.
const Table cardTables[] = {
    {"carduri",
     "idcard KEY, nrcard TEXT NOT NULL, ida INTEGER, furnizor TEXT, dela TEXT, activ INTEGER DEFAULT 1, "
     "versiune INTEGER DEFAULT 0",
     "UNIQUE (nrcard)"},
    {"importcard",
     "idi KEY, fisier TEXT, furnizor TEXT, format TEXT, cand TEXT, numar INTEGER, sha256 TEXT NOT NULL",
     "UNIQUE (sha256)"},
    {"tranzactii",
     "idt KEY, idi INTEGER, nrcard TEXT, nrauto TEXT, data TEXT, ora TEXT, produs TEXT, litri REAL, "
     "pret REAL, valoare REAL, statie TEXT, anul INTEGER, idl INTEGER"},
    {"formatecard",
     "idfc KEY, nume TEXT NOT NULL, furnizor TEXT, codificare TEXT, separator TEXT, zecimal TEXT, "
     "formatdata TEXT, formatora TEXT, antet INTEGER DEFAULT 1, colcard INTEGER DEFAULT 0, "
     "colnrauto INTEGER DEFAULT 0, coldata INTEGER DEFAULT 0, colora INTEGER DEFAULT 0, "
     "colprodus INTEGER DEFAULT 0, collitri INTEGER DEFAULT 0, colpret INTEGER DEFAULT 0, "
     "colvaloare INTEGER DEFAULT 0, colstatie INTEGER DEFAULT 0, versiune INTEGER DEFAULT 0",
     "UNIQUE (nume)"},
    {"facturi",
     "idfa KEY, fisier TEXT, cand TEXT, sha256 TEXT NOT NULL, tip TEXT, furnizor TEXT, numar TEXT, data TEXT, "
     "dela TEXT, panala TEXT, moneda TEXT, totalfaratva REAL, totalcutva REAL, deplata REAL",
     "UNIQUE (sha256)"},
    {"facturilinii",
     "idfl KEY, idfa INTEGER, nrl INTEGER, denumire TEXT, cantitate REAL, unitate TEXT, pret REAL, "
     "valoare REAL, note TEXT"},
};

QString createTable(const Table &t, Dialect dialect);

QStringList dataTablesV8(Dialect dialect)
{
    QStringList statements;
    for (const Table &t : cardTables)
        statements << createTable(t, dialect);
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS tranzactii_month ON tranzactii (anul, idl)")
               << QStringLiteral("CREATE INDEX IF NOT EXISTS tranzactii_import ON tranzactii (idi)")
               << QStringLiteral("CREATE INDEX IF NOT EXISTS facturilinii_invoice ON facturilinii (idfa)");
    const QString text = dialect == Dialect::Sqlite ? QStringLiteral("ALTER TABLE setari ADD COLUMN %1 TEXT DEFAULT '%2'")
                                                    : QStringLiteral("ALTER TABLE setari ADD COLUMN IF NOT EXISTS %1 TEXT DEFAULT '%2'");
    statements << text.arg(QStringLiteral("produsecarb"), QStringLiteral("MOTORINA,DIESEL,BENZINA,GPL,GAZ"))
               << text.arg(QStringLiteral("produsepermise"), QStringLiteral("SPALARE,ADBLUE,PARCARE"));
    // The program's own statement format: card,numar_auto,data,ora,produs,litri,pret,valoare,statie
    statements << QStringLiteral(
        "INSERT INTO formatecard (nume, furnizor, codificare, separator, zecimal, formatdata, formatora, antet, "
        "colcard, colnrauto, coldata, colora, colprodus, collitri, colpret, colvaloare, colstatie) "
        "SELECT 'vok', '', 'UTF-8', ',', '.', 'dd.mm.yyyy', 'HH:MM', 1, 1, 2, 3, 4, 5, 6, 7, 8, 9 "
        "WHERE NOT EXISTS (SELECT 1 FROM formatecard WHERE nume='vok')");
    return statements;
}

// Version 9: the closed months whose figures may no longer be what their
// closing found. Every change of a sheet or a trip marks the sheet's month,
// every write of a month row that changes it marks that month and the month
// it carries over into (only when its carried figures or its month change), and a
// change of what the vehicle's months are computed from (sump, filter, the
// initial state) marks every closed month of the vehicle. Only the
// closing of a month takes its mark away, after writing its row; a month
// without a mark holds what its closing computed from its sums. Triggers,
// so that every writer leaves its mark, the program's own or not. The months
// closed before this version are marked, as nothing is known of them.
const Table monthMarksTable = {"lunischimbate", "ida INTEGER NOT NULL, anul INTEGER NOT NULL, idl INTEGER NOT NULL",
                               "PRIMARY KEY (ida, anul, idl)"};

QStringList monthMarksV9(Dialect dialect)
{
    // Only ever looked up by its key: on a file, the key is the table.
    QStringList statements{createTable(monthMarksTable, dialect)
                           + (dialect == Dialect::Sqlite ? QStringLiteral(" WITHOUT ROWID") : QString())};
    if (dialect == Dialect::Sqlite) {
        auto mark = [](const char *row) {
            return QStringLiteral("INSERT OR IGNORE INTO lunischimbate (ida, anul, idl) SELECT %1.ida, %1.anul, "
                                  "%1.idl WHERE %1.ida IS NOT NULL AND %1.anul IS NOT NULL AND %1.idl IS NOT NULL; ")
                .arg(QLatin1String(row));
        };
        auto markSheet = [](const char *row) {
            return QStringLiteral("INSERT OR IGNORE INTO lunischimbate (ida, anul, idl) SELECT ida, anul, idl "
                                  "FROM foaie WHERE idf=%1.idf AND ida IS NOT NULL AND anul IS NOT NULL "
                                  "AND idl IS NOT NULL; ")
                .arg(QLatin1String(row));
        };
        auto markNext = [](const char *row) {
            return QStringLiteral("INSERT OR IGNORE INTO lunischimbate (ida, anul, idl) SELECT %1.ida, "
                                  "CASE WHEN %1.idl >= 12 THEN %1.anul + 1 ELSE %1.anul END, "
                                  "CASE WHEN %1.idl >= 12 THEN 1 ELSE %1.idl + 1 END "
                                  "WHERE %1.ida IS NOT NULL AND %1.anul IS NOT NULL AND %1.idl IS NOT NULL; ")
                .arg(QLatin1String(row));
        };
        const QString carriedChanged = QStringLiteral(
            "OLD.restrez IS NOT NEW.restrez OR OLD.kmt IS NOT NEW.kmt OR OLD.kmet IS NOT NEW.kmet "
            "OR OLD.ida IS NOT NEW.ida OR OLD.anul IS NOT NEW.anul OR OLD.idl IS NOT NEW.idl");
        // A month closed again to the same figures changes nothing.
        QStringList differs;
        for (const char *column : {"ida", "anul", "idl", "ore", "km", "kme", "kminc", "tone", "tonekm", "bm", "gz",
                                   "restit", "restrez", "Cn", "um", "ut", "ua", "Cu", "kmt", "kmet"})
            differs << QStringLiteral("OLD.%1 IS NOT NEW.%1").arg(QLatin1String(column));
        const QString rowChanged = differs.join(QStringLiteral(" OR "));
        const QString trigger = QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER %2 ON %3 %4BEGIN %5END");
        statements
            << trigger.arg(QStringLiteral("foaie_luna_ins"), QStringLiteral("INSERT"), QStringLiteral("foaie"), QString(), mark("NEW"))
            << trigger.arg(QStringLiteral("foaie_luna_upd"), QStringLiteral("UPDATE"), QStringLiteral("foaie"), QString(), mark("OLD") + mark("NEW"))
            << trigger.arg(QStringLiteral("foaie_luna_del"), QStringLiteral("DELETE"), QStringLiteral("foaie"), QString(), mark("OLD"))
            << trigger.arg(QStringLiteral("curse_luna_ins"), QStringLiteral("INSERT"), QStringLiteral("curse"), QString(), markSheet("NEW"))
            << trigger.arg(QStringLiteral("curse_luna_upd"), QStringLiteral("UPDATE"), QStringLiteral("curse"), QString(), markSheet("OLD") + markSheet("NEW"))
            << trigger.arg(QStringLiteral("curse_luna_del"), QStringLiteral("DELETE"), QStringLiteral("curse"), QString(), markSheet("OLD"))
            << trigger.arg(QStringLiteral("dateluna_luna_ins"), QStringLiteral("INSERT"), QStringLiteral("dateluna"), QString(), mark("NEW") + markNext("NEW"))
            << trigger.arg(QStringLiteral("dateluna_luna_upd"), QStringLiteral("UPDATE"), QStringLiteral("dateluna"),
                           QStringLiteral("WHEN ") + rowChanged + u' ', mark("OLD") + mark("NEW"))
            << trigger.arg(QStringLiteral("dateluna_urmatoarea_upd"), QStringLiteral("UPDATE"), QStringLiteral("dateluna"),
                           QStringLiteral("WHEN ") + carriedChanged + u' ', markNext("OLD") + markNext("NEW"))
            << trigger.arg(QStringLiteral("dateluna_luna_del"), QStringLiteral("DELETE"), QStringLiteral("dateluna"), QString(), mark("OLD") + markNext("OLD"))
            << trigger.arg(QStringLiteral("auto_luni_upd"), QStringLiteral("UPDATE OF Cb, Cf, restrez, kmef, kmechiv"), QStringLiteral("auto"),
                           QStringLiteral("WHEN OLD.Cb IS NOT NEW.Cb OR OLD.Cf IS NOT NEW.Cf OR OLD.restrez IS NOT NEW.restrez "
                                          "OR OLD.kmef IS NOT NEW.kmef OR OLD.kmechiv IS NOT NEW.kmechiv "),
                           QStringLiteral("INSERT OR IGNORE INTO lunischimbate (ida, anul, idl) SELECT ida, anul, idl "
                                          "FROM dateluna WHERE ida=OLD.ida AND anul IS NOT NULL AND idl IS NOT NULL; "))
            << QStringLiteral("INSERT OR IGNORE INTO lunischimbate (ida, anul, idl) SELECT DISTINCT ida, anul, idl "
                              "FROM dateluna WHERE ida IS NOT NULL AND anul IS NOT NULL AND idl IS NOT NULL");
        return statements;
    }
    // On a server: one function per table, run as the clerk who writes. A
    // mark takes its month's lock, shared, until the writer's transaction
    // ends; a closing takes it alone before reading the month's sums (see
    // MonthStore::basis), so that no change lands between its reading and
    // its taking the mark away.
    const QString mark = QStringLiteral(
        "CREATE OR REPLACE FUNCTION vok_luna_schimbata(i integer, a integer, l integer) RETURNS void "
        "LANGUAGE plpgsql AS $$ BEGIN IF i IS NOT NULL AND a IS NOT NULL AND l IS NOT NULL THEN "
        "PERFORM pg_advisory_xact_lock_shared(i, a * 100 + l); "
        "INSERT INTO lunischimbate (ida, anul, idl) VALUES (i, a, l) ON CONFLICT DO NOTHING; END IF; END $$");
    auto function = [](const QString &name, const QString &body) {
        return QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ DECLARE r record; "
                              "BEGIN %2RETURN NULL; END $$")
            .arg(name, body);
    };
    auto trigger = [](const QString &name, const QString &events, const QString &table, const QString &function) {
        return QStringList{QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table),
                           QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %4()")
                               .arg(name, events, table, function)};
    };
    const QString nextOf = QStringLiteral(
        "PERFORM vok_luna_schimbata(%1.ida, CASE WHEN %1.idl >= 12 THEN %1.anul + 1 ELSE %1.anul END, "
        "CASE WHEN %1.idl >= 12 THEN 1 ELSE %1.idl + 1 END); ");
    statements
        << mark
        << function(QStringLiteral("vok_foaie_luni"),
                    QStringLiteral("IF TG_OP <> 'INSERT' THEN PERFORM vok_luna_schimbata(OLD.ida, OLD.anul, OLD.idl); END IF; "
                                   "IF TG_OP <> 'DELETE' THEN PERFORM vok_luna_schimbata(NEW.ida, NEW.anul, NEW.idl); END IF; "))
        << function(QStringLiteral("vok_curse_luni"),
                    QStringLiteral("IF TG_OP <> 'INSERT' THEN FOR r IN SELECT ida, anul, idl FROM foaie WHERE idf = OLD.idf LOOP "
                                   "PERFORM vok_luna_schimbata(r.ida, r.anul, r.idl); END LOOP; END IF; "
                                   "IF TG_OP <> 'DELETE' THEN FOR r IN SELECT ida, anul, idl FROM foaie WHERE idf = NEW.idf LOOP "
                                   "PERFORM vok_luna_schimbata(r.ida, r.anul, r.idl); END LOOP; END IF; "))
        << function(QStringLiteral("vok_dateluna_luni"),
                    QStringLiteral("IF TG_OP = 'UPDATE' AND OLD IS NOT DISTINCT FROM NEW THEN RETURN NULL; END IF; "
                                   "IF TG_OP <> 'INSERT' THEN PERFORM vok_luna_schimbata(OLD.ida, OLD.anul, OLD.idl); END IF; "
                                   "IF TG_OP <> 'DELETE' THEN PERFORM vok_luna_schimbata(NEW.ida, NEW.anul, NEW.idl); END IF; "
                                   "IF TG_OP = 'INSERT' THEN ")
                        + nextOf.arg(QStringLiteral("NEW"))
                        + QStringLiteral("ELSIF TG_OP = 'DELETE' THEN ") + nextOf.arg(QStringLiteral("OLD"))
                        + QStringLiteral("ELSIF OLD.restrez IS DISTINCT FROM NEW.restrez OR OLD.kmt IS DISTINCT FROM NEW.kmt "
                                         "OR OLD.kmet IS DISTINCT FROM NEW.kmet OR OLD.ida IS DISTINCT FROM NEW.ida "
                                         "OR OLD.anul IS DISTINCT FROM NEW.anul OR OLD.idl IS DISTINCT FROM NEW.idl THEN ")
                        + nextOf.arg(QStringLiteral("OLD")) + nextOf.arg(QStringLiteral("NEW")) + QStringLiteral("END IF; "))
        << function(QStringLiteral("vok_auto_luni"),
                    QStringLiteral("IF OLD.Cb IS DISTINCT FROM NEW.Cb OR OLD.Cf IS DISTINCT FROM NEW.Cf "
                                   "OR OLD.restrez IS DISTINCT FROM NEW.restrez OR OLD.kmef IS DISTINCT FROM NEW.kmef "
                                   "OR OLD.kmechiv IS DISTINCT FROM NEW.kmechiv THEN "
                                   "INSERT INTO lunischimbate (ida, anul, idl) SELECT ida, anul, idl FROM dateluna "
                                   "WHERE ida = OLD.ida AND anul IS NOT NULL AND idl IS NOT NULL ON CONFLICT DO NOTHING; "
                                   "END IF; "));
    statements << trigger(QStringLiteral("foaie_luni"), QStringLiteral("INSERT OR UPDATE OR DELETE"), QStringLiteral("foaie"),
                          QStringLiteral("vok_foaie_luni"))
               << trigger(QStringLiteral("curse_luni"), QStringLiteral("INSERT OR UPDATE OR DELETE"), QStringLiteral("curse"),
                          QStringLiteral("vok_curse_luni"))
               << trigger(QStringLiteral("dateluna_luni"), QStringLiteral("INSERT OR UPDATE OR DELETE"),
                          QStringLiteral("dateluna"), QStringLiteral("vok_dateluna_luni"))
               << trigger(QStringLiteral("auto_luni"), QStringLiteral("UPDATE"), QStringLiteral("auto"),
                          QStringLiteral("vok_auto_luni"))
               << QStringLiteral("INSERT INTO lunischimbate (ida, anul, idl) SELECT DISTINCT ida, anul, idl FROM dateluna "
                                 "WHERE ida IS NOT NULL AND anul IS NOT NULL AND idl IS NOT NULL ON CONFLICT DO NOTHING");
    return statements;
}

const Table systemTables[] = {
    {"valid", "idv KEY, parola TEXT"},
};

QString createTable(const Table &t, Dialect dialect)
{
    QString columns = QString::fromLatin1(t.columns);
    const QString key = dialect == Dialect::Sqlite
                            ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                            : QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    const QString real = dialect == Dialect::Sqlite ? QStringLiteral("REAL")
                                                    : QStringLiteral("DOUBLE PRECISION");
    columns.replace(QRegularExpression(QStringLiteral("\\bKEY\\b")), key);
    columns.replace(QRegularExpression(QStringLiteral("\\bREAL\\b")), real);
    QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2").arg(QString::fromLatin1(t.name), columns);
    if (t.constraints)
        sql += QStringLiteral(", ") + QString::fromLatin1(t.constraints);
    return sql + u')';
}

QString addColumn(Dialect dialect, const AddedColumn &c)
{
    QString type = QString::fromLatin1(c.type);
    if (type == QLatin1String("REAL") && dialect == Dialect::Postgres)
        type = QStringLiteral("DOUBLE PRECISION");
    QString sql = dialect == Dialect::Sqlite ? QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                             : QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2 %3");
    sql = sql.arg(QString::fromLatin1(c.table), QString::fromLatin1(c.column), type);
    if (c.defaultValue)
        sql += QStringLiteral(" DEFAULT ") + QString::fromLatin1(c.defaultValue);
    return sql;
}

QStringList registerStep(Dialect dialect)
{
    QStringList statements;
    for (const Table &t : registerTables)
        statements << createTable(t, dialect);
    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS documente_vehicle ON documente (ida, tip)");
    for (const AddedColumn &c : registerColumns)
        statements << addColumn(dialect, c);
    return statements;
}

} // namespace

Dialect dialectOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Dialect::Postgres : Dialect::Sqlite;
}

int stepCount(DatabaseKind kind) { return kind == DatabaseKind::Data ? 9 : 1; }

QStringList migrationStep(DatabaseKind kind, int step, Dialect dialect)
{
    QStringList statements;
    if (step == 2 && kind == DatabaseKind::Data) {
        for (const char *statement : dataIndexesV2)
            statements << QString::fromLatin1(statement);
        return statements;
    }
    if (step == 3 && kind == DatabaseKind::Data)
        return dataColumnsV3(dialect);
    if (step == 4 && kind == DatabaseKind::Data) {
        for (const char *table : versionedTables)
            statements << addColumn(dialect, QString::fromLatin1(table), QStringLiteral("versiune"));
        statements << addColumn(dialect, QStringLiteral("foaie"), QStringLiteral("versiunealim"));
        statements << createTable(journalTable, dialect);
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS jurnal_cand ON jurnal (cand)");
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS jurnal_foaie ON jurnal (nrauto, nrf)");
        return statements;
    }
    if (step == 5 && kind == DatabaseKind::Data)
        return journalTriggersV5(dialect);
    if (step == 6 && kind == DatabaseKind::Data)
        return dataColumnsV6(dialect);
    if (step == 7 && kind == DatabaseKind::Data)
        return registerStep(dialect);
    if (step == 8 && kind == DatabaseKind::Data)
        return dataTablesV8(dialect);
    if (step == 9 && kind == DatabaseKind::Data)
        return monthMarksV9(dialect);
    if (step != 1)
        return statements;
    if (kind == DatabaseKind::Data) {
        for (const Table &t : dataTables)
            statements << createTable(t, dialect);
        for (const char *index : dataIndexes)
            statements << QString::fromLatin1(index);
    } else {
        for (const Table &t : systemTables)
            statements << createTable(t, dialect);
        // The one row of valid, with no password.
        statements << QStringLiteral(
            "INSERT INTO valid (parola) SELECT NULL WHERE NOT EXISTS (SELECT 1 FROM valid)");
    }
    return statements;
}

bool isApplied(const QSqlDatabase &db, const QString &statement)
{
    static const QRegularExpression addColumn(QStringLiteral("^ALTER TABLE (\\w+) ADD COLUMN (\\w+) "));
    const QRegularExpressionMatch m = addColumn.match(statement);
    if (!m.hasMatch() || dialectOf(db) != Dialect::Sqlite)
        return false;
    QSqlQuery columns = exec(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {m.captured(1)});
    while (columns.next())
        if (columns.value(0).toString().compare(m.captured(2), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

namespace {
QString kindName(DatabaseKind kind)
{
    return kind == DatabaseKind::Data ? QStringLiteral("data") : QStringLiteral("system");
}
} // namespace

int version(const QSqlDatabase &db, DatabaseKind kind)
{
    if (dialectOf(db) == Dialect::Sqlite)
        return scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
    // Read without writing: a clerk's login may not create anything. No
    // table yet is an empty database.
    if (scalar(db, QStringLiteral("SELECT to_regclass('vok_schema') IS NULL")).toBool())
        return 0;
    return scalar(db, QStringLiteral("SELECT version FROM vok_schema WHERE kind=?"), {kindName(kind)}).toInt();
}

void lockForMigration(const QSqlDatabase &db)
{
    if (dialectOf(db) == Dialect::Postgres) {
        exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(7420001)"));
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS vok_schema (kind TEXT PRIMARY KEY, version INTEGER)"));
    }
}

void setVersion(const QSqlDatabase &db, DatabaseKind kind, int version)
{
    if (dialectOf(db) == Dialect::Sqlite) {
        exec(db, QStringLiteral("PRAGMA user_version = %1").arg(version));
        return;
    }
    exec(db, QStringLiteral("DELETE FROM vok_schema WHERE kind=?"), {kindName(kind)});
    exec(db, QStringLiteral("INSERT INTO vok_schema (kind, version) VALUES (?, ?)"), {kindName(kind), version});
}

QStringList tableNames(DatabaseKind kind)
{
    QStringList names;
    if (kind == DatabaseKind::Data) {
        names = importedTableNames();
        for (const Table &t : registerTables)
            names << QString::fromLatin1(t.name);
    } else {
        for (const Table &t : systemTables)
            names << QString::fromLatin1(t.name);
    }
    return names;
}

QStringList importedTableNames()
{
    QStringList names;
    for (const Table &t : dataTables)
        names << QString::fromLatin1(t.name);
    return names;
}

QStringList columnNames(const QString &table)
{
    QStringList names;
    QList<const Table *> tables;
    for (const Table &t : dataTables)
        tables << &t;
    for (const Table &t : registerTables)
        tables << &t;
    for (const Table &t : cardTables)
        tables << &t;
    for (const Table *each : std::as_const(tables)) {
        const Table &t = *each;
        if (table.compare(QLatin1String(t.name), Qt::CaseInsensitive) != 0)
            continue;
        for (const QString &column : QString::fromLatin1(t.columns).split(u','))
            names << column.trimmed().section(u' ', 0, 0).remove(u'"');
        if (table == QLatin1String("auto"))
            names << QStringLiteral("caprez");
        for (const char *versioned : versionedTables)
            if (table == QLatin1String(versioned))
                names << QStringLiteral("versiune");
        if (table == QLatin1String("foaie")) {
            names << QStringLiteral("versiunealim");
            for (const char *column : measuredColumns)
                names << QString::fromLatin1(column);
        }
        for (const AddedColumn &c : registerColumns)
            if (table == QLatin1String(c.table))
                names << QString::fromLatin1(c.column);
    }
    return names;
}

QStringList referenceTables()
{
    return {QStringLiteral("sporI"),     QStringLiteral("sporU"),     QStringLiteral("sporT"),
            QStringLiteral("coefKg"),    QStringLiteral("consumCm1"), QStringLiteral("consumCm2"),
            QStringLiteral("consumCm3"), QStringLiteral("consumCm4"), QStringLiteral("sistemU"),
            QStringLiteral("uleiCa1"),   QStringLiteral("uleiCa2")};
}

QString quoted(const QString &column)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (plain.match(column).hasMatch())
        return column;
    QString escaped = column;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

} // namespace vok::schema
