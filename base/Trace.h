// The launch trace: one line per decision, written only when a sink has been installed at start
// (MARLWICK_TRACE). While no sink is installed every trace site costs one test of a flag:
//
//     if (TraceOn()) TraceLine(L"jre: picked " + home);
#pragma once

#include <string>

namespace tracing {
extern bool traceOn;
}

inline bool TraceOn() { return tracing::traceOn; }

// Receives each line, without the time stamp and line end (the sink adds both).
using TraceSink = void (*)(const std::wstring& line);

// Installs the sink, or removes it when null. Called once at start, before other threads exist.
void InstallTraceSink(TraceSink sink);

// Hands the line to the sink; nothing when none is installed.
void TraceLine(const std::wstring& line);

// "yes" / "no", for flags in trace lines.
inline const wchar_t* TraceFlag(bool value) { return value ? L"yes" : L"no"; }

// A phase mark: "phase <name>". The sink's time stamp is the phase time.
inline void TracePhase(const wchar_t* name) {
    if (TraceOn()) TraceLine(std::wstring(L"phase ") + name);
}
