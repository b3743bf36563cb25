#include "ui/widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>

namespace vok::widgets {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel *labelFor(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void tabToChecked(QButtonGroup *group)
{
    // Qt leaves the Tab stop on the button that had the focus last, or on
    // every button before one had it: the checked one takes it here.
    const auto update = [group] {
        QAbstractButton *checked = group->checkedButton();
        for (QAbstractButton *button : group->buttons()) {
            const bool stop = !checked || button == checked;
            button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
        }
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, update);
    update();
}

void setBold(QWidget *widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

QLabel *boldNote(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    setBold(label);
    return label;
}

} // namespace vok::widgets
