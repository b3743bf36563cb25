#pragma once

namespace vok {

// The little state the windows share for the whole run.
struct ProgramState {
    int passwordAttempts = 1;  // current attempt at the access password
};

} // namespace vok
