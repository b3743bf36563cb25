#include "fleet/partsrules.h"
#include "fleet/partsstore.h"
#include "testenvironment.h"

#include <QtTest>

using namespace vok;
using Field = parts::EntryProblem::Field;

Q_DECLARE_METATYPE(Field)

class PartsRulesTest : public QObject {
    Q_OBJECT
private slots:
    void checkEntry_data();
    void checkEntry();
    void apostropheProblem_data();
    void apostropheProblem();
    void dateTexts_data();
    void dateTexts();
    void gridEditProblems_data();
    void gridEditProblems();
    void storeKeepsEntriesPerVehicle();
};

void PartsRulesTest::checkEntry_data()
{
    QTest::addColumn<bool>("picked");
    QTest::addColumn<QString>("zi");
    QTest::addColumn<QString>("luna");
    QTest::addColumn<QString>("an");
    QTest::addColumn<QString>("valp");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<Field>("field");
    auto row = [](const char *name, bool picked, const char *zi, const char *luna, const char *an,
                  const char *valp, const char *message, Field field) {
        QTest::newRow(name) << picked << QString::fromLatin1(zi) << QString::fromLatin1(luna)
                            << QString::fromLatin1(an) << QString::fromLatin1(valp)
                            << QString::fromLatin1(message) << field;
    };
    row("no vehicle first", false, "00", "00", "", "0", " Selectati numarul de inmatriculare !!! ", Field::Vehicle);
    row("day 0", true, "0", "03", "2007", "0", " Specificati ziua !!! ", Field::Day);
    row("day 00", true, "00", "03", "2007", "0", " Specificati ziua !!! ", Field::Day);
    row("day empty", true, "", "03", "2007", "0", " Specificati ziua !!! ", Field::Day);
    row("day 32", true, "32", "13", "2007", "0", " Nu exista aceasta zi !!! ", Field::Day);
    row("day -1", true, "-1", "03", "2007", "0", " Nu exista aceasta zi !!! ", Field::Day);
    row("month 0", true, "05", "00", "2007", "0", " Specificati luna !!! ", Field::Month);
    row("month 13", true, "05", "13", "", "0", " Nu exista aceasta luna !!! ", Field::Month);
    row("year missing", true, "05", "03", "", "0", " Specificati anul !!! ", Field::Year);
    row("year 0", true, "05", "03", "0", "0", " Specificati anul !!! ", Field::Year);
    row("value not a number", true, "05", "03", "2007", "12a", "Introduceti doar numere !", Field::Value);
    row("31 in a 30-day month", true, "31", "04", "2007", "0", " Nu exista aceasta zi in luna aleasa !!! ", Field::Day);
    row("31 February", true, "31", "02", "2026", "0", " Nu exista aceasta zi in luna aleasa !!! ", Field::Day);
    row("29 February of a common year", true, "29", "02", "2026", "0", " Nu exista aceasta zi in luna aleasa !!! ",
        Field::Day);
    row("29 February of a leap year", true, "29", "02", "2028", "0", "", Field::Vehicle);
    row("31 in a 31-day month", true, "31", "12", "2026", "0", "", Field::Vehicle);
    row("empty value passes", true, "05", "03", "2007", "", "", Field::Vehicle);
    row("day and month 1", true, "1", "1", "2007", "150.5", "", Field::Vehicle);
}

void PartsRulesTest::checkEntry()
{
    QFETCH(bool, picked);
    QFETCH(QString, zi);
    QFETCH(QString, luna);
    QFETCH(QString, an);
    QFETCH(QString, valp);
    QFETCH(QString, message);
    QFETCH(Field, field);
    const auto problem = parts::checkEntry(picked, zi, luna, an, valp);
    if (message.isEmpty()) {
        QVERIFY(!problem);
        return;
    }
    QVERIFY(problem);
    QCOMPARE(problem->message, message);
    QCOMPARE(problem->field, field);
}

void PartsRulesTest::apostropheProblem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString end = QStringLiteral(" Nu se acccepta caracterul apostrof (') la sfarsit de cuvant !!! ");
    const QString begin = QStringLiteral(" Nu se acccepta caracterul apostrof (') la inceput de cuvant !!! ");
    QTest::newRow("at the end") << QStringLiteral("Filtru aer'") << end;
    QTest::newRow("at the start") << QStringLiteral("'Filtru aer") << begin;
    QTest::newRow("only an apostrophe") << QStringLiteral("'") << end;
    QTest::newRow("start and end") << QStringLiteral("'Filtru'") << begin;
    QTest::newRow("middle") << QStringLiteral("Filtru d'aer") << QString();
    QTest::newRow("middle and end") << QStringLiteral("d'aer'") << QString();
    QTest::newRow("none") << QStringLiteral("Filtru") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void PartsRulesTest::apostropheProblem()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(parts::apostropheProblem(text), message);
}

void PartsRulesTest::dateTexts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("year");
    QTest::newRow("5") << QStringLiteral("5") << QStringLiteral("05") << QStringLiteral("5");
    QTest::newRow("12") << QStringLiteral("12") << QStringLiteral("12") << QStringLiteral("12");
    QTest::newRow("2007") << QStringLiteral("2007") << QStringLiteral("2007") << QStringLiteral("2007");
    QTest::newRow("letters stay") << QStringLiteral("5a") << QStringLiteral("5a") << QStringLiteral("5a");
    QTest::newRow("empty stays") << QString() << QString() << QString();
    QTest::newRow("decimals") << QStringLiteral("4.6") << QStringLiteral("05") << QStringLiteral("5");
}

void PartsRulesTest::dateTexts()
{
    QFETCH(QString, typed);
    QFETCH(QString, day);
    QFETCH(QString, year);
    QCOMPARE(parts::dayMonthText(typed), day);
    QCOMPARE(parts::yearText(typed), year);
}

void PartsRulesTest::gridEditProblems_data()
{
    QTest::addColumn<QString>("act");
    QTest::addColumn<QString>("denp");
    QTest::addColumn<QString>("valoare");
    QTest::addColumn<QStringList>("messages");
    const QString apostrophe = QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ");
    const QString numbers = QStringLiteral("Introduceti doar numere !");
    auto max = [](int n) { return QStringLiteral(" Numarul maxim de caractere este %1 !!! ").arg(n); };
    QTest::newRow("accepted") << QStringLiteral("F 12/05.03.2007") << QString(50, u'd') << QStringLiteral("1234567.50")
                              << QStringList();
    QTest::newRow("description 51") << QStringLiteral("F 1") << QString(51, u'd') << QStringLiteral("10")
                                    << QStringList{max(50)};
    QTest::newRow("document 26") << QString(26, u'a') << QStringLiteral("x") << QStringLiteral("10")
                                 << QStringList{max(25)};
    QTest::newRow("value 11") << QStringLiteral("F 1") << QStringLiteral("x") << QStringLiteral("12345678901")
                              << QStringList{max(10)};
    QTest::newRow("apostrophe middle of document") << QStringLiteral("F d'1") << QStringLiteral("x")
                                                   << QStringLiteral("1") << QStringList{apostrophe};
    QTest::newRow("apostrophe in both, once") << QStringLiteral("'F") << QStringLiteral("x'")
                                              << QStringLiteral("1") << QStringList{apostrophe};
    QTest::newRow("value 12a") << QStringLiteral("F") << QStringLiteral("x") << QStringLiteral("12a")
                               << QStringList{numbers};
    QTest::newRow("value empty") << QStringLiteral("F") << QStringLiteral("x") << QString() << QStringList{numbers};
    QTest::newRow("several, in order") << QString(26, u'\'') << QString(51, u'd') << QStringLiteral("abcdefghijk")
                                       << QStringList{apostrophe, numbers, max(25), max(50), max(10)};
}

void PartsRulesTest::gridEditProblems()
{
    QFETCH(QString, act);
    QFETCH(QString, denp);
    QFETCH(QString, valoare);
    QFETCH(QStringList, messages);
    QCOMPARE(parts::gridEditProblems(act, denp, valoare), messages);
}

void PartsRulesTest::storeKeepsEntriesPerVehicle()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca) VALUES ('B-1', 'Dacia'), ('B-2', 'Roman')"));
    PartsStore store(env.db());
    const int one = store.vehicleByNumber(QStringLiteral("B-1"))->ida;
    const int two = store.vehicleByNumber(QStringLiteral("B-2"))->ida;
    QVERIFY(!store.vehicleByNumber(QStringLiteral("B-9")));
    const QString quoted = QStringLiteral("Filtru d'aer'); DELETE FROM piese; --");
    store.add({0, one, QStringLiteral("F 1"), quoted, 12.5, QStringLiteral("05"), QStringLiteral("03"),
               QStringLiteral("2007")});
    store.add({0, two, QStringLiteral("F 2"), QStringLiteral("Anvelope"), 100, QStringLiteral("06"),
               QStringLiteral("03"), QStringLiteral("2007")});
    QList<PartEntry> entries = store.entries(one);
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().denp, quoted);
    QCOMPARE(entries.first().valoare, 12.5);
    QCOMPARE(entries.first().zi, QStringLiteral("05"));
    PartEntry changed = entries.first();
    changed.act = QStringLiteral("F 1/05.03.2007");
    changed.valoare = 13;
    store.update(entries.first(), changed);
    QCOMPARE(store.entries(one).first().act, QStringLiteral("F 1/05.03.2007"));
    QCOMPARE(store.entries(one).first().valoare, 13.0);
    QCOMPARE(store.entries(two).first().act, QStringLiteral("F 2"));
    store.remove(store.entries(one).first());
    QVERIFY(store.entries(one).isEmpty());
    QCOMPARE(store.entries(two).size(), 1);
}

QTEST_MAIN(PartsRulesTest)
#include "tst_partsrules.moc"
