#include "cards/cardstore.h"

#include "db/database.h"
#include "db/journal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonObject>

namespace vok::cards {

namespace {

QString dateText(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }
QDate textDate(const QString &t) { return QDate::fromString(t.trimmed(), QStringLiteral("dd.MM.yyyy")); }
QString now() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

const char formatColumns[] =
    "idfc, versiune, nume, furnizor, codificare, separator, zecimal, formatdata, formatora, antet, colcard, "
    "colnrauto, coldata, colora, colprodus, collitri, colpret, colvaloare, colstatie";

CardFormat formatOf(const QSqlQuery &q)
{
    CardFormat f;
    f.id = q.value(0).toInt();
    f.version = q.value(1).toInt();
    f.name = q.value(2).toString();
    f.supplier = q.value(3).toString();
    f.encoding = q.value(4).toString();
    const QString separator = q.value(5).toString();
    f.delimiter = separator == QLatin1String("TAB") ? QChar(u'\t') : separator.isEmpty() ? QChar(u',') : separator.at(0);
    const QString decimal = q.value(6).toString();
    f.decimal = decimal.isEmpty() ? QChar(u'.') : decimal.at(0);
    f.dateFormat = q.value(7).toString();
    f.timeFormat = q.value(8).toString();
    f.headerRows = q.value(9).toInt();
    for (int field = 0; field < 9; ++field)
        f.setColumn(field, q.value(10 + field).toInt());
    return f;
}

QVariantList formatValues(const CardFormat &f)
{
    QVariantList values{f.name.trimmed(), f.supplier.trimmed(), f.encoding,
                        f.delimiter == u'\t' ? QStringLiteral("TAB") : QString(f.delimiter), QString(f.decimal),
                        f.dateFormat, f.timeFormat, f.headerRows};
    for (int field = 0; field < 9; ++field)
        values << f.column(field);
    return values;
}

QJsonObject formatObject(const CardFormat &f)
{
    QJsonObject o{{QStringLiteral("nume"), f.name},           {QStringLiteral("furnizor"), f.supplier},
                  {QStringLiteral("codificare"), f.encoding}, {QStringLiteral("separator"), QString(f.delimiter)},
                  {QStringLiteral("zecimal"), QString(f.decimal)}, {QStringLiteral("formatdata"), f.dateFormat},
                  {QStringLiteral("antet"), f.headerRows}};
    const char *const names[] = {"colcard", "colnrauto", "coldata", "colora", "colprodus", "collitri", "colpret", "colvaloare", "colstatie"};
    for (int field = 0; field < 9; ++field)
        o.insert(QString::fromLatin1(names[field]), f.column(field));
    return o;
}

QJsonObject cardObject(const CardRecord &c)
{
    return {{QStringLiteral("nrcard"), c.nrcard},
            {QStringLiteral("ida"), c.ida},
            {QStringLiteral("furnizor"), c.furnizor},
            {QStringLiteral("dela"), c.dela},
            {QStringLiteral("activ"), c.activ ? 1 : 0}};
}

} // namespace

QString fileDigest(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

CardStore::CardStore(const QSqlDatabase &db)
    : m_db(db)
{
}

QList<CardFormat> CardStore::formats() const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT %1 FROM formatecard ORDER BY nume").arg(QLatin1String(formatColumns)));
    QList<CardFormat> all;
    while (q.next())
        all << formatOf(q);
    return all;
}

CardFormat CardStore::format(const QString &name) const
{
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT %1 FROM formatecard WHERE nume=?").arg(QLatin1String(formatColumns)),
                       {name.trimmed()});
    return q.next() ? formatOf(q) : CardFormat{0, 0, QString()};
}

CardFormat CardStore::saveFormat(const CardFormat &f, const QString &window) const
{
    WriteRun run(m_db, window);
    CardFormat saved = f;
    Change c;
    c.table = QStringLiteral("formatecard");
    if (f.id == 0) {
        QSqlQuery q = exec(m_db, QStringLiteral(
            "INSERT INTO formatecard (nume, furnizor, codificare, separator, zecimal, formatdata, formatora, antet, "
            "colcard, colnrauto, coldata, colora, colprodus, collitri, colpret, colvaloare, colstatie) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idfc"), formatValues(f));
        q.next();
        saved.id = q.value(0).toInt();
        saved.version = 0;
        c.action = Change::inserted();
        c.after = formatObject(f);
    } else {
        QSqlQuery stored = exec(m_db, QStringLiteral("SELECT %1 FROM formatecard WHERE idfc=?").arg(QLatin1String(formatColumns)), {f.id});
        if (stored.next())
            c.before = formatObject(formatOf(stored));
        stored.finish();
        QVariantList values = formatValues(f);
        values << f.id << f.version;
        journal::requireRow(exec(m_db, QStringLiteral(
            "UPDATE formatecard SET nume=?, furnizor=?, codificare=?, separator=?, zecimal=?, formatdata=?, formatora=?, "
            "antet=?, colcard=?, colnrauto=?, coldata=?, colora=?, colprodus=?, collitri=?, colpret=?, colvaloare=?, "
            "colstatie=?, versiune=versiune+1 WHERE idfc=? AND versiune=?"), values));
        saved.version = f.version + 1;
        c.action = Change::updated();
        c.after = formatObject(f);
        journal::keepChanged(c);
    }
    c.key = saved.id;
    run.record(std::move(c));
    run.commit();
    return saved;
}

void CardStore::deleteFormat(const CardFormat &f, const QString &window) const
{
    WriteRun run(m_db, window);
    journal::requireRow(exec(m_db, QStringLiteral("DELETE FROM formatecard WHERE idfc=? AND versiune=?"), {f.id, f.version}));
    Change c;
    c.table = QStringLiteral("formatecard");
    c.key = f.id;
    c.action = Change::deleted();
    c.before = formatObject(f);
    run.record(std::move(c));
    run.commit();
}

QList<CardRecord> CardStore::cards() const
{
    QSqlQuery q = exec(m_db, QStringLiteral(
        "SELECT c.idcard, c.versiune, c.nrcard, COALESCE(c.ida, 0), COALESCE(a.nrauto, ''), COALESCE(c.furnizor, ''), "
        "COALESCE(c.dela, ''), COALESCE(c.activ, 1) FROM carduri c LEFT JOIN auto a ON a.ida=c.ida ORDER BY c.nrcard"));
    QList<CardRecord> all;
    while (q.next()) {
        CardRecord c;
        c.idcard = q.value(0).toInt();
        c.version = q.value(1).toInt();
        c.nrcard = q.value(2).toString();
        c.ida = q.value(3).toInt();
        c.nrauto = q.value(4).toString();
        c.furnizor = q.value(5).toString();
        c.dela = q.value(6).toString();
        c.activ = q.value(7).toInt() != 0;
        all << c;
    }
    return all;
}

CardRecord CardStore::saveCard(const CardRecord &stored, const CardRecord &card, const QString &window) const
{
    WriteRun run(m_db, window);
    CardRecord saved = card;
    Change c;
    c.table = QStringLiteral("carduri");
    c.ida = card.ida;
    const QVariantList values{card.nrcard.trimmed(), card.ida, card.furnizor.trimmed(), card.dela.trimmed(), card.activ ? 1 : 0};
    if (stored.idcard == 0) {
        QSqlQuery q = exec(m_db, QStringLiteral("INSERT INTO carduri (nrcard, ida, furnizor, dela, activ) VALUES (?, ?, ?, ?, ?) "
                                                "RETURNING idcard"), values);
        q.next();
        saved.idcard = q.value(0).toInt();
        saved.version = 0;
        c.action = Change::inserted();
        c.after = cardObject(card);
    } else {
        QVariantList update = values;
        update << stored.idcard << stored.version;
        journal::requireRow(exec(m_db, QStringLiteral("UPDATE carduri SET nrcard=?, ida=?, furnizor=?, dela=?, activ=?, "
                                                      "versiune=versiune+1 WHERE idcard=? AND versiune=?"), update));
        saved.idcard = stored.idcard;
        saved.version = stored.version + 1;
        c.action = Change::updated();
        c.before = cardObject(stored);
        c.after = cardObject(card);
        journal::keepChanged(c);
    }
    c.key = saved.idcard;
    run.record(std::move(c));
    run.commit();
    return saved;
}

void CardStore::deleteCard(const CardRecord &card, const QString &window) const
{
    WriteRun run(m_db, window);
    journal::requireRow(exec(m_db, QStringLiteral("DELETE FROM carduri WHERE idcard=? AND versiune=?"), {card.idcard, card.version}));
    Change c;
    c.table = QStringLiteral("carduri");
    c.key = card.idcard;
    c.ida = card.ida;
    c.action = Change::deleted();
    c.before = cardObject(card);
    run.record(std::move(c));
    run.commit();
}

ImportRecord CardStore::importOf(const QString &sha256) const
{
    ImportRecord r;
    QSqlQuery q = exec(m_db, QStringLiteral("SELECT idi, fisier, cand FROM importcard WHERE sha256=?"), {sha256});
    if (q.next()) {
        r.idi = q.value(0).toInt();
        r.kind = QStringLiteral("extras");
        r.fisier = q.value(1).toString();
        r.cand = q.value(2).toString();
        return r;
    }
    q = exec(m_db, QStringLiteral("SELECT idfa, fisier, cand FROM facturi WHERE sha256=?"), {sha256});
    if (q.next()) {
        r.idi = q.value(0).toInt();
        r.kind = QStringLiteral("factura");
        r.fisier = q.value(1).toString();
        r.cand = q.value(2).toString();
    }
    return r;
}

QList<ImportRecord> CardStore::imports() const
{
    QList<ImportRecord> all;
    QSqlQuery q = exec(m_db, QStringLiteral(
        "SELECT idi, fisier, COALESCE(furnizor, ''), COALESCE(format, ''), cand, COALESCE(numar, 0), sha256 FROM importcard "
        "ORDER BY cand DESC, idi DESC"));
    while (q.next())
        all << ImportRecord{q.value(0).toInt(), QStringLiteral("extras"), q.value(1).toString(), q.value(2).toString(),
                            q.value(3).toString(), q.value(4).toString(), q.value(5).toInt(), q.value(6).toString()};
    q = exec(m_db, QStringLiteral(
        "SELECT f.idfa, f.fisier, COALESCE(f.furnizor, ''), COALESCE(f.numar, ''), f.cand, "
        "(SELECT COUNT(*) FROM facturilinii l WHERE l.idfa=f.idfa), f.sha256 FROM facturi f ORDER BY f.cand DESC, f.idfa DESC"));
    while (q.next())
        all << ImportRecord{q.value(0).toInt(), QStringLiteral("factura"), q.value(1).toString(), q.value(2).toString(),
                            q.value(3).toString(), q.value(4).toString(), q.value(5).toInt(), q.value(6).toString()};
    std::stable_sort(all.begin(), all.end(), [](const ImportRecord &a, const ImportRecord &b) { return a.cand > b.cand; });
    return all;
}

int CardStore::importStatement(const QString &fileName, const QString &supplier, const QString &formatName,
                               const QString &sha256, const QList<CardTransaction> &transactions,
                               const QString &window, const QString &when) const
{
    WriteRun run(m_db, window);
    QSqlQuery q = exec(m_db, QStringLiteral("INSERT INTO importcard (fisier, furnizor, format, cand, numar, sha256) "
                                            "VALUES (?, ?, ?, ?, ?, ?) RETURNING idi"),
                       {fileName, supplier.trimmed(), formatName, when.isEmpty() ? now() : when, int(transactions.size()), sha256});
    q.next();
    const int idi = q.value(0).toInt();
    q.finish();
    PreparedQuery insert(m_db, QStringLiteral(
        "INSERT INTO tranzactii (idi, nrcard, nrauto, data, ora, produs, litri, pret, valoare, statie, anul, idl) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const CardTransaction &t : transactions)
        insert.execute({idi, t.card, t.plate, dateText(t.date),
                        t.time.isValid() ? t.time.toString(QStringLiteral("HH:mm")) : QString(), t.product, t.litres,
                        t.price, t.amount, t.station, t.date.year(), t.date.month()});
    Change c;
    c.table = QStringLiteral("importcard");
    c.key = idi;
    c.action = Change::inserted();
    c.after = {{QStringLiteral("fisier"), fileName},
               {QStringLiteral("furnizor"), supplier},
               {QStringLiteral("format"), formatName},
               {QStringLiteral("numar"), int(transactions.size())},
               {QStringLiteral("sha256"), sha256}};
    run.record(std::move(c));
    run.commit();
    return idi;
}

int CardStore::importInvoice(const QString &fileName, const QString &sha256, const EInvoice &inv, const QString &window,
                             const QString &when) const
{
    WriteRun run(m_db, window);
    QSqlQuery q = exec(m_db, QStringLiteral(
        "INSERT INTO facturi (fisier, cand, sha256, tip, furnizor, numar, data, dela, panala, moneda, totalfaratva, "
        "totalcutva, deplata) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idfa"),
        {fileName, when.isEmpty() ? now() : when, sha256, inv.creditNote ? QStringLiteral("CreditNote") : QStringLiteral("Invoice"), inv.supplier,
         inv.number, dateText(inv.issued), dateText(inv.periodFrom), dateText(inv.periodTo), inv.currency,
         inv.taxExclusive, inv.taxInclusive, inv.payable});
    q.next();
    const int idfa = q.value(0).toInt();
    q.finish();
    PreparedQuery insert(m_db, QStringLiteral(
        "INSERT INTO facturilinii (idfa, nrl, denumire, cantitate, unitate, pret, valoare, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const InvoiceLine &l : inv.lines)
        insert.execute({idfa, l.number, l.name, l.quantity, l.unit, l.price, l.amount, l.notes});
    Change c;
    c.table = QStringLiteral("facturi");
    c.key = idfa;
    c.action = Change::inserted();
    c.after = {{QStringLiteral("fisier"), fileName},      {QStringLiteral("furnizor"), inv.supplier},
               {QStringLiteral("numar"), inv.number},     {QStringLiteral("data"), dateText(inv.issued)},
               {QStringLiteral("linii"), int(inv.lines.size())}, {QStringLiteral("sha256"), sha256}};
    run.record(std::move(c));
    run.commit();
    return idfa;
}

ReconcileInput CardStore::loadMonth(int year, int month) const
{
    ReconcileInput in;
    in.year = year;
    in.month = month;
    const QDate first(year, month, 1);
    const QDate last = first.addMonths(1).addDays(-1);
    Transaction transaction(m_db);

    {
        QSqlQuery q = exec(m_db, QStringLiteral("SELECT produsecarb, produsepermise FROM setari ORDER BY ids"));
        if (q.next()) {
            if (!q.value(0).isNull())
                in.fuelWords = wordList(q.value(0).toString());
            if (!q.value(1).isNull())
                in.allowedWords = wordList(q.value(1).toString());
        }
    }
    {
        QSqlQuery q = exec(m_db, QStringLiteral("SELECT ida, nrauto, COALESCE(caprez, 0) FROM auto"));
        while (q.next())
            in.vehicles << RVehicle{q.value(0).toInt(), q.value(1).toString(), q.value(2).toDouble()};
    }
    {
        QSqlQuery q = exec(m_db, QStringLiteral("SELECT nrcard, COALESCE(ida, 0), COALESCE(furnizor, ''), COALESCE(dela, ''), "
                                                "COALESCE(activ, 1) FROM carduri"));
        while (q.next())
            in.cards << RCard{q.value(0).toString(), q.value(1).toInt(), q.value(2).toString(),
                              textDate(q.value(3).toString()), q.value(4).toInt() != 0};
    }
    // The invoices whose period begins in the month, and the months their
    // periods span beside this one.
    QDate from = first, to = last;
    {
        QSqlQuery q = exec(m_db, QStringLiteral(
            "SELECT f.numar, f.furnizor, f.data, f.dela, f.panala, f.tip, "
            "(SELECT COALESCE(SUM(l.cantitate), 0) FROM facturilinii l WHERE l.idfa=f.idfa AND UPPER(l.unitate)='LTR') "
            "FROM facturi f"));
        while (q.next()) {
            RInvoice inv{q.value(0).toString(), q.value(1).toString(), textDate(q.value(2).toString()),
                         textDate(q.value(3).toString()), textDate(q.value(4).toString()), q.value(6).toDouble()};
            if (!inv.from.isValid() || inv.from < first || inv.from > last || !inv.to.isValid())
                continue;
            from = std::min(from, inv.from);
            to = std::max(to, inv.to);
            in.invoices << inv;
        }
    }
    {
        // By the (anul, idl) index, month by month.
        PreparedQuery q(m_db, QStringLiteral(
            "SELECT t.idt, t.nrcard, t.nrauto, t.data, t.ora, t.produs, t.litri, t.statie, COALESCE(i.furnizor, '') "
            "FROM tranzactii t LEFT JOIN importcard i ON i.idi=t.idi WHERE t.anul=? AND t.idl=? ORDER BY t.idt"));
        for (QDate m(from.year(), from.month(), 1); m <= to; m = m.addMonths(1)) {
            QSqlQuery &rows = q.run({m.year(), m.month()});
            while (rows.next()) {
                RTransaction t;
                t.idt = rows.value(0).toLongLong();
                t.nrcard = rows.value(1).toString();
                t.nrauto = rows.value(2).toString();
                t.date = textDate(rows.value(3).toString());
                t.time = QTime::fromString(rows.value(4).toString(), QStringLiteral("HH:mm"));
                t.product = rows.value(5).toString();
                t.litres = rows.value(6).toDouble();
                t.station = rows.value(7).toString();
                t.importSupplier = rows.value(8).toString();
                in.transactions << t;
            }
            rows.finish();
        }
    }
    {
        QSqlQuery q = exec(m_db, QStringLiteral(
            "SELECT f.idf, f.ida, f.nrf, f.data, COALESCE(f.orap, 0), COALESCE(f.oras, 0), "
            "COALESCE(f.bm, 0) + COALESCE(f.gz, 0), f.rezplecare, "
            "(SELECT COALESCE(SUM(c.kmT), 0) FROM curse c WHERE c.idf=f.idf) "
            "FROM foaie f WHERE f.anul=? AND f.idl=?"), {year, month});
        while (q.next()) {
            RSheet s;
            s.idf = q.value(0).toInt();
            s.ida = q.value(1).toInt();
            s.nrf = q.value(2).toInt();
            s.date = textDate(q.value(3).toString());
            s.orap = q.value(4).toDouble();
            s.oras = q.value(5).toDouble();
            s.fuelIn = q.value(6).toDouble();
            if (!q.value(7).isNull())
                s.rezplecare = q.value(7).toDouble();
            s.kmTrips = q.value(8).toDouble();
            in.sheets << s;
        }
    }
    transaction.commit();
    return in;
}

} // namespace vok::cards
