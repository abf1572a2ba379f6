#include "tests/framework/Check.h"

#include <cstring>

namespace check {

namespace {
int failures = 0;
}

std::vector<TestCase>& Registry() {
    static std::vector<TestCase> registry;
    return registry;
}

void Fail(const char* file, int line, const std::string& message) {
    ++failures;
    std::printf("%s:%d: %s\n", file, line, message.c_str());
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c) & 0xffffu);
            out += buffer;
        }
    }
    return out;
}

}  // namespace check

// Runs every registered test, or those whose name contains the first argument.
int main(int argc, char** argv) {
    const char* filter = argc > 1 ? argv[1] : nullptr;
    int run = 0;
    for (const auto& test : check::Registry()) {
        if (filter != nullptr && std::strstr(test.name, filter) == nullptr) continue;
        const int before = check::failures;
        test.function();
        ++run;
        std::printf("%s %s\n", check::failures == before ? "ok  " : "FAIL", test.name);
    }
    std::printf("%d tests, %d failed checks\n", run, check::failures);
    return check::failures == 0 && run > 0 ? 0 : 1;
}
