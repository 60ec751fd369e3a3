/* Compiled with __stdcall as the default convention (-mrtd). Were the
 * header silent about the convention, this call would look for
 * _ElectronicsCalc@4 and not link, or unbalance the stack. */
#include <stdio.h>
#include <wchar.h>

#include "zorvane/electronics_calc.h"

int __cdecl main(void) {
    const wchar_t* line = ElectronicsCalc(L"power_vi 12 0.5");
    if (wcscmp(line, L"Power = 6.000000 W") != 0) {
        printf("FAIL power_vi 12 0.5 through a __stdcall-default caller\n");
        return 1;
    }
    printf("a __stdcall-default caller gets: Power = 6.000000 W\n");
    return 0;
}
