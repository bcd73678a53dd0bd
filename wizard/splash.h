// The splash screen: a borderless picture centred on the work area for three seconds, or until
// a key or mouse button is pressed. Only its bitmap is shown (no video or sound).
#pragma once

#include <string>
#include <vector>

#include "win32.h"

namespace huevista {

inline constexpr char kSplashClass[] = "Huevista Splash";
inline constexpr UINT kSplashTime = 3000;

// Whether the command line lets the splash show: not when the program runs embedded or for
// automation ("-Embedding", "/Automation", ..., any case).
bool commandLineAllowsSplash(const std::vector<std::string>& arguments);
// The splash bitmap: the program's folder, then GetSpectrineOEMString's "Splash" name without
// its extension (else the program's own base name), then ".bmp".
std::string splashFile(const std::string& programPath);
// Shows the splash and runs messages until it is gone; nothing when the bitmap cannot be loaded.
void showSplash(HINSTANCE instance, const std::string& programPath);

}  // namespace huevista
