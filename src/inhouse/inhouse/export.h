#pragma once
// Symbols of the in-house library that the host and the module see. Exception classes must be
// exported too, or a throw in one library is not caught by type in another.
#if defined(INHOUSE_BUILD)
#define INHOUSE_EXPORT __attribute__((visibility("default")))
#else
#define INHOUSE_EXPORT __attribute__((visibility("default")))
#endif
