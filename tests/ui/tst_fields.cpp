#include "testenvironment.h"
#include "ui/fields.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>
#include <QtTest>

using namespace vok;

class FieldsTest : public QObject {
    Q_OBJECT
private slots:
    void numericText_data();
    void numericText();
    void leavingANumericBox();
    void failedCheckKeepsTheFocusWithOneMessage();
    void realMessageBoxGivesTheFocusBack();
    void vehicleListOffersVisibleVehiclesInOrder();
    void monthAndYearLists();
};

void FieldsTest::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("result"); // "!" = refused
    QTest::newRow("masked") << "12.345" << "#0.00" << "" << "12.35";
    QTest::newRow("empty takes default") << "" << "#0.0" << "0" << "0.0";
    QTest::newRow("empty refused without default") << "" << "#0.0" << "" << "!";
    QTest::newRow("letters refused") << "12a" << "#0.0" << "0" << "!";
    QTest::newRow("kept as typed without mask") << "7.50" << "" << "" << "7.50";
    QTest::newRow("two-digit day") << "5" << "00" << "" << "05";
}

void FieldsTest::numericText()
{
    QFETCH(QString, text);
    QFETCH(QString, mask);
    QFETCH(QString, fallback);
    QFETCH(QString, result);
    const std::optional<QString> def = fallback.isEmpty() ? std::nullopt : std::optional<QString>(fallback);
    const std::optional<QString> out = fields::numericText(text, mask, def);
    QCOMPARE(out.value_or(QStringLiteral("!")), result);
}

namespace {
struct TwoBoxes {
    QDialog window;
    QLineEdit *first = new QLineEdit(&window);
    QLineEdit *second = new QLineEdit(&window);
    TwoBoxes()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
    }
};
} // namespace

void FieldsTest::leavingANumericBox()
{
    test::TestEnvironment env;
    TwoBoxes w;
    fields::numericBox(w.first, &env.messages(), QStringLiteral("#0.000"), QStringLiteral("0"));
    QVERIFY(test::showActive(&w.window));
    w.first->setFocus();
    w.first->setText(QStringLiteral("2.5"));
    w.second->setFocus();
    QTRY_COMPARE(w.first->text(), QStringLiteral("2.500"));
    QVERIFY(w.second->hasFocus());
    QVERIFY(env.messages().texts().isEmpty());
}

void FieldsTest::failedCheckKeepsTheFocusWithOneMessage()
{
    test::TestEnvironment env;
    TwoBoxes w;
    fields::numericBox(w.first, &env.messages(), QStringLiteral("#0.0"));
    fields::numericBox(w.second, &env.messages(), QStringLiteral("#0.0"));
    QVERIFY(test::showActive(&w.window));
    w.first->setFocus();
    w.first->setText(QStringLiteral("abc"));
    w.second->setText(QStringLiteral("xyz"));
    w.second->setFocus();
    QTRY_VERIFY(w.first->hasFocus());
    QTest::qWait(50);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral("Introduceti doar numere !")});
    QCOMPARE(w.first->text(), QStringLiteral("abc"));
    QCOMPARE(w.first->selectedText(), QStringLiteral("abc"));
}

void FieldsTest::realMessageBoxGivesTheFocusBack()
{
    // A real message box changes the active window; the fake never does.
    QtMessageService messages;
    TwoBoxes w;
    fields::numericBox(w.first, &messages, QStringLiteral("#0.0"));
    fields::numericBox(w.second, &messages, QStringLiteral("#0.0"));
    QVERIFY(test::showActive(&w.window));
    w.first->setFocus();
    w.first->setText(QStringLiteral("bad"));
    int boxes = 0;
    std::function<void()> closeBox = [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++boxes;
            QCOMPARE(box->text(), QStringLiteral("Introduceti doar numere !"));
            box->accept();
        } else {
            QTimer::singleShot(20, closeBox);
        }
    };
    QTimer::singleShot(20, closeBox);
    w.second->setFocus();
    QTRY_COMPARE(boxes, 1);
    QTRY_VERIFY(w.first->hasFocus());
    QTest::qWait(200);
    QCOMPARE(boxes, 1);
    QVERIFY(w.first->hasFocus());
    QCOMPARE(w.first->text(), QStringLiteral("bad"));
}

void FieldsTest::vehicleListOffersVisibleVehiclesInOrder()
{
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, apar) VALUES ('CJ-02-XYZ', 1), ('B-01-ABC', 1), ('AB-99-OUT', 0)"));
    QComboBox list;
    list.addItem(QStringLiteral("stale"));
    lists::fillVehicles(&list, env.db());
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    QCOMPARE(items, (QStringList{"B-01-ABC", "CJ-02-XYZ"}));
    QCOMPARE(lists::makeCaption(QStringLiteral("DACIA")), QStringLiteral("Marca si tipul : DACIA"));
}

void FieldsTest::monthAndYearLists()
{
    QComboBox months, years;
    lists::fillMonths(&months);
    QCOMPARE(months.count(), 12);
    QCOMPARE(months.itemText(0), QStringLiteral("ianuarie"));
    QCOMPARE(months.itemText(11), QStringLiteral("decembrie"));
    months.setCurrentIndex(2);
    QCOMPARE(lists::chosenMonth(&months), 3);
    lists::fillYears(&years);
    QCOMPARE(years.itemText(0), QStringLiteral("2006"));
    QCOMPARE(years.itemText(years.count() - 1), QString::number(QDate::currentDate().year()));
}

QTEST_MAIN(FieldsTest)
#include "tst_fields.moc"
