// The export marker of vltutil and the layout checks of its records, shared by its public
// headers (and the builders', which include them).
#pragma once

#ifdef __cplusplus
#define VLTUTIL_API extern "C" __attribute__((visibility("default")))
#else
#define VLTUTIL_API __attribute__((visibility("default")))
#endif

// A check of a record's layout at compile time, in C and C++ alike.
#ifdef __cplusplus
#define SPECTRINE_STATIC_ASSERT static_assert
#else
#define SPECTRINE_STATIC_ASSERT _Static_assert
#endif
