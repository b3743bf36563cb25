#include "ui/lists.h"

#include "base/calendar.h"
#include "ui/fields.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>

namespace vok::lists {

void refill(QComboBox *list, const QStringList &items)
{
    const QString current = list->currentText();
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(items);
    if (list->isEditable()) {
        list->setCurrentIndex(-1);
        list->setEditText(current);
    } else {
        list->setCurrentIndex(items.indexOf(current));
    }
}

void refillOnEntry(QComboBox *list, MessageService *messages, std::function<void()> fill)
{
    fields::onEntryNow(list, messages, std::move(fill));
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
