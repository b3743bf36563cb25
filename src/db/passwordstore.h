#pragma once

#include <QSqlDatabase>
#include <QString>

namespace vok {

// The access password in the one row of valid (sys.db). It is kept as a
// salted hash; an empty or Null value means no password is set. Throws
// DbError when a statement fails, and when valid has lost its row (reading
// the password then fails with missingRowMessage(); set() puts the row back).
class PasswordStore {
public:
    explicit PasswordStore(const QSqlDatabase &sys);

    static QString missingRowMessage();

    bool isSet() const;
    // True when `typed` is the password (exactly: case and blanks count).
    bool matches(const QString &typed) const;
    // Stores `password` as typed; an empty text removes the password.
    void set(const QString &password);

private:
    QString stored() const;
    QSqlDatabase m_db;
};

} // namespace vok
