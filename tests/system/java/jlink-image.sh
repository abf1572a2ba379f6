#!/usr/bin/env bash
# A Windows runtime made by jlink that holds the test's main module (probe.mod, probe.lib and
# java.base, nothing else), as an application team ships one in jre64\. The fetched runtimes have
# no jmods and no jlink, so java.base's jmod is put together from the Windows runtime itself: its
# classes from lib\modules (jimage extract), its libraries, commands and settings from its folders;
# the build host's jlink of the same feature version then links for windows-amd64. The classes that
# jlink generates itself are left out of the jmod, and the method-handle classes are kept as the
# runtime has them. Made again when the jars are newer.
# Arguments: the Windows runtime, the folder of the modular jars, the image's folder.
# Exit 77 (skipped) when the host has no jlink of the runtime's feature version.
set -eu
runtime=$1 modules=$2 image=$3
[ -f "$image/lib/modules" ] && [ -z "$(find "$modules" -newer "$image/lib/modules")" ] && exit 0
feature=$(tr -d '\r' <"$runtime/release" | sed -n 's/^JAVA_VERSION="\([0-9]*\).*/\1/p')
host=$(jlink --version 2>/dev/null | cut -d. -f1) || true
if [ "$host" != "$feature" ] || ! command -v jimage >/dev/null || ! command -v jmod >/dev/null; then
  echo "jlink-image: the host's jlink (${host:-none}) does not link Java $feature" >&2
  exit 77
fi
work=$image.work
rm -rf "$work" "$image"
mkdir -p "$work/lib/server" "$work/lib/security" "$work/bin" "$work/conf" "$work/jmods"
jimage extract --dir "$work/classes" --include 'regex:/java.base/.*' "$runtime/lib/modules"
rm -f "$work/classes/java.base/jdk/internal/module/SystemModules\$"*.class
for library in java jimage jli net nio verify zip msvcp140 vcruntime140 vcruntime140_1 ucrtbase; do
  [ -f "$runtime/bin/$library.dll" ] && cp "$runtime/bin/$library.dll" "$work/lib/"
done
cp "$runtime"/bin/api-ms-*.dll "$work/lib/" 2>/dev/null || true
cp "$runtime/bin/server/jvm.dll" "$work/lib/server/"
for file in jvm.cfg tzdb.dat classlist tzmappings; do
  [ -f "$runtime/lib/$file" ] && cp "$runtime/lib/$file" "$work/lib/"
done
cp "$runtime"/lib/security/* "$work/lib/security/"
cp "$runtime/bin/java.exe" "$runtime/bin/javaw.exe" "$work/bin/"
cp "$runtime/conf/net.properties" "$work/conf/"
cp -r "$runtime/conf/security" "$work/conf/"
version=$(tr -d '\r' <"$runtime/release" | sed -n 's/^JAVA_VERSION="\(.*\)"/\1/p')
jmod create --class-path "$work/classes/java.base" --libs "$work/lib" --cmds "$work/bin" --config "$work/conf" \
  --target-platform windows-amd64 --module-version "$version" "$work/jmods/java.base.jmod"
jlink --disable-plugin generate-jli-classes --module-path "$work/jmods:$modules" --add-modules probe.mod \
  --output "$image"
rm -rf "$work"
grep -q '^MODULES="java.base probe.lib probe.mod"' "$image/release"
