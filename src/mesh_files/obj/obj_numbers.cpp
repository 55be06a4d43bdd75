// obj_numbers.cpp - see obj_numbers.h.
#include "obj_numbers.h"

#include <cstdlib>
#include <string>

float obj_parse_float_slow(const char* begin, const char* end) {
    const std::string copy(begin, end);
    return static_cast<float>(std::strtod(copy.c_str(), nullptr));
}
