#include "db/restwarnings.h"

#include "base/numbers.h"
#include "db/database.h"

#include <QSqlQuery>

#include <algorithm>

namespace vok {

namespace {

const QString warningMark = QStringLiteral("avertisment:");

// A litre of slack above the capacity: the gauge and the pump do not agree to the drop.
constexpr double slack = 1.0;

QString litres(double value) { return formatNumber(value, QStringLiteral("#0.00")); }

QString why(double rest, double capacity)
{
    if (rest < 0)
        return QStringLiteral("restul in rezervor este sub zero");
    return QStringLiteral("restul in rezervor depaseste capacitatea rezervorului (%1 l)").arg(doubleText(capacity));
}

} // namespace

bool restOutOfRange(double rest, double capacity)
{
    return rest < 0 || (capacity > 0 && rest > capacity + slack);
}

QString restWarningLine(const QString &nrauto, int year, int month, double rest, double capacity)
{
    return warningMark + u'\t' + nrauto + u'\t' + QString::number(year) + u'\t' + QString::number(month) + u'\t'
           + litres(rest) + u'\t' + why(rest, capacity);
}

bool isWarning(const QString &line) { return line.startsWith(warningMark); }

QString restWarningMessage(double rest, double capacity)
{
    if (rest < 0)
        return QStringLiteral(" Atentie: restul in rezervor la sfarsitul lunii este %1 l, sub zero. "
                              "Verificati alimentarile si consumul lunii !!! ")
            .arg(litres(rest));
    return QStringLiteral(" Atentie: restul in rezervor la sfarsitul lunii este %1 l, mai mult decat incape in "
                          "rezervor (%2 l). Verificati alimentarile si consumul lunii !!! ")
        .arg(litres(rest), doubleText(capacity));
}

QStringList restWarnings(const QSqlDatabase &db)
{
    QSqlQuery query = exec(db, QStringLiteral("SELECT a.nrauto, d.anul, d.idl, d.restrez, a.caprez FROM dateluna d "
                                              "INNER JOIN auto a ON a.ida=d.ida "
                                              "WHERE d.restrez < 0 OR (a.caprez > 0 AND d.restrez > a.caprez + ?) "
                                              "ORDER BY d.anul, d.idl"),
                           {slack});
    // By registration number as the program orders vehicles, the same on every engine.
    QList<std::pair<QString, QString>> found;
    while (query.next()) {
        const QString nrauto = query.value(0).toString();
        found.append({nrauto, restWarningLine(nrauto, query.value(1).toInt(), query.value(2).toInt(),
                                              query.value(3).toDouble(), query.value(4).toDouble())});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList lines;
    for (const auto &[nrauto, line] : found)
        lines << line;
    return lines;
}

} // namespace vok
