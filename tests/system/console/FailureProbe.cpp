// A program built as the launchers are (same flags, same terminate handler; a console and a
// windowed variant) that meets an allocation the C++ library cannot make: on the main thread
// ("main") or in a thread routine of base/Thread.h ("thread"). It prints what it got past on
// standard output and ends with 0.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/Thread.h"

namespace {

int Allocate() {
    std::vector<char> bytes;
    bytes.reserve(bytes.max_size());
    std::printf("allocated %u\n", static_cast<unsigned>(bytes.capacity() != 0));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring where = argc > 1 ? argv[1] : L"";
    if (where == L"main") {
        Allocate();
    } else if (where == L"thread") {
        UniqueHandle thread = StartThread([] { return Allocate(); });
        DWORD code = 0;
        if (!thread || WaitForSingleObject(thread.get(), 30000) != WAIT_OBJECT_0 || !GetExitCodeThread(thread.get(), &code)) {
            return 2;
        }
        std::printf("thread ended with %lu\n", code);
    }
    std::printf("went on\n");
    return 0;
}
