// A Windows host of the DLL: loads it as a host application does, runs the
// shared vector files through it (their questions through the hosts' solver
// as built for Windows), checks two calls through one pointer and
// reads the version record back. Exits non-zero on any difference.
//
//   windows_host.exe VECTOR_FILE...
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "support/vector_check.h"
#include "support/vector_file.h"
#include "zorvane/electronics_calc.h"
#include "zorvane_host/host.h"

namespace {

// The declaration's calling convention: __cdecl on 32-bit Windows.
using Entry = decltype(&ElectronicsCalc);

int failures = 0;

void fail(const std::string& what) {
    ++failures;
    std::printf("FAIL %s\n", what.c_str());
}

std::wstring to_wide(const std::u16string& text) { return {text.begin(), text.end()}; }

std::u16string to_u16(const wchar_t* text) {
    std::u16string out;
    for (; *text != L'\0'; ++text) out += static_cast<char16_t>(*text);
    return out;
}

zorvane_test::VectorTally run_vectors(Entry calc, const char* file) {
    const zorvane_test::Calculator calculate = [calc](const std::u16string& command) {
        std::string utf8;
        zorvane::host::append_utf8_from_utf16(command, utf8);
        if (!zorvane::host::is_question(utf8)) return to_u16(calc(to_wide(command).c_str()));
        std::u16string line;
        zorvane::host::append_utf16_from_utf8(zorvane::host::solve(utf8).line, line);
        return line;
    };
    return zorvane_test::check_vector_file(file, calculate);
}

std::uint16_t x87_control_word() {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

void set_x87_control_word(std::uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word)); }

// A host's start-up code leaves the x87 unit at 53 or 64 bits of precision;
// the lines must be the same under both, and a call must leave the host's
// setting as it was.
void check_independent_of_x87_precision(Entry calc, const char* file) {
    constexpr std::uint16_t PRECISION_53_BITS = 0x027F;
    constexpr std::uint16_t PRECISION_64_BITS = 0x037F;
    const std::uint16_t host_word = x87_control_word();
    int differing = 0;
    int changed = 0;
    for (const auto& vector : zorvane_test::load_vectors(file)) {
        const std::wstring command = to_wide(vector.command);
        set_x87_control_word(PRECISION_64_BITS);
        const std::wstring extended = calc(command.c_str());
        set_x87_control_word(PRECISION_53_BITS);
        const std::wstring standard = calc(command.c_str());
        changed += x87_control_word() != PRECISION_53_BITS ? 1 : 0;
        differing += extended != standard ? 1 : 0;
    }
    set_x87_control_word(host_word);
    std::printf("x87 precision of the host: %d lines differ between 53 and 64 bits\n", differing);
    if (differing != 0) fail("the lines depend on the host's x87 precision");
    if (changed != 0) fail("a call changed the host's x87 control word");
}

void check_two_calls(Entry calc) {
    const wchar_t* first = calc(L"power_vi 12 0.5");
    if (std::wstring(first) != L"Power = 6.000000 W") fail("power_vi 12 0.5");
    const wchar_t* second = calc(L"junction_temperature 25 2 10");
    if (second != first) fail("the second call returned another pointer");
    if (std::wstring(first) != L"Junction Temperature = 45.000000 \u00B0C") {
        fail("the first pointer does not show the second line");
    }
    std::printf("junction_temperature 25 2 10 -> ");
    for (const wchar_t* c = first; *c != L'\0'; ++c) {
        if (*c < 0x80) {
            std::putchar(static_cast<char>(*c));
        } else {
            std::printf("<U+%04X>", static_cast<unsigned>(*c));
        }
    }
    std::printf("\n");
}

void check_version_record(HMODULE module) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    std::string record(size, '\0');
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, record.data())) {
        fail("no version record");
        return;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed->dwFileVersionMS != 0x00010000 || fixed->dwFileVersionLS != 0x00000001 ||
        fixed->dwProductVersionMS != 0x00010000 || fixed->dwProductVersionLS != 0x00000001) {
        fail("file and product version are not 1.0.0.1");
    }
    WORD* translation = nullptr;
    if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4 || translation[0] != 0x0409 || translation[1] != 1200) {
        fail("translation is not 0x0409, 1200");
    }
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } entries[] = {
        {L"CompanyName", L""},
        {L"FileDescription", L"ZorvaneCalculatorElectronics DLL"},
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"InternalName", L"ZorvaneCalculatorElectronics"},
        {L"LegalTrademarks", L""},
        {L"OLESelfRegister", L""},
        {L"OriginalFilename", L"ZorvaneCalculatorElectronics.DLL"},
        {L"ProductName", L"ZorvaneCalculatorElectronics Dynamic Link Library"},
        {L"ProductVersion", L"1, 0, 0, 1"},
    };
    for (const auto& entry : entries) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + entry.name;
        wchar_t* value = nullptr;
        if (!VerQueryValueW(record.data(), query.c_str(), reinterpret_cast<void**>(&value),
                            &length)) {
            fail("version entry missing");
            continue;
        }
        const std::wstring text = length == 0 ? std::wstring() : std::wstring(value);
        if (text != entry.value) fail("version entry differs");
        std::printf("version %ls = \"%ls\"\n", entry.name, text.c_str());
    }
}

std::string read_binary(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
            bytes.append(buffer, n);
        }
        std::fclose(file);
    }
    return bytes;
}

// "/help" in a fresh directory writes the reference exactly as the golden
// copy: line feeds alone (no text-mode carriage returns) and the single
// bytes 0xB2 and 0xBD. The golden copy sits in tests/golden, beside the
// vectors directory that holds `vector_file`.
void check_reference_file(Entry calc, const std::string& vector_file) {
    const std::string golden = read_binary(vector_file.substr(0, vector_file.find_last_of("/\\")) +
                                           "/../golden/electronics_formulas.txt");
    char temporary[MAX_PATH];
    char previous[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temporary) == 0 || GetCurrentDirectoryA(MAX_PATH, previous) == 0) {
        fail("no temporary or current directory");
        return;
    }
    const std::string directory =
        std::string(temporary) + "zorvane-help-" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(directory.c_str(), nullptr) || !SetCurrentDirectoryA(directory.c_str())) {
        fail("cannot enter a fresh directory " + directory);
        return;
    }
    const std::wstring line = calc(L"/help");
    const std::string written = read_binary("electronics_formulas.txt");
    SetCurrentDirectoryA(previous);
    DeleteFileA((directory + "\\electronics_formulas.txt").c_str());
    if (line != L"Help file 'electronics_formulas.txt' created successfully!") {
        fail("/help: wrong line");
    }
    if (golden.empty()) fail("no golden copy of the reference beside " + vector_file);
    if (written != golden) fail("/help wrote a file that differs from the golden copy");
    if (!RemoveDirectoryA(directory.c_str())) fail("/help left a file beside the reference");
    std::printf("/help: %u bytes, %s the golden copy\n", static_cast<unsigned>(written.size()),
                written == golden ? "identical to" : "different from");
}

}  // namespace

int main(int argc, char** argv) {
    HMODULE module = LoadLibraryW(L"ZorvaneCalculatorElectronics.dll");
    if (module == nullptr) {
        std::printf("FAIL cannot load ZorvaneCalculatorElectronics.dll (error %lu)\n",
                    GetLastError());
        return 1;
    }
    // Through void*: GetProcAddress returns a generic function pointer.
    const auto calc =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "ElectronicsCalc")));
    if (calc == nullptr) {
        std::printf("FAIL ElectronicsCalc is not exported\n");
        return 1;
    }
    zorvane_test::VectorTally vectors;
    for (int i = 1; i < argc; ++i) vectors += run_vectors(calc, argv[i]);
    zorvane_test::print_tally(vectors, "all files");
    if (vectors.wrong != 0) fail("wrong lines");
    if (argc > 1) check_independent_of_x87_precision(calc, argv[argc - 1]);
    check_two_calls(calc);
    check_reference_file(calc, argc > 1 ? argv[1] : "");
    check_version_record(module);
    FreeLibrary(module);
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
