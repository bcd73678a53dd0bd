#include "text_table.h"

#include <cstdio>

namespace huevista {
namespace {

constexpr int kTextSize = 1024;  // longer than any text of the table

}  // namespace

std::string loadString(UINT id) {
    char text[kTextSize];
    const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

std::string formatString(UINT id, const char* text) {
    const std::string format = loadString(id);
    char out[kTextSize];
    std::snprintf(out, sizeof out, format.c_str(), text ? text : "");
    return out;
}

std::string formatString(UINT id, int number) {
    const std::string format = loadString(id);
    char out[kTextSize];
    std::snprintf(out, sizeof out, format.c_str(), number);
    return out;
}

}  // namespace huevista
