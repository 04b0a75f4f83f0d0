#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 30) from its seeds; new
# inputs gather under build/fuzz/corpus. Any crash, leak, sanitizer report
# or failed check ends the run with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bin=build/fuzz/tests/fuzz
seeds=tests/fuzz/corpus
declare -A seed=([record_reader]=$seeds/record [record_roundtrip]=$seeds/record
                 [address_book]=$seeds/address_book [modem_replies]=$seeds/modem
                 [control_notation]=$seeds/control_notation [cp1254]=$seeds/cp1254
                 [vcard_reader]=tests/data/vcard [protected_reader]=$seeds/protected
                 [table_import]=$seeds/table)
declare -A dict=([record_reader]=record [record_roundtrip]=record [address_book]=address_book
                 [modem_replies]=modem [control_notation]=modem [cp1254]=record
                 [vcard_reader]=vcard [protected_reader]=protected [table_import]=table)
for name in record_reader record_roundtrip address_book modem_replies control_notation cp1254 \
            vcard_reader protected_reader table_import; do
    work=build/fuzz/corpus/$name
    mkdir -p "$work" build/fuzz/findings
    echo "== $name ($seconds s)"
    status=0
    "$bin/fuzz_$name" "$work" "${seed[$name]}" -dict="tests/fuzz/dict/${dict[$name]}.dict" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix=build/fuzz/findings/"$name"- -print_final_stats=1 \
        > "build/fuzz/$name.log" 2>&1 || status=$?
    grep -E "^stat::number_of_executed_units|^SUMMARY|^==[0-9]+==ERROR" "build/fuzz/$name.log" || true
    if [ "$status" -ne 0 ]; then
        tail -40 "build/fuzz/$name.log"
        echo "fuzz_$name found a problem (see build/fuzz/findings)"
        exit 1
    fi
done
