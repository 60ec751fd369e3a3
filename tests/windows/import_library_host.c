/* Linked against ZorvaneCalculatorElectronics.lib, the import library made
 * for Microsoft's linker, rather than the mingw-w64 linker's own .dll.a: the
 * loader resolves the call through that library's import names, which must
 * be the DLL's one export, with a 32-bit __cdecl function's decoration. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

#include "zorvane/electronics_calc.h"

static const struct {
    const wchar_t* command;
    const wchar_t* expected;
} cases[] = {
    {L"power_vi 12 0.5", L"Power = 6.000000 W"},
    {L"ohms_current 12 1000", L"Current = 0.012000 A"},
    {L"junction_temperature 25 10 2", L"Junction Temperature = 45.000000 \u00b0C"},
    {L"ohms_voltage 2.5", L"Error: Unknown formula 'ohms_voltage' or insufficient parameters"},
    {L"", L""},
};

int main(void) {
    int failures = 0;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const wchar_t* line = ElectronicsCalc(cases[i].command);
        if (wcscmp(line, cases[i].expected) != 0) {
            printf("FAIL '%ls': got '%ls'\n", cases[i].command, line);
            ++failures;
        }
    }
    /* The import resolved to the export of the DLL this process loaded. */
    HMODULE module = GetModuleHandleW(L"ZorvaneCalculatorElectronics.dll");
    FARPROC exported = module != NULL ? GetProcAddress(module, "ElectronicsCalc") : NULL;
    if (exported == NULL || (void (*)(void))exported != (void (*)(void))ElectronicsCalc) {
        printf("FAIL the imported ElectronicsCalc is not the DLL's export\n");
        ++failures;
    }
    printf("import library host: %u lines and the import checked, %d failed\n",
           (unsigned)(sizeof cases / sizeof cases[0]), failures);
    return failures == 0 ? 0 : 1;
}
