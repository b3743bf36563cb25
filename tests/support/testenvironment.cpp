#include "testenvironment.h"

#include "db/database.h"

#include <QtTest>

namespace vok::test {

namespace {
int counter = 0;
}

TestEnvironment::TestEnvironment()
{
    ++counter;
    m_dataConnection = QStringLiteral("test-data-%1").arg(counter);
    m_sysConnection = QStringLiteral("test-sys-%1").arg(counter);
    m_context.dataFile = m_dir.filePath(QStringLiteral("vok.db"));
    m_context.db = database::openSqlite(m_context.dataFile, m_dataConnection, DatabaseKind::Data);
    m_context.sys = database::openSqlite(m_dir.filePath(QStringLiteral("sys.db")), m_sysConnection,
                                         DatabaseKind::System);
    m_context.messages = &m_messages;
    m_context.reports = &m_reports;
    m_context.state = &m_state;
}

TestEnvironment::~TestEnvironment()
{
    m_context.db = QSqlDatabase();
    m_context.sys = QSqlDatabase();
    database::close(m_dataConnection);
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

} // namespace vok::test
