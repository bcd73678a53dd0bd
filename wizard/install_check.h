// The installation check the wizard runs before anything else: its own program file as the
// store names it, the white point reference file beside it, the monitor INF chain and the
// standard presets beside that chain.
#pragma once

#include <optional>
#include <string>

namespace huevista {

struct CheckFailure {
    std::string file;    // file name (after the last separator) of the path last tried
    std::string reason;  // "not properly installed", "registry not properly set", ...
};

// The five checks in order; the first failure, or nothing when the installation is sound.
// `programPath` is the wizard's own program file.
std::optional<CheckFailure> checkInstallation(const std::string& programPath);

// "%s %s": the file name and the reason, as the message box shows them.
std::string describe(const CheckFailure& failure);

// `path` with its extension (from the last '.' of its file name) replaced by `extension`,
// appended when the file name has none; empty when the result does not fit MAX_PATH.
std::string withExtension(const std::string& path, const char* extension);

// The program's own base name: the file name without its extension ("huevista").
std::string baseNameOf(const std::string& path);

}  // namespace huevista
