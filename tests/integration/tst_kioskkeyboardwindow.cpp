// Runs on SQLite only: a keyboard flow through the windows; the stores it reaches run on the server in their own tests.
// The keyboard never lost without a window manager (a kiosk, a minimal
// desktop): a truck sheet typed from the main menu with the keys alone, its
// first trip through the towing dialog, the urban dialog and the load
// calculator, each closed with Escape; then the month's V.O.K. in its preview,
// closed with Escape. No window is activated by the test: after each dialog
// the next key must find the window that opened it active, with the focus on
// the control that opened it.
//
// This needs a real X server: the offscreen platform gives no window the
// activation back and hides nothing of what a server without a window
// manager does. The test starts its own Xvfb on a free display (and skips
// when the machine has none).

#include "app/mainwindow.h"
#include "fleet/vehiclestore.h"
#include "keyscript.h"
#include "reports/previewwindow.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QApplication>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vok;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// The private X server, for the life of the test program.
struct XServer {
    pid_t pid = 0;
    QByteArray display;
    QString missing; // why there is none

    void start()
    {
        int fds[2];
        if (::pipe(fds) != 0) {
            missing = s("no pipe for Xvfb");
            return;
        }
        pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            const QByteArray fd = QByteArray::number(fds[1]);
            // -displayfd: the server takes a free display and writes its number there.
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1024x768x24", "-nolisten",
                     "tcp", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid < 0) {
            ::close(fds[0]);
            missing = s("no process for Xvfb");
            return;
        }
        QByteArray number;
        char c;
        while (::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.isEmpty()) {
            stop();
            missing = s("Xvfb is not installed or did not start");
            return;
        }
        display = ':' + number;
    }

    void stop()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        pid = 0;
    }
};

XServer server;

} // namespace

class KioskKeyboardWindowTest : public QObject {
    Q_OBJECT
private slots:
    void sheetAndPreviewWithoutWindowManager();
};

void KioskKeyboardWindowTest::sheetAndPreviewWithoutWindowManager()
{
    if (!server.missing.isEmpty())
        QSKIP(qPrintable(s("no X server to test on: ") + server.missing));
    QCOMPARE(QGuiApplication::platformName(), s("xcb"));

    test::TestEnvironment env;
    const char *kg[] = {"(0, 0.85, 0.9, 0.8, 0.85)", "(4, 1, 1.05, 0.95, 1)", "(8, 1.1, 1.15, 1.05, 1.1)",
                        "(10, 1.15, 1.2, 1.1, 1.15)"};
    for (const char *row : kg)
        env.sql(s("INSERT INTO coefKg (tone, motor1fr, motor1r, motor23fr, motor23r) VALUES ") + s(row));
    env.sql(s("INSERT INTO sporU (autom, bucur, restul) VALUES ('Automobile de marfuri', 30, 25)"));
    env.sql(s("INSERT INTO sporT (nrcrt, tip_r, gr, motor1r1, motor1r2, motor2r1, motor2r2, motor3r1, motor3r2) "
              "VALUES ('1', 'Remorca usoara', 'pana la 1.5', 15, 25, 12, 20, 10, 18)"));
    env.messages().setDefaultAnswer(true);
    // A truck (its Gm from the load calculator), engine of 151 - 215 CP.
    VehicleRecord truck;
    truck.nrauto = s("CJ10ABC");
    truck.marca = s("ROMAN 10215");
    truck.formula = 1;
    truck.motor = 2;
    truck.Cb = 22;
    truck.consumption = {30, 28.5, 26, 2};
    VehicleStore(env.db()).save(truck);
    // The V.O.K. opens in the real preview.
    WindowContext context = env.context();
    PreviewReportService reports(context.db, context.messages);
    context.reports = &reports;

    test::KeyScript script;
    // The sheet: a trip towed with one trailer, in town, its load from the
    // calculator; each dialog left with Escape.
    script.key(Qt::Key_F, Qt::AltModifier).window("foaie").at("nra")
        .type(s("C")).tab().at("nrfoi").type(s("4521")).tab()
        .at("sof").type(s("POPA ION")).tab()
        .at("zi").type(s("07")).tab().at("luna").type(s("11")).tab().at("anul").type(s("2025")).tab()
        .at("op").type(s("6")).tab().at("os").type(s("18")).tab()
        .at("kmplecare").tab().at("kmsosire").tab() // the odometer not recorded
        .at("nrc").type(s("1")).tab().at("trs").type(s("CLUJ-DEJ")).tab()
        .at("cat1").tab().type(s("45")).tab().type(s("12")).tab(4)
        .at("greut").tab().at("Kg").tab().at("fr").key(Qt::Key_Right).at("r1").tab()
        .at("tract").key(Qt::Key_Space).window("tractare").at("DBGrid1").key(Qt::Key_Return)
        .at("pt").type(s("40")).key(Qt::Key_Escape).window("foaie").at("tract")
        .tab(2).at("sporU").key(Qt::Key_Space).window("sporurb").at("pu").type(s("12")).tab()
        .at("surb").type(s("25")).key(Qt::Key_Escape).window("foaie").at("sporU")
        .tab().at("spU").tab().at("coefA").tab().at("sporQ1").tab().at("sporQ4").tab()
        .at("Command1").key(Qt::Key_Space).window("utilitar").at("km1")
        .type(s("30")).tab().at("g1").type(s("10")).tab().at("km2").type(s("15")).tab().at("g2").type(s("4"))
        .tab(17).at("Command1").key(Qt::Key_Space).key(Qt::Key_Escape).window("foaie").at("Command1")
        .key(Qt::Key_S, Qt::ControlModifier).at("nrc")
        .key(Qt::Key_Escape).at("Command4").key(Qt::Key_Return).window("mnu");

    // The month's V.O.K. in its preview, closed with Escape.
    script.key(Qt::Key_V, Qt::AltModifier).window("foaieaz").at("nra")
        .type(s("C")).tab().at("an").type(s("2025")).tab().at("luna").type(s("n")).tab()
        .at("Command2").key(Qt::Key_Return).window("previzualizare").key(Qt::Key_Escape)
        .window("foaieaz").at("Command2").key(Qt::Key_Escape).window("mnu");

    MainWindow menu(context);
    QVERIFY(test::showActive(&menu)); // the program's start activates the menu
    test::KeyPlayer player(script, env);
    player.start();
    QTRY_VERIFY_WITH_TIMEOUT(player.finished(), 120000);
    QVERIFY2(player.failure().isEmpty(), qPrintable(player.failure() + u'\n' + env.messages().texts().join(u'\n')));

    QCOMPARE(env.value(s("SELECT COUNT(*) FROM curse")).toInt(), 1);
    QCOMPARE(env.value(s("SELECT kmtract FROM curse WHERE nrc=1")).toDouble(), 40.0);
    QCOMPARE(env.value(s("SELECT remorca FROM curse WHERE nrc=1")).toInt(), 1);
    QCOMPARE(env.value(s("SELECT T FROM curse WHERE nrc=1")).toDouble(), 4.8); // 40 km at t 12
    QCOMPARE(env.value(s("SELECT kmurb FROM curse WHERE nrc=1")).toDouble(), 12.0);
    QCOMPARE(env.value(s("SELECT U FROM curse WHERE nrc=1")).toDouble(), 3.0); // 12 km at u 25
    QCOMPARE(env.value(s("SELECT Gm FROM curse WHERE nrc=1")).toDouble(), 8.0); // (30*10 + 15*4) / 45
    QCOMPARE(env.value(s("SELECT COALESCE(nrq1, 0) + COALESCE(nrq4, 0) FROM curse WHERE nrc=1")).toInt(), 0);
}

int main(int argc, char *argv[])
{
    server.start();
    if (server.missing.isEmpty()) {
        qputenv("DISPLAY", server.display);
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        KioskKeyboardWindowTest test;
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    }
    server.stop();
    return result;
}

#include "tst_kioskkeyboardwindow.moc"
