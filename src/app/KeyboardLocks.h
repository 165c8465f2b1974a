#pragma once

// The state of the Caps Lock, Num Lock and Scroll Lock keys for the status bar's indicator panes.

namespace kv {

struct KeyboardLocks {
    bool known = false;  // false where the window system does not tell
    bool caps = false;
    bool num = false;
    bool scroll = false;

    static KeyboardLocks Read();
};

}  // namespace kv
