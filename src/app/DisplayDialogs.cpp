#include "app/DisplayDialogs.h"

namespace kv {

bool RunDisplaySheet(QWidget*, DisplaySheet&, int&) {
    return false;
}

bool RunDisplayOptionsSheet(QWidget*, DisplayOptionsSheet&, int&) {
    return false;
}

}  // namespace kv
