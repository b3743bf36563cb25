#include "fleet/vehiclebox.h"

#include "fleet/vehiclestore.h"
#include "ui/lists.h"

#include <QComboBox>

namespace vok::lists {

void fillVehicles(QComboBox *list, const QSqlDatabase &db) { refill(list, VehicleStore(db).visibleNumbers()); }

void refillVehiclesOnFocus(QComboBox *list, const QSqlDatabase &db, MessageService *messages)
{
    refillOnEntry(list, messages, [list, db] { fillVehicles(list, db); });
}

} // namespace vok::lists
