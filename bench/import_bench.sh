#!/usr/bin/env bash
# Import benchmark on a full-size generated data set.
#   1. the full rebuild with quillmarsh-import (all seven imports and the indexes) on a fresh
#      data folder;
#   2. in the same run, the floor of this machine: the sqlite3 shell's .import of the same files
#      into bare tables with as many columns as the records, followed by the same indexes as
#      the shipped schema scripts (same settings as the importer);
#   3. call sign look-ups on the rebuilt database (bench_lookup).
# Each load runs QM_BENCH_RUNS times; medians are reported. Figures only: no pass/fail.
#
# usage: bench/import_bench.sh [BUILD_DIR]            (default /work/main/build)
#   QM_BENCH_DIR   work folder (default /tmp/qm-bench); the generated data stays there and is reused
#   QM_BENCH_RUNS  timed runs of each load (default 3)
#   QM_BENCH_SEED  seed of the generated data (default 1)
#   QM_BENCH_SCALE full (default) or small, to try the script itself quickly
set -euo pipefail

BUILD=$(cd "${1:-/work/main/build}" && pwd)
WORK=${QM_BENCH_DIR:-/tmp/qm-bench}
RUNS=${QM_BENCH_RUNS:-3}
SEED=${QM_BENCH_SEED:-1}
SCALE=${QM_BENCH_SCALE:-full}
BIN=$BUILD/bin
DIST=$BIN/dist

for tool in make-sample-data quillmarsh-import bench_lookup; do
    [[ -x $BIN/$tool ]] || { echo "missing $BIN/$tool: build the target $tool first" >&2; exit 2; }
done
for f in fcc.sql postal.sql postal_update.csv; do
    [[ -f $DIST/$f ]] || { echo "missing $DIST/$f (the build copies dist/ there)" >&2; exit 2; }
done
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is missing (apt-get install sqlite3)" >&2; exit 2; }
if [[ ! -x /usr/bin/time ]]; then
    echo "installing GNU time for the peak-memory figures"
    if [[ $(id -u) -eq 0 ]]; then
        apt-get install -y --no-install-recommends time >/dev/null 2>&1 || true
    fi
    [[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (apt-get install time)" >&2; exit 2; }
fi

mkdir -p "$WORK"
DATA=$WORK/data-$SCALE
if [[ ! -f $DATA/.complete ]]; then
    echo "== generating the $SCALE data set in $DATA (once)"
    rm -rf "$DATA"
    "$BIN/make-sample-data" "$DATA" --scale "$SCALE" --seed "$SEED" --zips "$DIST/postal_update.csv"
    touch "$DATA/.complete"
else
    echo "== reusing the data set in $DATA"
fi
du -sh "$DATA/AMAT" "$DATA/GMRS" "$DATA/CADN" | sed 's/^/   /'

# timed LOG COMMAND...: runs the command with its output in LOG; sets SECONDS_TAKEN and PEAK_KB.
timed() {
    local log=$1
    shift
    if ! /usr/bin/time -f '%e %M' -o "$WORK/time.out" "$@" >"$log" 2>&1; then
        echo "FAILED: $*" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
    read -r SECONDS_TAKEN PEAK_KB <"$WORK/time.out"
}

median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
max() { printf '%s\n' "$@" | sort -g | tail -n 1; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }

count_rows() {   # DB TABLE...
    local db=$1 sql="select 0" t
    shift
    for t in "$@"; do sql="$sql + (select count(*) from $t)"; done
    sqlite3 "$db" "$sql;"
}

# ---------------------------------------------------------------- floor script
# Bare tables: one column per record field; the columns the indexes use carry the program's
# names and collations, the others are numbered.
columns() {   # COUNT "N=name ..." -> column list
    local count=$1 names=" $2 " i list=() name
    for ((i = 1; i <= count; i++)); do
        name=$(sed -n "s/.* $i=\([^ ]*\) .*/\1/p" <<<"$names")
        list+=("${name:-f$i} TEXT$( [[ $name == call_sign || $name == previous_callsign ]] && echo ' COLLATE NOCASE')")
    done
    local IFS=,
    echo "${list[*]}"
}

canada_select() {   # trimmed fixed-width cuts; the qualification letters stay untrimmed
    local spec=(1:6:callsign 8:35:first_name 44:35:surname 80:70:address_line 151:35:city 187:2:prov
        190:10:postal_code 201:1:qual_a 203:1:qual_b 205:1:qual_c 207:1:qual_d 209:1:qual_e 211:70:club_name1
        282:70:club_name2 353:70:club_address 424:35:club_city 460:2:club_prov 463:7:club_postal)
    local out=() s from len
    for s in "${spec[@]}"; do
        IFS=: read -r from len _ <<<"$s"
        if ((len == 1)); then out+=("substr(line,$from,1)"); else out+=("trim(substr(line,$from,$len))"); fi
    done
    local IFS=,
    echo "${out[*]}"
}

FLOOR_SQL=$WORK/floor.sql
{
    # The importer's settings: no syncing. The page cache stays at its default size, which
    # also keeps SQLite's index sorts in small, fast pieces.
    echo "PRAGMA synchronous=OFF;"
    echo "CREATE TABLE FCC_EN($(columns 30 '2=unique_system_identifier 5=call_sign 11=last_name 17=city 18=state 19=zip_code 23=frn'));"
    echo "CREATE TABLE FCC_HD($(columns 59 '2=unique_system_identifier 6=license_status'));"
    echo "CREATE TABLE FCC_AM($(columns 18 '2=unique_system_identifier 16=previous_callsign'));"
    echo "CREATE TABLE canada_lines(line TEXT);"
    echo "CREATE TABLE canada(callsign TEXT COLLATE NOCASE, first_name TEXT, surname TEXT, address_line TEXT, city TEXT,"
    echo "  prov TEXT, postal_code TEXT, qual_a TEXT, qual_b TEXT, qual_c TEXT, qual_d TEXT, qual_e TEXT, club_name1 TEXT,"
    echo "  club_name2 TEXT, club_address TEXT, club_city TEXT, club_prov TEXT, club_postal TEXT);"
    echo "CREATE TABLE zip_raw(f1 TEXT, f2 TEXT, f3 TEXT, f4 TEXT, f5 TEXT, f6 TEXT, f7 TEXT, f8 TEXT);"
    echo "CREATE TABLE zipcodes(key INTEGER PRIMARY KEY AUTOINCREMENT, zip TEXT, city TEXT, state TEXT, latitude REAL,"
    echo "  longitude REAL, county TEXT);"
    # CSV mode drops the CR of CR LF and takes quotes inside a field literally.
    echo ".mode csv"
    echo ".separator \"|\" \"\\r\\n\""
    echo ".import $DATA/AMAT/AM.dat FCC_AM"
    echo ".import $DATA/AMAT/HD.dat FCC_HD"
    echo ".import $DATA/GMRS/HD.dat FCC_HD"
    echo ".import $DATA/AMAT/EN.dat FCC_EN"
    echo ".import $DATA/GMRS/EN.dat FCC_EN"
    echo ".separator \",\" \"\\n\""
    echo ".import $DIST/postal_update.csv zip_raw"
    echo "INSERT INTO zipcodes(zip, city, state, latitude, longitude, county)"
    echo "  SELECT f1, f2, f3, coalesce(nullif(f4, ''), 0.0), coalesce(nullif(f5, ''), 0.0),"
    echo "         CASE WHEN instr(f7, 'US') > 0 THEN f8 ELSE f7 END FROM zip_raw;"
    echo "DROP TABLE zip_raw;"
    echo ".mode ascii"
    echo ".separator \"\\t\" \"\\n\""
    echo ".import --skip 4 $DATA/CADN/amateur.txt canada_lines"
    echo "INSERT INTO canada SELECT $(canada_select) FROM canada_lines;"
    echo "DROP TABLE canada_lines;"
} >"$FLOOR_SQL"
# The shipped indexes, built in a second run of the shell so the two phases are timed apart.
# The raw entity records have no county, so (state, county) becomes (state, zip_code), an index
# of the same shape.
FLOOR_INDEX_SQL=$WORK/floor-index.sql
{
    echo "PRAGMA synchronous=OFF;"
    grep -h -i '^CREATE INDEX' "$DIST/fcc.sql" "$DIST/postal.sql" |
        sed -E '/ON FCC_EN/I s/\(state, *county\)/(state, zip_code)/I'
} >"$FLOOR_INDEX_SQL"

# ---------------------------------------------------------------- timed runs
RUN=$WORK/run
FLOOR_DB=$WORK/floor.db
import_s=() import_kb=() floor_s=() floor_kb=() load_s=() index_s=()
for ((r = 1; r <= RUNS; r++)); do
    rm -rf "$RUN"
    mkdir -p "$RUN"
    cp -al "$DATA/AMAT" "$DATA/GMRS" "$DATA/CADN" "$RUN/"   # links: nothing is copied
    # Run from the data folder: the importer finds the shipped files in dist/ beside itself.
    (cd "$RUN" && timed "$WORK/import.log" "$BIN/quillmarsh-import" "$RUN")
    read -r SECONDS_TAKEN PEAK_KB <"$WORK/time.out"
    import_s+=("$SECONDS_TAKEN")
    import_kb+=("$PEAK_KB")
    echo "   run $r: quillmarsh-import $SECONDS_TAKEN s, peak $((PEAK_KB / 1024)) MiB"

    rm -f "$FLOOR_DB"
    timed "$WORK/floor.log" sqlite3 -bail "$FLOOR_DB" ".read $FLOOR_SQL"
    load=$SECONDS_TAKEN load_kb=$PEAK_KB
    timed "$WORK/floor-index.log" sqlite3 -bail "$FLOOR_DB" ".read $FLOOR_INDEX_SQL"
    load_s+=("$load")
    index_s+=("$SECONDS_TAKEN")
    floor_s+=("$(calc '%.2f' "$load + $SECONDS_TAKEN")")
    floor_kb+=("$(max "$load_kb" "$PEAK_KB")")
    echo "   run $r: sqlite3 .import floor ${floor_s[-1]} s (load $load s, indexes $SECONDS_TAKEN s)," \
        "peak $(($(max "$load_kb" "$PEAK_KB") / 1024)) MiB"
done

echo
echo "== quillmarsh-import report (last run)"
sed 's/^/   /' "$WORK/import.log"

import_rows=$(($(count_rows "$RUN/FCCdata.db" FCC_EN FCC_HD FCC_AM canada) + $(count_rows "$RUN/postal.db" zipcodes)))
floor_rows=$(count_rows "$FLOOR_DB" FCC_EN FCC_HD FCC_AM canada zipcodes)
imp=$(median "${import_s[@]}")
flo=$(median "${floor_s[@]}")
imp_mib=$(($(max "${import_kb[@]}") / 1024))
flo_mib=$(($(max "${floor_kb[@]}") / 1024))
ratio=$(calc '%.2f' "$imp / $flo")

# ---------------------------------------------------------------- look-ups
echo
echo "== look-ups on the rebuilt database ($(wc -l <"$DATA/calls.txt") listed calls)"
exact=() p95=() wild=() wildk=()
for ((r = 1; r <= 3; r++)); do
    line=$("$BIN/bench_lookup" "$RUN/FCCdata.db" "$DATA/calls.txt" --count 3000 --repeat 21)
    grep -E '^(exact look-up|wildcard [^_])' <<<"$line" | sed "s/^/   run $r: /"
    exact+=("$(sed -n 's/.*exact_median_us=\([0-9.]*\).*/\1/p' <<<"$line")")
    p95+=("$(sed -n 's/.*exact_p95_us=\([0-9.]*\).*/\1/p' <<<"$line")")
    wild+=("$(sed -n 's/^wildcard_pattern=W1A% wildcard_median_ms=\([0-9.]*\).*/\1/p' <<<"$line")")
    wildk+=("$(sed -n 's/^wildcard_pattern=K% wildcard_median_ms=\([0-9.]*\).*/\1/p' <<<"$line")")
done
ex=$(median "${exact[@]}")
ex95=$(median "${p95[@]}")
wi=$(median "${wild[@]}")
wk=$(median "${wildk[@]}")

verdict() { awk "BEGIN {print ($1) ? \"within target\" : \"MISSES target\"}"; }
echo
echo "== summary (medians of $RUNS runs; $(nproc) cores)"
printf '   full rebuild, quillmarsh-import  %8s s  %9s rows  %9s rows/s  peak %5s MiB\n' \
    "$imp" "$import_rows" "$(calc '%.0f' "$import_rows / $imp")" "$imp_mib"
printf '   sqlite3 .import floor            %8s s  %9s rows  %9s rows/s  peak %5s MiB\n' \
    "$flo" "$floor_rows" "$(calc '%.0f' "$floor_rows / $flo")" "$flo_mib"
echo "     of which .import $(median "${load_s[@]}") s, indexes $(median "${index_s[@]}") s"
echo "   ratio import / floor: $ratio"
echo "   exact look-up: median $ex us, p95 $ex95 us;  wildcard W1A%: median $wi ms;  K%: median $wk ms"
echo
echo "   rebuild <= 20 s:        $(verdict "$imp <= 20")"
echo "   ratio <= 1.3:           $(verdict "$ratio <= 1.3")"
echo "   peak memory <= 1 GiB:   $(verdict "$imp_mib <= 1024")"
echo "   exact look-up <= 1 ms:  $(verdict "$ex <= 1000")"
echo "   wildcard <= 20 ms:      $(verdict "$wi <= 20")"
echo "   wildcard K% <= 1 s:     $(verdict "$wk <= 1000")"
