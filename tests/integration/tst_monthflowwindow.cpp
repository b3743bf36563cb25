// Runs on SQLite only: a keyboard flow through the windows; the stores it reaches run on the server in their own tests.
// A clerk's month, through the real windows: the refuelling of January to
// March typed in "Alimentare carburant, ulei ", the months closed in order in
// "Fisa activitatii zilnice", one month changed and closed again, and every
// report the windows ask for rendered by the report engine, its text holding
// the figures of the database.

#include "fuel/refuelwindow.h"
#include "months/activitywindow.h"
#include "reports/reportengine.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace vok;

namespace {

constexpr int Year = 2025;
const QString saved = QStringLiteral(" Datele au fost salvate ");
const QString fromSettings = QStringLiteral(" Restul in rezervor din luna precedenta nu a fost gasit !!! ");

// Picks a line of a list through its drop-down with the keyboard, as the
// clerk does: entering the list (which refills a vehicle list), opening it,
// moving to the line and pressing Enter.
bool pickFromDropDown(QComboBox *combo, const QString &text)
{
    combo->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    const int index = combo->findText(text);
    if (index < 0)
        return false;
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }))
        return false;
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    if (!QTest::qWaitFor([view] { return !view->isVisible(); }))
        return false;
    QCoreApplication::processEvents();
    return combo->currentText() == text;
}

void type(QLineEdit *box, const QString &text)
{
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClicks(box, text);
}

struct Trip {
    int nrc;
    double kmT, kmE, Gm, Cn, Cu;
};

class Flow {
public:
    Flow()
    {
        env.sql(QStringLiteral("INSERT INTO setari (unitate, functie, numeman, intocmit) "
                               "VALUES ('SC TRANSPORT MECANIZARE SA', 'DIRECTOR', 'VASILESCU MIHAI', 'DUMITRU ELENA')"));
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, formula, Cm, Ca, Cb, Cf, kmef, kmefinc, kmechiv, restrez) "
                               "VALUES ('B-01-ABC', 'DACIA LOGAN', 1, 6.5, 0.5, 4.5, 0.5, 12000, 3000, 12500, 35.5)"));
        env.sql(QStringLiteral("INSERT INTO auto (nrauto, marca, formula, Cm, Ca, Cb, Cf, kmef, kmefinc, kmechiv, restrez) "
                               "VALUES ('B-02-XYZ', 'ROMAN 12.215', 2, 30, 1.2, 20, 2, 250000, 180000, 262000, 120)"));
        ida = env.value(QStringLiteral("SELECT ida FROM auto WHERE nrauto='B-01-ABC'")).toInt();
        sheet(101, 1, QStringLiteral("05.01.2025"), 8, 16.5, {{1, 150, 160.5, 0, 10.433, 0.052}, {2, 80, 80, 0.4, 5.2, 0.026}});
        sheet(102, 1, QStringLiteral("20.01.2025"), 7, 15.25, {{1, 210.5, 220.3, 0, 14.32, 0.072}});
        sheet(103, 2, QStringLiteral("10.02.2025"), 6, 14, {{1, 300, 312.6, 0.5, 20.319, 0.102}});
        sheet(104, 3, QStringLiteral("03.03.2025"), 8, 12, {{1, 95.3, 95.3, 0, 6.195, 0.031}});
        sheet(105, 3, QStringLiteral("25.03.2025"), 8, 17, {{1, 410, 428.2, 0, 27.833, 0.139}});
    }

    void sheet(int nrf, int month, const QString &date, double orap, double oras, const QList<Trip> &trips)
    {
        env.sql(QStringLiteral("INSERT INTO foaie (nrf, ida, sofer, orap, oras, nrore, data, decada, idl, anul) "
                               "VALUES (?, ?, 'POPESCU ION', ?, ?, ?, ?, 1, ?, ?)"),
                {nrf, ida, orap, oras, oras - orap, date, month, Year});
        const int idf = env.value(QStringLiteral("SELECT idf FROM foaie WHERE ida=? AND nrf=?"), {ida, nrf}).toInt();
        for (const Trip &t : trips)
            env.sql(QStringLiteral("INSERT INTO curse (idf, nrc, kmI, kmT, kmE, Kg, Gm, A, Cn, Cu, traseu) "
                                   "VALUES (?, ?, ?, ?, ?, 1, ?, 1, ?, ?, 'BUCURESTI - PITESTI')"),
                    {idf, t.nrc, t.kmT, t.kmT, t.kmE, t.Gm, t.Cn, t.Cu});
    }

    double sheetValue(const char *column, int nrf)
    {
        return env.value(QStringLiteral("SELECT %1 FROM foaie WHERE ida=? AND nrf=?").arg(QLatin1String(column)), {ida, nrf})
            .toDouble();
    }
    double monthValue(const char *column, int month)
    {
        return env.value(QStringLiteral("SELECT %1 FROM dateluna WHERE ida=? AND anul=? AND idl=?").arg(QLatin1String(column)),
                         {ida, Year, month})
            .toDouble();
    }

    // The report the window asked for last, as the report engine renders it.
    QString lastReportText()
    {
        if (env.reports().requests.isEmpty())
            return {};
        return ReportEngine(env.db()).run(env.reports().requests.last(), QDate(2025, 4, 2)).toText();
    }

    test::TestEnvironment env;
    int ida = 0;
};

// One sheet's refuelling as the clerk types it in the window.
struct Refuel {
    enum Fuel { None, PetrolDiesel, Gas } fuel = None;
    QString quantity, document, engineOil, returned;
    bool oilChange = false, filterChange = false;
};

class RefuelScreen {
public:
    explicit RefuelScreen(Flow &flow)
        : flow(flow)
        , window(flow.env.context())
    {
    }
    template <typename T> T *c(const char *name) { return test::child<T>(&window, QString::fromLatin1(name)); }

    bool open() { return test::showActive(&window) && pickFromDropDown(c<QComboBox>("nra"), QStringLiteral("B-01-ABC")); }
    void period(int month)
    {
        c<QComboBox>("an")->setCurrentIndex(c<QComboBox>("an")->findText(QString::number(Year)));
        c<QComboBox>("luna")->setCurrentIndex(month - 1);
    }
    void save(int nrf, const Refuel &r)
    {
        QVERIFY(pickFromDropDown(c<QComboBox>("nrfoi"), QString::number(nrf)));
        if (r.fuel == Refuel::PetrolDiesel)
            QTest::mouseClick(c<QRadioButton>("bm"), Qt::LeftButton, {}, QPoint(5, 5));
        if (r.fuel == Refuel::Gas)
            QTest::mouseClick(c<QRadioButton>("gz"), Qt::LeftButton, {}, QPoint(5, 5));
        if (!r.quantity.isEmpty())
            type(c<QLineEdit>("cantc"), r.quantity);
        if (!r.document.isEmpty())
            type(c<QLineEdit>("actc"), r.document);
        if (!r.engineOil.isEmpty())
            type(c<QLineEdit>("cantu1"), r.engineOil);
        if (!r.returned.isEmpty())
            type(c<QLineEdit>("rstc"), r.returned);
        c<QCheckBox>("schu")->setChecked(r.oilChange);
        c<QCheckBox>("schf")->setChecked(r.filterChange);
        flow.env.messages().answer(true);
        QTest::mouseClick(c<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(flow.env.messages().last(), saved);
    }

    Flow &flow;
    RefuelWindow window;
};

class ActivityScreen {
public:
    explicit ActivityScreen(Flow &flow)
        : flow(flow)
        , window(flow.env.context())
    {
    }
    template <typename T> T *c(const char *name) { return test::child<T>(&window, QString::fromLatin1(name)); }

    bool open()
    {
        if (!test::showActive(&window) || !pickFromDropDown(c<QComboBox>("nra"), QStringLiteral("B-01-ABC")))
            return false;
        c<QComboBox>("an")->setCurrentIndex(c<QComboBox>("an")->findText(QString::number(Year)));
        return true;
    }
    // "V.O.K. <month>": closes the month and returns the report's text.
    QString close(int month)
    {
        c<QComboBox>("luna")->setCurrentIndex(month - 1);
        const qsizetype before = flow.env.reports().requests.size();
        QTest::mouseClick(c<QPushButton>("Command2"), Qt::LeftButton);
        if (flow.env.reports().requests.size() != before + 1)
            return {};
        return flow.lastReportText();
    }

    Flow &flow;
    ActivityWindow window;
};

} // namespace

class MonthFlowWindowTest : public QObject {
    Q_OBJECT
private slots:
    void refuelCloseAndReport();
};

void MonthFlowWindowTest::refuelCloseAndReport()
{
    Flow flow;

    // Refuelling of January to March.
    {
        RefuelScreen refuel(flow);
        QVERIFY(refuel.open());
        refuel.period(1);
        refuel.save(101, {Refuel::PetrolDiesel, QStringLiteral("42.5"), QStringLiteral("BON 1001/05.01.2025"),
                          QStringLiteral("1.5"), {}, true, false});
        refuel.save(102, {Refuel::Gas, QStringLiteral("30"), QStringLiteral("BON 2001/20.01.2025"), {},
                          QStringLiteral("5"), false, true});
        // A correction of the gas received on 102.
        refuel.save(102, {Refuel::Gas, QStringLiteral("45.25"), {}, {}, {}, false, true});
        refuel.period(2);
        refuel.save(103, {Refuel::PetrolDiesel, QStringLiteral("50"), QStringLiteral("BON 3001"), QStringLiteral("0.5"), {},
                          false, false});
        refuel.period(3);
        refuel.save(104, {Refuel::None, {}, {}, {}, {}, true, false}); // only an oil change
        refuel.save(105, {Refuel::PetrolDiesel, QStringLiteral("60.8"), QStringLiteral("BON 4001"), {},
                          QStringLiteral("2.3")});
        QCOMPARE(flow.sheetValue("bm", 101), 42.5);
        QCOMPARE(flow.sheetValue("gz", 102), 45.25);
        QCOMPARE(flow.sheetValue("bm", 102), 0.0);
        QCOMPARE(flow.sheetValue("restit", 102), 5.0);
        QCOMPARE(flow.sheetValue("schu", 104), 1.0);
        QCOMPARE(flow.sheetValue("bm", 104), 0.0);

        // The monthly refuelling report of March: the sheet with fuel, not the
        // one that records only an oil change.
        QTest::mouseClick(refuel.c<QPushButton>("Command2"), Qt::LeftButton);
        const QString march = flow.lastReportText();
        QVERIFY2(march.contains(QStringLiteral("> 105 | 25.03.2025 | 60.800 |")), qPrintable(march));
        QVERIFY2(!march.contains(QStringLiteral("> 104 |")), qPrintable(march));
        QVERIFY2(march.contains(QStringLiteral("SC TRANSPORT MECANIZARE SA")), qPrintable(march));
        // The annual one: a line per month, the year's totals.
        QTest::mouseClick(refuel.c<QPushButton>("Command4"), Qt::LeftButton);
        const QString year = flow.lastReportText();
        QVERIFY2(year.contains(QStringLiteral("> ianuarie | 2 | 42.500 | 45.250 | 1.50 |")), qPrintable(year));
        QVERIFY2(year.contains(QStringLiteral("> Total an | 4 | 153.300 | 45.250 | 2.00 |")), qPrintable(year));
        QVERIFY(flow.env.messages().problems().isEmpty());
    }

    // January to March closed in order.
    {
        ActivityScreen vok(flow);
        QVERIFY(vok.open());
        flow.env.messages().clear();
        const QString january = vok.close(1);
        QVERIFY(!flow.env.messages().messages().isEmpty());
        QVERIFY(flow.env.messages().messages().first().text.startsWith(fromSettings));
        QCOMPARE(flow.env.reports().requests.last().formulas,
                 (QStringList{QStringLiteral("rest=35.5"), QStringLiteral("kmef=12000"), QStringLiteral("kmechiv=12500")}));
        // 35.5 + 42.5 + 45.25 - 5 - 29.953; Cu with one sump and one filter.
        QCOMPARE(flow.monthValue("restrez", 1), 88.3);
        QCOMPARE(flow.monthValue("Cu", 1), 5.15);
        QCOMPARE(flow.monthValue("ore", 1), 16.8);
        QVERIFY2(january.contains(QStringLiteral("Rest in rezervor la inceputul lunii (litri): 35.50")), qPrintable(january));
        QVERIFY2(january.contains(QStringLiteral("> 101 | 05.01.2025 | 1 | 8.50 | 230.0 | 240.5 | 80.0 | 0.40 | 32.00 | 15.633 |")),
                 qPrintable(january));
        QVERIFY2(january.contains(QStringLiteral("Rest in rezervor (litri): 88.30 | Km parcursi de la luarea in evidenta: 12440.5 | "
                                                 "Km echivalenti de la luarea in evidenta: 12960.8")),
                 qPrintable(january));
        QVERIFY2(january.contains(QStringLiteral("VASILESCU MIHAI | DUMITRU ELENA")), qPrintable(january));

        flow.env.messages().clear();
        const QString february = vok.close(2);
        QVERIFY(flow.env.messages().messages().isEmpty()); // opened from January
        QCOMPARE(flow.env.reports().requests.last().formulas,
                 (QStringList{QStringLiteral("rest=88.3"), QStringLiteral("kmef=12440.5"), QStringLiteral("kmechiv=12960.8")}));
        QVERIFY2(february.contains(QStringLiteral("Rest in rezervor (litri): 117.98")), qPrintable(february));

        const QString march = vok.close(3);
        // 117.98 + 60.8 - 2.3 - 34.028; the oil change of the sheet without fuel counts.
        QCOMPARE(flow.monthValue("restrez", 3), 142.45);
        QCOMPARE(flow.monthValue("Cu", 3), 4.67);
        QVERIFY2(march.contains(QStringLiteral("> 104 | 03.03.2025 |")), qPrintable(march));
        QVERIFY2(march.contains(QStringLiteral("Rest in rezervor (litri): 142.45 | Km parcursi de la luarea in evidenta: 13245.8 | "
                                               "Km echivalenti de la luarea in evidenta: 13796.9")),
                 qPrintable(march));
        QVERIFY(flow.env.messages().problems().isEmpty());
    }

    // February's fuel corrected: February and March closed again.
    {
        RefuelScreen refuel(flow);
        QVERIFY(refuel.open());
        refuel.period(2);
        refuel.save(103, {Refuel::PetrolDiesel, QStringLiteral("55"), {}, {}, {}, false, false});
        QCOMPARE(flow.sheetValue("bm", 103), 55.0);
    }
    {
        ActivityScreen vok(flow);
        QVERIFY(vok.open());
        vok.close(2);
        const QString march = vok.close(3);
        QCOMPARE(flow.env.reports().requests.last().formulas.first(), QStringLiteral("rest=122.98"));
        QCOMPARE(flow.monthValue("restrez", 3), 147.45);
        QVERIFY2(march.contains(QStringLiteral("Rest in rezervor la inceputul lunii (litri): 122.98")), qPrintable(march));
        QCOMPARE(flow.env.value(QStringLiteral("SELECT COUNT(*) FROM dateluna WHERE ida=?"), {flow.ida}).toInt(), 3);

        // The year: one line per closed month, the closing values of March.
        QTest::mouseClick(vok.c<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(flow.env.reports().requests.last().reportFile, QStringLiteral("rapvokan.rpt"));
        const QString year = flow.lastReportText();
        QVERIFY2(year.contains(QStringLiteral("> februarie | 8.0 | 300.0 | 312.6 |")), qPrintable(year));
        QVERIFY2(year.contains(QStringLiteral("| 147.45 |")), qPrintable(year));
        QVERIFY2(year.contains(QStringLiteral("| 13245.8 | 13796.9\n")), qPrintable(year));
        QVERIFY(flow.env.messages().problems().isEmpty());
    }
}

QTEST_MAIN(MonthFlowWindowTest)
#include "tst_monthflowwindow.moc"
