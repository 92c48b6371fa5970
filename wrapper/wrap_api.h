#pragma once
// What libpyrawrap exports: the class and the few functions marked with
// this; everything else in the library stays hidden.
#if defined(__GNUC__)
#define PYRA_WRAP_API __attribute__((visibility("default")))
#else
#define PYRA_WRAP_API
#endif
