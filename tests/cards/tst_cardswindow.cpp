// The window "Carduri combustibil": a card registered with the keys and
// journalled, a second card of the same number refused; a statement with a
// refused row imported only when the clerk accepts the rest, never twice; a
// supplier's mapping made in the mapping dialog on the file's first rows and
// used at once.
#include "cards/cardswindow.h"
#include "monthfixtures.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vok;
using namespace vok::test;

namespace {

void press(QWidget *window, const char *button)
{
    auto *b = child<QPushButton>(window, QString::fromLatin1(button));
    b->setFocus(Qt::TabFocusReason);
    QTest::keyClick(b, Qt::Key_Space);
}

void choose(QWidget *window, const char *list, const QString &text)
{
    auto *combo = child<QComboBox>(window, QString::fromLatin1(list));
    combo->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(combo->hasFocus());
    QTest::qWait(QApplication::keyboardInputInterval() + 50);
    QTest::keyClicks(combo, text);
}

void typeNumber(QWidget *window, const QString &name, int value)
{
    auto *box = child<QSpinBox>(window, name);
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
}

QString writeFile(QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

} // namespace

class CardsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void registerACard();
    void importAStatement();
    void mappingMadeInTheDialog();
};

void CardsWindowTest::registerACard()
{
    TestEnvironment env;
    addVehicle(env, {.nrauto = QStringLiteral("B-01-ABC")});
    addVehicle(env, {.nrauto = QStringLiteral("B-02-XYZ")});
    CardsWindow window(env.context());
    QCOMPARE(window.objectName(), QStringLiteral("carduri"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Carduri combustibil"));
    QVERIFY(showActive(&window));
    QVERIFY(window.width() <= 1024 && window.height() <= 768);
    type(child<QLineEdit>(&window, QStringLiteral("nrcard")), QStringLiteral("7001 0002"));
    choose(&window, "nra", QStringLiteral("B-02"));
    type(child<QLineEdit>(&window, QStringLiteral("furnizor")), QStringLiteral("Petrol S.A."));
    auto *from = child<QLineEdit>(&window, QStringLiteral("dela"));
    from->setFocus(Qt::TabFocusReason);
    QTest::keyClick(from, Qt::Key_Home);
    QTest::keyClicks(from, QStringLiteral("01022024"));
    press(&window, "cardsalv");
    QCOMPARE(env.value(QStringLiteral("SELECT nrcard || '|' || furnizor || '|' || dela || '|' || activ FROM carduri c "
                                      "JOIN auto a ON a.ida=c.ida WHERE a.nrauto='B-02-XYZ'"))
                 .toString(),
             QStringLiteral("7001 0002|Petrol S.A.|01.02.2024|1"));
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela='carduri' AND fereastra='carduri'")).toInt(), 1);
    QCOMPARE(child<QTableView>(&window, QStringLiteral("gridcarduri"))->model()->rowCount(), 1);
    // The same card written otherwise, for another vehicle: refused.
    press(&window, "cardnou");
    type(child<QLineEdit>(&window, QStringLiteral("nrcard")), QStringLiteral("70010002"));
    choose(&window, "nra", QStringLiteral("B-01"));
    press(&window, "cardsalv");
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM carduri")).toInt(), 1);
    QCOMPARE(env.messages().texts().size(), 1);
    QVERIFY(env.messages().texts().first().contains(QStringLiteral("deja in registru")));
}

void CardsWindowTest::importAStatement()
{
    TestEnvironment env;
    QTemporaryDir dir;
    const QString path = writeFile(dir, "extras.csv", cards::vokHeader() + "\nC1,B-01-ABC,05.03.2024,09:00,MOTORINA,45,,,\n"
                                                                           "C1,B-01-ABC,32.03.2024,09:00,MOTORINA,5,,,\n");
    CardsWindow window(env.context());
    window.setFileChooser([&](const FileRequest &) { return path; });
    QVERIFY(showActive(&window));
    child<QTabWidget>(&window, QStringLiteral("pagini"))->setCurrentIndex(1);
    env.messages().answer(false); // the rest not imported
    press(&window, "importextras");
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM importcard")).toInt(), 0);
    QVERIFY(env.messages().texts().last().contains(QStringLiteral("linia 3")));
    env.messages().answer(true);
    press(&window, "importextras");
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM tranzactii")).toInt(), 1);
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM jurnal WHERE tabela='importcard'")).toInt(), 1);
    QCOMPARE(child<QTableView>(&window, QStringLiteral("gridimporturi"))->model()->rowCount(), 1);
    press(&window, "importextras");
    QCOMPARE(env.value(QStringLiteral("SELECT COUNT(*) FROM importcard")).toInt(), 1);
    QVERIFY(env.messages().texts().last().contains(QStringLiteral("deja importat")));
}

void CardsWindowTest::mappingMadeInTheDialog()
{
    TestEnvironment env;
    QTemporaryDir dir;
    // A supplier's layout: semicolons, decimal comma, Windows-1250, two header lines.
    const QString path = writeFile(dir, "furnizor.csv",
                                   "Extras;;;;\r\nAuto;Card;Data;Produs;Litri\r\nB-01-ABC;C1;2024-03-05 09:00;Motorin\xE3;45,5\r\n");
    CardsWindow window(env.context());
    window.setFileChooser([&](const FileRequest &) { return path; });
    QVERIFY(showActive(&window));
    child<QTabWidget>(&window, QStringLiteral("pagini"))->setCurrentIndex(2);
    QString reading;
    QTimer::singleShot(0, &window, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QCOMPARE(dialog->objectName(), QStringLiteral("formatcard"));
        type(child<QLineEdit>(dialog, QStringLiteral("nume")), QStringLiteral("furnizorx"));
        choose(dialog, "codificare", QStringLiteral("W"));
        choose(dialog, "separator", QStringLiteral(";"));
        choose(dialog, "zecimal", QStringLiteral(","));
        type(child<QLineEdit>(dialog, QStringLiteral("formatdata")), QStringLiteral("yyyy-mm-dd"));
        typeNumber(dialog, QStringLiteral("antet"), 2);
        const int columns[] = {2, 1, 3, 0, 4, 5, 0, 0, 0};
        for (int f = 0; f < 9; ++f)
            typeNumber(dialog, QStringLiteral("col%1").arg(f), columns[f]);
        QCOMPARE(child<QTableView>(dialog, QStringLiteral("previzualizare"))->model()->rowCount(), 3);
        reading = child<QLabel>(dialog, QStringLiteral("citire"))->text();
        press(dialog, "Command1");
    });
    press(&window, "formatnou");
    QVERIFY2(reading.contains(QStringLiteral("Se citesc 1 tranzactii")) && reading.contains(QStringLiteral("45.50 l"))
                 && reading.contains(QStringLiteral("Motorin\u0103")),
             qPrintable(reading));
    QCOMPARE(env.value(QStringLiteral("SELECT codificare || '|' || separator || '|' || zecimal || '|' || antet FROM formatecard "
                                      "WHERE nume='furnizorx'"))
                 .toString(),
             QStringLiteral("Windows-1250|;|,|2"));
    QCOMPARE(child<QComboBox>(&window, QStringLiteral("formatimport"))->currentText(), QStringLiteral("furnizorx"));
    press(&window, "importextras");
    QCOMPARE(env.value(QStringLiteral("SELECT produs || '|' || litri || '|' || data || '|' || ora FROM tranzactii")).toString(),
             QStringLiteral("Motorin\u0103|45.5|05.03.2024|09:00"));
    QVERIFY(env.messages().problems().isEmpty());
}

QTEST_MAIN(CardsWindowTest)
#include "tst_cardswindow.moc"
