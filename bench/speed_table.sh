#!/usr/bin/env bash
# The speed table: each figure we set out to bring down, the value it started from, the value of
# this run and their ratio, with its target. Runs the benchmarks it needs from the folder of
# benchmark programs (medians of five repetitions; each group into its own CSV file, since the
# CSV writer wants the same counters on every row). Where the old path can still be chosen (the run object's
# pool with one thread: argument 1 against 2; the optimizer objects computing every plane angle:
# argument 0 against 1), the "before" column is measured in the same run; otherwise it is the
# figure of 2026-12-09 this work started from.
set -euo pipefail

bin="${1:-build-bench/bin}"
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# measure PROGRAM FILTER NAME: the benchmarks of PROGRAM matching FILTER into $results/NAME.csv.
measure() {
    "$bin/$1" --benchmark_filter="$2" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_out="$results/$3.csv" \
        --benchmark_out_format=csv >/dev/null 2>&1 || echo "$1 $2: failed" >&2
}
measure engine_bench 'BM_FullThreeWay|BM_IncrementalCapacitorChange|BM_StageBoxThreeDrivers' engine
measure engine_bench 'BM_StageBaffleOneDriver' baffle
measure cli_process_bench 'BM_CliCalcThreeWayProcess' cli
measure optimizer_bench 'BM_CandidateThreeWay' candidate
measure optimizer_bench 'BM_DetunedTwoWayRun' detuned

# value FILE BENCHMARK COLUMN: the column (real_time, or a counter's name) of the median row of
# BENCHMARK (its name with arguments, without "/real_time" and "_median"), or "-".
value() {
    local file="$results/$1.csv"
    [ -f "$file" ] || { echo "-"; return; }
    awk -F, -v a="\"$2_median\"" -v b="\"$2/real_time_median\"" -v column="$3" '
        /^name,/ {
            for (i = 1; i <= NF; ++i) { gsub(/"/, "", $i); if ($i == column) c = i }
            started = 1; next
        }
        started && ($1 == a || $1 == b) && c { print $c; found = 1; exit }
        END { if (!found) print "-" }' "$file"
}

# row CAPTION BEFORE NOW UNIT TARGET DIRECTION: DIRECTION "lower" or "higher" says which way is
# better; the ratio is always old / new for "lower" and new / old for "higher", so above 1 is
# better.
row() {
    local caption="$1" before="$2" now="$3" unit="$4" target="$5" direction="$6" ratio="-"
    if [ "$before" != "-" ] && [ "$now" != "-" ]; then
        ratio=$(awk -v b="$before" -v n="$now" -v d="$direction" \
            'BEGIN { r = d == "lower" ? b / n : n / b; printf "%.2f", r }')
        before=$(awk -v x="$before" 'BEGIN { printf "%.3g", x }')
        now=$(awk -v x="$now" 'BEGIN { printf "%.3g", x }')
    fi
    [ "$before" = "-" ] || before="$before $unit"
    [ "$now" = "-" ] || now="$now $unit"
    printf '| %s | %s | %s | %s | %s |\n' "$caption" "$before" "$now" "$ratio" "$target"
}

# The old path where it is measured in the same run, else the quoted figure.
measuredOr() {
    [ "$1" != "-" ] && echo "$1" || echo "$2"
}

full_old=$(value engine BM_FullThreeWay/1 real_time)
full_new=$(value engine BM_FullThreeWay/2 real_time)
[ "$full_new" != "-" ] || full_new=$(value engine BM_FullThreeWay real_time)
incr_old=$(value engine BM_IncrementalCapacitorChange/1 real_time)
incr_new=$(value engine BM_IncrementalCapacitorChange/2 real_time)
[ "$incr_new" != "-" ] || incr_new=$(value engine BM_IncrementalCapacitorChange real_time)
box_old=$(value engine BM_StageBoxThreeDrivers/1 real_time)
box_new=$(value engine BM_StageBoxThreeDrivers/2 real_time)
[ "$box_new" != "-" ] || box_new=$(value engine BM_StageBoxThreeDrivers real_time)
baffle_new=$(value baffle BM_StageBaffleOneDriver real_time)
cli_cpu=$(value cli BM_CliCalcThreeWayProcess/iterations:5 cpu_s)
cli_peak=$(value cli BM_CliCalcThreeWayProcess/iterations:5 \
    peak_MiB)
cand_old_ms=$(value candidate BM_CandidateThreeWay/0 real_time)
cand_new_ms=$(value candidate BM_CandidateThreeWay/1 real_time)
[ "$cand_new_ms" != "-" ] || cand_new_ms=$(value candidate BM_CandidateThreeWay real_time)
per_second() { [ "$1" != "-" ] && awk -v ms="$1" 'BEGIN { print 1000 / ms }' || echo "-"; }
detuned_old=$(value detuned BM_DetunedTwoWayRun/0/iterations:1 real_time)
detuned_new=$(value detuned BM_DetunedTwoWayRun/1/iterations:1 real_time)

echo "Speed table, $(date -u +%Y-%m-%d), load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| figure | before | now | ratio (> 1 better) | target |"
echo "|---|---|---|---|---|"
row "full three-way run, wall" "$(measuredOr "$full_old" 126)" "$full_new" ms "≤ 50 ms" lower
row "baffle stage per driver" 19.3 "$baffle_new" ms "≤ 8 ms" lower
row "box stage, 3 drivers, interactive sphere step" "$(measuredOr "$box_old" 31.8)" "$box_new" ms \
    "≤ 12 ms" lower
row "incremental change of one capacitor" "$(measuredOr "$incr_old" 52)" "$incr_new" ms "≤ 15 ms" \
    lower
row "sonora-cli calc whole process, CPU" 0.56 "$cli_cpu" s "≤ 0.20 s" lower
row "sonora-cli calc peak resident memory" 185 "$cli_peak" MiB "≤ 100 MB" lower
row "optimizer candidates per second, one run object" \
    "$(measuredOr "$(per_second "$cand_old_ms")" 37)" "$(per_second "$cand_new_ms")" "/ s" \
    "≥ 120 / s" higher
row "detuned two-way optimizer run to its end" "$(measuredOr "$detuned_old" 50)" "$detuned_new" s \
    "≤ 12 s" lower
