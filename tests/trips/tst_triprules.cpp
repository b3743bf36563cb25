#include "trips/triprules.h"

#include <QtTest>

using namespace vok;
using Field = trips::HeaderProblem::Field;

Q_DECLARE_METATYPE(trips::HeaderProblem::Field)

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

const QDate today(2026, 3, 15);

// A header that passes every check; each row below spoils it.
trips::HeaderTexts goodHeader()
{
    trips::HeaderTexts h;
    h.nrauto = s("B-01-TIR");
    h.ida = 7;
    h.nrf = s("101");
    h.nrc = s("1");
    h.zi = s("05");
    h.luna = s("03");
    h.anul = s("2026");
    h.op = s("7.30");
    h.os = s("15.45");
    h.sofer = s("popescu ion");
    return h;
}

} // namespace

class TripRulesTest : public QObject {
    Q_OBJECT
private slots:
    void headerProblems_data();
    void headerProblems();
    void checkedHeader_data();
    void checkedHeader();
    void selection_data();
    void selection();
    void negativeCategory();
    void questions();
    void writesOnAnswer_data();
    void writesOnAnswer();
};

void TripRulesTest::headerProblems_data()
{
    QTest::addColumn<QString>("field"); // the box spoiled
    QTest::addColumn<QString>("text");
    QTest::addColumn<Field>("problem");
    QTest::addColumn<QString>("message");
    const QString noVehicle = s(" Selectati numarul de inmatriculare !!! ");
    const QString noSheet = s(" Selectati numarul foii de parcurs !!! ");
    const QString noTrip = s(" Specificati numarul cursei !!! ");
    QTest::newRow("no vehicle") << s("nrauto") << QString() << Field::Vehicle << noVehicle;
    QTest::newRow("no sheet") << s("nrf") << QString() << Field::Sheet << noSheet;
    QTest::newRow("sheet 0") << s("nrf") << s("0") << Field::Sheet << noSheet;
    QTest::newRow("sheet reads 0") << s("nrf") << s("x1") << Field::Sheet << noSheet;
    QTest::newRow("no trip") << s("nrc") << QString() << Field::Trip << noTrip;
    QTest::newRow("trip 0") << s("nrc") << s("0") << Field::Trip << noTrip;
    QTest::newRow("day 32") << s("zi") << s("32") << Field::Day << s(" Nu exista aceasta zi !!! ");
    QTest::newRow("day 00") << s("zi") << s("00") << Field::Day << s(" Nu exista aceasta zi !!! ");
    QTest::newRow("day -1") << s("zi") << s("-1") << Field::Day << s(" Nu exista aceasta zi !!! ");
    QTest::newRow("month 00") << s("luna") << s("00") << Field::Month << s(" Nu exista aceasta luna !!! ");
    QTest::newRow("month 13") << s("luna") << s("13") << Field::Month << s(" Nu exista aceasta luna !!! ");
    QTest::newRow("year 0") << s("anul") << s("0") << Field::Year << s(" Specificati anul !!! ");
    QTest::newRow("year text") << s("anul") << s("abc") << Field::Year << s(" Specificati anul !!! ");
    QTest::newRow("arrival before departure") << s("os") << s("7.29") << Field::Departure
                                              << s(" Ora de sosire > ora de plecare !!! ");
}

void TripRulesTest::headerProblems()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(Field, problem);
    QFETCH(QString, message);
    trips::HeaderTexts h = goodHeader();
    QString *box = field == s("nrauto") ? &h.nrauto
                   : field == s("nrf")  ? &h.nrf
                   : field == s("nrc")  ? &h.nrc
                   : field == s("zi")   ? &h.zi
                   : field == s("luna") ? &h.luna
                   : field == s("anul") ? &h.anul
                                        : &h.os;
    *box = text;
    const auto checked = trips::checkHeader(h, today);
    const auto *found = std::get_if<trips::HeaderProblem>(&checked);
    QVERIFY(found);
    QCOMPARE(found->field, problem);
    QCOMPARE(found->message, message);
}

// The order of the checks, the day against its month, and the header a good
// one gives.
void TripRulesTest::checkedHeader_data()
{
    QTest::addColumn<QStringList>("date"); // zi, luna, anul, op, os
    QTest::addColumn<QString>("nrc");
    QTest::addColumn<QString>("message"); // empty: passes
    QTest::addColumn<int>("decada");
    QTest::addColumn<bool>("afterToday");
    const QString dayNotInMonth = s(" Nu exista aceasta zi in luna aleasa !!! ");
    QTest::newRow("trip before the date") << QStringList{s("45"), s("00"), s("0"), s("9"), s("8")} << s("0")
                                          << s(" Specificati numarul cursei !!! ") << 0 << false;
    QTest::newRow("day before month") << QStringList{s("45"), s("13"), s("0"), s("9"), s("8")} << s("1")
                                      << s(" Nu exista aceasta zi !!! ") << 0 << false;
    QTest::newRow("year before the hours") << QStringList{s("05"), s("03"), s("0"), s("9"), s("8")} << s("1")
                                           << s(" Specificati anul !!! ") << 0 << false;
    QTest::newRow("31 February") << QStringList{s("31"), s("02"), s("2026"), s("8"), s("9")} << s("1")
                                 << dayNotInMonth << 0 << false;
    QTest::newRow("31 April") << QStringList{s("31"), s("04"), s("2026"), s("8"), s("9")} << s("1") << dayNotInMonth
                              << 0 << false;
    QTest::newRow("29 February of a leap year") << QStringList{s("29"), s("02"), s("2024"), s("8"), s("9")} << s("1")
                                                << QString() << 3 << false;
    QTest::newRow("equal hours") << QStringList{s("10"), s("03"), s("2026"), s("8.00"), s("8.00")} << s("1")
                                 << QString() << 1 << false;
    QTest::newRow("day 11") << QStringList{s("11"), s("03"), s("2026"), s("8"), s("9")} << s("1") << QString() << 2
                            << false;
    QTest::newRow("day 20") << QStringList{s("20"), s("01"), s("2026"), s("8"), s("9")} << s("1") << QString() << 2
                            << false;
    QTest::newRow("today") << QStringList{s("15"), s("03"), s("2026"), s("8"), s("9")} << s("1") << QString() << 2
                           << false;
    QTest::newRow("tomorrow warns") << QStringList{s("16"), s("03"), s("2026"), s("8"), s("9")} << s("1")
                                    << QString() << 2 << true;
    QTest::newRow("next year warns") << QStringList{s("01"), s("01"), s("2027"), s("8"), s("9")} << s("1")
                                     << QString() << 1 << true;
}

void TripRulesTest::checkedHeader()
{
    QFETCH(QStringList, date);
    QFETCH(QString, nrc);
    QFETCH(QString, message);
    QFETCH(int, decada);
    QFETCH(bool, afterToday);
    trips::HeaderTexts h = goodHeader();
    h.zi = date[0];
    h.luna = date[1];
    h.anul = date[2];
    h.op = date[3];
    h.os = date[4];
    h.nrc = nrc;
    h.nrf = s("12.6");
    const auto checked = trips::checkHeader(h, today);
    if (!message.isEmpty()) {
        QVERIFY(std::holds_alternative<trips::HeaderProblem>(checked));
        QCOMPARE(std::get<trips::HeaderProblem>(checked).message, message);
        return;
    }
    QVERIFY(std::holds_alternative<trips::CheckedHeader>(checked));
    const trips::CheckedHeader &ok = std::get<trips::CheckedHeader>(checked);
    QCOMPARE(ok.afterToday, afterToday);
    QCOMPARE(ok.header.nrf, 13);
    QCOMPARE(ok.header.ida, 7);
    QCOMPARE(ok.header.sofer, s("POPESCU ION"));
    QCOMPARE(ok.header.data, date[0] + u'.' + date[1] + u'.' + date[2]);
    QCOMPARE(ok.header.decada, decada);
    QCOMPARE(ok.header.idl, date[1].toInt());
    QCOMPARE(ok.header.anul, date[2].toInt());
    QCOMPARE(ok.header.orap, date[3].toDouble());
    QCOMPARE(ok.header.oras, date[4].toDouble());
}

void TripRulesTest::selection_data()
{
    QTest::addColumn<QString>("nrauto");
    QTest::addColumn<QString>("nrf");
    QTest::addColumn<bool>("zeroIsNone");
    QTest::addColumn<int>("problem"); // -1: none, else the Field
    QTest::newRow("both") << s("B-01") << s("4") << true << -1;
    QTest::newRow("no vehicle first") << QString() << QString() << true << int(Field::Vehicle);
    QTest::newRow("no sheet") << s("B-01") << QString() << true << int(Field::Sheet);
    QTest::newRow("sheet 0") << s("B-01") << s("0") << true << int(Field::Sheet);
    QTest::newRow("sheet 0 as text") << s("B-01") << s("0") << false << -1;
    QTest::newRow("no sheet text") << s("B-01") << QString() << false << int(Field::Sheet);
}

void TripRulesTest::selection()
{
    QFETCH(QString, nrauto);
    QFETCH(QString, nrf);
    QFETCH(bool, zeroIsNone);
    QFETCH(int, problem);
    const std::optional<trips::HeaderProblem> found = trips::selectionProblem(nrauto, nrf, zeroIsNone);
    QCOMPARE(found ? int(found->field) : -1, problem);
    QCOMPARE(trips::tripNumberProblem(s("0")).has_value(), true);
    QCOMPARE(trips::tripNumberProblem(s("3")).has_value(), false);
}

void TripRulesTest::negativeCategory()
{
    TripForm form;
    QCOMPARE(trips::negativeCategory(form), std::nullopt);
    form.km[4] = s("-20");
    form.km[5] = s("-1");
    QCOMPARE(trips::negativeCategory(form), std::optional<int>(4));
    form.km[4] = s("abc"); // reads 0
    QCOMPARE(trips::negativeCategory(form), std::optional<int>(5));
}

void TripRulesTest::questions()
{
    const QString save = s(" Sunteti sigur ca doriti salvarea datelor ? ");
    QCOMPARE(trips::saveQuestion(false, false), save);
    QCOMPARE(trips::saveQuestion(true, false), save);
    QCOMPARE(trips::saveQuestion(true, true), s(" Acest numar de cursa la aceasta foaie de parcurs exista deja !!! \n"
                                                " Doriti scrierea peste vechile date ? "));
    QCOMPARE(trips::deleteTripQuestion(s("9"), s("4")),
             s(" Sunteti sigur ca doriti stergerea cursei nr.9 din foaia de parcurs numarul ,,4'' ?"));
    QCOMPARE(trips::deleteSheetQuestion(s("41"), false),
             s(" Sunteti sigur ca doriti stergerea foii de parcurs cu numarul ,,41'' ?"));
    QCOMPARE(trips::deleteSheetQuestion(s("40"), true),
             s(" Aveti curse inregistrate la foaia de parcurs cu numarul ,,40'' !!! \n"
               " Sunteti sigur ca doriti stergerea ? "));
}

// A stored sheet's header is written whatever the clerk answers about the
// trip; a new sheet and the trip only with a Yes.
void TripRulesTest::writesOnAnswer_data()
{
    QTest::addColumn<bool>("sheetStored");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("header");
    QTest::addColumn<bool>("trip");
    QTest::newRow("stored sheet, yes") << true << true << true << true;
    QTest::newRow("stored sheet, declined") << true << false << true << false;
    QTest::newRow("new sheet, yes") << false << true << true << true;
    QTest::newRow("new sheet, declined") << false << false << false << false;
}

void TripRulesTest::writesOnAnswer()
{
    QFETCH(bool, sheetStored);
    QFETCH(bool, yes);
    QFETCH(bool, header);
    QFETCH(bool, trip);
    const trips::SaveWrites writes = trips::writesOnAnswer(sheetStored, yes);
    QCOMPARE(writes.header, header);
    QCOMPARE(writes.trip, trip);
}

QTEST_MAIN(TripRulesTest)
#include "tst_triprules.moc"
