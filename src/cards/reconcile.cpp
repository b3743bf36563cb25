#include "cards/reconcile.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace vok::cards {

namespace {

QString litres(double value) { return QString::number(value, 'f', 2); }

// Upper case, diacritics dropped.
QString plainUpper(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toUpper();
    return out;
}

struct Resolved {
    int vehicle = -1; // index into vehicles, -1 unknown
    int sheet = -1;   // index into sheets
    bool fuel = false;
};

bool holdsTime(const RSheet &s, const QTime &time)
{
    if (!time.isValid() || (s.orap == 0 && s.oras == 0))
        return false;
    const double from = s.orap;
    const double to = s.oras < s.orap ? s.oras + 24 : s.oras;
    double t = time.hour() + time.minute() / 60.0 + time.second() / 3600.0;
    if (t < from)
        t += 24;
    return t >= from - 1e-9 && t <= to + 1e-9;
}

bool inUse(const RCard &card, const QDate &date) { return !card.dela.isValid() || card.dela <= date; }

} // namespace

QString kindName(CardFindingKind kind)
{
    switch (kind) {
    case CardFindingKind::UnknownCard: return QStringLiteral("unknown-card");
    case CardFindingKind::PlateMismatch: return QStringLiteral("plate-mismatch");
    case CardFindingKind::NoSheet: return QStringLiteral("no-sheet");
    case CardFindingKind::QuantityDifference: return QStringLiteral("quantity-difference");
    case CardFindingKind::NoTransaction: return QStringLiteral("no-transaction");
    case CardFindingKind::Duplicate: return QStringLiteral("duplicate");
    case CardFindingKind::OverCapacity: return QStringLiteral("over-capacity");
    case CardFindingKind::NoKm: return QStringLiteral("no-km");
    case CardFindingKind::NonFuel: return QStringLiteral("non-fuel");
    case CardFindingKind::InvoiceDifference: return QStringLiteral("invoice-difference");
    }
    return {};
}

QString kindCaption(CardFindingKind kind)
{
    switch (kind) {
    case CardFindingKind::UnknownCard: return QStringLiteral("Card necunoscut");
    case CardFindingKind::PlateMismatch: return QStringLiteral("Card pe alt auto");
    case CardFindingKind::NoSheet: return QStringLiteral("Fara foaie");
    case CardFindingKind::QuantityDifference: return QStringLiteral("Diferenta cantitate");
    case CardFindingKind::NoTransaction: return QStringLiteral("Fara tranzactie");
    case CardFindingKind::Duplicate: return QStringLiteral("Dublura");
    case CardFindingKind::OverCapacity: return QStringLiteral("Peste capacitate");
    case CardFindingKind::NoKm: return QStringLiteral("Fara km");
    case CardFindingKind::NonFuel: return QStringLiteral("Nu e carburant");
    case CardFindingKind::InvoiceDifference: return QStringLiteral("Diferenta factura");
    }
    return {};
}

QString plainKey(const QString &text)
{
    QString out;
    for (const QChar c : plainUpper(text))
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            out += c;
    return out;
}

QStringList wordList(const QString &setting)
{
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    QStringList words;
    for (const QString &w : setting.split(separators, Qt::SkipEmptyParts))
        words << plainKey(w);
    words.removeAll(QString());
    return words;
}

bool hasWord(const QString &product, const QStringList &words)
{
    static const QRegularExpression nonWord(QStringLiteral("[^A-Z0-9]+"));
    const QStringList productWords = plainUpper(product).split(nonWord, Qt::SkipEmptyParts);
    for (const QString &w : productWords)
        if (words.contains(w))
            return true;
    return false;
}

QList<CardFinding> reconcile(const ReconcileInput &in)
{
    QList<CardFinding> findings;
    const QDate first(in.year, in.month, 1);
    const QDate last = first.addMonths(1).addDays(-1);
    auto inMonth = [&](const QDate &d) { return d >= first && d <= last; };

    QHash<QString, int> vehicleByPlate;
    QHash<int, int> vehicleById;
    for (int i = 0; i < in.vehicles.size(); ++i) {
        vehicleByPlate.insert(plainKey(in.vehicles.at(i).nrauto), i);
        vehicleById.insert(in.vehicles.at(i).ida, i);
    }
    QHash<QString, int> cardByNumber;
    for (int i = 0; i < in.cards.size(); ++i)
        cardByNumber.insert(plainKey(in.cards.at(i).nrcard), i);
    QHash<std::pair<int, qint64>, QList<int>> sheetsByDay; // (ida, julian day) -> sheets
    for (int i = 0; i < in.sheets.size(); ++i)
        sheetsByDay[{in.sheets.at(i).ida, in.sheets.at(i).date.toJulianDay()}] << i;

    const QList<RTransaction> &ts = in.transactions;
    const qsizetype n = ts.size();
    auto cardKey = [&](const RTransaction &t) {
        const QString card = plainKey(t.nrcard);
        return card.isEmpty() ? QStringLiteral("#") + plainKey(t.nrauto) : card;
    };
    auto isFuel = [&](const RTransaction &t) {
        return t.product.trimmed().isEmpty() || hasWord(t.product, in.fuelWords);
    };

    // The same card, date, time, litres and station more than once: the first kept.
    QList<int> copies(n, 0);      // on the kept one: how many times it came again
    QList<bool> dropped(n, false); // a copy, or a reversal with what it cancels
    {
        QHash<QString, int> seen;
        for (int i = 0; i < n; ++i) {
            const RTransaction &t = ts.at(i);
            const QString key = cardKey(t) + u'|' + QString::number(t.date.toJulianDay()) + u'|'
                                + t.time.toString(QStringLiteral("HHmmss")) + u'|'
                                + QString::number(std::llround(t.litres * 100)) + u'|' + plainKey(t.station);
            const auto it = seen.constFind(key);
            if (it == seen.cend()) {
                seen.insert(key, i);
            } else {
                ++copies[*it];
                dropped[i] = true;
            }
        }
    }
    // A reversal (negative litres) offsets the transaction it cancels: the same
    // card and litres, on or before its date, the nearest first. Both go.
    QList<bool> cancelled(n, false);
    for (int r = 0; r < n; ++r) {
        if (dropped[r] || ts.at(r).litres >= 0)
            continue;
        int best = -1;
        for (int i = 0; i < n; ++i) {
            const RTransaction &t = ts.at(i);
            if (i == r || dropped[i] || cancelled[i] || t.litres <= 0 || cardKey(t) != cardKey(ts.at(r))
                || std::abs(t.litres + ts.at(r).litres) > 0.005 || t.date > ts.at(r).date)
                continue;
            if (best < 0 || std::make_pair(t.date, t.time) > std::make_pair(ts.at(best).date, ts.at(best).time))
                best = i;
        }
        if (best >= 0)
            cancelled[best] = cancelled[r] = true;
    }

    auto supplierKey = [&](const RTransaction &t) {
        const auto card = cardByNumber.constFind(plainKey(t.nrcard));
        if (card != cardByNumber.cend() && !in.cards.at(*card).furnizor.trimmed().isEmpty())
            return plainKey(in.cards.at(*card).furnizor);
        return plainKey(t.importSupplier);
    };

    // The suppliers (and cards) whose statement covers the month.
    QSet<QString> suppliersOfMonth, cardsOfMonth;
    for (int i = 0; i < n; ++i) {
        if (!inMonth(ts.at(i).date))
            continue;
        if (const QString s = supplierKey(ts.at(i)); !s.isEmpty())
            suppliersOfMonth.insert(s);
        cardsOfMonth.insert(plainKey(ts.at(i).nrcard));
    }

    QList<double> sheetLitres(in.sheets.size(), 0);
    QList<bool> sheetHasFuel(in.sheets.size(), false);
    QList<bool> sheetUsed(in.sheets.size(), false); // any transaction, fuel or not
    auto add = [&](const QString &nrauto, int sheet, const QDate &date, CardFindingKind kind, const QString &detail) {
        CardFinding f;
        f.nrauto = nrauto;
        if (sheet >= 0) {
            f.nrf = in.sheets.at(sheet).nrf;
            f.idf = in.sheets.at(sheet).idf;
        }
        f.date = date;
        f.kind = kind;
        f.detail = detail;
        findings << f;
    };

    for (int i = 0; i < n; ++i) {
        const RTransaction &t = ts.at(i);
        if (dropped[i] || cancelled[i] || !inMonth(t.date))
            continue;
        const QString cardPlate = QStringLiteral("card:%1 plate:%2").arg(t.nrcard, t.nrauto);
        int vehicle = -1;
        bool mismatch = false;
        const auto card = cardByNumber.constFind(plainKey(t.nrcard));
        const auto byPlate = t.nrauto.trimmed().isEmpty() ? vehicleByPlate.cend() : vehicleByPlate.constFind(plainKey(t.nrauto));
        if (!t.nrcard.trimmed().isEmpty() && card != cardByNumber.cend() && inUse(in.cards.at(*card), t.date)
            && vehicleById.contains(in.cards.at(*card).ida)) {
            vehicle = vehicleById.value(in.cards.at(*card).ida);
            mismatch = byPlate != vehicleByPlate.cend() && *byPlate != vehicle;
        } else if (byPlate != vehicleByPlate.cend()) {
            vehicle = *byPlate;
        }
        if (vehicle < 0) {
            add(t.nrauto, -1, t.date, CardFindingKind::UnknownCard, cardPlate);
            if (copies[i] > 0)
                add(t.nrauto, -1, t.date, CardFindingKind::Duplicate,
                    QStringLiteral("card:%1 time:%2 litres:%3").arg(t.nrcard, t.time.toString(QStringLiteral("HH:mm")), litres(t.litres)));
            continue;
        }
        const RVehicle &v = in.vehicles.at(vehicle);
        // The vehicle's sheet of that date: the one whose hours hold the time, else the first.
        int sheet = -1;
        const QList<int> candidates = sheetsByDay.value({v.ida, t.date.toJulianDay()});
        for (int s : candidates)
            if (holdsTime(in.sheets.at(s), t.time)) {
                sheet = s;
                break;
            }
        if (sheet < 0)
            for (int s : candidates)
                if (sheet < 0 || std::make_pair(in.sheets.at(s).orap, in.sheets.at(s).nrf)
                                     < std::make_pair(in.sheets.at(sheet).orap, in.sheets.at(sheet).nrf))
                    sheet = s;
        if (mismatch)
            add(v.nrauto, sheet, t.date, CardFindingKind::PlateMismatch, cardPlate);
        if (copies[i] > 0)
            add(v.nrauto, sheet, t.date, CardFindingKind::Duplicate,
                QStringLiteral("card:%1 time:%2 litres:%3").arg(t.nrcard, t.time.toString(QStringLiteral("HH:mm")), litres(t.litres)));
        if (sheet >= 0)
            sheetUsed[sheet] = true;
        if (!isFuel(t)) {
            if (!hasWord(t.product, in.allowedWords))
                add(v.nrauto, sheet, t.date, CardFindingKind::NonFuel, t.product.trimmed());
            continue;
        }
        if (sheet < 0) {
            add(v.nrauto, -1, t.date, CardFindingKind::NoSheet, QStringLiteral("litres:%1").arg(litres(t.litres)));
            continue;
        }
        sheetLitres[sheet] += t.litres;
        sheetHasFuel[sheet] = true;
        if (t.litres > 0 && v.caprez > 0) {
            const std::optional<double> &rez = in.sheets.at(sheet).rezplecare;
            const double room = rez ? std::max(0.0, v.caprez - *rez) : v.caprez;
            if (t.litres > v.caprez + 1)
                add(v.nrauto, sheet, t.date, CardFindingKind::OverCapacity,
                    QStringLiteral("capacity:%1 litres:%2").arg(litres(v.caprez), litres(t.litres)));
            else if (rez && t.litres > room + 1)
                add(v.nrauto, sheet, t.date, CardFindingKind::OverCapacity,
                    QStringLiteral("capacity:%1 litres:%2").arg(litres(room), litres(t.litres)));
        }
    }

    for (int s = 0; s < in.sheets.size(); ++s) {
        const RSheet &sheet = in.sheets.at(s);
        if (!inMonth(sheet.date) || !vehicleById.contains(sheet.ida))
            continue;
        const QString &nrauto = in.vehicles.at(vehicleById.value(sheet.ida)).nrauto;
        if (sheetUsed[s] && sheet.kmTrips == 0)
            add(nrauto, s, sheet.date, CardFindingKind::NoKm, QStringLiteral("litres:%1").arg(litres(sheetLitres[s])));
        if (sheetHasFuel[s]) {
            if (std::abs(sheetLitres[s] - sheet.fuelIn) > 0.5 + 1e-9)
                add(nrauto, s, sheet.date, CardFindingKind::QuantityDifference,
                    QStringLiteral("card:%1 sheet:%2").arg(litres(sheetLitres[s]), litres(sheet.fuelIn)));
            continue;
        }
        if (sheet.fuelIn <= 0)
            continue;
        for (const RCard &card : in.cards) {
            if (card.ida != sheet.ida || !card.activ || !inUse(card, sheet.date))
                continue;
            const QString supplier = plainKey(card.furnizor);
            if ((!supplier.isEmpty() && suppliersOfMonth.contains(supplier)) || cardsOfMonth.contains(plainKey(card.nrcard))) {
                add(nrauto, s, sheet.date, CardFindingKind::NoTransaction, QStringLiteral("sheet:%1").arg(litres(sheet.fuelIn)));
                break;
            }
        }
    }

    for (const RInvoice &inv : in.invoices) {
        const QString supplier = plainKey(inv.supplier);
        double statements = 0;
        for (int i = 0; i < n; ++i) {
            const RTransaction &t = ts.at(i);
            if (dropped[i] || t.date < inv.from || t.date > inv.to || !isFuel(t) || supplierKey(t) != supplier)
                continue;
            statements += t.litres; // a reversal and what it cancels sum to nothing
        }
        if (std::abs(statements - inv.litres) > 0.5 + 1e-9)
            add(QString(), -1, inv.issued, CardFindingKind::InvoiceDifference,
                QStringLiteral("invoice:%1 litres:%2 statements:%3").arg(inv.number, litres(inv.litres), litres(statements)));
    }

    std::stable_sort(findings.begin(), findings.end(), [](const CardFinding &a, const CardFinding &b) {
        return std::make_tuple(a.nrauto, a.date, a.nrf, int(a.kind), a.detail)
               < std::make_tuple(b.nrauto, b.date, b.nrf, int(b.kind), b.detail);
    });
    return findings;
}

QString findingLine(const CardFinding &f)
{
    return QStringList{f.nrauto, f.nrf > 0 ? QString::number(f.nrf) : QString(), f.date.toString(QStringLiteral("dd.MM.yyyy")),
                       kindName(f.kind), f.detail}
        .join(u'\t');
}

} // namespace vok::cards
