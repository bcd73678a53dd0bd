// The export marker of vltutil, shared by its public headers.
#pragma once

#ifdef __cplusplus
#define VLTUTIL_API extern "C" __attribute__((visibility("default")))
#else
#define VLTUTIL_API __attribute__((visibility("default")))
#endif
