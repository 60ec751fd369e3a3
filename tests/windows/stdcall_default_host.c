/* Compiled with __stdcall as the default convention (-mrtd). Were the
 * header silent about the convention, each call would leave its argument on
 * the stack (caller and callee each expecting the other to pop it), and a
 * million calls would overflow the stack. */
#include <stdio.h>
#include <wchar.h>

#include "zorvane/electronics_calc.h"

int __cdecl main(void) {
    for (long i = 0; i < 1000000; ++i) ElectronicsCalc(L"");
    const wchar_t* line = ElectronicsCalc(L"power_vi 12 0.5");
    if (wcscmp(line, L"Power = 6.000000 W") != 0) {
        printf("FAIL power_vi 12 0.5 through a __stdcall-default caller\n");
        return 1;
    }
    printf("a million calls from a __stdcall-default caller, then: Power = 6.000000 W\n");
    return 0;
}
