// A library that calls a function no library supplies: the loader refuses it when every
// reference must be resolved at load time, and takes it when they may wait.
#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" int WinplatNowhereToBeFound(int);

DOUBLE_EXPORT int WinplatUnresolvedCall(int x) { return WinplatNowhereToBeFound(x); }
