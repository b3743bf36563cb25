#include "db/schema.h"
#include "fleet/normativwindow.h"
#include "fleet/referencestore.h"
#include "testenvironment.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using namespace vok;
using test::child;

namespace {

QString writeFile(const test::TestEnvironment &env, const QString &name, const QByteArray &data)
{
    const QString path = env.dataDir() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(data);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Fixture {
    test::TestEnvironment env;
    std::unique_ptr<NormativWindow> window;
    QString table = QStringLiteral("sistemU");

    Fixture()
    {
        const ReferenceImport rows = readReferenceCsv(table, "autom,baia,filtru\nROMAN,18,1.5\n");
        ReferenceStore(env.db()).replaceAll(table, rows.rows);
        window = std::make_unique<NormativWindow>(env.context());
    }
    QTableView *grid() { return child<QTableView>(window.get(), QStringLiteral("DBGrid1")); }
    QAbstractItemModel *model() { return grid()->model(); }
    QByteArray stored() { return ReferenceStore(env.db()).csv(table); }
};

} // namespace

class NormativWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryTable();
    void importReplacesAfterQuestion();
    void importDeclinedKeepsTable();
    void refusedFileNamesLineAndReason_data();
    void refusedFileNamesLineAndReason();
    void exportWritesTheTable();
    void buttonsAskForTheFile();
    void cellsCheckedBeforeStored();
    void rowsAddedAndDeleted();
    void installationInUseStays();
    void browsingTheDataFolderKeepsTheJournal();
};

void NormativWindowTest::opensWithEveryTable()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    QCOMPARE(f.window->objectName(), QStringLiteral("normativ"));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tabele normativ"));
    auto *tables = child<QComboBox>(f.window.get(), QStringLiteral("tabel"));
    QStringList names;
    for (int i = 0; i < tables->count(); ++i)
        names << tables->itemData(i).toString();
    QCOMPARE(names, schema::referenceTables());
    QCOMPARE(f.window->currentTable(), QStringLiteral("sporI"));
    // The headings of the windows that consult the tables; the CSV column in the tooltip.
    QCOMPARE(f.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr."));
    QCOMPARE(f.model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(), QStringLiteral("nri"));
    f.window->chooseTable(QStringLiteral("sporT"));
    QStringList headings;
    for (int c = 0; c < 4; ++c)
        headings << f.model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headings, (QStringList{QStringLiteral("Nr.crt."), QStringLiteral("Tipuri de remorci tractate"),
                                    QStringLiteral("Greutatea poprie (tone)"), QStringLiteral("pana la 150 CP, 1 remorca")}));
    f.window->chooseTable(QStringLiteral("coefKg"));
    QCOMPARE(f.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("pana la 150 CP, fara remorca"));
    f.window->chooseTable(QStringLiteral("sporI"));
    QVERIFY(!(f.model()->flags(f.model()->index(0, 0)) & Qt::ItemIsEditable) || f.model()->rowCount() == 0);
    f.window->chooseTable(f.table);
    QCOMPARE(f.model()->rowCount(), 1);
    QCOMPARE(f.model()->columnCount(), 3);
    QCOMPARE(f.model()->index(0, 1).data().toString(), QStringLiteral("18"));
}

void NormativWindowTest::importReplacesAfterQuestion()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.window->chooseTable(f.table);
    const QString path = writeFile(f.env, QStringLiteral("ulei.csv"), "autom,baia,filtru\nDACIA,3.5,0.25\nARO,\"6,5\",1\nROMAN,18,1.5\n");
    QVERIFY(!f.window->importCsv(path)); // "6,5" is not a number
    QVERIFY(f.env.messages().last().contains(QStringLiteral("Linia 3")));
    f.env.messages().clear();

    writeFile(f.env, QStringLiteral("ulei.csv"), "autom,baia,filtru\nDACIA,3.5,0.25\nARO,6.5,1\nROMAN,18,1.5\n");
    f.env.messages().answer(true);
    QVERIFY(f.window->importCsv(path));
    const QStringList texts = f.env.messages().texts();
    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.at(0), QStringLiteral(" Se vor pune 3 randuri din fisier in locul celor 1 randuri ale tabelului sistemU. "
                                         "Continuati ? "));
    QCOMPARE(f.model()->rowCount(), 3);
    QCOMPARE(f.model()->index(1, 0).data().toString(), QStringLiteral("ARO"));
    QCOMPARE(f.env.value(QStringLiteral("SELECT baia FROM sistemU WHERE autom='ARO'")).toDouble(), 6.5);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::importDeclinedKeepsTable()
{
    Fixture f;
    f.window->chooseTable(f.table);
    const QByteArray before = f.stored();
    const QString path = writeFile(f.env, QStringLiteral("ulei.csv"), "autom,baia,filtru\n");
    f.env.messages().answer(false);
    QVERIFY(!f.window->importCsv(path));
    QCOMPARE(f.stored(), before);
    QCOMPARE(f.env.messages().texts().size(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::refusedFileNamesLineAndReason_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected");
    QTest::newRow("wrong header") << QByteArray("autom;baia;filtru\nA;1;2\n") << QStringLiteral("Linia 1: capul de tabel");
    QTest::newRow("not a number") << QByteArray("autom,baia,filtru\nA,1,2\nB,1,x\n") << QStringLiteral("Linia 3: valoarea ,,x'' din coloana filtru");
    QTest::newRow("broken line") << QByteArray("autom,baia,filtru\nA,1\n") << QStringLiteral("Linia 2: linia are 2 valori");
    QTest::newRow("open quote") << QByteArray("autom,baia,filtru\nA,1,2\n\"B,1,2\n") << QStringLiteral("Linia 3: ghilimele");
}

void NormativWindowTest::refusedFileNamesLineAndReason()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    Fixture f;
    f.window->chooseTable(f.table);
    const QByteArray before = f.stored();
    QVERIFY(!f.window->importCsv(writeFile(f.env, QStringLiteral("x.csv"), data)));
    QCOMPARE(f.env.messages().texts().size(), 1); // no question asked
    QVERIFY2(f.env.messages().last().contains(expected), qPrintable(f.env.messages().last()));
    QVERIFY(f.env.messages().last().startsWith(QStringLiteral(" Fisierul nu a fost importat.")));
    QCOMPARE(f.stored(), before);
}

void NormativWindowTest::exportWritesTheTable()
{
    Fixture f;
    f.window->chooseTable(f.table);
    const QString path = f.env.dataDir() + QStringLiteral("/out.csv");
    QVERIFY(f.window->exportCsv(path));
    QCOMPARE(readFile(path), QByteArray("autom,baia,filtru\r\nROMAN,18,1.5\r\n"));
    QVERIFY(f.env.messages().last().contains(QStringLiteral("a fost exportat")));
    // A folder that does not exist is told, not ignored.
    QVERIFY(!f.window->exportCsv(f.env.dataDir() + QStringLiteral("/missing/out.csv")));
    QVERIFY(f.env.messages().last().contains(QStringLiteral("nu poate fi scris")));
}

void NormativWindowTest::buttonsAskForTheFile()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.window->chooseTable(f.table);
    const QString out = f.env.dataDir() + QStringLiteral("/round.csv");
    QList<bool> asked;
    f.window->chooseFile = [&](bool save) {
        asked << save;
        return out;
    };
    child<QPushButton>(f.window.get(), QStringLiteral("Command5"))->click();
    QVERIFY(QFile::exists(out));
    f.env.sql(QStringLiteral("DELETE FROM sistemU"));
    f.env.messages().answer(true);
    child<QPushButton>(f.window.get(), QStringLiteral("Command4"))->click();
    QCOMPARE(asked, (QList<bool>{true, false}));
    QCOMPARE(f.stored(), QByteArray("autom,baia,filtru\r\nROMAN,18,1.5\r\n"));
    // No file chosen: nothing happens.
    f.window->chooseFile = [](bool) { return QString(); };
    f.env.messages().clear();
    child<QPushButton>(f.window.get(), QStringLiteral("Command4"))->click();
    QVERIFY(f.env.messages().texts().isEmpty());
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::cellsCheckedBeforeStored()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.window->chooseTable(f.table);
    QVERIFY(!f.model()->setData(f.model()->index(0, 1), QStringLiteral("18 litri")));
    QTRY_COMPARE(f.env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QCOMPARE(f.env.value(QStringLiteral("SELECT baia FROM sistemU")).toDouble(), 18.0);
    QVERIFY(f.model()->setData(f.model()->index(0, 1), QStringLiteral("16.5")));
    QCOMPARE(f.env.value(QStringLiteral("SELECT baia FROM sistemU")).toDouble(), 16.5);
    QVERIFY(f.model()->setData(f.model()->index(0, 0), QStringLiteral("D'ACIA"))); // not looked up by text
    QCOMPARE(f.env.value(QStringLiteral("SELECT autom FROM sistemU")).toString(), QStringLiteral("D'ACIA"));

    f.env.messages().clear();
    f.window->chooseTable(QStringLiteral("sporT"));
    f.window->addRow();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!f.model()->setData(f.model()->index(0, 1), QStringLiteral("O'Neil")));
    QTRY_COMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Nu se acccepta caracterul apostrof (') !!! ")});
    QVERIFY(f.env.value(QStringLiteral("SELECT tip_r FROM sporT")).isNull());
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::rowsAddedAndDeleted()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    f.window->chooseTable(QStringLiteral("sporI"));
    f.window->addRow();
    QTRY_VERIFY(QApplication::focusWidget() != f.grid()); // editing the first cell
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Autobasculante"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(f.env.value(QStringLiteral("SELECT fel_auto FROM sporI")).toString(), QStringLiteral("Autobasculante"));
    f.window->addRow();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    f.window->addRow();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(f.model()->rowCount(), 3);
    QVERIFY(!(f.model()->flags(f.model()->index(0, 0)) & Qt::ItemIsEditable));

    // The first row goes: the others are numbered 1, 2 again.
    f.grid()->setFocus();
    f.grid()->setCurrentIndex(f.model()->index(0, 1));
    f.env.messages().answer(true);
    QTest::keyClick(f.grid(), Qt::Key_Delete);
    const auto &messages = f.env.messages().messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.at(0).text, QStringLiteral("Stergeti inregistrarea curenta ? "));
    QCOMPARE(messages.at(0).title, QStringLiteral("Stergere inregistrari"));
    QVERIFY(messages.at(0).icon == MessageService::Icon::Information);
    QVERIFY(messages.at(0).noByDefault); // Enter never deletes
    QCOMPARE(messages.at(1).text, QStringLiteral("Inregistrarea a fost stearsa"));
    QCOMPARE(messages.at(1).title, QStringLiteral("Stergere inregistrari"));
    QCOMPARE(f.model()->rowCount(), 2);
    QCOMPARE(f.model()->index(0, 0).data().toString(), QStringLiteral("1"));
    QCOMPARE(f.model()->index(1, 0).data().toString(), QStringLiteral("2"));
    QCOMPARE(f.env.value(QStringLiteral("SELECT COUNT(*) FROM sporI WHERE fel_auto='Autobasculante'")).toInt(), 0);

    // Declined: the row stays.
    f.env.messages().clear();
    f.env.messages().answer(false);
    child<QPushButton>(f.window.get(), QStringLiteral("Command3"))->click();
    QCOMPARE(f.model()->rowCount(), 2);
    QCOMPARE(f.env.messages().texts().size(), 1);
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::installationInUseStays()
{
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    const QString sporI = QStringLiteral("sporI");
    const ReferenceImport rows = readReferenceCsv(sporI, "nri,fel_auto,fel_prest,fel_prest2,sporkm\n"
                                                         "1,Autobasculante,cursa,a,0.5\n2,Autocisterne,ora,b,4\n");
    ReferenceStore(f.env.db()).replaceAll(sporI, rows.rows);
    f.env.sql(QStringLiteral("INSERT INTO auto (nrauto, Ispec) VALUES ('B-1', 2), ('B-2', 2)"));
    f.window->chooseTable(sporI);
    f.grid()->setCurrentIndex(f.model()->index(1, 1));
    child<QPushButton>(f.window.get(), QStringLiteral("Command3"))->click();
    QCOMPARE(f.env.messages().texts(), QStringList{QStringLiteral(" Instalatia este folosita de autovehiculele: B-1, B-2 !!! ")});
    QCOMPARE(f.model()->rowCount(), 2);

    // Replacing the table warns that vehicles name installations by number.
    f.env.messages().clear();
    const QString path = f.env.dataDir() + QStringLiteral("/sporI.csv");
    QVERIFY(f.window->exportCsv(path));
    f.env.messages().answer(false);
    QVERIFY(!f.window->importCsv(path));
    QVERIFY(f.env.messages().last().contains(QStringLiteral("2 autovehicule retin instalatia speciala")));
    QVERIFY(f.env.messages().problems().isEmpty());
}

void NormativWindowTest::browsingTheDataFolderKeepsTheJournal()
{
    if (test::TestEnvironment::serverUrl().size())
        QSKIP("the journal of the embedded database only");
    // Reading a file to guess its type drops this process's locks on it; a
    // second program opening the database would then remove the journal that
    // the program is still writing to.
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite.isEmpty())
        QSKIP("needs the sqlite3 program");
    Fixture f;
    QVERIFY(test::showActive(f.window.get()));
    const QString journal = f.env.context().dataFile + QStringLiteral("-wal");
    QVERIFY(QFile::exists(journal));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(f.env.dataDir());
    bool listed = false;
    QTimer::singleShot(50, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectNameFilter(QStringLiteral("Toate fisierele (*)"));
        auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("treeView"));
        QTRY_VERIFY(view && view->model()->rowCount(view->rootIndex()) >= 3);
        QTest::qWait(300); // the types and icons of the listed files
        listed = true;
        dialog->reject();
    });
    child<QPushButton>(f.window.get(), QStringLiteral("Command4"))->click();
    QDir::setCurrent(previous);
    QVERIFY(listed);

    QProcess other;
    other.start(sqlite, {f.env.context().dataFile, QStringLiteral("SELECT COUNT(*) FROM sistemU;")});
    QVERIFY(other.waitForFinished(10000));
    QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("1"));
    QVERIFY(QFile::exists(journal));
    // What the program writes next is seen by the other program.
    f.env.sql(QStringLiteral("DELETE FROM sistemU"));
    other.start(sqlite, {f.env.context().dataFile, QStringLiteral("SELECT COUNT(*) FROM sistemU;")});
    QVERIFY(other.waitForFinished(10000));
    QCOMPARE(other.readAllStandardOutput().trimmed(), QByteArray("0"));
    QVERIFY(f.env.messages().texts().isEmpty());
}

QTEST_MAIN(NormativWindowTest)
#include "tst_normativwindow.moc"
