// A plug-in extension for the plug-in tests: every block it is handed is appended to
// $SPECTRINE_ROOT/plugin-<tag>.bin (920 bytes a call), and the tag of every call to
// $SPECTRINE_ROOT/plugin-calls.txt, so a test sees what each extension received and in which
// order the extensions were called. It also scribbles over the block it was given, to show
// that nothing it does reaches the next extension or the stored block.
#include <cstdio>
#include <cstdlib>
#include <string>

#ifndef PLUGIN_DOUBLE_TAG
#define PLUGIN_DOUBLE_TAG "A"
#endif

extern "C" __attribute__((visibility("default"))) int SpectrinePlugInExtension(unsigned char* block) {
    const char* root = std::getenv("SPECTRINE_ROOT");
    if (!root || !block) return 0;
    std::string base = std::string(root) + "/plugin-";
    if (std::FILE* f = std::fopen((base + PLUGIN_DOUBLE_TAG ".bin").c_str(), "ab")) {
        std::fwrite(block, 1, 920, f);
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen((base + "calls.txt").c_str(), "a")) {
        std::fputs(PLUGIN_DOUBLE_TAG "\n", f);
        std::fclose(f);
    }
    for (int i = 0; i < 920; ++i) block[i] = 0xEE;
    return 1;
}
