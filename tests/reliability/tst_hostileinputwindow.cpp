// Runs on SQLite only: files, locks and killed processes of a data folder.
// Every text box of every window takes any text without a crash: each window
// the main menu opens (and the utilities of the vehicle window, the dialogs of
// the trip window and the password windows) is opened on a database holding a
// small fleet with trip sheets, and a hostile corpus is typed into each line
// box, editable list and editable grid cell, leaving the box each time. Every
// question is answered No; a dialog a box opens on leaving is closed. Then the
// window is still there and both files pass PRAGMA integrity_check.
#include "../reports/reportfixture.h"

#include "app/passwordwindows.h"
#include "db/database.h"
#include "db/passwordstore.h"
#include "fleet/consumwindow.h"
#include "fleet/normativwindow.h"
#include "fleet/partswindow.h"
#include "fleet/settingswindow.h"
#include "fleet/uleiardwindow.h"
#include "fleet/uleiwindow.h"
#include "fleet/vehiclewindow.h"
#include "fuel/refuelwindow.h"
#include "months/activitywindow.h"
#include "reports/fleetwindow.h"
#include "trips/loaddialog.h"
#include "trips/towingdialog.h"
#include "trips/tripwindow.h"
#include "trips/urbandialog.h"
#include "windowtest.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace vok;

namespace {

QStringList hostileCorpus()
{
    const QString combining = QStringLiteral("e") + QString(200, QChar(0x0301));
    return {
        QString(40000, u'W'),                                   // beyond any box's length
        QString(2000, u'9'),                                    // a long digit run
        QStringLiteral("1e308"), QStringLiteral("-0"), QStringLiteral("NaN"), QStringLiteral("-1e-308"),
        QStringLiteral("inf"), QStringLiteral("99999999999999999999"), QStringLiteral("12,5"), QStringLiteral("0x1F"),
        QStringLiteral("'; DROP TABLE auto; --"), QStringLiteral("\" OR 1=1 --"), QStringLiteral("''"),
        QStringLiteral("\"\""), QStringLiteral("SELECT * FROM foaie WHERE 1=1"),
        QStringLiteral("{foaie.anul}=1 or 1=1"), QStringLiteral("%s%n%d\\"),
        QStringLiteral("a\tb\nc\rd") + QChar(0) + QStringLiteral("\x01\x1b\x7f"),
        QStringLiteral("\u202Eabc\u202C 123"), QStringLiteral("\u05E9\u05DC\u05D5\u05DD 12"),
        QStringLiteral("\u0645\u0631\u062D\u0628\u0627 \u0663\u0664"), combining,
        QStringLiteral("\U0001F697\U0001F69A\u26FD"), QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"),
        QString(1, QChar(0xD800)) + QStringLiteral("x"), QStringLiteral("x") + QString(1, QChar(0xDFFF)),
        QStringLiteral("\uFF11\uFF12"), QStringLiteral(" "), QString(), QStringLiteral("-"), QStringLiteral("."),
    };
}

// Typed key by key: short texts of printable characters (a control character
// typed would be a key such as Escape or Enter, not text).
bool typable(const QString &text)
{
    if (text.size() > 40)
        return false;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

// Key by key as the keyboard gives them; a character without a key of its
// own comes as the text of an unknown key, as an input method sends it.
void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QApplication::sendEvent(widget, &release);
        }
    }
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QString describe(QWidget *box)
{
    QString name = box->objectName();
    for (QWidget *p = box->parentWidget(); name.isEmpty() && p; p = p->parentWidget())
        name = p->objectName();
    return QString::fromLatin1(box->metaObject()->className()) + u' ' + name;
}

QString shown(const QString &text)
{
    QString s = text.left(40);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.isSurrogate())
            c = u'\u00B7';
    return QStringLiteral("\"%1\" (%2 chars)").arg(s).arg(text.size());
}

// The boxes of a window that take text, in tab order.
QList<QWidget *> textBoxes(QWidget *window)
{
    QList<QWidget *> boxes;
    QWidget *w = window;
    for (int guard = 0; guard < 1000; ++guard) {
        w = w->nextInFocusChain();
        if (!w || w == window)
            break;
        if (w->window() != window || boxes.contains(w))
            continue;
        if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            // the line of an editable list or a spin box is typed through its owner
            if (qobject_cast<QComboBox *>(edit->parentWidget()) || qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
                continue;
            boxes << edit;
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            if (combo->isEditable())
                boxes << combo;
        } else if (qobject_cast<QTableView *>(w)) {
            boxes << w;
        }
    }
    return boxes;
}

struct Counts {
    int windows = 0;
    int boxes = 0;
    int cells = 0;
    qint64 typed = 0;
    int dialogsClosed = 0;
};

class HostileTyping {
public:
    HostileTyping(test::TestEnvironment &env, QDialog *window, Counts &counts)
        : m_env(env)
        , m_window(window)
        , m_counts(counts)
    {
        // A dialog that leaving a box opens (the trip window's surcharges) is
        // closed as soon as it shows: the test types into the windows it
        // opened itself.
        m_watch.setInterval(10);
        QObject::connect(&m_watch, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != m_window && !m_allowed.contains(modal)) {
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
                else
                    modal->close();
                ++m_counts.dialogsClosed;
            }
        });
        m_watch.start();
    }

    void allow(QWidget *window) { m_allowed << window; }

    // Empty when the window lived through it; else what happened.
    QString run()
    {
        ++m_counts.windows;
        prime();
        const QList<QWidget *> boxes = textBoxes(m_window); // none in the windows of lists only
        const QStringList corpus = hostileCorpus();
        int typedInto = 0;
        for (QWidget *box : boxes) {
            ++m_counts.boxes;
            if (box->isEnabled())
                ++typedInto;
            for (const QString &text : corpus) {
                if (!m_window || !m_window->isVisible())
                    return QStringLiteral("the window closed after %1 in %2").arg(m_last, describe(box));
                if (!box->isEnabled() || !box->isVisibleTo(m_window))
                    continue;
                if (auto *view = qobject_cast<QTableView *>(box))
                    typeIntoCells(view, text);
                else
                    typeInto(box, text);
                m_last = shown(text) + QStringLiteral(" in ") + describe(box);
            }
        }
        if (!m_window || !m_window->isVisible())
            return QStringLiteral("the window closed after %1").arg(m_last);
        qInfo("%s: %d text boxes, %d of them open to typing", qPrintable(m_window->objectName()),
              int(boxes.size()), typedInto);
        return {};
    }

private:
    // Picks the first vehicle and sheet of every list, so that the boxes
    // that wait for them open.
    void prime()
    {
        for (int round = 0; round < 2; ++round) {
            for (QComboBox *combo : m_window->findChildren<QComboBox *>()) {
                if (!combo->isEnabled() || !combo->isVisibleTo(m_window))
                    continue;
                combo->setFocus(Qt::TabFocusReason);
                settle();
                if (combo->count() == 0)
                    continue;
                combo->setCurrentIndex(0);
                emit combo->activated(0);
                emit combo->textActivated(combo->itemText(0));
                settle();
            }
        }
        for (QCheckBox *box : m_window->findChildren<QCheckBox *>()) {
            if (box->isEnabled() && box->isVisibleTo(m_window) && !box->isChecked()) {
                box->click();
                settle();
            }
        }
    }

    void leave(QWidget *box)
    {
        QWidget *focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : box, Qt::Key_Tab);
        settle();
        ++m_counts.typed;
    }

    void typeInto(QWidget *box, const QString &text)
    {
        box->setFocus(Qt::TabFocusReason);
        settle();
        QLineEdit *edit = qobject_cast<QLineEdit *>(box);
        if (auto *combo = qobject_cast<QComboBox *>(box))
            edit = combo->lineEdit();
        if (!edit || !m_window)
            return;
        edit->selectAll();
        if (typable(text) && !text.isEmpty())
            typeKeys(edit, text);
        else
            edit->insert(text); // pasted
        if (m_window)
            leave(box);
    }

    void typeIntoCells(QTableView *view, const QString &text)
    {
        QAbstractItemModel *model = view->model();
        if (!model)
            return;
        const int rows = std::min(model->rowCount(), 2);
        for (int row = 0; row < rows && m_window; ++row) {
            for (int column = 0; column < model->columnCount() && m_window; ++column) {
                if (view->isColumnHidden(column) || row >= model->rowCount())
                    continue;
                const QModelIndex index = model->index(row, column);
                if (!(model->flags(index) & Qt::ItemIsEditable))
                    continue;
                view->setFocus(Qt::TabFocusReason);
                view->setCurrentIndex(index);
                view->edit(index);
                settle();
                QWidget *editor = QApplication::focusWidget();
                if (!editor || editor == view)
                    continue;
                if (row == 0 && text == hostileCorpus().constFirst())
                    ++m_counts.cells;
                if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
                    edit->selectAll();
                    edit->insert(text);
                } else if (typable(text)) {
                    typeKeys(editor, text);
                }
                leave(editor);
            }
        }
    }

    test::TestEnvironment &m_env;
    QPointer<QDialog> m_window;
    Counts &m_counts;
    QTimer m_watch;
    QList<QWidget *> m_allowed;
    QString m_last;
};

using Factory = std::function<std::unique_ptr<QDialog>(const WindowContext &)>;

template <typename Window> Factory make()
{
    return [](const WindowContext &context) { return std::make_unique<Window>(context); };
}

} // namespace

Q_DECLARE_METATYPE(Factory)

class HostileInputWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyBoxTakesAnyText_data();
    void everyBoxTakesAnyText();
    void tripDialogsTakeAnyText_data();
    void tripDialogsTakeAnyText();
    void cleanupTestCase();

private:
    Counts m_counts;
    void check(test::TestEnvironment &env, QDialog *window, QDialog *owner = nullptr);
};

void HostileInputWindowTest::check(test::TestEnvironment &env, QDialog *window, QDialog *owner)
{
    QVERIFY(test::showActive(window));
    QString failure;
    {
        HostileTyping typing(env, window, m_counts);
        if (owner)
            typing.allow(owner);
        failure = typing.run();
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(window->isVisible());
    window->reject();
    settle();
    QCOMPARE(scalar(env.db(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    if (!env.onServer())
        QCOMPARE(scalar(env.sys(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    // The fleet is still there.
    QVERIFY(scalar(env.db(), QStringLiteral("SELECT COUNT(*) FROM curse")).toInt() >= 1);
    QVERIFY2(env.messages().problems().isEmpty(), qPrintable(env.messages().problems().join(u'\n')));
}

void HostileInputWindowTest::everyBoxTakesAnyText_data()
{
    QTest::addColumn<Factory>("factory");
    QTest::addColumn<bool>("password");
    QTest::newRow("auto") << make<VehicleWindow>() << false;
    QTest::newRow("foaie") << make<TripWindow>() << false;
    QTest::newRow("alim") << make<RefuelWindow>() << false;
    QTest::newRow("foaieaz") << make<ActivityWindow>() << false;
    QTest::newRow("piese") << make<PartsWindow>() << false;
    QTest::newRow("central") << make<FleetWindow>() << false;
    QTest::newRow("setari") << make<SettingsWindow>() << false;
    QTest::newRow("normativ") << make<NormativWindow>() << false;
    QTest::newRow("consum") << make<ConsumWindow>() << false;
    QTest::newRow("ulei") << make<UleiWindow>() << false;
    QTest::newRow("uleiard") << make<UleiardWindow>() << false;
    QTest::newRow("par1") << make<SetPasswordWindow>() << false;
    QTest::newRow("par2") << make<ChangePasswordWindow>() << true;
    QTest::newRow("prompt") << make<PromptWindow>() << true;
}

void HostileInputWindowTest::everyBoxTakesAnyText()
{
    QFETCH(Factory, factory);
    QFETCH(bool, password);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    if (password)
        PasswordStore(env.sys()).set(QStringLiteral("secret"));
    env.messages().setDefaultAnswer(false);
    const std::unique_ptr<QDialog> window = factory(env.context());
    check(env, window.get());
}

void HostileInputWindowTest::tripDialogsTakeAnyText_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("load") << 0;
    QTest::newRow("towing") << 1;
    QTest::newRow("urban") << 2;
}

void HostileInputWindowTest::tripDialogsTakeAnyText()
{
    QFETCH(int, which);
    test::TestEnvironment env;
    test::insertReportFixture(env);
    env.messages().setDefaultAnswer(false);
    TripWindow trip(env.context());
    QVERIFY(test::showActive(&trip));
    std::unique_ptr<QDialog> dialog;
    if (which == 0)
        dialog = std::make_unique<LoadDialog>(env.context(), &trip);
    else if (which == 1)
        dialog = std::make_unique<TowingDialog>(env.context(), 0, 0, &trip);
    else
        dialog = std::make_unique<UrbanDialog>(env.context(), 0.0, &trip);
    check(env, dialog.get(), &trip);
}

void HostileInputWindowTest::cleanupTestCase()
{
    qInfo("%d windows, %d text boxes, %d grid cells, %lld texts typed and left, %d dialogs closed",
          m_counts.windows, m_counts.boxes, m_counts.cells, m_counts.typed, m_counts.dialogsClosed);
}

QTEST_MAIN(HostileInputWindowTest)
#include "tst_hostileinputwindow.moc"
