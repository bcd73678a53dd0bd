// The builders' only way of reporting a failure: a message box owned by the active window,
// with an empty caption and the warning icon.
#pragma once

namespace builder {

// The text is formatted into at most 512 characters (integers and texts only).
void showWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace builder
