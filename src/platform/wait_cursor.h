#pragma once
// The wait cursor over every window of the program while a long step runs on the
// user-interface thread. Nests: each one restores exactly what it set.

namespace dovrane::platform {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace dovrane::platform
