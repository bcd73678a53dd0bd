// The X11 display for now answers nothing; the RandR backend follows.
#include "display_backend.h"

namespace winplat::detail {
std::unique_ptr<DisplayBackend> makeX11Display() { return nullptr; }
}  // namespace winplat::detail
