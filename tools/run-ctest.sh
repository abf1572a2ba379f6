#!/usr/bin/env bash
# Runs CTest in the three build folders; the Windows x64 summary comes last.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
ctest --test-dir build/host --output-on-failure --timeout 120 || status=1
ctest --test-dir build/win32 --output-on-failure --timeout 120 || status=1
ctest --test-dir build/win64 --output-on-failure --timeout 300 -j2 || status=1
exit $status
