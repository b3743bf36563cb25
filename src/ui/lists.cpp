#include "ui/lists.h"

#include "db/calendar.h"
#include "fleet/vehiclestore.h"
#include "ui/guard.h"
#include "ui/messageservice.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

namespace vok::lists {

namespace {

class RefillFilter : public QObject {
public:
    RefillFilter(QComboBox *list, MessageService *messages, std::function<void()> fill)
        : QObject(list)
        , m_list(list)
        , m_messages(messages)
        , m_fill(std::move(fill))
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // The focus going to or coming back from the list's own popup is no
        // entry: refilling then would empty the list under the row being
        // picked. Nor are the focus changes a message box causes.
        if (reason == Qt::PopupFocusReason || MessageService::isShowing())
            return false;
        if (event->type() == QEvent::FocusOut) {
            if (reason != Qt::ActiveWindowFocusReason)
                m_failed = false; // left for another box: the next entry tries again
            return false;
        }
        // After a failure the focus comes back as its message box closes:
        // one failure, one message.
        if (!m_failed)
            m_failed = !guarded(m_messages, m_list->window(), m_fill);
        return false;
    }

private:
    QComboBox *m_list;
    MessageService *m_messages;
    std::function<void()> m_fill;
    bool m_failed = false;
};

} // namespace

void fillVehicles(QComboBox *list, const QSqlDatabase &db)
{
    const QStringList numbers = VehicleStore(db).visibleNumbers();
    const QString typed = list->isEditable() ? list->currentText() : QString();
    const QString chosen = list->currentText();
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(numbers);
    if (list->isEditable()) {
        list->setCurrentIndex(-1);
        list->setEditText(typed);
    } else {
        list->setCurrentIndex(numbers.indexOf(chosen));
    }
}

void refillVehiclesOnFocus(QComboBox *list, const QSqlDatabase &db, MessageService *messages)
{
    refillOnEntry(list, messages, [list, db] { fillVehicles(list, db); });
}

void refillOnEntry(QComboBox *list, MessageService *messages, std::function<void()> fill)
{
    list->installEventFilter(new RefillFilter(list, messages, std::move(fill)));
}

void keepTypedText(QComboBox *list)
{
    // The completer an editable list gets by default completes inline: "CT-1"
    // typed where "CT-12" is listed would become CT-12 at the next Tab.
    list->setCompleter(nullptr);
    // On Enter a list looks for an entry equal to the text, ignoring letter
    // case, and takes it; with duplicates allowed it looks for none.
    list->setDuplicatesEnabled(true);
    list->setInsertPolicy(QComboBox::NoInsert);
}

QString makeCaption(const QString &marca) { return QStringLiteral("Marca si tipul : ") + marca; }

void fillMonths(QComboBox *list)
{
    list->clear();
    list->addItems(monthNames());
}

void fillYears(QComboBox *list)
{
    list->clear();
    const int current = QDate::currentDate().year();
    for (int year = FirstYear; year <= current; ++year)
        list->addItem(QString::number(year));
}

void fillPeriod(QComboBox *years, QComboBox *months)
{
    fillYears(years);
    fillMonths(months);
    years->setCurrentIndex(years->count() - 1);
    months->setCurrentIndex(QDate::currentDate().month() - 1);
}

int chosenMonth(const QComboBox *list)
{
    const int index = monthNames().indexOf(list->currentText());
    return index < 0 ? 0 : index + 1;
}

int chosenYear(const QComboBox *list) { return list->currentText().toInt(); }

} // namespace vok::lists
