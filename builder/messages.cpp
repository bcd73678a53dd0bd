#include "messages.h"

namespace builder {

void showWarningText(const char* text) { MessageBoxA(GetActiveWindow(), text, "", MB_OK | MB_ICONWARNING); }

}  // namespace builder
