#!/usr/bin/env bash
# Creates the test run's Wine prefix if it is not there yet (for a CTest fixture setup, so that
# the first tests do not spend their time limit on it). Takes the prefix like run.sh does; the
# optional argument is a program in the build folder, for the build-folder convention.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
marlwick_resolve_prefix "${1:-}"
marlwick_wine_environment
marlwick_create_prefix
