#!/usr/bin/env bash
# A copy of a runtime with its base class-data archive (bin\server\classes.jsa), which the slim
# runtimes of the tests leave out and the dynamic archive of Java 19 to 24 needs: the runtime's own
# java.exe -Xshare:dump writes it under Wine. Made once. Arguments: the runtime, the copy's folder.
set -eu
runtime=$1 copy=$2
[ -f "$copy/bin/server/classes.jsa" ] && exit 0
rm -rf "$copy"
mkdir -p "$(dirname "$copy")"
cp -r "$runtime" "$copy"
timeout 300 "$(dirname "$0")/../../wine/run.sh" "$copy/bin/java.exe" -Xshare:dump >/dev/null
test -f "$copy/bin/server/classes.jsa"
