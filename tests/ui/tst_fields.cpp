// Runs on SQLite only: the rules of the boxes and keys; no store is under test.
#include "testenvironment.h"
#include "ui/fields.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "windowtest.h"

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
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
    void checkAfterAMessageWhileTyping();
    void failedRefillShowsOneMessage();
    void enterAnswersTheDefault_data();
    void enterAnswersTheDefault();
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

void FieldsTest::checkAfterAMessageWhileTyping()
{
    // A message shown while the clerk types (a length warning), then a text
    // the box refuses on leaving: the window has the activation back after
    // the first message, so the leave is seen and the second check runs.
    QtMessageService messages;
    TwoBoxes w;
    QObject::connect(w.first, &QLineEdit::textEdited, [&](const QString &text) {
        if (text.size() > 5)
            messages.inform(&w.window, texts::maxLength(5));
    });
    fields::onLeave(w.first, [&] {
        if (!w.first->text().contains(u'\''))
            return true;
        messages.inform(&w.window, texts::apostropheRefused());
        return false;
    });
    QVERIFY(test::showActive(&w.window));
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(20);
    test::type(w.first, QStringLiteral("ABCDEF"));
    QTRY_COMPARE(shown, QStringList{texts::maxLength(5)});
    QTRY_VERIFY(w.window.isActiveWindow());
    w.first->selectAll();
    QTest::keyClicks(w.first, QStringLiteral("O'B"));
    QTest::keyClick(w.first, Qt::Key_Tab);
    QTRY_COMPARE(shown, (QStringList{texts::maxLength(5), texts::apostropheRefused()}));
    QTRY_VERIFY(w.first->hasFocus());
}

void FieldsTest::failedRefillShowsOneMessage()
{
    // The list cannot be read (a locked or damaged table): the clerk is told
    // once; closing the message gives the focus back and that is no new
    // entry that would fail, and tell, again and again.
    test::TestEnvironment env;
    env.sql(QStringLiteral("INSERT INTO auto (nrauto, apar) VALUES ('B-01-ABC', 1)"));
    QtMessageService messages;
    TwoBoxes w;
    auto *list = new QComboBox(&w.window);
    w.window.layout()->addWidget(list);
    lists::refillVehiclesOnFocus(list, env.db(), &messages);
    QVERIFY(test::showActive(&w.window));
    env.sql(QStringLiteral("ALTER TABLE auto RENAME TO auto_locked"));
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (++boxes == 5) // a loop: let the next refill succeed so the test ends
                env.sql(QStringLiteral("ALTER TABLE auto_locked RENAME TO auto"));
            box->accept();
        }
    });
    closer.start(20);
    list->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(boxes, 1);
    QTest::qWait(300);
    QCOMPARE(boxes, 1);
    QVERIFY(w.window.isActiveWindow());
    // The window stays usable; entering the list again tries again.
    env.sql(QStringLiteral("ALTER TABLE auto_locked RENAME TO auto"));
    w.first->setFocus(Qt::TabFocusReason);
    list->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(list->count(), 1);
    QCOMPARE(boxes, 1);
}

void FieldsTest::enterAnswersTheDefault_data()
{
    QTest::addColumn<bool>("destructive");
    QTest::addColumn<bool>("answer");
    QTest::newRow("a save: Da") << false << true;
    QTest::newRow("a deletion: Nu") << true << false;
}

void FieldsTest::enterAnswersTheDefault()
{
    QFETCH(bool, destructive);
    QtMessageService messages;
    QString defaultButton;
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    const QString question = QStringLiteral(" Sunteti sigur ? ");
    const bool yes = destructive ? messages.confirmDestructive(nullptr, question) : messages.confirm(nullptr, question);
    QTEST(yes, "answer");
    QCOMPARE(defaultButton, destructive ? QStringLiteral("Nu") : QStringLiteral("Da"));
}

QTEST_MAIN(FieldsTest)
#include "tst_fields.moc"
