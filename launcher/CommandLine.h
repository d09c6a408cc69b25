// Splits the command tail into arguments: "/" and tab separate, quotes group and vanish.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace td {

// Element 0 of the result is always empty; the arguments follow from element 1.
// At most maxArgs arguments are collected; a negative maxArgs throws RunError 9.
std::vector<std::string> SplitCommandTail(std::string_view tail, char quote, int maxArgs);

}  // namespace td
