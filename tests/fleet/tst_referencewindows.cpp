#include "fleet/consumwindow.h"
#include "fleet/referencestore.h"
#include "fleet/uleiardwindow.h"
#include "fleet/uleiwindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace vok;
using test::child;

namespace {

void put(test::TestEnvironment &env, const char *table, const char *csv)
{
    const ReferenceImport rows = readReferenceCsv(QString::fromLatin1(table), QByteArray(csv));
    QVERIFY2(rows.ok(), qPrintable(rows.error));
    ReferenceStore(env.db()).replaceAll(QString::fromLatin1(table), rows.rows);
}

QStringList headings(QTableView *grid)
{
    QStringList out;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        out << grid->model()->headerData(c, Qt::Horizontal).toString();
    return out;
}

QStringList column(QTableView *grid, int c)
{
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out << grid->model()->index(r, c).data().toString();
    return out;
}

} // namespace

class ReferenceWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void consumFiltersByIgnition();
    void uleiardShowsBothTables();
    void uleiWithoutOwnerOnlyShows();
};

void ReferenceWindowsTest::consumFiltersByIgnition()
{
    test::TestEnvironment env;
    put(env, "consumCm1", "aprind,fel,marca,capcil,sarcina,Cm\n1,Autocamion,ROMAN 8.135,5491,8,20.5\n"
                          "2,Autocamion,ROMAN 10.215,10344,10,28\n1,Autobasculanta,ROMAN 19.215,10344,12.5,36\n");
    put(env, "consumCm2", "aprind,fel,marca,capcil,locuri,Cm\n1,Autoturism,DACIA 1310,1289,5,8.5\n");
    put(env, "consumCm3", "aprind,fel,marca,capcil,loc,Cm\n2,Autobuz,ROCAR,10344,40,31\n");
    ConsumWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.objectName(), QStringLiteral("consum"));
    QVERIFY(child<QRadioButton>(&window, QStringLiteral("a1"))->isChecked());
    auto *g1 = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    auto *g2 = child<QTableView>(&window, QStringLiteral("DBGrid2"));
    auto *g3 = child<QTableView>(&window, QStringLiteral("DBGrid3"));
    auto *g4 = child<QTableView>(&window, QStringLiteral("DBGrid4"));
    QCOMPARE(headings(g1), (QStringList{QStringLiteral("Felul automobilului"), QStringLiteral("Marca si tipul"),
                                        QStringLiteral("Cap.cil.(cmc)"), QStringLiteral("Sarcina utila(to)"),
                                        QStringLiteral("Cm")}));
    QCOMPARE(headings(g2), (QStringList{QStringLiteral("Felul automobilului"), QStringLiteral("Marca si tipul"),
                                        QStringLiteral("Capac."), QStringLiteral("Cap.cil(cmc)"), QStringLiteral("Cm")}));
    QCOMPARE(headings(g3).at(2), QStringLiteral("Locuri"));
    QCOMPARE(headings(g4).size(), 4);
    QCOMPARE(column(g1, 1), (QStringList{QStringLiteral("ROMAN 8.135"), QStringLiteral("ROMAN 19.215")}));
    QCOMPARE(column(g1, 4), (QStringList{QStringLiteral("20.5"), QStringLiteral("36")}));
    QCOMPARE(column(g2, 2), QStringList{QStringLiteral("5")});
    QCOMPARE(g3->model()->rowCount(), 0);
    QCOMPARE(g4->model()->rowCount(), 0);
    QVERIFY(g1->editTriggers() == QAbstractItemView::NoEditTriggers);

    child<QRadioButton>(&window, QStringLiteral("a2"))->click();
    QCOMPARE(column(g1, 1), QStringList{QStringLiteral("ROMAN 10.215")});
    QCOMPARE(g2->model()->rowCount(), 0);
    QCOMPARE(column(g3, 1), QStringList{QStringLiteral("ROCAR")});
    child<QRadioButton>(&window, QStringLiteral("a1"))->click();
    QCOMPARE(g1->model()->rowCount(), 2);
    QVERIFY(env.messages().texts().isEmpty());
}

void ReferenceWindowsTest::uleiardShowsBothTables()
{
    test::TestEnvironment env;
    put(env, "uleiCa1", "ciclu,autocamion,autotren,autobuz\n0 - 60000,1.1,1.3,1.2\n");
    put(env, "uleiCa2", "ciclu,<2000,2001-2005,5001-11000,>11000\n0 - 60000,0.5,0.7,0.9,1.1\n60001 - 120000,0.6,,1,1.2\n");
    UleiardWindow window(env.context());
    QVERIFY(test::showActive(&window));
    QCOMPARE(window.objectName(), QStringLiteral("uleiard"));
    auto *g1 = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    auto *g2 = child<QTableView>(&window, QStringLiteral("DBGrid2"));
    QCOMPARE(headings(g1), (QStringList{QStringLiteral("km echivalenti"), QStringLiteral("Autocamioane si derivate"),
                                        QStringLiteral("Autotrenuri (cu remorci sau semiremorci)"),
                                        QStringLiteral("Autobuze")}));
    QCOMPARE(headings(g2), (QStringList{QStringLiteral("km echivalenti"), QStringLiteral("< 2000"),
                                        QStringLiteral("2001 - 5000"), QStringLiteral("5001 - 11000"),
                                        QStringLiteral("> 11000")}));
    QCOMPARE(column(g1, 3), QStringList{QStringLiteral("1.2")});
    // The column named 2001-2005 is the one headed "2001 - 5000"; an empty cell stays empty.
    QCOMPARE(column(g2, 2), (QStringList{QStringLiteral("0.7"), QString()}));
    QCOMPARE(column(g2, 4), (QStringList{QStringLiteral("1.1"), QStringLiteral("1.2")}));
    QVERIFY(env.messages().texts().isEmpty());
}

void ReferenceWindowsTest::uleiWithoutOwnerOnlyShows()
{
    test::TestEnvironment env;
    put(env, "sistemU", "autom,baia,filtru\nDACIA,3.5,0.25\n");
    UleiWindow window(env.context());
    QVERIFY(test::showActive(&window));
    auto *grid = child<QTableView>(&window, QStringLiteral("DBGrid1"));
    QCOMPARE(headings(grid), (QStringList{QStringLiteral("Felul automobilului"),
                                          QStringLiteral("Baia de ulei (litri) ,,Cb''"),
                                          QStringLiteral("Filtrul de ulei (litri) ,,Cf''")}));
    QSignalSpy chosen(&window, &UleiWindow::capacitiesChosen);
    window.chooseRow(0);
    window.chooseRow(5); // no such row: nothing happens
    QCOMPARE(child<QLabel>(&window, QStringLiteral("Label2"))->text(), QStringLiteral("Cb = 3.5 litri"));
    // The capacities as the grid shows them, handed back once.
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.at(0), (QVariantList{QStringLiteral("3.5"), QStringLiteral("0.25")}));
    QVERIFY(env.messages().texts().isEmpty());
}

QTEST_MAIN(ReferenceWindowsTest)
#include "tst_referencewindows.moc"
