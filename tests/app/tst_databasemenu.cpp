// "BAZA-DATE" from the main menu: a copy, a change, the copy restored into
// the running program; the check's findings; compacting. On a server the
// items point at the server's tools and the check looks at the data.
#include "app/databasemenu.h"
#include "app/mainwindow.h"
#include "db/backup.h"
#include "db/passwordstore.h"
#include "legacyfiles.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QtTest>

using namespace vok;

namespace {

// Waits for the modal window of that name, hands it to `look` and closes it.
void whenShown(const QString &name, const std::function<void(QWidget *)> &look)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, name, look] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != name)
            return;
        timer->stop();
        timer->deleteLater();
        look(modal);
        modal->close();
    });
    timer->start(20);
}

} // namespace

class DatabaseMenuTest : public QObject {
    Q_OBJECT
private slots:
    void copyThenRestoreInTheRunningProgram();
    void restoreOfAForeignFileChangesNothing();
    void checkListsWhatItFound();
    void compactSaysTheSizes();
    void importFromTheMenu();
    void onAServerTheServersToolsDoIt();
    void restoreAsksTheCurrentPassword_data();
    void restoreAsksTheCurrentPassword();
    void importCancelledWhileAToolIsStuck();
};

void DatabaseMenuTest::copyThenRestoreInTheRunningProgram()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("copies of the data folder's files");
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QTemporaryDir copies;
    menu.databaseMenu()->chooseFile = [&](const FileRequest &request) {
        return request.folder ? copies.path() : QString();
    };
    menu.databaseMenu()->now = [] { return QDateTime(QDate(2026, 3, 2), QTime(9, 15, 0)); };
    menu.item("mnubackup")->trigger();
    const QString copy = copies.filePath("vok-2026-03-02-091500.db");
    QCOMPARE(env.messages().last(), " Copia datelor a fost facuta: " + copy + " ");
    QVERIFY(QFileInfo::exists(backup::systemFileFor(copy)));

    env.sql("UPDATE auto SET marca='Logan'");
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-02-XYZ', 'Iveco')");
    menu.databaseMenu()->chooseFile = [&](const FileRequest &request) {
        return request.folder ? QString() : copy;
    };
    env.messages().answer(true);
    menu.item("mnurestore")->trigger();
    const QStringList texts = env.messages().texts();
    QVERIFY2(texts.size() == 3, qPrintable(texts.join('\n')));
    QCOMPARE(texts.at(1), " Copia din 02.03.2026 09:15:00 contine: autovehicule 1, foi de parcurs 0.\n"
                          "Datele de acum vor fi pastrate deoparte, in dosarul backups.\n"
                          " Restaurati aceasta copie ? ");
    QVERIFY2(texts.at(2).startsWith(" Copia a fost restaurata. Datele de dinainte au fost pastrate in "),
             qPrintable(texts.at(2)));
    // A question before replacing all data: "Nu" unless the clerk chooses "Da".
    QVERIFY(env.messages().messages().at(1).noByDefault);
    // The program goes on with the restored data on its own connections.
    QCOMPARE(env.value("SELECT COUNT(*) FROM auto").toInt(), 1);
    QCOMPARE(env.value("SELECT marca FROM auto").toString(), QString("Dacia"));
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-03-NEW', 'Roman')");
    QVERIFY(env.messages().problems().isEmpty());
}

void DatabaseMenuTest::restoreOfAForeignFileChangesNothing()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("copies of the data folder's files");
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QTemporaryDir elsewhere;
    QFile text(elsewhere.filePath("vok-notes.db"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a database at all\n");
    text.close();
    menu.databaseMenu()->chooseFile = [&](const FileRequest &) { return text.fileName(); };
    menu.item("mnurestore")->trigger();
    QCOMPARE(env.messages().texts(), QStringList{" Copia nu poate fi restaurata: vok-notes.db: nu este o baza de date !!! "});
    QCOMPARE(env.value("SELECT marca FROM auto").toString(), QString("Dacia"));
    QVERIFY(!QFileInfo::exists(backup::automaticFolder(env.dataDir())));
}

void DatabaseMenuTest::checkListsWhatItFound()
{
    test::TestEnvironment env;
    env.sql("INSERT INTO curse (idc, idf, nrc) VALUES (50, 9, 1)");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    QString heading, lines;
    whenShown("verificare", [&](QWidget *window) {
        heading = window->findChild<QLabel *>("Label1")->text();
        lines = window->findChild<QPlainTextEdit *>("Text1")->toPlainText();
    });
    menu.item("mnucheck")->trigger();
    QVERIFY2(heading.startsWith(" Verificarea a gasit 1 probleme. "), qPrintable(heading));
    QVERIFY2(lines.endsWith("curse: cursa idc=50 (nr. 1) este pe foaia idf=9, care nu exista"), qPrintable(lines));
    QVERIFY(env.messages().texts().isEmpty());
}

void DatabaseMenuTest::compactSaysTheSizes()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("compacting the data folder's file");
    for (int i = 0; i < 200; ++i)
        env.sql("INSERT INTO piese (ida, denp) VALUES (1, ?)", {QString(3000, 'p')});
    env.sql("DELETE FROM piese");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    env.messages().answer(true);
    menu.item("mnucompact")->trigger();
    const QString said = env.messages().last();
    QVERIFY2(said.startsWith(" Baza de date a fost compactata: ") && said.contains(" KB acum."), qPrintable(said));
    // The copy made first is kept apart from the automatic copies.
    QCOMPARE(QDir(backup::compactionFolder(env.dataDir())).entryList({"vok-*.db"}).size(), 1);
    QCOMPARE(QDir(backup::automaticFolder(env.dataDir())).entryList({"vok-*.db"}, QDir::Files).size(), 0);
    env.sql("INSERT INTO piese (ida, denp) VALUES (1, 'filtru')");
    QCOMPARE(env.value("SELECT COUNT(*) FROM piese").toInt(), 1);
}

void DatabaseMenuTest::importFromTheMenu()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("the import builds the data folder's files");
    test::useFakeMdbTools();
    QTemporaryDir files;
    test::writeFakeMdb(files.filePath("vok.mdb"), test::sampleTables());
    test::writeFakeMdb(files.filePath("sys.mdb"), {{"valid.csv", "parola\n\"abc\"\n"}});
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    menu.databaseMenu()->chooseFile = [&](const FileRequest &) { return files.filePath("vok.mdb"); };
    env.messages().answer(true);
    QString heading, report;
    whenShown("importdate", [&](QWidget *window) {
        heading = window->findChild<QLabel *>("Label1")->text();
        report = window->findChild<QPlainTextEdit *>("Text1")->toPlainText();
    });
    menu.item("mnuimport")->trigger();
    const QString question = env.messages().texts().value(0);
    QVERIFY2(question.startsWith(" Fisierul vok.mdb contine:\n   AUTO: 2 randuri\n") && question.contains("   CURSE: 3 randuri\n")
                 && question.endsWith("Parola se preia din sys.mdb.\n Importati datele ? "),
             qPrintable(question));
    QVERIFY(env.messages().messages().value(0).noByDefault);
    QVERIFY2(heading.startsWith(" Datele au fost importate. Raportul este salvat in " + env.dataDir() + "/import-"),
             qPrintable(heading));
    QVERIFY2(report.contains("Niciun rand nu a fost refuzat."), qPrintable(report));
    // The program goes on with the imported data.
    QCOMPARE(env.value("SELECT COUNT(*) FROM foaie").toInt(), 3);
    QCOMPARE(env.value("SELECT nrauto FROM auto WHERE ida=7").toString(), QString("CT-22-XYZ"));
    QVERIFY(PasswordStore(env.sys()).matches("abc"));
    QVERIFY(env.messages().problems().isEmpty());
}

void DatabaseMenuTest::onAServerTheServersToolsDoIt()
{
    test::TestEnvironment env;
    if (!env.onServer())
        QSKIP("the data on a PostgreSQL server");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    menu.databaseMenu()->chooseFile = [](const FileRequest &) -> QString {
        qFatal("no file is chosen on a server");
        return {};
    };
    for (const char *item : {"mnubackup", "mnurestore", "mnucompact"})
        menu.item(item)->trigger();
    QCOMPARE(env.messages().texts(), QStringList(3, DatabaseMenu::serverText()));
}

void DatabaseMenuTest::restoreAsksTheCurrentPassword_data()
{
    QTest::addColumn<QString>("typed");   // empty: "Revocare"
    QTest::addColumn<QString>("said");
    QTest::newRow("right") << "veche" << "";
    QTest::newRow("wrong") << "Veche" << " Parola incorecta !!! ";
    QTest::newRow("given up") << "" << " Parola curenta este necesara ";
}

void DatabaseMenuTest::restoreAsksTheCurrentPassword()
{
    QFETCH(QString, typed);
    QFETCH(QString, said);
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("copies of the data folder's files");
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')");
    QTemporaryDir copies;
    const QString copy = backup::copyDataFolder(env.dataDir(), copies.path(), QDateTime::currentDateTime());
    PasswordStore(env.sys()).set("veche");
    env.sql("UPDATE auto SET marca='Logan'");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    menu.databaseMenu()->chooseFile = [&](const FileRequest &) { return copy; };
    env.messages().answer(true);
    bool asked = false;
    whenShown("parolacurenta", [&](QWidget *window) {
        asked = true;
        auto *box = window->findChild<QLineEdit *>("passcur");
        QCOMPARE(box->echoMode(), QLineEdit::Password);
        if (typed.isEmpty()) {
            QTest::mouseClick(window->findChild<QPushButton *>("Command1"), Qt::LeftButton);
            return;
        }
        QTest::keyClicks(box, typed);
        QTest::keyClick(box, Qt::Key_Return);
    });
    menu.item("mnurestore")->trigger();
    QVERIFY(asked);
    if (said.isEmpty()) {
        QVERIFY2(env.messages().last().startsWith(" Copia a fost restaurata."), qPrintable(env.messages().last()));
        QCOMPARE(env.value("SELECT marca FROM auto").toString(), QString("Dacia"));
        QVERIFY(!PasswordStore(env.sys()).isSet());
    } else {
        QCOMPARE(env.messages().last(), said);
        QCOMPARE(env.value("SELECT marca FROM auto").toString(), QString("Logan"));
        QVERIFY(PasswordStore(env.sys()).matches("veche"));
    }
    QVERIFY(env.messages().problems().isEmpty());
}

void DatabaseMenuTest::importCancelledWhileAToolIsStuck()
{
    test::TestEnvironment env;
    if (env.onServer())
        QSKIP("the import builds the data folder's files");
    test::useFakeMdbTools();
    QTemporaryDir files;
    QMap<QString, QString> tables = test::sampleTables();
    tables["CURSE.silent"] = "";
    test::writeFakeMdb(files.filePath("vok.mdb"), tables);
    env.sql("INSERT INTO auto (nrauto, marca) VALUES ('B-01-ABC', 'Dacia')");
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    menu.databaseMenu()->chooseFile = [&](const FileRequest &) { return files.filePath("vok.mdb"); };
    env.messages().answers({true, true});
    bool pressed = false;
    auto *timer = new QTimer(&menu);
    QElapsedTimer clock;
    QObject::connect(timer, &QTimer::timeout, timer, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        // Once the reading has gone on a while, "Renunta".
        if (pressed || !modal || modal->objectName() != "progres" || modal->findChild<QLabel *>() == nullptr
            || !modal->findChild<QLabel *>()->text().startsWith("Se importa"))
            return;
        if (!clock.isValid())
            clock.start();
        if (clock.elapsed() < 800)
            return;
        pressed = true;
        QTest::mouseClick(modal->findChild<QPushButton *>("renunta"), Qt::LeftButton);
    });
    timer->start(50);
    QElapsedTimer spent;
    spent.start();
    menu.item("mnuimport")->trigger();
    timer->stop();
    QVERIFY(pressed);
    QVERIFY2(spent.elapsed() < 20000, qPrintable(QString::number(spent.elapsed())));
    QCOMPARE(env.messages().last(), QString(" Importul a fost oprit; datele nu s-au schimbat. "));
    QCOMPARE(env.value("SELECT nrauto FROM auto").toString(), QString("B-01-ABC"));
    QVERIFY(QDir(env.dataDir()).entryList({"*.import*"}).isEmpty());
}

QTEST_MAIN(DatabaseMenuTest)
#include "tst_databasemenu.moc"
