#!/bin/sh
# Runs the layer's differential table natively and, as a Windows program,
# under Wine, and fails unless both print the same lines.
#
# usage: compare_tables.sh NATIVE_TABLE WINDOWS_TABLE WINE PREFIX WORK_DIR
set -u
native_table=$1 windows_table=$2 wine=$3 prefix=$4 work=$5
mkdir -p "$work"

if ! "$native_table" > "$work/native.txt"; then
  echo "the native table failed"
  exit 1
fi
# Wine takes its locale from the environment; the table expects US English.
# Its console writes CR LF line ends.
if ! LC_ALL=C.UTF-8 WINEPREFIX="$prefix" WINEDEBUG=-all "$wine" "$windows_table" > "$work/windows.raw"; then
  echo "the Windows table failed under Wine"
  exit 1
fi
tr -d '\r' < "$work/windows.raw" > "$work/windows.txt"

# Each table ends with its case count: a run cut short fails here.
for side in native windows; do
  if ! tail -n 1 "$work/$side.txt" | grep -q '^end | [1-9][0-9]* cases$'; then
    echo "the $side table did not run to its end"
    exit 1
  fi
done

if ! diff -u "$work/windows.txt" "$work/native.txt"; then
  echo "the portable layer (+) differs from Windows under Wine (-)"
  exit 1
fi
echo "both tables agree: $(tail -n 1 "$work/native.txt")"
