#include "cards/democards.h"

#include "cards/cardstore.h"
#include "cards/efactura.h"
#include "db/database.h"
#include "db/journal.h"
#include "sheet/csv.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace vok::cards {

namespace {

const QString supplier = QStringLiteral("Petrol S.A.");
const QString window = QStringLiteral("carduri");

QString cardNumber(int ida) { return QStringLiteral("7001%1").arg(ida, 8, 10, QLatin1Char('0')); }

QString fixed(double v) { return QString::number(v, 'f', 2); }

// A time inside the sheet's hours, a quarter of an hour after departure.
QTime timeOn(const RSheet &s, int minutesLater = 0)
{
    if (s.orap == 0 && s.oras == 0)
        return QTime(12, 0).addSecs(minutesLater * 60);
    const int minutes = int(std::lround(s.orap * 60)) + 15 + minutesLater;
    return QTime(0, 0).addSecs((minutes % (24 * 60)) * 60);
}

RTransaction onSheet(const RSheet &s, const QString &card, const QString &plate, double litres, int minutesLater = 0,
                     const QString &product = QStringLiteral("MOTORINA"))
{
    RTransaction t;
    t.nrcard = card;
    t.nrauto = plate;
    t.date = s.date;
    t.time = timeOn(s, minutesLater);
    t.product = product;
    t.litres = litres;
    t.station = QStringLiteral("Petrol Centru");
    return t;
}

QByteArray statementFile(const QList<RTransaction> &ts)
{
    QByteArray file = vokHeader() + "\r\n";
    for (const RTransaction &t : ts)
        file += csv::line(QList<csv::Field>{{t.nrcard}, {t.nrauto}, {t.date.toString(QStringLiteral("dd.MM.yyyy"))},
                                            {t.time.toString(QStringLiteral("HH:mm"))}, {t.product},
                                            {fixed(t.litres), true}, {QStringLiteral("7.20"), true},
                                            {fixed(t.litres * 7.2), true}, {t.station}});
    return file;
}

QByteArray invoiceFile(const QString &number, const QDate &issued, const QDate &from, const QDate &to, double litres)
{
    const QString iso = QStringLiteral("yyyy-MM-dd");
    const double amount = litres * 7.2;
    return withUblNamespaces(QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<Invoice xmlns=\"@Invoice-2\"\n"
               " xmlns:cac=\"@CommonAggregateComponents-2\"\n"
               " xmlns:cbc=\"@CommonBasicComponents-2\">\n"
               "  <cbc:CustomizationID>urn:cen.eu:en16931:2017#compliant#urn:efactura.mfinante.ro:CIUS-RO:1.0.1</cbc:CustomizationID>\n"
               "  <cbc:ID>%1</cbc:ID>\n  <cbc:IssueDate>%2</cbc:IssueDate>\n  <cbc:InvoiceTypeCode>380</cbc:InvoiceTypeCode>\n"
               "  <cbc:DocumentCurrencyCode>RON</cbc:DocumentCurrencyCode>\n"
               "  <cac:InvoicePeriod><cbc:StartDate>%3</cbc:StartDate><cbc:EndDate>%4</cbc:EndDate></cac:InvoicePeriod>\n"
               "  <cac:AccountingSupplierParty><cac:Party><cac:PartyName><cbc:Name>PETROL SA</cbc:Name></cac:PartyName>\n"
               "    <cac:PartyLegalEntity><cbc:RegistrationName>PETROL S.A.</cbc:RegistrationName></cac:PartyLegalEntity>"
               "</cac:Party></cac:AccountingSupplierParty>\n"
               "  <cac:LegalMonetaryTotal><cbc:LineExtensionAmount currencyID=\"RON\">%6</cbc:LineExtensionAmount>"
               "<cbc:TaxExclusiveAmount currencyID=\"RON\">%6</cbc:TaxExclusiveAmount>"
               "<cbc:TaxInclusiveAmount currencyID=\"RON\">%7</cbc:TaxInclusiveAmount>"
               "<cbc:PayableAmount currencyID=\"RON\">%7</cbc:PayableAmount></cac:LegalMonetaryTotal>\n"
               "  <cac:InvoiceLine><cbc:ID>1</cbc:ID><cbc:Note>carduri flota</cbc:Note>"
               "<cbc:InvoicedQuantity unitCode=\"LTR\">%5</cbc:InvoicedQuantity>"
               "<cbc:LineExtensionAmount currencyID=\"RON\">%6</cbc:LineExtensionAmount>"
               "<cac:Item><cbc:Name>MOTORINA</cbc:Name></cac:Item>"
               "<cac:Price><cbc:PriceAmount currencyID=\"RON\">7.20</cbc:PriceAmount></cac:Price></cac:InvoiceLine>\n"
               "  <cac:InvoiceLine><cbc:ID>2</cbc:ID><cbc:InvoicedQuantity unitCode=\"H87\">1</cbc:InvoicedQuantity>"
               "<cbc:LineExtensionAmount currencyID=\"RON\">0.00</cbc:LineExtensionAmount>"
               "<cac:Item><cbc:Name>SPALARE</cbc:Name></cac:Item>"
               "<cac:Price><cbc:PriceAmount currencyID=\"RON\">0.00</cbc:PriceAmount></cac:Price></cac:InvoiceLine>\n"
               "</Invoice>\n")
        .arg(number, issued.toString(iso), from.toString(iso), to.toString(iso), fixed(litres), fixed(amount),
             fixed(amount * 1.19))
        .toUtf8());
}

int decade(int day) { return day <= 10 ? 1 : day <= 20 ? 2 : 3; }

} // namespace

DemoCards fillDemoCards(const QSqlDatabase &db, int year, int month, const QString &when)
{
    DemoCards demo;
    demo.year = year;
    demo.month = month;
    const CardStore store(db);
    const QDate first(year, month, 1);
    const QDate last = first.addMonths(1).addDays(-1);
    ReconcileInput base = store.loadMonth(year, month);
    std::sort(base.vehicles.begin(), base.vehicles.end(), [](const RVehicle &a, const RVehicle &b) { return a.nrauto < b.nrauto; });
    std::sort(base.sheets.begin(), base.sheets.end(), [](const RSheet &a, const RSheet &b) {
        return std::make_tuple(a.date, a.orap, a.ida, a.nrf) < std::make_tuple(b.date, b.orap, b.ida, b.nrf);
    });
    QHash<int, RVehicle> vehicles;
    for (const RVehicle &v : base.vehicles)
        vehicles.insert(v.ida, v);

    // The statement as the sheets' refuelling gives it, every vehicle carded:
    // a vehicle with a finding of its own keeps paper receipts.
    auto statementOf = [&](const QSet<int> &carded) {
        QList<RTransaction> ts;
        for (const RSheet &s : base.sheets)
            if (carded.contains(s.ida) && s.fuelIn > 0)
                ts << onSheet(s, cardNumber(s.ida), vehicles.value(s.ida).nrauto, s.fuelIn);
        return ts;
    };
    QSet<int> carded;
    for (const RVehicle &v : base.vehicles)
        carded.insert(v.ida);
    {
        ReconcileInput trial = base;
        for (const RVehicle &v : base.vehicles)
            trial.cards << RCard{cardNumber(v.ida), v.ida, supplier, QDate(), true};
        trial.transactions = statementOf(carded);
        for (const CardFinding &f : reconcile(trial))
            for (const RVehicle &v : base.vehicles)
                if (v.nrauto == f.nrauto)
                    carded.remove(v.ida);
    }
    // The last vehicle keeps paper receipts all the same: most vehicles have a card.
    if (carded.size() == base.vehicles.size() && !base.vehicles.isEmpty())
        carded.remove(base.vehicles.last().ida);
    QList<RVehicle> cardedVehicles;
    for (const RVehicle &v : base.vehicles)
        if (carded.contains(v.ida))
            cardedVehicles << v;
    if (cardedVehicles.size() < 2 || base.vehicles.size() < 3)
        return demo;

    // The register: cards in use from the year before.
    for (const RVehicle &v : cardedVehicles) {
        CardRecord card;
        card.nrcard = cardNumber(v.ida);
        card.ida = v.ida;
        card.furnizor = supplier;
        card.dela = first.addYears(-1).toString(QStringLiteral("dd.MM.yyyy"));
        store.saveCard(CardRecord{}, card, window);
    }

    QList<RTransaction> ts = statementOf(carded);
    auto seed = [&](const QString &nrauto, int nrf, const QDate &date, CardFindingKind kind) {
        CardFinding f;
        f.nrauto = nrauto;
        f.nrf = nrf;
        f.date = date;
        f.kind = kind;
        demo.seeded << f;
    };
    // Sheets with fuel of the carded vehicles, one case each, never two on one sheet.
    QList<int> pool;
    for (int i = 0; i < base.sheets.size(); ++i)
        if (carded.contains(base.sheets.at(i).ida) && base.sheets.at(i).fuelIn > 10)
            pool << i;
    auto take = [&](auto &&fits) {
        for (int k = 0; k < pool.size(); ++k)
            if (fits(base.sheets.at(pool.at(k)))) {
                const int i = pool.takeAt(k);
                return i;
            }
        return -1;
    };
    auto transactionOf = [&](const RSheet &s) -> RTransaction * {
        for (RTransaction &t : ts)
            if (t.date == s.date && t.nrcard == cardNumber(s.ida) && t.time == timeOn(s) && t.litres == s.fuelIn)
                return &t;
        return nullptr;
    };
    // Days without a sheet of a vehicle.
    auto freeDays = [&](int ida) {
        QList<QDate> days;
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            bool taken = false;
            for (const RSheet &s : base.sheets)
                taken = taken || (s.ida == ida && s.date == d);
            if (!taken)
                days << d;
        }
        return days;
    };
    // a: the card used on a day without a sheet; b: the vehicle with the most such days.
    const RVehicle &a = cardedVehicles.first();
    const RVehicle *bp = &cardedVehicles.at(1);
    for (const RVehicle &v : cardedVehicles)
        if (v.ida != a.ida && freeDays(v.ida).size() > freeDays(bp->ida).size())
            bp = &v;
    const RVehicle &b = *bp;
    const RVehicle *other = nullptr; // a vehicle whose plate another's card is used with
    for (const RVehicle &v : base.vehicles)
        if (v.ida != a.ida && !other)
            other = &v;

    // plate-mismatch: a's card with another vehicle's plate.
    if (const int i = take([&](const RSheet &s) { return s.ida == a.ida; }); i >= 0) {
        transactionOf(base.sheets.at(i))->nrauto = other->nrauto;
        seed(a.nrauto, base.sheets.at(i).nrf, base.sheets.at(i).date, CardFindingKind::PlateMismatch);
    }
    // quantity-difference: 5 l fewer on the statement than on the sheet.
    if (const int i = take([](const RSheet &) { return true; }); i >= 0) {
        transactionOf(base.sheets.at(i))->litres -= 5;
        seed(vehicles.value(base.sheets.at(i).ida).nrauto, base.sheets.at(i).nrf, base.sheets.at(i).date,
             CardFindingKind::QuantityDifference);
    }
    // no-transaction: a sheet's refuelling missing from the statement.
    if (const int i = take([](const RSheet &) { return true; }); i >= 0) {
        const RTransaction *t = transactionOf(base.sheets.at(i));
        ts.removeAt(t - ts.constData());
        seed(vehicles.value(base.sheets.at(i).ida).nrauto, base.sheets.at(i).nrf, base.sheets.at(i).date,
             CardFindingKind::NoTransaction);
    }
    // duplicate: one refuelling twice on the statement.
    if (const int i = take([](const RSheet &) { return true; }); i >= 0) {
        ts << *transactionOf(base.sheets.at(i));
        seed(vehicles.value(base.sheets.at(i).ida).nrauto, base.sheets.at(i).nrf, base.sheets.at(i).date,
             CardFindingKind::Duplicate);
    }
    // over-capacity: a pump reading above the tank, corrected by a second line.
    if (const int i = take([&](const RSheet &s) { return vehicles.value(s.ida).caprez > 0; }); i >= 0) {
        const RSheet &s = base.sheets.at(i);
        RTransaction *t = transactionOf(s);
        const double over = vehicles.value(s.ida).caprez + 8;
        t->litres = over;
        ts << onSheet(s, t->nrcard, t->nrauto, s.fuelIn - over, 5);
        seed(vehicles.value(s.ida).nrauto, s.nrf, s.date, CardFindingKind::OverCapacity);
    }
    // non-fuel: engine oil bought with a's card.
    if (const int i = take([](const RSheet &) { return true; }); i >= 0) {
        const RSheet &s = base.sheets.at(i);
        ts << onSheet(s, cardNumber(s.ida), vehicles.value(s.ida).nrauto, 1, 20, QStringLiteral("ULEI MOTOR 1L"));
        seed(vehicles.value(s.ida).nrauto, s.nrf, s.date, CardFindingKind::NonFuel);
    }
    const QList<QDate> freeA = freeDays(a.ida), freeB = freeDays(b.ida);
    // no-sheet: a's card used on a day a has no sheet.
    if (!freeA.isEmpty()) {
        RSheet day;
        day.date = freeA.first();
        ts << onSheet(day, cardNumber(a.ida), a.nrauto, 22.5);
        seed(a.nrauto, 0, day.date, CardFindingKind::NoSheet);
    }
    // no-km: a sheet opened for b that went nowhere, with the car washed on b's card.
    if (!freeB.isEmpty()) {
        const QDate d = freeB.at(freeB.size() / 2);
        const int nrf = scalar(db, QStringLiteral("SELECT COALESCE(MAX(nrf), 0) + 1 FROM foaie WHERE ida=?"), {b.ida}).toInt();
        // Its odometer and tank as the sheet before it left them.
        QVariant km, tank;
        const RSheet *before = nullptr;
        for (const RSheet &s : base.sheets)
            if (s.ida == b.ida && s.date < d)
                before = &s;
        if (before) {
            QSqlQuery q = exec(db, QStringLiteral("SELECT kmsosire, rezsosire FROM foaie WHERE idf=?"), {before->idf});
            if (q.next())
                km = q.value(0), tank = q.value(1);
        }
        WriteRun run(db, QStringLiteral("foaie"));
        QSqlQuery q = exec(db, QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul, "
                                              "kmplecare, kmsosire, rezplecare, rezsosire) "
                                              "VALUES (?, ?, ?, 0, 0, 0, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idf"),
                           {nrf, b.ida, QStringLiteral("Rezerva"), d.toString(QStringLiteral("dd.MM.yyyy")), decade(d.day()),
                            month, year, km, km, tank, tank});
        ++demo.sheetsAdded;
        q.next();
        Change c;
        c.table = QStringLiteral("foaie");
        c.key = q.value(0).toInt();
        c.action = Change::inserted();
        c.ida = b.ida;
        c.nrf = nrf;
        c.after = {{QStringLiteral("data"), d.toString(QStringLiteral("dd.MM.yyyy"))}, {QStringLiteral("sofer"), QStringLiteral("Rezerva")}};
        q.finish();
        run.record(std::move(c));
        run.commit();
        RSheet day;
        day.date = d;
        ts << onSheet(day, cardNumber(b.ida), b.nrauto, 1, 0, QStringLiteral("SPALARE"));
        seed(b.nrauto, nrf, d, CardFindingKind::NoKm);
    }
    // unknown-card: a card nobody registered, on a plate of no vehicle.
    {
        RSheet day;
        day.date = first.addDays(14);
        ts << onSheet(day, QStringLiteral("700199999999"), QStringLiteral("B 999 ZZZ"), 30);
        seed(QStringLiteral("B 999 ZZZ"), 0, day.date, CardFindingKind::UnknownCard);
    }
    std::stable_sort(ts.begin(), ts.end(), [](const RTransaction &x, const RTransaction &y) {
        return std::make_pair(x.date, x.time) < std::make_pair(y.date, y.time);
    });

    // The files, imported as a clerk imports them.
    demo.statement = statementFile(ts);
    const StatementRead read = readStatement(demo.statement, store.format(QStringLiteral("vok")));
    store.importStatement(QStringLiteral("extras-%1-%2.csv").arg(year).arg(month, 2, 10, QLatin1Char('0')), supplier,
                          QStringLiteral("vok"), fileDigest(demo.statement), read.transactions, QStringLiteral("carduri"), when);
    // invoice-difference: the invoice bills 25.5 l more than the statement's fuel.
    double fuel = 0;
    QSet<QString> seen;
    for (const RTransaction &t : ts) {
        const QString key = t.nrcard + t.date.toString() + t.time.toString() + fixed(t.litres) + t.station;
        if (seen.contains(key) || !hasWord(t.product, base.fuelWords))
            continue;
        seen.insert(key);
        fuel += t.litres;
    }
    const QDate issued = last.addDays(3);
    const QString number = QStringLiteral("PTR %1%2").arg(year).arg(month, 2, 10, QLatin1Char('0'));
    demo.invoice = invoiceFile(number, issued, first, last, fuel + 25.5);
    const InvoiceRead invoice = readInvoice(demo.invoice);
    store.importInvoice(QStringLiteral("efactura-%1-%2.xml").arg(year).arg(month, 2, 10, QLatin1Char('0')),
                        fileDigest(demo.invoice), invoice.invoice, QStringLiteral("carduri"), when);
    seed(QString(), 0, issued, CardFindingKind::InvoiceDifference);
    return demo;
}

} // namespace vok::cards
