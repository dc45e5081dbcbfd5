#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or $DALVERO_FUZZ_BUILD_DIR) and
# runs each for SECONDS (default 60) on its seed corpus in fuzz/corpus/. New
# inputs the fuzzer finds go to build-fuzz/corpus/, never into the repository;
# a crash leaves its input in build-fuzz/ and fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DALVERO_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
targets=(json_fuzz comma_text_fuzz dataserver_stream_fuzz function_command_fuzz client_reply_fuzz access_rules_fuzz
  hl7_message_fuzz)

"$root/scripts/install-deps.sh"
if ! dpkg-query -W -f='${Status}' clang 2>/dev/null | grep -q "install ok installed"; then
  echo "Installing: clang"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends clang
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDALVERO_FUZZ=ON -DDALVERO_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for target in "${targets[@]}"; do
  found="$build/corpus/$target"
  mkdir -p "$found"
  echo "== $target: ${seconds}s"
  (cd "$build" && "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 "$found" "$root/fuzz/corpus/$target")
done
