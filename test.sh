#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   --sanitize  every test built with AddressSanitizer, UndefinedBehaviorSanitizer and the
#               standard library's own checks of indexes and empty optionals (build-asan/)
#   --tsan      the threaded engine, cancel and tansa2-grep tests built with ThreadSanitizer (build-tsan/)
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
tansa2_install_missing
export QT_QPA_PLATFORM=offscreen
case "${1:-}" in
  --sanitize)
    tansa2_build build-asan -fsanitize=address,undefined -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS
    ASAN_OPTIONS=detect_stack_use_after_return=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" \
      ctest --test-dir build-asan --output-on-failure --timeout 900 -j "$(nproc)"
    ;;
  --tsan)
    tansa2_build build-tsan -fsanitize=thread --target tests_engine tests_session tests_cli tansa2-grep
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    build-tsan/tests/tests_engine
    build-tsan/tests/tests_session --gtest_filter='GrepRun*'
    build-tsan/tests/tests_cli --gtest_filter='*WalkedInNameOrder*:*Hostile*'
    ;;
  *)
    tansa2_build
    ctest --test-dir build --output-on-failure --timeout 300 -j "$(nproc)"
    ;;
esac
