#!/usr/bin/env bash
# A copy of a runtime with its base class-data archive (bin\server\classes.jsa), which the slim
# runtimes of the tests leave out, and without bin\java.exe: the dynamic archive of Java 19 to 24,
# which such a runtime gets, needs the base archive. The runtime's own java.exe -Xshare:dump writes
# it under Wine. Made once. Arguments: the runtime, the copy's folder.
set -eu
runtime=$1 copy=$2
if [ ! -f "$copy/bin/server/classes.jsa" ]; then
  rm -rf "$copy"
  mkdir -p "$(dirname "$copy")"
  cp -r "$runtime" "$copy"
  timeout 300 "$(dirname "$0")/../../wine/run.sh" "$copy/bin/java.exe" -Xshare:dump >/dev/null
  test -f "$copy/bin/server/classes.jsa"
fi
rm -f "$copy/bin/java.exe" "$copy/bin/javaw.exe"
