#include "fleet/driverrules.h"

#include "base/texts.h"
#include "fleet/duerules.h"

#include <QRegularExpression>

namespace vok::driver {

QString textProblem(const QString &text, int length)
{
    if (text.contains(u'\''))
        return texts::apostropheRefused();
    if (text.size() > length)
        return texts::maxLength(length);
    return {};
}

QString nameProblem(const QString &nume) { return textProblem(nume, NameLength); }

QString badDateMessage() { return QStringLiteral(" Data trebuie scrisa zz.ll.aaaa (de exemplu 31.12.2026) !!! "); }

QString normalisedDate(const QString &text)
{
    static const QRegularExpression loose(QStringLiteral("^\\s*(\\d{1,2})[./-](\\d{1,2})[./-](\\d{4})\\s*$"));
    const QRegularExpressionMatch m = loose.match(text);
    if (!m.hasMatch())
        return text.trimmed();
    return QStringLiteral("%1.%2.%3")
        .arg(m.captured(1).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(2).toInt(), 2, 10, QLatin1Char('0'))
        .arg(m.captured(3));
}

QString dateProblem(const QString &text)
{
    if (text.trimmed().isEmpty() || due::parseDate(normalisedDate(text)))
        return {};
    return badDateMessage();
}

QString noNameMessage() { return QStringLiteral(" Specificati numele soferului !!! "); }
QString notRegisteredMessage() { return QStringLiteral(" Soferul nu este inregistrat !!! "); }

QString deleteQuestion(const QString &nume)
{
    return QStringLiteral(" Sunteti sigur ca doriti stergerea soferului ,,") + nume + QStringLiteral("'' ?");
}

std::optional<EntryProblem> checkSave(const DriverTexts &typed)
{
    using Field = EntryProblem::Field;
    if (typed.nume.trimmed().isEmpty())
        return EntryProblem{Field::Name, noNameMessage()};
    if (const QString p = nameProblem(typed.nume); !p.isEmpty())
        return EntryProblem{Field::Name, p};
    if (const QString p = textProblem(typed.permis, PermitLength); !p.isEmpty())
        return EntryProblem{Field::Permit, p};
    if (const QString p = textProblem(typed.categorii, CategoryLength); !p.isEmpty())
        return EntryProblem{Field::Categories, p};
    if (const QString p = dateProblem(typed.exppermis); !p.isEmpty())
        return EntryProblem{Field::PermitExpiry, p};
    if (const QString p = dateProblem(typed.expaviz); !p.isEmpty())
        return EntryProblem{Field::CertificateExpiry, p};
    return std::nullopt;
}

} // namespace vok::driver

namespace vok::document {

QString noKindMessage() { return QStringLiteral(" Selectati tipul documentului !!! "); }
QString endBeforeStartMessage() { return QStringLiteral(" Data de expirare este inaintea datei de emitere !!! "); }

QString deleteQuestion(const QString &tip, const QString &numar)
{
    return QStringLiteral(" Sunteti sigur ca doriti stergerea documentului %1 ,,%2'' ?").arg(tip, numar);
}

std::optional<EntryProblem> checkSave(const DocumentTexts &typed)
{
    using Field = EntryProblem::Field;
    if (!due::documentKinds().contains(typed.tip))
        return EntryProblem{Field::Kind, noKindMessage()};
    if (const QString p = driver::textProblem(typed.numar, NumberLength); !p.isEmpty())
        return EntryProblem{Field::Number, p};
    if (const QString p = driver::dateProblem(typed.dela); !p.isEmpty())
        return EntryProblem{Field::From, p};
    if (const QString p = driver::dateProblem(typed.panala); !p.isEmpty())
        return EntryProblem{Field::To, p};
    const auto from = due::parseDate(driver::normalisedDate(typed.dela));
    const auto to = due::parseDate(driver::normalisedDate(typed.panala));
    if (from && to && *to < *from)
        return EntryProblem{Field::To, endBeforeStartMessage()};
    if (const QString p = driver::textProblem(typed.obs, NoteLength); !p.isEmpty())
        return EntryProblem{Field::Note, p};
    return std::nullopt;
}

} // namespace vok::document
