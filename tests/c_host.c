/* A host written in C: the public header must compile as C and the entry
   point must be callable with C linkage. */
#include <stdio.h>
#include <zorvane/electronics_calc.h>

int main(void) {
    static const ZorvaneChar command[] = u"power_vi 12 0.5";
    static const char expected[] = "Power = 6.000000 W";
    const ZorvaneChar* line = ElectronicsCalc(command);
    size_t i = 0;
    for (; expected[i] != '\0'; ++i) {
        if (line[i] != (ZorvaneChar)expected[i]) {
            fprintf(stderr, "mismatch at %zu\n", i);
            return 1;
        }
    }
    return line[i] == 0 ? 0 : 1;
}
