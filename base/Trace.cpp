#include "base/Trace.h"

namespace tracing {
bool traceOn = false;
}

namespace {
TraceSink installedSink = nullptr;
}

void InstallTraceSink(TraceSink sink) {
    installedSink = sink;
    tracing::traceOn = sink != nullptr;
}

void TraceLine(const std::wstring& line) {
    if (installedSink != nullptr) installedSink(line);
}
