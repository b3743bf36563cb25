#pragma once

#include <QString>

namespace vok {

// The little state the windows share for the whole run.
struct ProgramState {
    int passwordAttempts = 1;  // current attempt at the access password

    // Trip window and its surcharge dialogs.
    int motor = 0;             // engine power class of the vehicle chosen in the trip window
    double urbanDistance = 0;  // km in towns typed in the urban dialog (curse.kmurb)
    double towedDistance = 0;  // km with a towed vehicle typed in the towing dialog (curse.kmtract)

    // Report windows: the last report opened and the choices of that window.
    int lastReport = 0;
    int savedVehicleIndex = -1;
    QString savedVehicleText;
    int savedYearIndex = -1;
    int savedMonthIndex = -1;
};

} // namespace vok
