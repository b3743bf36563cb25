#include "db/passwordstore.h"

#include "db/database.h"

#include <sodium.h>

namespace vok {

namespace {

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

bool isHash(const QString &value) { return value.startsWith(QLatin1String("$argon2")); }

} // namespace

PasswordStore::PasswordStore(const QSqlDatabase &sys)
    : m_db(sys)
{
}

QString PasswordStore::stored() const
{
    const QVariant value = scalar(m_db, QStringLiteral("SELECT parola FROM valid"));
    // Without its row nothing says whether a password was set: the program
    // must not open as if none were.
    if (!value.isValid())
        throw DbError(missingRowMessage());
    return value.toString();
}

QString PasswordStore::missingRowMessage()
{
    return QStringLiteral("tabela valid nu are randul parolei de acces");
}

bool PasswordStore::isSet() const { return !stored().isEmpty(); }

bool PasswordStore::matches(const QString &typed) const
{
    const QString value = stored();
    if (value.isEmpty())
        return typed.isEmpty();
    if (!isHash(value)) // a password kept in plain text by an older file
        return value == typed;
    if (!sodiumReady())
        throw DbError(QStringLiteral("libsodium could not be initialised"));
    const QByteArray hash = value.toUtf8();
    const QByteArray text = typed.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), text.constData(),
                                    static_cast<unsigned long long>(text.size()))
           == 0;
}

void PasswordStore::set(const QString &password)
{
    QString value;
    if (!password.isEmpty()) {
        if (!sodiumReady())
            throw DbError(QStringLiteral("libsodium could not be initialised"));
        const QByteArray text = password.toUtf8();
        char hash[crypto_pwhash_STRBYTES];
        if (crypto_pwhash_str(hash, text.constData(), static_cast<unsigned long long>(text.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
            != 0)
            throw DbError(QStringLiteral("not enough memory to protect the password"));
        value = QString::fromLatin1(hash);
    }
    Transaction transaction(m_db);
    if (scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM valid")).toInt() == 0)
        exec(m_db, QStringLiteral("INSERT INTO valid (parola) VALUES (?)"), {value});
    else
        exec(m_db, QStringLiteral("UPDATE valid SET parola=?"), {value});
    transaction.commit();
}

} // namespace vok
