// Runs on SQLite only: the rules of the boxes and keys; no store is under test.
// The keys every window answers to: Enter on a focused button, Ctrl+S for
// "Salvare" after the box being typed in has been left, the focus mark, and
// the main menu's letters and F10.

#include "app/mainwindow.h"
#include "testenvironment.h"
#include "ui/fields.h"
#include "ui/keys.h"
#include "windowtest.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

using namespace vok;

namespace {

// A window with a numeric box, a grid of two rows and "Salvare", as the
// program's windows build them.
struct Form {
    explicit Form(test::TestEnvironment &env)
    {
        box = new QLineEdit(QStringLiteral("0.00"), &window);
        box->setObjectName(QStringLiteral("cantc"));
        other = new QLineEdit(&window);
        grid = new QTableView(&window);
        auto *model = new QStandardItemModel(2, 2, grid);
        grid->setModel(model);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        save = new QPushButton(QStringLiteral("Salvare"), &window);
        keys::setSaveButton(save);
        save->setAutoDefault(false);
        auto *layout = new QVBoxLayout(&window);
        for (QWidget *w : {static_cast<QWidget *>(box), static_cast<QWidget *>(other), static_cast<QWidget *>(grid),
                           static_cast<QWidget *>(save)})
            layout->addWidget(w);
        fields::numericBox(box, env.context().messages, QStringLiteral("#0.00"));
        QObject::connect(save, &QPushButton::clicked, save, [this] {
            ++saves;
            savedText = box->text();
        });
    }

    QDialog window;
    QLineEdit *box;
    QLineEdit *other;
    QTableView *grid;
    QPushButton *save;
    int saves = 0;
    QString savedText;
};

QWidget *focusMark(QWidget *window)
{
    return window->findChild<QWidget *>(QLatin1String(keys::focusMarkName), Qt::FindDirectChildrenOnly);
}

} // namespace

class KeysTest : public QObject {
    Q_OBJECT
private slots:
    void enterPressesOnlyAFocusedButton();
    void ctrlSSavesWhatTheBoxAccepts_data();
    void ctrlSSavesWhatTheBoxAccepts();
    void focusMarkFollowsTheFocus();
    void menuLettersAndF10();
};

void KeysTest::enterPressesOnlyAFocusedButton()
{
    test::TestEnvironment env;
    Form f(env);
    QVERIFY(test::showActive(&f.window));
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QTest::keyClick(f.other, Qt::Key_Return);
    QCOMPARE(f.saves, 0); // Enter in a text box presses nothing
    f.save->setFocus();
    QTRY_VERIFY(f.save->hasFocus());
    QTest::keyClick(f.save, Qt::Key_Return);
    QCOMPARE(f.saves, 1);
    QTest::keyClick(f.save, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(f.saves, 2);
    QVERIFY(f.window.isVisible());
}

void KeysTest::ctrlSSavesWhatTheBoxAccepts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("a number, rewritten before the save") << "12.5" << 1 << "12.50" << QStringList{};
    QTest::newRow("refused: no save, focus kept") << "12a" << 0 << "12a"
                                                  << QStringList{QStringLiteral("Introduceti doar numere !")};
}

void KeysTest::ctrlSSavesWhatTheBoxAccepts()
{
    QFETCH(QString, typed);
    QFETCH(int, saves);
    QFETCH(QString, shown);
    QFETCH(QStringList, messages);
    test::TestEnvironment env;
    Form f(env);
    QVERIFY(test::showActive(&f.window));
    test::type(f.box, typed);
    QTest::keyClick(f.box, Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(f.saves + env.messages().texts().size(), saves + messages.size());
    QTest::qWait(30); // nothing more follows
    QCOMPARE(f.saves, saves);
    QCOMPARE(env.messages().texts(), messages);
    QCOMPARE(f.box->text(), shown);
    if (saves)
        QCOMPARE(f.savedText, shown);
    // The clerk goes on typing where the save was asked.
    QTRY_VERIFY(f.box->hasFocus());
}

void KeysTest::focusMarkFollowsTheFocus()
{
    test::TestEnvironment env;
    Form f(env);
    QVERIFY(test::showActive(&f.window));
    for (QWidget *target : {static_cast<QWidget *>(f.other), static_cast<QWidget *>(f.grid)}) {
        target->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(target->hasFocus());
        QWidget *mark = focusMark(&f.window);
        QVERIFY(mark);
        QTRY_VERIFY(mark->isVisible());
        const QRect around(target->mapTo(&f.window, QPoint(0, 0)), target->size());
        QVERIFY(mark->geometry().contains(around));
        QVERIFY(mark->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
    // The grid entered got its first row as the current one.
    QCOMPARE(f.grid->currentIndex().row(), 0);
    QVERIFY(f.grid->selectionModel()->isRowSelected(0, {}));
    // Where the selection is a choice of several rows, entering chooses none.
    f.grid->setSelectionMode(QAbstractItemView::MultiSelection);
    f.grid->clearSelection();
    f.other->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(f.other->hasFocus());
    f.grid->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(f.grid->hasFocus());
    QVERIFY(!f.grid->selectionModel()->hasSelection());
}

void KeysTest::menuLettersAndF10()
{
    test::TestEnvironment env;
    MainWindow menu(env.context());
    QVERIFY(test::showActive(&menu));
    // Every item of the bar has a letter of its own, but CONTROL, every
    // letter of whose caption the others have taken.
    QSet<QChar> letters;
    for (QAction *action : menu.menuBar()->actions()) {
        const QString text = action->text();
        if (action->objectName() == QLatin1String("mnucontrol")) {
            QVERIFY2(!text.contains(u'&'), qPrintable(text));
            continue;
        }
        const qsizetype at = text.indexOf(u'&');
        QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(text));
        QVERIFY2(!letters.contains(text.at(at + 1).toUpper()), qPrintable(text));
        letters.insert(text.at(at + 1).toUpper());
    }
    QTest::keyClick(&menu, Qt::Key_F10);
    QTRY_VERIFY(menu.menuBar()->hasFocus());
    QCOMPARE(menu.menuBar()->activeAction(), menu.item(QStringLiteral("mnuauto")));
    QTest::keyClick(menu.menuBar(), Qt::Key_Right);
    QCOMPARE(menu.menuBar()->activeAction(), menu.item(QStringLiteral("mnufoi")));
    QTest::keyClick(menu.menuBar(), Qt::Key_Escape);
    QVERIFY(!menu.menuBar()->activeAction());
}

QTEST_MAIN(KeysTest)
#include "tst_keys.moc"
