#include "trips/tripstore.h"

#include "db/database.h"

#include <QSqlError>
#include <QSqlQueryModel>

namespace vok {

namespace {

const QString tripColumns = QStringLiteral(
    "idc, idf, nrc, kmI, kmII, kmIII, kmIV, kmV, kmVI, kmT, kmE, Kg, Gm, T, U, I, nri, Ra, A, nrq1, nrq4, "
    "Cn, Cu, remorca, traseu, kmtract, kmurb, versiune");

std::optional<Trip> readTrip(QSqlQuery &query)
{
    if (!query.next())
        return std::nullopt;
    return tripFromRow(query, 0);
}

// Every value of a trip but its key, sheet and number, in the order of valueColumns.
QVariantList values(const Trip &t)
{
    QVariantList v;
    for (double km : t.km)
        v << km;
    v << t.kmT << t.kmE << t.Kg << t.Gm << t.T << t.U << t.I << t.nri << t.Ra << t.A << t.nrq1 << t.nrq4
      << t.Cn << t.Cu << t.remorca << t.traseu << t.kmtract << t.kmurb;
    return v;
}

const QStringList valueColumns = {
    QStringLiteral("kmI"), QStringLiteral("kmII"), QStringLiteral("kmIII"), QStringLiteral("kmIV"),
    QStringLiteral("kmV"), QStringLiteral("kmVI"), QStringLiteral("kmT"),   QStringLiteral("kmE"),
    QStringLiteral("Kg"),  QStringLiteral("Gm"),   QStringLiteral("T"),     QStringLiteral("U"),
    QStringLiteral("I"),   QStringLiteral("nri"),  QStringLiteral("Ra"),    QStringLiteral("A"),
    QStringLiteral("nrq1"), QStringLiteral("nrq4"), QStringLiteral("Cn"),   QStringLiteral("Cu"),
    QStringLiteral("remorca"), QStringLiteral("traseu"), QStringLiteral("kmtract"), QStringLiteral("kmurb")};

// The trip's values as the journal keeps them.
QJsonObject tripObject(const Trip &t)
{
    QJsonObject o;
    const QVariantList v = values(t);
    for (int i = 0; i < valueColumns.size(); ++i)
        o.insert(valueColumns.at(i), QJsonValue::fromVariant(v.at(i)));
    o.insert(QStringLiteral("idf"), t.idf);
    o.insert(QStringLiteral("nrc"), t.nrc);
    return o;
}

Change tripChange(const QString &action, const Trip &t)
{
    Change c;
    c.table = QStringLiteral("curse");
    c.key = t.idc;
    c.action = action;
    c.idf = t.idf;
    c.nrc = t.nrc;
    return c;
}

QString insertStatement()
{
    QStringList marks;
    for (int i = 0; i < valueColumns.size() + 2; ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO curse (idf, nrc, ") + valueColumns.join(QStringLiteral(", "))
           + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QStringLiteral(") RETURNING idc");
}

QString overwriteStatement()
{
    QStringList sets;
    for (const QString &column : valueColumns)
        sets << column + QStringLiteral("=?");
    return QStringLiteral("UPDATE curse SET ") + sets.join(QStringLiteral(", "))
           + QStringLiteral(", versiune=versiune+1 WHERE idc=? AND versiune=?");
}

} // namespace

QString tripDeletedText() { return QStringLiteral(" Cursa a fost stearsa intre timp de alt utilizator !!! "); }

Trip tripFromRow(const QSqlQuery &query, int first)
{
    Trip t;
    int c = first;
    t.idc = query.value(c++).toInt();
    t.idf = query.value(c++).toInt();
    t.nrc = query.value(c++).toInt();
    for (double &km : t.km)
        km = query.value(c++).toDouble();
    t.kmT = query.value(c++).toDouble();
    t.kmE = query.value(c++).toDouble();
    t.Kg = query.value(c++).toDouble();
    t.Gm = query.value(c++).toDouble();
    t.T = query.value(c++).toDouble();
    t.U = query.value(c++).toDouble();
    t.I = query.value(c++).toDouble();
    t.nri = query.value(c++).toInt();
    t.Ra = query.value(c++).toDouble();
    t.A = query.value(c++).toDouble();
    t.nrq1 = query.value(c++).toInt();
    t.nrq4 = query.value(c++).toInt();
    t.Cn = query.value(c++).toDouble();
    t.Cu = query.value(c++).toDouble();
    t.remorca = query.value(c++).toInt();
    t.traseu = query.value(c++).toString();
    t.kmtract = query.value(c++).toDouble();
    t.kmurb = query.value(c++).toDouble();
    t.versiune = query.value(c++).toInt();
    return t;
}

QString tripColumnList(const QString &prefix)
{
    if (prefix.isEmpty())
        return tripColumns;
    QStringList columns = tripColumns.split(QStringLiteral(", "));
    for (QString &column : columns)
        column.prepend(prefix);
    return columns.join(QStringLiteral(", "));
}

TripStore::TripStore(const QSqlDatabase &db)
    : m_db(db)
    , m_byNumber(db, QStringLiteral("SELECT ") + tripColumns + QStringLiteral(" FROM curse WHERE idf=? AND nrc=?"))
    , m_byId(db, QStringLiteral("SELECT ") + tripColumns + QStringLiteral(" FROM curse WHERE idc=?"))
    , m_insert(db, insertStatement())
    , m_overwrite(db, overwriteStatement())
    , m_remove(db, QStringLiteral("DELETE FROM curse WHERE idc=?"))
{
}

std::optional<Trip> TripStore::byNumber(int idf, int nrc) const
{
    return m_byNumber.read({idf, nrc}, readTrip);
}

std::optional<Trip> TripStore::byId(int idc) const
{
    return m_byId.read({idc}, readTrip);
}

int TripStore::insert(WriteRun &run, const Trip &trip)
{
    QVariantList v{trip.idf, trip.nrc};
    v << values(trip);
    Trip stored = trip;
    stored.idc = m_insert.read(v, [](QSqlQuery &query) { return query.next() ? query.value(0).toInt() : 0; });
    if (stored.idc == 0)
        throw DbError(QStringLiteral("the new trip cannot be read back"));
    Change c = tripChange(Change::inserted(), stored);
    c.after = tripObject(stored);
    run.record(std::move(c));
    return stored.idc;
}

void TripStore::overwrite(WriteRun &run, const Trip &stored, const Trip &trip)
{
    QVariantList v = values(trip);
    v << stored.idc << stored.versiune;
    QSqlQuery &query = m_overwrite.run(v);
    const int rows = query.numRowsAffected();
    query.finish();
    if (rows < 1)
        journal::refuseStale(m_db, QStringLiteral("curse"), QStringLiteral("idc"), stored.idc, tripDeletedText());
    Change c = tripChange(Change::updated(), stored);
    c.before = tripObject(stored);
    Trip written = trip;
    written.idf = stored.idf;
    written.nrc = stored.nrc;
    c.after = tripObject(written);
    // Only what changed: the journal reads better.
    journal::keepChanged(c);
    run.record(std::move(c));
}

void TripStore::remove(WriteRun &run, const Trip &trip)
{
    m_remove.execute({trip.idc});
    Change c = tripChange(Change::deleted(), trip);
    c.before = tripObject(trip);
    run.record(std::move(c));
}

void TripStore::removeByNumber(WriteRun &run, int idf, int nrc)
{
    if (const std::optional<Trip> trip = byNumber(idf, nrc))
        remove(run, *trip);
}

void TripStore::removeById(WriteRun &run, int idc)
{
    if (const std::optional<Trip> trip = byId(idc))
        remove(run, *trip);
}

QStringList TripStore::gridColumns()
{
    return {QStringLiteral("idc"), QStringLiteral("nrc"), QStringLiteral("kmI"),  QStringLiteral("kmII"),
            QStringLiteral("kmIII"), QStringLiteral("kmIV"), QStringLiteral("kmV"), QStringLiteral("kmVI"),
            QStringLiteral("kmT"), QStringLiteral("kmE"), QStringLiteral("Gm"),   QStringLiteral("Kg"),
            QStringLiteral("T"),   QStringLiteral("U"),   QStringLiteral("I"),    QStringLiteral("Ra"),
            QStringLiteral("A"),   QStringLiteral("nrq1"), QStringLiteral("nrq4"), QStringLiteral("Cn"),
            QStringLiteral("Cu")};
}

void TripStore::showTrips(QSqlQueryModel *model, int idf) const
{
    QSqlQuery query = exec(m_db, QStringLiteral("SELECT ") + gridColumns().join(QStringLiteral(", "))
                                     + QStringLiteral(" FROM curse WHERE idf=? ORDER BY idc"),
                           {idf});
    model->setQuery(std::move(query));
    if (model->lastError().isValid())
        throw DbError(model->lastError().text());
    while (model->canFetchMore())
        model->fetchMore();
}

} // namespace vok
