#!/usr/bin/env bash
# Installs what building and testing Marlwick needs on a Debian machine (run as root, or with sudo).
#
#   tools/install-deps.sh --if-missing   installs only when a tool is missing (a quick look that
#                                        tools/test.sh and tools/demo.sh make before they start)
set -euo pipefail

everything_present() {
  local tool
  for tool in cmake ninja g++ python3 zip unzip sha256sum x86_64-w64-mingw32-g++-win32 i686-w64-mingw32-g++-win32 \
              x86_64-w64-mingw32-windres xvfb-run xauth xwininfo convert javac jar clang clang++ \
              wixl msiinfo osslsigncode openssl; do
    command -v "$tool" >/dev/null 2>&1 || return 1
  done
  [ -x /usr/lib/wine/wine64 ] || return 1
  # The 32-bit loader: the tests run Marlwick.exe through Wine's WoW64 in the 64-bit prefix.
  [ -x /usr/lib/wine/wine ] || return 1
  python3 -m pip --version >/dev/null 2>&1 || return 1
  compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null || return 1
  locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$' || return 1
}

if [ "${1:-}" = "--if-missing" ]; then
  if everything_present; then exit 0; fi
  echo "install-deps: installing the missing build and test tools" >&2
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# wine32 is an i386 package: Debian installs it beside wine64 once the architecture is known.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  cmake ninja-build g++ make python3 python3-pip zip unzip ca-certificates \
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools \
  wine64 wine32:i386 xvfb xauth x11-utils imagemagick fonts-dejavu-core \
  openjdk-17-jdk-headless locales clang libclang-rt-dev \
  wixl msitools osslsigncode openssl
# Wine takes each process's language from the Unix locale, which must exist: the Spanish tests
# run with LANG=es_ES.UTF-8.
$SUDO localedef -i es_ES -f UTF-8 es_ES.UTF-8
$SUDO localedef -i en_US -f UTF-8 en_US.UTF-8
