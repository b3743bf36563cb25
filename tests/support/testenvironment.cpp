#include "testenvironment.h"

#include "db/database.h"
#include "ui/keys.h"

#include <QtTest>
#include <QUrl>

namespace vok::test {

namespace {
int counter = 0;
}

TestEnvironment::TestEnvironment()
{
    ++counter;
    // The windows answer to the program's keys, as they do in the program.
    keys::install();
    m_dataConnection = QStringLiteral("test-data-%1").arg(counter);
    m_sysConnection = QStringLiteral("test-sys-%1").arg(counter);
    m_context.dataFile = m_dir.filePath(QStringLiteral("vok.db"));
    const QString server = serverUrl();
    if (!server.isEmpty()) {
        // On a server every environment gets a schema of its own, dropped afterwards.
        m_schema = QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter);
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_dataConnection);
        const QUrl url(server);
        admin.setHostName(url.host());
        admin.setPort(url.port(5432));
        admin.setDatabaseName(url.path().mid(1));
        admin.setUserName(url.userName());
        // The schema stays the session's own when a failed statement makes
        // the program open the connection again.
        admin.setConnectOptions(QStringLiteral("options='-c search_path=%1'").arg(m_schema));
        if (!admin.open())
            qFatal("cannot reach the test server %s", qPrintable(server));
        exec(admin, QStringLiteral("CREATE SCHEMA ") + m_schema);
        exec(admin, QStringLiteral("SET search_path TO ") + m_schema);
        database::ensureSchema(admin, DatabaseKind::Data);
        database::ensureSchema(admin, DatabaseKind::System);
        m_context.db = admin;
        m_context.sys = admin;
        m_sysConnection.clear();
    } else {
        m_context.db = database::openSqlite(m_context.dataFile, m_dataConnection, DatabaseKind::Data);
        m_context.sys = database::openSqlite(m_dir.filePath(QStringLiteral("sys.db")), m_sysConnection,
                                             DatabaseKind::System);
    }
    m_context.messages = &m_messages;
    m_context.reports = &m_reports;
    m_context.state = &m_state;
}

QString TestEnvironment::serverUrl() { return qEnvironmentVariable("VOK_TEST_POSTGRES"); }

TestEnvironment::~TestEnvironment()
{
    if (!m_schema.isEmpty()) {
        try {
            exec(m_context.db, QStringLiteral("DROP SCHEMA ") + m_schema + QStringLiteral(" CASCADE"));
        } catch (const DbError &) {
        }
    }
    m_context.db = QSqlDatabase();
    m_context.sys = QSqlDatabase();
    database::close(m_dataConnection);
    if (!m_sysConnection.isEmpty())
        database::close(m_sysConnection);
}

void TestEnvironment::sql(const QString &statement, const QVariantList &values)
{
    try {
        exec(m_context.db, statement, values);
    } catch (const DbError &error) {
        QFAIL(qPrintable(error.message()));
    }
}

QVariant TestEnvironment::value(const QString &query, const QVariantList &values)
{
    try {
        return scalar(m_context.db, query, values);
    } catch (const DbError &error) {
        qWarning("%s", qPrintable(error.message()));
        return {};
    }
}

QSqlDatabase TestEnvironment::otherClerk(const QString &name)
{
    if (!onServer())
        return database::openSqlite(m_context.dataFile, name, DatabaseKind::Data);
    const QUrl url(serverUrl());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port(5432));
    db.setDatabaseName(url.path().mid(1));
    db.setUserName(url.userName());
    db.setConnectOptions(QStringLiteral("options='-c search_path=%1'").arg(value(QStringLiteral("SELECT current_schema()")).toString()));
    if (!db.open())
        qFatal("the second clerk cannot reach the test server");
    return db;
}

} // namespace vok::test
