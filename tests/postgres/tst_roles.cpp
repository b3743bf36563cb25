#include "db/database.h"
#include "db/journalstore.h"
#include "db/roles.h"
#include "db/rolescli.h"
#include "db/schema.h"
#include "fleet/partsstore.h"
#include "fleet/referencestore.h"
#include "fleet/settingsstore.h"
#include "fleet/vehiclestore.h"
#include "months/monthclose.h"
#include "reports/fleetstore.h"
#include "testenvironment.h"
#include "trips/tripsheetservice.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <QUrl>

#include <functional>
#include <memory>

using namespace vok;
using roles::Role;

// One login per role on the test server, each working through the
// program's stores on a schema the owner made: what each role may do, what
// the server refuses it (with the one message, nothing written), the journal
// that no one changes, the access table no clerk reads, and a clerk's start
// that never changes the schema.
class RolesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void eachLoginHasItsRole_data();
    void eachLoginHasItsRole();
    void actionsFollowTheRole_data();
    void actionsFollowTheRole();
    void everyRoleReadsTheBusinessTables();
    void journalAndAccessTableRefused_data();
    void journalAndAccessTableRefused();
    void journalNamesTheLogin();
    void olderSchemaRunsNoDdl();
    void newerSchemaRefused();
    void rightsCoverEveryTable();
    void ownPasswordChanges();
    void commandLineRefusals_data();
    void commandLineRefusals();

private:
    QSqlDatabase clerk(Role role);
    QString loginOf(Role role) const;
    QString probe(const QString &query);

    std::unique_ptr<test::TestEnvironment> m_env;
    QString m_schema;
    QString m_prefix;
    int m_ida = 0;
    int m_connections = 0;
};

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

const Role clerkRoles[] = {Role::Admin, Role::Operator, Role::Cititor};

QString roleKey(Role role) { return roles::groupName(role).mid(4); }

// A sheet of vehicle `ida` with one trip, saved through the trip window's service.
void saveSheet(const QSqlDatabase &db, int ida, int nrf)
{
    TripSheetService service(db);
    SheetHeader h;
    h.nrf = nrf;
    h.ida = ida;
    h.sofer = s("POPESCU");
    h.orap = 8;
    h.oras = 16;
    h.data = QDate::currentDate().toString(s("dd.MM.yyyy"));
    h.idl = QDate::currentDate().month();
    h.anul = QDate::currentDate().year();
    TripForm form;
    form.nrc = s("1");
    form.km[1] = s("10");
    service.save(*service.planSave(h, form, 2), true);
}

// What a clerk of each role does through the stores, and who may.
struct Action {
    const char *name;
    bool admin, operatorMay, cititor;
    // State read by the owner before and after: changed when allowed.
    const char *probe;
    std::function<void(const QSqlDatabase &db, int ida, int n)> run;
};

const QList<Action> &actions()
{
    static const QList<Action> all = {
        {"vehicle register", true, false, false, "SELECT COUNT(*) FROM auto",
         [](const QSqlDatabase &db, int, int n) {
             VehicleRecord v;
             v.nrauto = QStringLiteral("B-%1-ROL").arg(n, 2, 10, QLatin1Char('0'));
             v.marca = s("DACIA");
             v.consumption = {7, 8, 9, 1};
             VehicleStore(db).save(v);
         }},
        {"reference table", true, false, false, "SELECT COUNT(*) FROM sporU",
         [](const QSqlDatabase &db, int, int) { ReferenceStore(db).addRow(s("sporU")); }},
        {"report header", true, false, false, "SELECT unitate FROM setari",
         [](const QSqlDatabase &db, int, int n) {
             SettingsStore store(db);
             const ReportHeader stored = store.headers().first();
             ReportHeader header = stored;
             header.unitate = QStringLiteral("UNITATEA %1").arg(n);
             store.saveHeader(stored, header);
         }},
        {"trip sheet", true, true, false, "SELECT COUNT(*) FROM foaie",
         [](const QSqlDatabase &db, int ida, int n) { saveSheet(db, ida, 100 + n); }},
        {"parts", true, true, false, "SELECT COUNT(*) FROM piese",
         [](const QSqlDatabase &db, int ida, int) {
             PartEntry entry;
             entry.ida = ida;
             entry.act = s("F1");
             entry.denp = s("FILTRU");
             entry.valoare = 10;
             entry.zi = s("01");
             entry.luna = s("02");
             entry.an = s("2026");
             PartsStore(db).add(entry);
         }},
        {"month closing", true, true, false, "SELECT COUNT(*) FROM dateluna",
         [](const QSqlDatabase &db, int ida, int) {
             closeMonth(db, ida, QDate::currentDate().year(), QDate::currentDate().month());
         }},
        {"regime of the trip window", true, true, false, "SELECT implicit FROM consum ORDER BY ida",
         [](const QSqlDatabase &db, int ida, int) {
             const int implicit = scalar(db, s("SELECT implicit FROM consum WHERE ida=?"), {ida}).toInt();
             TripSheetService(db).chooseRegime(ida, implicit % 3 + 1);
         }},
        {"report marks", true, true, true, "SELECT rap FROM auto WHERE nrauto='B-01-OWN'",
         [](const QSqlDatabase &db, int, int) {
             const bool marked = scalar(db, s("SELECT rap FROM auto WHERE nrauto='B-01-OWN'")).toInt() == 1;
             FleetStore(db).setReportMarks({{s("B-01-OWN"), !marked}});
         }},
        {"deleted sheet restored", true, true, false, "SELECT COUNT(*) FROM foaie",
         [](const QSqlDatabase &db, int, int n) {
             const qint64 idj = scalar(db, s("SELECT idj FROM jurnal WHERE tabela='foaie' AND actiune='stergere' "
                                             "AND nrf=?"),
                                       {50 + n})
                                    .toLongLong();
             if (JournalStore(db).restoreSheet(idj, s("jurnal")) != JournalStore::Restore::Restored)
                 throw DbError(s("not restored"));
         }},
    };
    return all;
}

} // namespace

QString RolesTest::loginOf(Role role) const { return m_prefix + roleKey(role); }

QSqlDatabase RolesTest::clerk(Role role)
{
    const QUrl url(test::TestEnvironment::serverUrl());
    const QString name = QStringLiteral("clerk-%1").arg(++m_connections);
    QSqlDatabase db = QSqlDatabase::addDatabase(s("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setDatabaseName(url.path().mid(1));
    db.setUserName(loginOf(role));
    db.setConnectOptions(QStringLiteral("options='-c search_path=%1'").arg(m_schema));
    if (!db.open())
        qFatal("the login %s cannot connect", qPrintable(loginOf(role)));
    return db;
}

QString RolesTest::probe(const QString &query)
{
    QStringList values;
    QSqlQuery q = exec(m_env->db(), query);
    while (q.next())
        values << q.value(0).toString();
    return values.join(u',');
}

void RolesTest::initTestCase()
{
    if (test::TestEnvironment::serverUrl().isEmpty())
        QSKIP("needs the test server");
    m_env = std::make_unique<test::TestEnvironment>();
    m_schema = m_env->value(s("SELECT current_schema()")).toString();
    m_prefix = QStringLiteral("r%1_").arg(QCoreApplication::applicationPid());
    roles::setupRoles(m_env->db());
    for (Role role : clerkRoles)
        roles::addUser(m_env->db(), loginOf(role), role, s("parola-") + roleKey(role));

    // The owner's data: a vehicle with a sheet, and three sheets deleted for
    // the clerks to bring back.
    VehicleRecord v;
    v.nrauto = s("B-01-OWN");
    v.marca = s("ROMAN");
    v.consumption = {30, 32, 34, 2};
    m_ida = VehicleStore(m_env->db()).save(v);
    saveSheet(m_env->db(), m_ida, 1);
    TripSheetService service(m_env->db());
    for (int n = 1; n <= 3; ++n) {
        saveSheet(m_env->db(), m_ida, 50 + n);
        service.deleteSheet(*service.sheets().byNumber(m_ida, 50 + n));
    }
    SettingsStore(m_env->db()).headers();
}

void RolesTest::cleanupTestCase()
{
    if (!m_env)
        return;
    for (const QString &name : QSqlDatabase::connectionNames())
        if (name.startsWith(QLatin1String("clerk-")))
            QSqlDatabase::removeDatabase(name);
    for (Role role : clerkRoles) {
        try {
            roles::removeUser(m_env->db(), loginOf(role));
        } catch (const DbError &error) {
            qWarning("%s", qPrintable(error.message()));
        }
    }
    m_env.reset();
}

void RolesTest::eachLoginHasItsRole_data()
{
    QTest::addColumn<int>("role");
    for (Role role : clerkRoles)
        QTest::newRow(qPrintable(roleKey(role))) << int(role);
}

void RolesTest::eachLoginHasItsRole()
{
    QFETCH(int, role);
    const QSqlDatabase db = clerk(Role(role));
    database::prepareServer(db); // a clerk's start on a current schema
    QCOMPARE(int(roles::roleOf(db)), role);
    QCOMPARE(roles::login(db), loginOf(Role(role)));
    QVERIFY(!roles::isOwner(db));
    // The password went as a verifier: the server holds no clear text.
    QVERIFY(probe(QStringLiteral("SELECT rolpassword FROM pg_authid WHERE rolname='%1'").arg(loginOf(Role(role))))
                .startsWith(s("SCRAM-SHA-256$")));
}

void RolesTest::actionsFollowTheRole_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("allowed");
    for (int a = 0; a < actions().size(); ++a) {
        const Action &action = actions().at(a);
        for (Role role : clerkRoles) {
            const bool allowed = role == Role::Admin      ? action.admin
                                 : role == Role::Operator ? action.operatorMay
                                                          : action.cititor;
            QTest::addRow("%s, %s", action.name, qPrintable(roleKey(role))) << a << int(role) << allowed;
        }
    }
}

void RolesTest::actionsFollowTheRole()
{
    QFETCH(int, action);
    QFETCH(int, role);
    QFETCH(bool, allowed);
    const Action &a = actions().at(action);
    const QSqlDatabase db = clerk(Role(role));
    exec(m_env->db(), s("DELETE FROM dateluna"));
    const QString before = probe(QString::fromLatin1(a.probe));
    const int journalBefore = probe(s("SELECT COUNT(*) FROM jurnal")).toInt();
    QString refusal;
    try {
        a.run(db, m_ida, role);
    } catch (const DbError &error) {
        refusal = error.message();
    }
    const QString after = probe(QString::fromLatin1(a.probe));
    if (allowed) {
        QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
        QVERIFY2(after != before, qPrintable(after));
    } else {
        QCOMPARE(refusal, noRightText());
        QCOMPARE(after, before);
        QCOMPARE(probe(s("SELECT COUNT(*) FROM jurnal")).toInt(), journalBefore);
        // The connection goes on: the refused transaction was rolled back.
        QCOMPARE(scalar(db, s("SELECT COUNT(*) FROM auto WHERE ida=?"), {m_ida}).toInt(), 1);
    }
}

void RolesTest::everyRoleReadsTheBusinessTables()
{
    QStringList tables = schema::tableNames(DatabaseKind::Data);
    tables << s("jurnal") << s("vok_schema");
    for (Role role : clerkRoles) {
        const QSqlDatabase db = clerk(role);
        for (const QString &table : std::as_const(tables)) {
            try {
                scalar(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
            } catch (const DbError &error) {
                QFAIL(qPrintable(roleKey(role) + u' ' + table + u' ' + error.message()));
            }
        }
    }
}

void RolesTest::journalAndAccessTableRefused_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("statement");
    const char *statements[] = {
        "UPDATE jurnal SET cine='altcineva'",
        "DELETE FROM jurnal",
        "TRUNCATE jurnal",
        "SELECT parola FROM valid",
        "UPDATE valid SET parola=NULL",
        "INSERT INTO valid (parola) VALUES (NULL)",
        "DELETE FROM valid",
    };
    for (Role role : clerkRoles)
        for (const char *statement : statements)
            QTest::addRow("%s: %s", qPrintable(roleKey(role)), statement) << int(role) << s(statement);
    // The owner's own program cannot change the journal either.
    QTest::newRow("owner: UPDATE jurnal") << int(Role::Owner) << s("UPDATE jurnal SET cine='altcineva'");
    QTest::newRow("owner: DELETE jurnal") << int(Role::Owner) << s("DELETE FROM jurnal");
    QTest::newRow("owner: TRUNCATE jurnal") << int(Role::Owner) << s("TRUNCATE jurnal");
}

void RolesTest::journalAndAccessTableRefused()
{
    QFETCH(int, role);
    QFETCH(QString, statement);
    const QSqlDatabase db = Role(role) == Role::Owner ? m_env->db() : clerk(Role(role));
    const QString journal = probe(s("SELECT COUNT(*), MIN(cine), MAX(cine) FROM jurnal"));
    const QString access = probe(s("SELECT COUNT(*), MAX(parola) FROM valid"));
    try {
        exec(db, statement);
        QFAIL("the server took the statement");
    } catch (const DbError &error) {
        QCOMPARE(error.message(), noRightText());
    }
    QCOMPARE(probe(s("SELECT COUNT(*), MIN(cine), MAX(cine) FROM jurnal")), journal);
    QCOMPARE(probe(s("SELECT COUNT(*), MAX(parola) FROM valid")), access);
}

void RolesTest::journalNamesTheLogin()
{
    for (Role role : clerkRoles) {
        const QSqlDatabase db = clerk(role);
        exec(db, s("INSERT INTO jurnal (cand, cine, fereastra, tabela, actiune) VALUES (?, ?, ?, ?, ?)"),
             {s("1999-01-01 00:00:00"), s("altcineva"), s("psql"), s("auto"), s("adaugare")});
        QSqlQuery row = exec(m_env->db(), s("SELECT cine, cand FROM jurnal WHERE fereastra='psql' ORDER BY idj DESC"));
        QVERIFY(row.next());
        QCOMPARE(row.value(0).toString(), loginOf(role));
        // The server's clock, written as the program writes it.
        const QDateTime when = QDateTime::fromString(row.value(1).toString(), s("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(when.isValid(), qPrintable(row.value(1).toString()));
        QCOMPARE(when.date().year(), QDate::currentDate().year());
    }
}

void RolesTest::olderSchemaRunsNoDdl()
{
    const QString operatorLogin = loginOf(Role::Operator);
    const int current = database::currentSchemaVersion(DatabaseKind::Data);
    // The server logs every DDL statement of that login from its next session on.
    exec(m_env->db(), QStringLiteral("ALTER ROLE %1 SET log_statement = 'ddl'").arg(operatorLogin));
    exec(m_env->db(), s("UPDATE vok_schema SET version=? WHERE kind='data'"), {current - 1});
    const QString logFile = [] {
        QFile where(QStringLiteral(VOK_BINARY_DIR "/pgtest/server-dir"));
        return where.open(QIODevice::ReadOnly) ? QString::fromUtf8(where.readAll()).trimmed() + s("/server.log")
                                               : QString();
    }();
    // Read afresh each time: the server appends to its log as it goes.
    auto logSize = [&] { return QFileInfo::exists(logFile) ? QFileInfo(logFile).size() : qint64(-1); };
    auto logSince = [&](qint64 from, qint64 to) {
        QFile log(logFile);
        if (!log.open(QIODevice::ReadOnly) || !log.seek(from))
            return QString();
        return QString::fromUtf8(to < 0 ? log.readAll() : log.read(to - from));
    };
    const qint64 logStart = logSize();

    QString refusal;
    qint64 logAfterStart = -1;
    {
        const QSqlDatabase db = clerk(Role::Operator);
        try {
            database::prepareServer(db);
        } catch (const DbError &error) {
            refusal = error.message();
        }
        logAfterStart = logSize();
        // The watch sees a clerk's DDL: the same session tries one itself.
        try {
            exec(db, s("CREATE TABLE vok_clerk_probe (x INTEGER)"));
        } catch (const DbError &) {
        }
    }
    exec(m_env->db(), s("UPDATE vok_schema SET version=? WHERE kind='data'"), {current});
    exec(m_env->db(), QStringLiteral("ALTER ROLE %1 RESET log_statement").arg(operatorLogin));
    QCOMPARE(refusal, database::updateNeededText());
    if (logStart < 0)
        QSKIP("the server's log is not where the test server keeps it");
    const QString atStart = logSince(logStart, logAfterStart);
    for (const char *ddl : {"CREATE", "ALTER", "DROP", "GRANT", "REVOKE"})
        QVERIFY2(!atStart.contains(s("statement: ") + s(ddl), Qt::CaseInsensitive), qPrintable(atStart));
    QTRY_VERIFY(logSince(logAfterStart, -1).contains(s("statement: CREATE TABLE vok_clerk_probe")));
}

void RolesTest::newerSchemaRefused()
{
    const int current = database::currentSchemaVersion(DatabaseKind::Data);
    exec(m_env->db(), s("UPDATE vok_schema SET version=? WHERE kind='data'"), {current + 1});
    QStringList refusals;
    for (const QSqlDatabase &db : {clerk(Role::Admin), m_env->db()}) {
        try {
            database::prepareServer(db);
        } catch (const DbError &error) {
            refusals << error.message();
        }
    }
    exec(m_env->db(), s("UPDATE vok_schema SET version=? WHERE kind='data'"), {current});
    QCOMPARE(refusals.size(), 2);
    for (const QString &refusal : std::as_const(refusals))
        QVERIFY2(refusal.contains(s("versiune mai noua")), qPrintable(refusal));
}

void RolesTest::rightsCoverEveryTable()
{
    // A table the program makes in a later step is covered before anyone
    // names it: the administrator writes it, the others read it.
    exec(m_env->db(), s("CREATE TABLE tabelnoua (idsofer INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, nume TEXT)"));
    roles::grant(m_env->db());
    const QSqlDatabase admin = clerk(Role::Admin);
    exec(admin, s("INSERT INTO tabelnoua (nume) VALUES ('IONESCU')"));
    for (Role role : {Role::Operator, Role::Cititor}) {
        const QSqlDatabase db = clerk(role);
        QCOMPARE(scalar(db, s("SELECT COUNT(*) FROM tabelnoua")).toInt(), 1);
        QVERIFY_THROWS_EXCEPTION(NoRight, exec(db, s("INSERT INTO tabelnoua (nume) VALUES ('X')")));
    }
    exec(m_env->db(), s("DROP TABLE tabelnoua"));
}

void RolesTest::ownPasswordChanges()
{
    // PAROLA on a server: the login's own password, sent as a new verifier.
    const QString query = QStringLiteral("SELECT rolpassword FROM pg_authid WHERE rolname='%1'").arg(loginOf(Role::Cititor));
    const QString before = probe(query);
    const QSqlDatabase db = clerk(Role::Cititor);
    roles::changeOwnPassword(db, s("alta parola"));
    const QString after = probe(query);
    QVERIFY(after.startsWith(s("SCRAM-SHA-256$")));
    QVERIFY(after != before);
    QVERIFY(!after.contains(s("alta parola")));
    QCOMPARE(db.password(), s("alta parola"));
    QVERIFY_THROWS_EXCEPTION(roles::Refusal, roles::changeOwnPassword(db, QString()));
}

void RolesTest::commandLineRefusals_data()
{
    QTest::addColumn<QStringList>("arguments"); // add NAME ROLE | remove NAME
    QTest::addColumn<int>("code");
    QTest::newRow("unknown role") << QStringList{s("add"), s("r_nou"), s("vok_sef")} << 1;
    QTest::newRow("bad name") << QStringList{s("add"), s("Ana-Maria"), s("vok_operator")} << 1;
    QTest::newRow("existing user") << QStringList{s("add"), s("vok"), s("vok_operator")} << 1;
    QTest::newRow("unknown user") << QStringList{s("remove"), s("r_nimeni")} << 1;
    QTest::newRow("not a clerk") << QStringList{s("remove"), s("vok")} << 1;
    QTest::newRow("added") << QStringList{s("add"), s("PREFIXcli"), s("cititor")} << 0;
    QTest::newRow("removed") << QStringList{s("remove"), s("PREFIXcli")} << 0;
}

void RolesTest::commandLineRefusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    const QString name = QString(arguments.at(1)).replace(s("PREFIX"), m_prefix);
    const rolescli::Target target{QString(), test::TestEnvironment::serverUrl()};
    QString input = s("o parola\n"), output, errors;
    QTextStream in(&input), out(&output), err(&errors);
    const int exit = arguments.first() == QLatin1String("add")
                         ? rolescli::runAddUser(target, name, arguments.at(2), in, out, err)
                         : rolescli::runRemoveUser(target, name, out, err);
    out.flush();
    err.flush();
    QVERIFY2(exit == code, qPrintable(errors));
    const int logins = probe(QStringLiteral("SELECT COUNT(*) FROM pg_roles WHERE rolname='%1'").arg(name)).toInt();
    if (code == 0)
        QCOMPARE(logins, arguments.first() == QLatin1String("add") ? 1 : 0);
    else
        QVERIFY(!errors.isEmpty());
}

QTEST_GUILESS_MAIN(RolesTest)
#include "tst_roles.moc"
