#!/usr/bin/env bash
# Runs each libFuzzer target of build-fuzz for the given number of seconds,
# starting from a working copy of its seed corpus. The full log of each target
# is kept in build-fuzz/fuzz_<target>.log; a crash or broken invariant prints
# its tail and the input that caused it, and fails the script.
set -euo pipefail
seconds="${1:-60}"
cd "$(dirname "$0")/.."
status=0
for t in reader fields convert run csv statistics compare; do
    work="build-fuzz/corpus/$t"
    mkdir -p "$work"
    cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null || true
    log="build-fuzz/fuzz_$t.log"
    if (cd build-fuzz && ./fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
            -rss_limit_mb=2048 -artifact_prefix=artifact-"$t"- -print_final_stats=1 \
            corpus/"$t") >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$t: ${runs:-?} runs in ${seconds} s, no findings"
    else
        status=1
        echo "fuzz_$t: FAILED; the end of $log:"
        tail -n 40 "$log"
        ls build-fuzz/artifact-"$t"-* 2>/dev/null | sed 's/^/  input: /' || true
    fi
done
exit "$status"
