/* Prints the line of one command as ASCII; exits 1 unless it is the expected one. */
#include <stdio.h>
#include <zorvane/electronics_calc.h>

int main(void) {
    static const ZorvaneChar command[] = u"resistors_parallel 1000 2000";
    static const char expected[] = "Parallel Resistance = 666.666667 ?";
    const ZorvaneChar* line = ElectronicsCalc(command);
    int same = 1;
    size_t i = 0;
    for (; line[i] != 0 && expected[i] != '\0'; ++i) {
        putchar((int)line[i]);
        same = same && line[i] == (ZorvaneChar)expected[i];
    }
    putchar('\n');
    return same && line[i] == 0 && expected[i] == '\0' ? 0 : 1;
}
