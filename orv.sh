#!/usr/bin/env bash
# Set-up, build and test driver.
#   ./orv.sh demo   install what is missing, build, run the demonstration
#   ./orv.sh test   install what is missing, build normal and sanitizer trees, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libsqlite3-dev sqlite3 zlib1g-dev libcrypt-dev python3 diffutils ncompress ed cssc
          qt6-base-dev qt6-svg-dev fonts-dejavu-core libfontconfig1 poppler-utils)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() { # <dir> [cmake args...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir"
}

run_tests() { # <dir>
  (cd "$1" && TZ=UTC ctest --output-on-failure --timeout 600 -j "$(nproc)")
}

case "${1:-}" in
  demo)
    install_missing
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    tools/demo.sh build
    ;;
  test)
    install_missing
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON -DORV_BENCH=OFF
    status=0
    echo "== tests (normal build) =="
    run_tests build || status=1
    echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer build) =="
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      run_tests build-asan || status=1
    exit $status
    ;;
  *)
    echo "usage: $0 demo|test" >&2; exit 2 ;;
esac
