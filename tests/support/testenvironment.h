#pragma once

#include "db/journal.h"
#include "fakemessageservice.h"
#include "fakereportservice.h"
#include "ui/windowcontext.h"

#include <QTemporaryDir>

#include <type_traits>

namespace vok::test {

// A fresh data folder with both databases created through the program's own
// code, a scripted message service and a recording report service. Each
// instance uses connection names of its own. With $VOK_TEST_POSTGRES set to a
// server address, the databases are a fresh schema on that server instead
// (both kinds in one connection, as the program runs there).
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment &) = delete;
    TestEnvironment &operator=(const TestEnvironment &) = delete;

    QString dataDir() const { return m_dir.path(); }
    // The test server's address, or empty when the tests run on SQLite.
    static QString serverUrl();
    bool onServer() const { return !m_schema.isEmpty(); }
    QSqlDatabase db() const { return m_context.db; }
    QSqlDatabase sys() const { return m_context.sys; }
    const WindowContext &context() const { return m_context; }
    FakeMessageService &messages() { return m_messages; }
    FakeReportService &reports() { return m_reports; }
    ProgramState &state() { return m_state; }

    // Runs `write` with a run of writes of the window "test" and commits it;
    // gives back what `write` returns.
    template <typename Write> auto written(Write &&write)
    {
        WriteRun run(db(), QStringLiteral("test"));
        if constexpr (std::is_void_v<decltype(write(run))>) {
            write(run);
            run.commit();
        } else {
            auto result = write(run);
            run.commit();
            return result;
        }
    }

    // Runs one statement (with bound values) on vok.db; fails the test on error.
    void sql(const QString &statement, const QVariantList &values = {});
    // The first column of the first row.
    QVariant value(const QString &query, const QVariantList &values = {});
    // A second connection `name` to the same data, as another clerk's program
    // opens it; closed with database::close(name).
    QSqlDatabase otherClerk(const QString &name);

private:
    QTemporaryDir m_dir;
    QString m_dataConnection;
    QString m_sysConnection;
    QString m_schema;
    FakeMessageService m_messages;
    FakeReportService m_reports;
    ProgramState m_state;
    WindowContext m_context;
};

} // namespace vok::test
