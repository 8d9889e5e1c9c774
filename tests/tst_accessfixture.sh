#!/usr/bin/env bash
# The Access files the import tests are made of, vouched for by mdbtools: a Jet 3 file with Greek
# names and a Jet 4 file over many pages read back as they were written, value for value.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

vouch() { # name, what mdb-ver says, Greek ship name or "", ships, then writer options
    local name=$1 version=$2 greek=$3 ships=$4 file=$work/$1.mdb expected=$work/$1
    shift 4
    mkdir "$expected"
    "$source_dir/tests/tools/make_access_file" --ships "$ships" --years 2019-2021 --report-tables \
        --csv "$expected" "$@" "$file" || { fail "$name: not written"; return; }
    [ "$(mdb-ver "$file")" = "$version" ] || fail "$name: mdb-ver says $(mdb-ver "$file")"
    local tables written
    tables=$(mdb-tables -1 "$file" | sort | xargs)
    written=$(ls "$expected" | sed 's/\.csv$//' | sort | xargs)
    [ "$tables" = "$written" ] || fail "$name: mdb-tables lists $tables"
    mdb-schema -T Drills "$file" | grep -q '^\s*\[Done Date1\]\s*DateTime' ||
        fail "$name: no date column"
    [ "$(mdb-export "$file" Drills | wc -l)" -eq $((ships * 3 + 1)) ] ||
        fail "$name: not one row a ship and year"
    mdb-export "$file" Drills |
        awk -F, 'NR > 1 && $7 != "" && !($7 ~ /^"([2-9][02468]|100)"$/) { exit 1 }' ||
        fail "$name: an evaluation is not an even percentage"
    [ -z "$greek" ] || mdb-export "$file" Ships | grep -q "^1,\"$greek\"$" ||
        fail "$name: no Greek name"
    for table in "$expected"/*.csv; do
        mdb-export -T %Y-%m-%d "$file" "$(basename "$table" .csv)" | cmp -s - "$table" ||
            fail "$name: $(basename "$table" .csv) reads back otherwise than written"
    done
}

vouch jet3-greek JET3 "Αγία Ειρήνη" 40 --jet 3 --codepage 1253
vouch jet4 JET4 "" 400 --jet 4
vouch jet4-compressed JET4 "" 40 --jet 4 --compressed-text

[ $failures -eq 0 ] && echo "access fixtures: all read back as written"
exit $((failures > 0))
