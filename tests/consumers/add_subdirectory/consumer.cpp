#include <cstdio>
#include <string>

#include "zorvane/electronics_calc.h"

int main() {
    const std::u16string line = ElectronicsCalc(u"power_vi 12 0.5");
    std::printf("%s\n", std::string(line.begin(), line.end()).c_str());
    return line == u"Power = 6.000000 W" ? 0 : 1;
}
