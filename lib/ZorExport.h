// Export marker for the classes that hosts of ZorLib may use. The shared
// library is built with hidden visibility, so everything without this marker
// stays inside. Users of the static build define ZORLIB_STATIC (its CMake
// target does so): there is nothing to import from a library linked in.
#pragma once

#if defined(ZORLIB_STATIC)
#define ZORLIB_API
#elif defined(_WIN32)
#if defined(ZORLIB_BUILDING)
#define ZORLIB_API __declspec(dllexport)
#else
#define ZORLIB_API __declspec(dllimport)
#endif
#else
#define ZORLIB_API __attribute__((visibility("default")))
#endif
