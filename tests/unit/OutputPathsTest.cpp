#include "jvm/OutputPaths.h"
#include "tests/framework/Check.h"

using Strings = std::vector<std::wstring>;

TEST_CASE(ParentFoldersToCreate_Table) {
    struct Row { const wchar_t* path; Strings folders; };
    const Row rows[] = {
        {L"C:\\logs\\app\\out.log", {L"C:\\logs", L"C:\\logs\\app"}},
        {L"C:\\out.log", {}},
        {L"C:\\logs\\out.log", {L"C:\\logs"}},
        {L"\\\\server\\share\\logs\\out.log", {L"\\\\server\\share", L"\\\\server\\share\\logs"}},
        {L"\\\\server", {}},
        {L"\\\\?\\C:\\logs\\out.log", {L"\\\\?\\C:\\logs"}},
        {L"\\logs\\app\\out.log", {L"\\logs\\app"}},  // below the current drive's root, not the current folder
        // Relative paths: every folder, the first one too.
        {L"logs\\app.log", {L"logs"}},
        {L"logs\\2024\\app.log", {L"logs", L"logs\\2024"}},
        {L"..\\logs\\app.log", {L"..", L"..\\logs"}},
        {L"app.log", {}},
        {L"", {}},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.path, ParentFoldersToCreate(row.path), row.folders);
}

TEST_CASE(TimestampPicture_Table) {
    struct Row { const wchar_t* path; bool found; size_t first; size_t last; };
    const Row rows[] = {
        {L"C:\\out.log", false, 0, 0},
        {L"C:\\out%HHmm%.log", true, 6, 11},
        {L"C:\\out%.log", true, 6, 6},
        {L"%a%b%", true, 0, 4},
    };
    for (const Row& row : rows) {
        size_t first = 0, last = 0;
        CHECK_EQ_AT(row.path, FindTimestampPicture(row.path, first, last), row.found);
        if (row.found) {
            CHECK_EQ_AT(row.path, first, row.first);
            CHECK_EQ_AT(row.path, last, row.last);
        }
    }
    CHECK_EQ(ReplaceMilliseconds(L"HH-L-LL", 7), std::wstring(L"HH-7-77"));
    CHECK_EQ(ReplaceMilliseconds(L"L", 120), std::wstring(L"120"));
    CHECK_EQ(ReplaceMilliseconds(L"", 5), std::wstring());
}
