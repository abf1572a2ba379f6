#!/usr/bin/env bash
# Installs what building and testing Marlwick needs on a Debian machine (run as root, or with sudo).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  cmake ninja-build g++ make python3 python3-pip unzip ca-certificates \
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools \
  wine64 xvfb xauth x11-utils imagemagick fonts-dejavu-core \
  openjdk-17-jdk-headless locales clang libclang-rt-dev
# Wine takes each process's language from the Unix locale, which must exist: the Spanish tests
# run with LANG=es_ES.UTF-8.
$SUDO localedef -i es_ES -f UTF-8 es_ES.UTF-8
$SUDO localedef -i en_US -f UTF-8 en_US.UTF-8
