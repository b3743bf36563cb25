// The month's card reconciliation, finding by finding, at its thresholds and
// edges: the card before its first day, plates written differently, two
// sheets on one date, duplicates across files, reversals, whole-word products,
// supplier names written differently.
#include "cards/reconcile.h"

#include <QtTest>

using namespace vok::cards;

Q_DECLARE_METATYPE(ReconcileInput)

namespace {

QDate d(int day, int month = 11) { return QDate(2026, month, day); }

RTransaction tx(const char *card, const char *plate, QDate date, const char *time, double litres,
                const char *product = "MOTORINA", const char *station = "OMV 1")
{
    RTransaction t;
    t.nrcard = QString::fromLatin1(card);
    t.nrauto = QString::fromLatin1(plate);
    t.date = date;
    t.time = QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm"));
    t.litres = litres;
    t.product = QString::fromLatin1(product);
    t.station = QString::fromLatin1(station);
    return t;
}

RSheet sheet(int ida, int nrf, QDate date, double orap, double oras, double fuelIn, double km = 100)
{
    RSheet s;
    s.idf = ida * 1000 + nrf;
    s.ida = ida;
    s.nrf = nrf;
    s.date = date;
    s.orap = orap;
    s.oras = oras;
    s.fuelIn = fuelIn;
    s.kmTrips = km;
    return s;
}

// Two vehicles: B-01-AAA (60 l tank) with card C1 of "Petrol S.A." from
// 02.11.2026, B-02-BBB (tank unknown) with card C2 of the same supplier;
// each has a sheet on 03.11.2026 that received 40 l.
ReconcileInput fleet()
{
    ReconcileInput in;
    in.year = 2026;
    in.month = 11;
    in.vehicles = {{1, QStringLiteral("B-01-AAA"), 60}, {2, QStringLiteral("B-02-BBB"), 0}};
    in.cards = {{QStringLiteral("C1"), 1, QStringLiteral("Petrol S.A."), d(2), true},
                {QStringLiteral("C2"), 2, QStringLiteral("Petrol S.A."), QDate(), true}};
    in.sheets = {sheet(1, 10, d(3), 8, 16, 40), sheet(2, 20, d(3), 8, 16, 40)};
    return in;
}

// The fleet with both sheets' refuelling on the statement.
ReconcileInput balanced()
{
    ReconcileInput in = fleet();
    in.transactions = {tx("C1", "B01AAA", d(3), "09:00", 40), tx("C2", "B02BBB", d(3), "10:00", 40)};
    return in;
}

} // namespace

class ReconcileTest : public QObject {
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
    void plainKeyAndWords_data();
    void plainKeyAndWords();
};

void ReconcileTest::findings_data()
{
    QTest::addColumn<ReconcileInput>("input");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("balanced month") << balanced() << QStringList();
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C9", "CJ 99 ZZZ", d(5), "07:00", 30);
        QTest::newRow("unknown card and plate: the statement's plate, no sheet")
            << in << QStringList{QStringLiteral("CJ 99 ZZZ\t\t05.11.2026\tunknown-card\tcard:C9 plate:CJ 99 ZZZ")};
    }
    {
        ReconcileInput in = fleet();
        in.transactions = {tx("", "b 01 aaa", d(3), "09:00", 40), tx("C2", "B02BBB", d(3), "10:00", 40)};
        QTest::newRow("plate alone, written otherwise") << in << QStringList();
    }
    {
        ReconcileInput in = fleet();
        // C1 is in use from 02.11: on 01.11 it goes by its plate, the other vehicle's.
        in.sheets << sheet(2, 19, d(1), 8, 16, 40);
        in.transactions = {tx("C1", "B-02-BBB", d(1), "09:00", 40), tx("C1", "B01AAA", d(3), "09:00", 40),
                           tx("C2", "B02BBB", d(3), "10:00", 40)};
        QTest::newRow("card before its first day goes by plate") << in << QStringList();
    }
    {
        ReconcileInput in = fleet();
        in.transactions = {tx("C1", "B-02-BBB", d(3), "09:00", 40), tx("C2", "B02BBB", d(3), "10:00", 40)};
        QTest::newRow("plate of another vehicle")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tplate-mismatch\tcard:C1 plate:B-02-BBB")};
    }
    {
        ReconcileInput in = balanced();
        in.transactions[0].nrauto = QStringLiteral("B 77 XYZ"); // a plate nobody has
        QTest::newRow("unknown plate with a registered card is no mismatch") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C1", "", d(4), "09:00", 12.5);
        QTest::newRow("no sheet that day")
            << in << QStringList{QStringLiteral("B-01-AAA\t\t04.11.2026\tno-sheet\tlitres:12.50")};
    }
    {
        ReconcileInput in = balanced();
        in.transactions[0].litres = 40.5;
        QTest::newRow("difference of 0.5 l is none") << in << QStringList();
        in.transactions[0].litres = 40.51;
        QTest::newRow("difference above 0.5 l")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tquantity-difference\tcard:40.51 sheet:40.00")};
    }
    {
        ReconcileInput in = balanced();
        // Two sheets on one date: the 14:00 refuelling belongs to the afternoon sheet.
        in.sheets[0].oras = 12;
        in.sheets << sheet(1, 11, d(3), 13, 18, 25);
        in.transactions << tx("C1", "", d(3), "14:00", 25);
        QTest::newRow("two sheets: the hours hold the time") << in << QStringList();
        in.transactions.last().time = QTime(20, 0);
        QTest::newRow("two sheets: outside both hours, the first by departure")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tquantity-difference\tcard:65.00 sheet:40.00"),
                                 QStringLiteral("B-01-AAA\t11\t03.11.2026\tno-transaction\tsheet:25.00")};
    }
    {
        ReconcileInput in = balanced();
        in.transactions.removeLast();
        QTest::newRow("sheet with fuel and no transaction")
            << in << QStringList{QStringLiteral("B-02-BBB\t20\t03.11.2026\tno-transaction\tsheet:40.00")};
        in.cards[1].activ = false;
        QTest::newRow("no transaction, card not active") << in << QStringList();
        in.cards[1].activ = true;
        in.cards[1].furnizor = QStringLiteral("Alt Furnizor");
        QTest::newRow("no transaction, no statement of the card's supplier") << in << QStringList();
        in.cards[1].dela = d(4);
        in.cards[1].furnizor = QStringLiteral("PETROL SA");
        QTest::newRow("no transaction, card not yet in use") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.transactions << in.transactions.first();
        QTest::newRow("duplicate listed once, counted once")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tduplicate\tcard:C1 time:09:00 litres:40.00")};
        in.transactions << in.transactions.first();
        QTest::newRow("three copies: one finding")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tduplicate\tcard:C1 time:09:00 litres:40.00")};
        in.transactions.removeLast();
        in.transactions.last().station = QStringLiteral("OMV 2");
        QTest::newRow("another station is no duplicate")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tquantity-difference\tcard:80.00 sheet:40.00")};
    }
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C1", "", d(3), "09:30", 40) << tx("C1", "", d(3), "09:35", -40);
        QTest::newRow("reversal offsets what it cancels") << in << QStringList();
    }
    {
        ReconcileInput in = fleet();
        in.sheets[0].fuelIn = 61;
        in.transactions = {tx("C1", "", d(3), "09:00", 61), tx("C2", "", d(3), "10:00", 40)};
        QTest::newRow("capacity + 1 l is none") << in << QStringList();
        in.sheets[0].fuelIn = 61.5;
        in.transactions[0].litres = 61.5;
        QTest::newRow("above the capacity")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tover-capacity\tcapacity:60.00 litres:61.50")};
        in.vehicles[0].caprez = 0;
        QTest::newRow("capacity unknown") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.sheets[0].rezplecare = 20; // room for 40 l
        QTest::newRow("room left: 40 l into 40 l") << in << QStringList();
        in.sheets[0].rezplecare = 25; // room for 35 l
        QTest::newRow("more than the room left")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tover-capacity\tcapacity:35.00 litres:40.00")};
        in.sheets[0].rezplecare = 19;
        in.vehicles[0].caprez = 0;
        QTest::newRow("room unknown without the capacity") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.sheets[1].kmTrips = 0;
        QTest::newRow("fuel on a sheet without km")
            << in << QStringList{QStringLiteral("B-02-BBB\t20\t03.11.2026\tno-km\tlitres:40.00")};
        in.sheets << sheet(2, 21, d(6), 0, 0, 0, 0);
        in.transactions << tx("C2", "", d(6), "11:00", 1, "SPALARE");
        QTest::newRow("a car wash on a sheet without km, and no fuel")
            << in << QStringList{QStringLiteral("B-02-BBB\t20\t03.11.2026\tno-km\tlitres:40.00"),
                                 QStringLiteral("B-02-BBB\t21\t06.11.2026\tno-km\tlitres:0.00")};
        in.sheets[1].kmTrips = 0.1;
        in.sheets[2].kmTrips = 0.1;
        QTest::newRow("any km at all") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C1", "", d(3), "09:10", 3, "Spalare auto") << tx("C1", "", d(3), "09:11", 1, "ADBLUE 10L")
                        << tx("C1", "", d(3), "09:12", 2, "CAFEA") << tx("C1", "", d(3), "09:13", 5, "Motorină Premium")
                        << tx("C1", "", d(3), "09:14", 1, "GAZOASE");
        in.sheets[0].fuelIn = 45;
        QTest::newRow("products: allowed, fuel with diacritics, whole words only")
            << in << QStringList{QStringLiteral("B-01-AAA\t10\t03.11.2026\tnon-fuel\tCAFEA"),
                                 QStringLiteral("B-01-AAA\t10\t03.11.2026\tnon-fuel\tGAZOASE")};
    }
    {
        ReconcileInput in = balanced();
        in.invoices = {{QStringLiteral("F-1"), QStringLiteral("PETROL SA"), d(1, 12), d(1), d(30), 80.4}};
        QTest::newRow("invoice within 0.5 l, supplier written otherwise") << in << QStringList();
        in.invoices[0].litres = 81;
        QTest::newRow("invoice above the statements")
            << in << QStringList{QStringLiteral("\t\t01.12.2026\tinvoice-difference\tinvoice:F-1 litres:81.00 statements:80.00")};
        in.invoices[0].litres = 80;
        in.cards[1].furnizor.clear(); // C2's supplier comes from its import
        QTest::newRow("card without supplier, import without one")
            << in << QStringList{QStringLiteral("\t\t01.12.2026\tinvoice-difference\tinvoice:F-1 litres:80.00 statements:40.00")};
        in.transactions[1].importSupplier = QStringLiteral("Petrol  S.A");
        QTest::newRow("card without supplier, the import's") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C1", "", d(2, 12), "09:00", 40); // next month: not this month's
        in.transactions << tx("C9", "X", d(30, 10), "09:00", 40);
        QTest::newRow("other months are not reconciled") << in << QStringList();
    }
    {
        ReconcileInput in = balanced();
        in.transactions << tx("C9", "", d(9), "07:00", 1) << tx("C1", "", d(5), "09:00", 7) << tx("C2", "", d(4), "09:00", 2);
        in.invoices = {{QStringLiteral("F-2"), QStringLiteral("PETROL SA"), d(30), d(1), d(30), 0}};
        QTest::newRow("sorted by vehicle, date, sheet, kind")
            << in << QStringList{QStringLiteral("\t\t09.11.2026\tunknown-card\tcard:C9 plate:"),
                                 QStringLiteral("\t\t30.11.2026\tinvoice-difference\tinvoice:F-2 litres:0.00 statements:89.00"),
                                 QStringLiteral("B-01-AAA\t\t05.11.2026\tno-sheet\tlitres:7.00"),
                                 QStringLiteral("B-02-BBB\t\t04.11.2026\tno-sheet\tlitres:2.00")};
    }
}

void ReconcileTest::findings()
{
    QFETCH(ReconcileInput, input);
    QFETCH(QStringList, lines);
    QStringList got;
    for (const CardFinding &f : reconcile(input))
        got << findingLine(f);
    QCOMPARE(got, lines);
}

void ReconcileTest::plainKeyAndWords_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("words");
    QTest::addColumn<bool>("found");
    QTest::newRow("whole word") << QStringLiteral("Motorina Euro 5") << QStringLiteral("MOTORINA, DIESEL") << true;
    QTest::newRow("part of a word") << QStringLiteral("SUPERMOTORINA") << QStringLiteral("MOTORINA") << false;
    QTest::newRow("diacritics") << QStringLiteral("Benzină 95") << QStringLiteral("BENZINA") << true;
    QTest::newRow("one a line") << QStringLiteral("gpl auto") << QStringLiteral("MOTORINA\nGPL") << true;
    QTest::newRow("empty list") << QStringLiteral("MOTORINA") << QString() << false;
}

void ReconcileTest::plainKeyAndWords()
{
    QFETCH(QString, product);
    QFETCH(QString, words);
    QFETCH(bool, found);
    QCOMPARE(hasWord(product, wordList(words)), found);
    QCOMPARE(plainKey(QStringLiteral("b-12 abc")), QStringLiteral("B12ABC"));
    QCOMPARE(plainKey(QStringLiteral("Petrol S.A.")), plainKey(QStringLiteral("PETROL SA")));
}

QTEST_GUILESS_MAIN(ReconcileTest)
#include "tst_reconcile.moc"
