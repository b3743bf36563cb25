#include "control/measurebox.h"

#include "base/numbers.h"
#include "base/texts.h"
#include "control/measures.h"
#include "ui/fields.h"
#include "ui/messageservice.h"

#include <QLineEdit>

namespace vok::control {

void measureBox(QLineEdit *box, MessageService *messages, const QString &mask, const QString &negativeMessage,
                std::function<bool()> then)
{
    fields::selectAllOnEntry(box);
    fields::onLeave(box, [box, messages, mask, negativeMessage, then] {
        bool ok = true;
        const std::optional<double> value = measuredValue(box->text(), &ok);
        if (!ok) {
            messages->inform(box->window(), texts::onlyNumbers());
            return false;
        }
        if (value && *value < 0) {
            messages->inform(box->window(), negativeMessage);
            return false;
        }
        const QString text = measuredText(value, mask);
        if (text != box->text())
            box->setText(text);
        return !then || then();
    });
}

} // namespace vok::control
