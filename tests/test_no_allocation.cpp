// A call never allocates on the heap: the C allocator is interposed for this
// test binary and counts what is allocated while the calls run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "zorvane_host/host.h"
#include "zorvane/electronics_calc.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void note() {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

// NOLINTBEGIN: these replace the C library's allocator for this binary.
extern "C" void* malloc(std::size_t size) {
    note();
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    note();
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* pointer, std::size_t size) {
    note();
    return __libc_realloc(pointer, size);
}
extern "C" void* memalign(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}
extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) {
    note();
    return __libc_memalign(alignment, size);
}
extern "C" int posix_memalign(void** pointer, std::size_t alignment, std::size_t size) {
    note();
    *pointer = __libc_memalign(alignment, size);
    return *pointer == nullptr ? 12 : 0;
}
extern "C" void free(void* pointer) { __libc_free(pointer); }
// NOLINTEND

namespace {

TEST(NoAllocation, TheCounterSeesAllocations) {
    counting = true;
    const long before = allocations.load();
    auto* probe = new std::string(100, 'x');
    counting = false;
    delete probe;
    EXPECT_GT(allocations.load(), before);
}

TEST(NoAllocation, AMillionCallsAllocateNothing) {
    const std::vector<std::u16string> commands = {
        u"power_vi 12 0.5",
        u"Capacitor_Reactance 1000 0.000001",
        u"impedance_rlc_series 100 1000 0.01 0.000001 extra",
        u"db_to_power_ratio 600",                // "%.6e"
        u"ohms_voltage 1e300 1e8",               // "%.6f" through the library
        u"power_vi 0.1234567890123456789012 3",  // parsing through the library
        u"characteristic_impedance_coax 1 10",   // a shortened echo
        u"no_such 1 x",                          // an invalid number
        u"  ",
        u"thermal_resistance 50 10 \u20AC\U0001F600",
        std::u16string(300, u'9'),  // too long
        u"antenna_gain_db -1 1",    // not a number
    };
    for (const auto& command : commands) ElectronicsCalc(command.c_str());  // warm-up
    allocations = 0;
    counting = true;
    for (int i = 0; i < 1'000'000; ++i) {
        ElectronicsCalc(commands[static_cast<std::size_t>(i) % commands.size()].c_str());
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

// The hosts' calculator keeps its buffers: once they have grown, a line
// without input notation allocates nothing, its engineering line included.
TEST(NoAllocation, TheHostsCalculatorReusesItsBuffers) {
    const std::vector<std::string> commands = {
        "power_vi 12 0.5",
        "capacitor_reactance 1000 0.000001",
        "db_to_power_ratio 600",
        "nosuch 1 2",
        "ohms_current 12",
        "power_vi 1 x",
        "  ",
        "thermal_resistance 50 10 \xE2\x82\xAC",
    };
    zorvane::host::Calculator calculator;
    for (const auto& command : commands) calculator.evaluate(command);  // warm-up
    allocations = 0;
    counting = true;
    for (int i = 0; i < 100'000; ++i) {
        calculator.evaluate(commands[static_cast<std::size_t>(i) % commands.size()]);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
