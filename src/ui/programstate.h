#pragma once

#include "db/roles.h"

#include <QString>

namespace vok {

// The little state the windows share for the whole run.
struct ProgramState {
    int passwordAttempts = 1;  // current attempt at the access password
    // Who works: the server's login (the operating-system user on a file)
    // and its role, which says what the windows may do.
    QString login;
    roles::Role role = roles::Role::Owner;
};

} // namespace vok
