// The name a report's file is offered under: its title, the vehicle and the
// period its header names.
#include "reportfixture.h"

#include "reports/reportengine.h"
#include "reports/reportfilename.h"
#include "ui/filedialog.h"

#include <QtTest>

using namespace vok;

class ReportFileNameTest : public QObject {
    Q_OBJECT
private slots:
    void describesTheReport_data();
    void describesTheReport();
};

void ReportFileNameTest::describesTheReport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("formulas");
    QTest::addColumn<QString>("name");
    QTest::newRow("calculation: vehicle, sheet and date")
        << "rapcalculf.rpt" << "{curse.idf}=1" << QStringList()
        << "CALCULUL CONSUMULUI NORMAT DE CARBURANT SI ULEI B-10-ABC foaia 1234 05.03.2024";
    QTest::newRow("month's V.O.K.: bracket and dots kept")
        << "rapvokluna.rpt" << "{foaie.anul}=2024 and {foaie.idl}=3 and {foaie.ida}=1"
        << QStringList{"rest=50", "kmef=12000", "kmechiv=13500"}
        << "FISA ACTIVITATII ZILNICE (V.O.K.) B-10-ABC martie 2024";
    QTest::newRow("year's refuellings") << "rapaliman.rpt" << "{foaie.anul}=2024 and {foaie.ida}=1" << QStringList()
                                        << "ALIMENTARI CARBURANT SI ULEI - RAPORT ANUAL B-10-ABC 2024";
    QTest::newRow("parts: the vehicle") << "rappiese.rpt" << "{piese.ida}=1" << QStringList()
                                        << "PIESE, REPARATII ETC. B-10-ABC";
    QTest::newRow("fleet: no single vehicle")
        << "rapvoklunaauto.rpt" << "{dateluna.anul}=2024 and {dateluna.idl}=3 and {auto.rap}=1" << QStringList()
        << "CENTRALIZATOR AUTOVEHICULE - RAPORT LUNAR martie 2024";
    QTest::newRow("fleet's year") << "rapvokanauto.rpt" << "{dateluna.anul}=2024 and {auto.rap}=1" << QStringList()
                                  << "CENTRALIZATOR AUTOVEHICULE - RAPORT ANUAL 2024";
}

void ReportFileNameTest::describesTheReport()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QStringList, formulas);
    QFETCH(QString, name);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    ReportRequest request;
    request.reportFile = file;
    request.selection = selection;
    request.formulas = formulas;
    const ReportDocument doc = ReportEngine(env.db()).run(request, QDate(2024, 4, 15));
    QCOMPARE(reportDescription(doc), name);
    // As a file name it stays whole: nothing but what no file may hold changes.
    QCOMPARE(fileNameFor(reportDescription(doc)), name);
}

QTEST_MAIN(ReportFileNameTest)
#include "tst_reportfilename.moc"
