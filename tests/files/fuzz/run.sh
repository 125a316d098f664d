#!/usr/bin/env bash
# Fuzzes the bank and preset loaders and the settings reader, then the
# session-bus message decoder and the text conversions, each for a bounded time.
#   tests/files/fuzz/run.sh [SECONDS]   (default 60, per target)
# Builds with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/; new inputs go to build-fuzz/corpus, never into the checked-in seeds.
set -euo pipefail
cd "$(dirname "$0")/../../.."
seconds=${1:-60}
need=()
command -v clang++ >/dev/null || need+=(clang)
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null || need+=(libclang-rt-dev)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null
fi
mkdir -p build-fuzz/corpus build-fuzz/wire-corpus
flags=(-std=c++20 -O1 -g -I. -Itests/files -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
# The two targets build, then run, side by side: each is one process on one core.
clang++ "${flags[@]}" tests/files/fuzz/loaders_fuzz.cpp presets/BankFile.cpp presets/SettingsStore.cpp \
  presets/SettingsFile.cpp engine/ParameterTable.cpp fileio/ReplaceFile.cpp fileio/TemporaryName.cpp \
  -o build-fuzz/loaders_fuzz &
loaders=$!
clang++ "${flags[@]}" tests/files/fuzz/wire_fuzz.cpp platform/TextEncoding.cpp platform/x11/DBusWire.cpp \
  -o build-fuzz/wire_fuzz &
wire=$!
wait $loaders
wait $wire
# A target's whole output is shown when it fails, its last line otherwise.
fuzz() {
  local name=$1 corpus=$2
  if ! "build-fuzz/$name" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    "build-fuzz/$corpus" tests/files/fuzz/corpus >"build-fuzz/$name.log" 2>&1; then
    cat "build-fuzz/$name.log"
    echo "fuzz: $name failed" >&2
    return 1
  fi
  echo "fuzz: $name: $(tail -1 "build-fuzz/$name.log")"
}
fuzz loaders_fuzz corpus &
loaders=$!
fuzz wire_fuzz wire-corpus &
wire=$!
wait $loaders
wait $wire
