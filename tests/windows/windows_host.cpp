// A Windows host of the DLL: loads it as a host application does, runs the
// shared vector files through it, checks two calls through one pointer and
// reads the version record back. Exits non-zero on any difference.
//
//   windows_host.exe VECTOR_FILE...
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

#include "support/vector_file.h"

namespace {

using Entry = const wchar_t* (*)(const wchar_t*);

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

// A platform-dependent line may differ from glibc's only in the number's
// digits beyond the fifteenth significant one.
bool agrees_to_fifteen_digits(const std::u16string& actual, const std::u16string& expected) {
    const std::size_t equals = expected.find(u" = ");
    if (equals == std::u16string::npos || actual.compare(0, equals + 3, expected, 0, equals + 3) != 0) {
        return false;
    }
    const std::wstring a = to_wide(actual.substr(equals + 3));
    const std::wstring e = to_wide(expected.substr(equals + 3));
    wchar_t* a_end = nullptr;
    wchar_t* e_end = nullptr;
    const double a_value = std::wcstod(a.c_str(), &a_end);
    const double e_value = std::wcstod(e.c_str(), &e_end);
    if (std::wstring(a_end) != std::wstring(e_end)) return false;  // the unit
    return std::fabs(a_value - e_value) <= 1e-14 * std::fabs(e_value);
}

void run_vectors(Entry calc, const char* file) {
    int count = 0;
    int platform_differences = 0;
    for (const auto& vector : zorvane_test::load_vectors(file)) {
        ++count;
        const std::wstring command = to_wide(vector.command);
        const std::u16string actual = to_u16(calc(command.c_str()));
        if (actual == vector.expected) continue;
        if (vector.platform_dependent && agrees_to_fifteen_digits(actual, vector.expected)) {
            ++platform_differences;
            std::printf("platform-dependent %s\n  glibc:   %s\n  Windows: %s\n", vector.where.c_str(),
                        zorvane_test::printable(vector.expected).c_str(),
                        zorvane_test::printable(actual).c_str());
            continue;
        }
        fail(vector.where + "\n  command:  " + zorvane_test::printable(vector.command) +
             "\n  expected: " + zorvane_test::printable(vector.expected) +
             "\n  actual:   " + zorvane_test::printable(actual));
    }
    std::printf("%s: %d vectors, %d differ only in platform-dependent digits\n", file, count,
                platform_differences);
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
        if (!VerQueryValueW(record.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
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
        std::printf("FAIL cannot load ZorvaneCalculatorElectronics.dll (error %lu)\n", GetLastError());
        return 1;
    }
    // Through void*: GetProcAddress returns a generic function pointer.
    const auto calc =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "ElectronicsCalc")));
    if (calc == nullptr) {
        std::printf("FAIL ElectronicsCalc is not exported\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) run_vectors(calc, argv[i]);
    check_two_calls(calc);
    check_reference_file(calc, argc > 1 ? argv[1] : "");
    check_version_record(module);
    FreeLibrary(module);
    std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
