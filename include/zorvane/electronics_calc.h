/*
 * ZorvaneCalculatorElectronics: a calculator module for electronics formulas.
 *
 * One command line in, one result line out:
 *
 *     ElectronicsCalc(u"power_vi 12 0.5")  ->  u"Power = 6.000000 W"
 *
 * Contract:
 *   - `command` is a zero-terminated string of 16-bit (UTF-16) code units;
 *     a null pointer is answered with an empty line.
 *   - The result is never null. It points into the module's own buffer of
 *     at most 79 characters and a terminator; the text stays valid and
 *     unchanged until the next call, which overwrites it. Do not free it.
 *   - Calls must not overlap: the result buffer is shared by all callers.
 *   - Locale-independent, never throws, never allocates on the heap.
 *   - The C calling convention (__cdecl on 32-bit Windows, whatever the
 *     caller's default), so any host declares it the same way.
 *   - Linking the static library, define ZORVANE_STATIC (its CMake package
 *     does).
 */
#ifndef ZORVANE_ELECTRONICS_CALC_H
#define ZORVANE_ELECTRONICS_CALC_H

#if defined(_WIN32)
#include <wchar.h>
typedef wchar_t ZorvaneChar;
#if defined(ZORVANE_STATIC)
#define ZORVANE_API
#elif defined(ZORVANE_BUILDING_LIBRARY)
#define ZORVANE_API __declspec(dllexport)
#else
#define ZORVANE_API __declspec(dllimport)
#endif
#if defined(_WIN64)
#define ZORVANE_CALL
#else
#define ZORVANE_CALL __cdecl
#endif
#else
#if defined(__cplusplus)
typedef char16_t ZorvaneChar;
#else
#include <uchar.h>
typedef char16_t ZorvaneChar;
#endif
#define ZORVANE_API __attribute__((visibility("default")))
#define ZORVANE_CALL
#endif

#if defined(__cplusplus)
extern "C" {
#endif

ZORVANE_API const ZorvaneChar* ZORVANE_CALL ElectronicsCalc(const ZorvaneChar* command);

#if defined(__cplusplus)
}
#endif

#endif /* ZORVANE_ELECTRONICS_CALC_H */
