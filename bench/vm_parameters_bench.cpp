// "Virtual Machine Parameters" of growing size through the whole composition of a start's options
// (split, unquote, memory percentages, expansion by a fake that leaves the text as it is): the
// time per token should stay flat as the value grows. Prints the time for 20,000, 40,000 and
// 80,000 tokens and for a 1 MB value, and the ratio of the 80,000 to the 20,000 run (4 for linear
// work, 16 for quadratic). Not part of the test run.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "jvm/JavaStart.h"

namespace {

class PlainFacts : public StartFacts {
public:
    std::wstring Expand(const std::wstring& text) override { return text; }
    std::vector<Found> Search(const std::wstring&) override { return {}; }
    void MemoryStatus(uint64_t& physical, uint64_t& availableVirtual) override {
        physical = 8ull << 30;
        availableVirtual = 2ull << 30;
    }
};

double Compose(const std::wstring& parameters, size_t& tokens) {
    PlainFacts facts;
    JavaSettings settings;
    settings.classPath = L"C:\\app.jar";
    settings.vmParameters = parameters;
    JavaStart start;
    const auto begin = std::chrono::steady_clock::now();
    ComposeJavaStart(settings, VmEnvironment(), L"C:\\app.exe", {}, false, facts, start);
    const auto end = std::chrono::steady_clock::now();
    tokens = start.vmOptions.size() - 1;
    return std::chrono::duration<double, std::milli>(end - begin).count();
}

std::wstring Parameters(size_t tokens) {
    std::wstring text;
    for (size_t i = 0; i < tokens; ++i) text += (i % 3 == 0 ? L"\"-Dp" : L"-Dq") + std::to_wstring(i) + (i % 3 == 0 ? L"=a b\" " : L"=x ");
    return text;
}

}  // namespace

int main() {
    double times[3] = {};
    const size_t counts[3] = {20000, 40000, 80000};
    for (int i = 0; i < 3; ++i) {
        size_t tokens = 0;
        times[i] = Compose(Parameters(counts[i]), tokens);
        std::printf("%6zu tokens: %8.1f ms (%zu options)\n", counts[i], times[i], tokens);
    }
    size_t tokens = 0;
    const std::wstring megabyte = Parameters(90000).substr(0, 1 << 20);
    const double big = Compose(megabyte, tokens);
    std::printf("1 MB value: %8.1f ms (%zu options)\n", big, tokens);
    std::printf("ratio 80,000 / 20,000 tokens: %.1f (4 is linear, 16 quadratic)\n", times[2] / times[0]);
    return 0;
}
