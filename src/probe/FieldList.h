#pragma once

// Settings values list their fields once, in a function template that calls
// visit(name, field of each value) per field; the values passed may be const or not, so one list
// serves readers, writers and copies (a copy visits two values at once).

#include <type_traits>

namespace kv {

// T is the settings value `Value`, const or not.
template <class T, class Value>
concept FieldsOf = std::is_same_v<std::remove_const_t<T>, Value>;

}  // namespace kv
