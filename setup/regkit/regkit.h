// regkit: the one-line registry command language used by the installer and the remover.
//   [o]a[=b]   o: '+' add (not available), '-' delete, '?' query (default), '!' delete recursively
//              a: key or value path, optionally starting with a root name (HKEY_...)
#pragma once

#include "win32.h"

#ifdef __cplusplus
#define REGKIT_API extern "C" __attribute__((visibility("default")))
#else
#define REGKIT_API __attribute__((visibility("default")))
#endif

// Result codes of a command.
enum RegkitResult {
    REGKIT_DONE = 0,
    REGKIT_BAD_ROOT = -1,
    REGKIT_KEY_OR_STRING = 2,
    REGKIT_NO_SUCH_KEY = 3,
    REGKIT_QUERY_FAILED = 5,
    REGKIT_BAD_OPERATION = 6,
    REGKIT_DELETE_FAILED = 7,
    REGKIT_CLOSE_FAILED = 8,
    REGKIT_RECURSIVE_DELETE_FAILED = 9,
};

// Longest command accepted, in characters.
#define REGKIT_MAX_COMMAND 2048

// Runs one command; returns its result code. An answer that cannot be written to the standard
// output turns a result of 0 into REGKIT_QUERY_FAILED, with a message on standard error.
// Opening a key of the path fails as "no such key" (3) only when it does not exist; any other
// failure prints the system's text and gives REGKIT_QUERY_FAILED for a query,
// REGKIT_DELETE_FAILED for a delete.
REGKIT_API int MainIS(LPCSTR command);
// Joins argv[1] .. argv[argc - 1] with single blanks and runs the result as one command.
REGKIT_API int Main(int argc, char** argv);
