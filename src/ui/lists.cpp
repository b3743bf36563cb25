#include "ui/lists.h"

#include "db/calendar.h"
#include "fleet/vehiclestore.h"
#include "ui/guard.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

namespace vok::lists {

namespace {

class RefillFilter : public QObject {
public:
    RefillFilter(QComboBox *list, const QSqlDatabase &db, MessageService *messages)
        : QObject(list)
        , m_list(list)
        , m_db(db)
        , m_messages(messages)
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        // The focus coming back from the list's own popup is no entry: refilling
        // then would empty the list under the row being picked.
        if (event->type() == QEvent::FocusIn
            && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            guarded(m_messages, m_list->window(), [this] { fillVehicles(m_list, m_db); });
        return false;
    }

private:
    QComboBox *m_list;
    QSqlDatabase m_db;
    MessageService *m_messages;
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
    list->installEventFilter(new RefillFilter(list, db, messages));
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
