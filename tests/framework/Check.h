// A small test runner: TEST_CASE registers a function, CHECK and CHECK_EQ record failures and go on.
#pragma once

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace check {

struct TestCase {
    const char* name;
    void (*function)();
};

std::vector<TestCase>& Registry();
void Fail(const char* file, int line, const std::string& message);
std::string Narrow(const std::wstring& text);

struct Registrar {
    Registrar(const char* name, void (*function)()) { Registry().push_back({name, function}); }
};

template <typename T>
std::string Show(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
inline std::string Show(const std::wstring& value) { return "L\"" + Narrow(value) + "\""; }
inline std::string Show(const wchar_t* value) { return Show(std::wstring(value)); }
inline std::string Show(const std::string& value) { return "\"" + value + "\""; }
inline std::string Show(bool value) { return value ? "true" : "false"; }
template <typename T>
std::string Show(const std::vector<T>& values) {
    std::string text = "{";
    for (size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + Show(values[i]);
    return text + "}";
}

template <typename A, typename B>
void CheckEqual(const A& actual, const B& expected, const char* actualText, const char* file, int line,
                const std::string& context) {
    if (!(actual == expected)) {
        Fail(file, line, std::string(actualText) + " is " + Show(actual) + ", expected " + Show(expected) +
                             (context.empty() ? "" : " [" + context + "]"));
    }
}

}  // namespace check

#define CHECK_CONCAT_INNER(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT_INNER(a, b)

#define TEST_CASE(name)                                                \
    static void name();                                                \
    static check::Registrar CHECK_CONCAT(registrar_, name)(#name, name); \
    static void name()

#define CHECK(expr) \
    do { if (!(expr)) check::Fail(__FILE__, __LINE__, "CHECK(" #expr ") failed"); } while (0)
#define CHECK_EQ(actual, expected) check::CheckEqual((actual), (expected), #actual, __FILE__, __LINE__, "")
// For table-driven cases: `context` names the row.
#define CHECK_EQ_AT(context, actual, expected) \
    check::CheckEqual((actual), (expected), #actual, __FILE__, __LINE__, check::Narrow(context))
