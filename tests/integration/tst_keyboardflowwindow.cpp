// Runs on SQLite only: a keyboard flow through the windows; the stores it reaches run on the server in their own tests.
// A clerk's month typed with the keyboard alone, through the real main menu:
// a vehicle, a truck sheet of two trips (the first with the towing and urban
// dialogs, the second with winter heating), the sheet's refuelling and the
// month's V.O.K. Every key goes to whatever has the focus, as on the
// clerk's screen, and no window is activated by the test: the program gives
// the keyboard back after each window and dialog. The script says where the
// focus must be as it goes. The
// sheet's keys are counted: header and both trips, each message box answered
// with one Enter.

#include "app/mainwindow.h"
#include "testenvironment.h"
#include "keyscript.h"
#include "windowtest.h"

#include <QApplication>
#include <QtTest>

using namespace vok;

namespace {
QString s(const char *text) { return QString::fromUtf8(text); }
} // namespace

class KeyboardFlowWindowTest : public QObject {
    Q_OBJECT
private slots:
    void monthWithoutMouse();
};

void KeyboardFlowWindowTest::monthWithoutMouse()
{
    test::TestEnvironment env;
    // The normative's tables the trips read.
    const char *kg[] = {"(0, 0.85, 0.9, 0.8, 0.85)", "(4, 1, 1.05, 0.95, 1)", "(8, 1.1, 1.15, 1.05, 1.1)",
                        "(10, 1.15, 1.2, 1.1, 1.15)"};
    for (const char *row : kg)
        env.sql(s("INSERT INTO coefKg (tone, motor1fr, motor1r, motor23fr, motor23r) VALUES ") + s(row));
    env.sql(s("INSERT INTO sporU (autom, bucur, restul) VALUES ('Automobile de marfuri', 30, 25)"));
    env.sql(s("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, motor3r1, motor3r2) "
              "VALUES ('1', 'Remorca usoara', 'pana la 1.5', 15, 25, 12, 20, 10, 18)"));
    env.messages().setDefaultAnswer(true); // every question answered Yes, its default button

    test::KeyScript script;
    // The vehicle: number, make, kind, engine class, the three consumptions
    // and the default regime (Mixt), the oil; Ctrl+S, then Escape closes.
    script.key(Qt::Key_A, Qt::AltModifier).window("auto").at("nrauto")
        .type(s("CJ10ABC")).tab().at("marca").type(s("ROMAN 10215")).tab()
        .at("for2").key(Qt::Key_Up).at("for1").tab()
        .at("motorcp").key(Qt::Key_Down).tab()
        .at("Cm1").type(s("30")).tab().at("Cm2").type(s("28.5")).tab().at("Cm3").type(s("26")).tab()
        .at("c1").key(Qt::Key_Down).at("c2").tab()
        .at("Cb").type(s("22")).tab().at("Cf").type(s("2.25")).tab().at("Ca").type(s("0.6"))
        .key(Qt::Key_S, Qt::ControlModifier)
        .key(Qt::Key_Escape).window("mnu");

    // The truck sheet: its header, a trip with towing (one trailer) and
    // urban driving, a trip with winter heating.
    script.key(Qt::Key_F, Qt::AltModifier).window("foaie").at("nra").mark("sheet")
        .type(s("C")).tab().at("nrfoi").type(s("4521")).tab()
        .at("sof").type(s("POPA ION")).tab()
        .at("zi").type(s("07")).tab().at("luna").type(s("11")).tab().at("anul").type(s("2025")).tab()
        .at("op").type(s("6")).tab().at("os").type(s("18")).tab()
        .at("kmplecare").tab().at("kmsosire").tab() // the odometer not recorded
        // Trip 1
        .at("nrc").type(s("1")).tab().at("trs").type(s("CLUJ-DEJ")).tab()
        .at("cat1").tab().type(s("45")).tab().type(s("12")).tab(4)
        .at("greut").type(s("8")).tab().at("Kg").tab().at("fr").key(Qt::Key_Right).at("r1").tab()
        .at("tract").key(Qt::Key_Space).window("tractare").at("DBGrid1").key(Qt::Key_Return)
        .at("pt").type(s("40")).key(Qt::Key_Escape).window("foaie").at("tract")
        .tab(2).at("sporU").key(Qt::Key_Space).window("sporurb").at("pu").type(s("12")).tab()
        .at("surb").type(s("25")).key(Qt::Key_Escape).window("foaie").at("sporU")
        .key(Qt::Key_S, Qt::ControlModifier).at("nrc")
        // Trip 2: the route and trailers stay from trip 1
        .type(s("2")).tab().at("trs").type(s("DEJ-CLUJ")).tab()
        .at("cat1").type(s("57")).tab(6).at("greut").tab(2).at("r1").tab(3)
        .at("coefA").tab(2).at("sporQ4").key(Qt::Key_Space).tab().at("nrinc").type(s("2"))
        .key(Qt::Key_S, Qt::ControlModifier).at("nrc").mark("sheet end")
        .key(Qt::Key_Escape).at("Command4").key(Qt::Key_Return).window("mnu");

    // The sheet's fuel: the vehicle, the period, the sheet, diesel and its
    // receipt.
    script.key(Qt::Key_L, Qt::AltModifier).window("alim").at("nra")
        .type(s("C")).tab().at("an").type(s("2025")).tab().at("luna").type(s("n")).tab()
        .at("nrfoi").type(s("4")).tab().at("bm").key(Qt::Key_Space).tab()
        .at("cantc").type(s("250")).tab().at("actc").type(s("BON 12")).tab()
        .at("rezplecare").type(s("40")).tab().at("rezsosire").type(s("174.5"))
        .key(Qt::Key_S, Qt::ControlModifier).key(Qt::Key_Escape).window("mnu");

    // The month's V.O.K.
    script.key(Qt::Key_V, Qt::AltModifier).window("foaieaz").at("nra")
        .type(s("C")).tab().at("an").type(s("2025")).tab().at("luna").type(s("n")).tab()
        .at("Command2").key(Qt::Key_Return).key(Qt::Key_Escape).window("mnu");

    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    test::KeyPlayer player(script, env);
    player.start();
    QTRY_VERIFY_WITH_TIMEOUT(player.finished(), 120000);
    QVERIFY2(player.failure().isEmpty(), qPrintable(player.failure() + u'\n' + env.messages().texts().join(u'\n')));

    // The truck sheet in keys: at most 110, the message boxes answered with Enter.
    const int keys = script.keysBetween(s("sheet"), s("sheet end"));
    const qsizetype answers = player.messagesAt(s("sheet end")) - player.messagesAt(s("sheet"));
    qInfo("truck sheet: %d keys + %lld Enter for the message boxes = %lld\n%s", keys, qlonglong(answers),
          qlonglong(keys + answers), qPrintable(script.text(s("sheet"), s("sheet end"))));
    QVERIFY(keys + answers <= 110);

    // What the keys stored.
    QCOMPARE(env.value(s("SELECT marca FROM auto WHERE nrauto='CJ10ABC'")).toString(), s("ROMAN 10215"));
    QCOMPARE(env.value(s("SELECT motor FROM auto WHERE nrauto='CJ10ABC'")).toInt(), 2);
    QCOMPARE(env.value(s("SELECT formula FROM auto WHERE nrauto='CJ10ABC'")).toInt(), 1);
    QCOMPARE(env.value(s("SELECT implicit FROM consum")).toInt(), 2);
    QCOMPARE(env.value(s("SELECT sofer || '|' || data || '|' || idl || '|' || anul FROM foaie WHERE nrf=4521")).toString(),
             s("POPA ION|07.11.2025|11|2025"));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 2);
    QVERIFY(env.value(s("SELECT kmplecare FROM foaie")).isNull());
    QCOMPARE(env.value(s("SELECT rezplecare FROM foaie")).toDouble(), 40.0);
    QCOMPARE(env.value(s("SELECT rezsosire FROM foaie")).toDouble(), 174.5);
    QCOMPARE(env.value(s("SELECT kmtract FROM curse WHERE nrc=1")).toDouble(), 40.0);
    QCOMPARE(env.value(s("SELECT kmurb FROM curse WHERE nrc=1")).toDouble(), 12.0);
    QCOMPARE(env.value(s("SELECT T FROM curse WHERE nrc=1")).toDouble(), 4.8);  // 40 km at t 12
    QCOMPARE(env.value(s("SELECT U FROM curse WHERE nrc=1")).toDouble(), 3.0);  // 12 km at u 25
    QCOMPARE(env.value(s("SELECT kmT FROM curse WHERE nrc=1")).toDouble(), 57.0);
    QCOMPARE(env.value(s("SELECT nrq4 FROM curse WHERE nrc=2")).toInt(), 2);
    QCOMPARE(env.value(s("SELECT traseu FROM curse WHERE nrc=2")).toString(), s("DEJ-CLUJ"));
    QCOMPARE(env.value(s("SELECT bm FROM foaie WHERE nrf=4521")).toDouble(), 250.0);
    QCOMPARE(env.value(s("SELECT nractc FROM foaie WHERE nrf=4521")).toString(), s("BON 12"));
    QCOMPARE(env.value(s("SELECT COUNT(*) FROM dateluna WHERE idl=11 AND anul=2025")).toInt(), 1);
    QCOMPARE(env.value(s("SELECT km FROM dateluna WHERE idl=11 AND anul=2025")).toDouble(), 114.0);
    QCOMPARE(env.value(s("SELECT bm FROM dateluna WHERE idl=11 AND anul=2025")).toDouble(), 250.0);
}

QTEST_MAIN(KeyboardFlowWindowTest)
#include "tst_keyboardflowwindow.moc"
