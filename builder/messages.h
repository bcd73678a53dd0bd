// The builders' only way of reporting a failure: a message box owned by the active window,
// with an empty caption and the warning icon.
#pragma once

#include <string>

#include "winplat.h"

namespace builder {

inline constexpr size_t kMessageSize = 512;

// Shows `text` as it is.
void showWarningText(const char* text);

// `format` with its arguments, formatted in the C locale into at most kMessageSize characters.
template <typename... Args>
std::string formatWarning(const char* format, Args... args) {
    char text[kMessageSize];
    WinplatFormatC(text, sizeof text, format, args...);
    return text;
}

// Shows formatWarning(format, args...).
template <typename... Args>
void showWarning(const char* format, Args... args) {
    showWarningText(formatWarning(format, args...).c_str());
}

}  // namespace builder
