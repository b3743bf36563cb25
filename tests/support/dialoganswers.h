#pragma once

// Answers the program's file dialogs and context menus as the clerk does:
// set up before the click that opens them, they wait for them, type, and
// close them with Enter.

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace vok::test {

// The next file dialog gets `path` typed into its name box, then Enter.
// `*done` turns true once it was answered.
inline void answerFileDialog(const QString &path, bool *done)
{
    *done = false;
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (!name) {
            dialog->reject();
            return;
        }
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, path);
        // The dialog enables its button once it has looked at the name (it
        // reads the folder in the background); Enter before that does nothing.
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *accept = buttons ? buttons->button(dialog->acceptMode() == QFileDialog::AcceptSave
                                                            ? QDialogButtonBox::Save
                                                            : QDialogButtonBox::Open)
                                      : nullptr;
        for (int tries = 0; tries < 100 && dialog->isVisible(); ++tries) {
            if (accept && !accept->isEnabled()) {
                QTest::qWait(20);
                continue;
            }
            // The name box completes paths in a popup of its own; Escape closes it.
            if (name->completer() && name->completer()->popup() && name->completer()->popup()->isVisible())
                QTest::keyClick(name->completer()->popup(), Qt::Key_Escape);
            QTest::keyClick(name, Qt::Key_Return);
            if (dialog->isVisible())
                QTest::qWait(20);
        }
        *done = true;
    });
    poll->start();
}

// Opens the context menu of `widget` as a right click at its centre does,
// and picks its entry number `entry` (from 0) with the arrow keys and Enter.
// Returns the texts of the menu's entries.
inline QStringList chooseFromContextMenu(QWidget *widget, int entry)
{
    auto texts = std::make_shared<QStringList>();
    QTimer::singleShot(0, [texts, entry] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions())
            texts->append(a->text());
        for (int i = 0; i <= entry; ++i)
            QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    return *texts;
}

} // namespace vok::test
