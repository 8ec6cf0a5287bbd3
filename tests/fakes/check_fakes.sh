#!/bin/bash
# Sanity check of the fake programs in tools/fakes: each one is run the way the
# tests run it and its output, exit status and record file are compared with
# what real smartctl (or blink1-tool) would give. Corpus-based checks need the
# recorded smartctl outputs in ../shared/corpus next to the checkout and are
# skipped with a message when that folder is absent.
# Ends with "N passed, M failed"; exits non-zero when anything failed.

set -u

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
fakes="$root/tools/fakes"
corpus="$(cd "$root/.." && pwd)/shared/corpus"

passed=0
failed=0
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

ok() {
    passed=$((passed + 1))
}

bad() {
    failed=$((failed + 1))
    printf 'FAIL: %s\n' "$*"
}

# check NAME COMMAND... : passes when the command succeeds.
check() {
    local name="$1"
    shift
    if "$@"; then ok; else bad "$name"; fi
}

contains() { grep -qF -- "$2" "$1"; }
lacks() { ! grep -qF -- "$2" "$1"; }
line_is() { [ "$(sed -n "${2}p" "$1")" = "$3" ]; }

# ---------------------------------------------------------------- corpus fake

corpus_fake() {
    # corpus_fake REPORT OUTFILE ARGS...
    local report="$1" outfile="$2"
    shift 2
    FAKE_SMARTCTL_REPORT="$report" "$fakes/fake-smartctl-corpus" "$@" >"$outfile" 2>"$tmp/stderr"
}

if [ ! -d "$corpus" ]; then
    echo "corpus not found at $corpus: skipping the checks of fake-smartctl-corpus against recorded outputs"
else
    o="$tmp/out"
    ata="$corpus/ata-healthy/lide_66_MQ01ABD050_a_loadcycle428955.txt"

    corpus_fake "$ata" "$o" -i /dev/sda
    check "corpus -i exit status" [ $? -eq 0 ]
    check "corpus -i banner" line_is "$o" 1 "smartctl 6.6 2017-11-05 r4594 [x86_64-linux-4.19.0-8-amd64] (local build)"
    check "corpus -i blank after banner" line_is "$o" 3 ""
    check "corpus -i header" line_is "$o" 4 "=== START OF INFORMATION SECTION ==="
    check "corpus -i model" contains "$o" "Device Model:     TOSHIBA MQ01ABD050"
    check "corpus -i serial" contains "$o" "Serial Number:    2318F3IUS"
    check "corpus -i last line" contains "$o" "SMART support is: Enabled"
    check "corpus -i no health" lacks "$o" "overall-health"
    check "corpus -i ends with blank line" [ -z "$(tail -n 1 "$o")" ]
    cp "$o" "$tmp/plain-i"

    corpus_fake "$ata" "$o" -T verypermissive -i /dev/sda
    check "corpus -T verypermissive -i equals -i" cmp -s "$o" "$tmp/plain-i"

    corpus_fake "$ata" "$o" -H /dev/sda
    check "corpus -H header" line_is "$o" 4 "=== START OF READ SMART DATA SECTION ==="
    check "corpus -H result" line_is "$o" 5 "SMART overall-health self-assessment test result: PASSED"
    check "corpus -H length" [ "$(wc -l <"$o")" -eq 6 ]

    corpus_fake "$ata" "$o" -c /dev/sda
    check "corpus -c start" line_is "$o" 5 "General SMART Values:"
    check "corpus -c polling time" contains "$o" "( 121) minutes."
    check "corpus -c no attributes" lacks "$o" "SMART Attributes Data Structure"

    corpus_fake "$ata" "$o" -A /dev/sda
    check "corpus -A start" line_is "$o" 5 "SMART Attributes Data Structure revision number: 16"
    check "corpus -A row" contains "$o" "193 Load_Cycle_Count        0x0032   058   058   000    Old_age   Always       -       428955"
    check "corpus -A last row" contains "$o" "240 Head_Flying_Hours"
    check "corpus -A no error log" lacks "$o" "SMART Error Log"

    corpus_fake "$ata" "$o" -l error /dev/sda
    check "corpus -l error" line_is "$o" 5 "SMART Error Log Version: 1"
    check "corpus -l error entries" line_is "$o" 6 "No Errors Logged"

    corpus_fake "$ata" "$o" -l selftest /dev/sda
    check "corpus -l selftest" line_is "$o" 5 "SMART Self-test log structure revision number 1"
    check "corpus -l selftest row" contains "$o" "# 1  Short offline       Completed without error       00%     37943         -"
    check "corpus -l selftest no selective" lacks "$o" "Selective"

    corpus_fake "$ata" "$o" -s on /dev/sda
    check "corpus -s on" contains "$o" "SMART Enabled."
    corpus_fake "$ata" "$o" -t short /dev/sda
    check "corpus -t short begun" contains "$o" "Testing has begun."
    check "corpus -t short minutes" contains "$o" "Please wait 2 minutes for test to complete."
    corpus_fake "$ata" "$o" -t long /dev/sda
    check "corpus -t long minutes" contains "$o" "Please wait 121 minutes for test to complete."
    corpus_fake "$ata" "$o" -X /dev/sda
    check "corpus -X" contains "$o" "Self-testing aborted!"
    corpus_fake "$ata" "$o" -V
    check "corpus -V banner" line_is "$o" 1 "smartctl 6.6 2017-11-05 r4594 [x86_64-linux-4.19.0-8-amd64] (local build)"
    check "corpus -V release" contains "$o" "smartmontools release 6.6"
    corpus_fake "$ata" "$o" -r ataioctl,2 -a /dev/sda
    check "corpus -r ataioctl,2 -a is the whole report" cmp -s "$o" "$ata"

    # -x report: -i leaves out the -g lines; logs in their extended form.
    x="$corpus/ata-healthy/ed_74_ST2000DM008_healthy.txt"
    corpus_fake "$x" "$o" -i /dev/sda
    check "corpus -x -i no APM line" lacks "$o" "APM level is"
    check "corpus -x -i no security line" lacks "$o" "ATA Security is"
    check "corpus -x -i SATA version" contains "$o" "SATA Version is:  SATA 3.1, 6.0 Gb/s (current: 6.0 Gb/s)"
    corpus_fake "$x" "$o" -l error /dev/sda
    check "corpus -x -l error" line_is "$o" 5 "SMART Extended Comprehensive Error Log Version: 1 (5 sectors)"
    check "corpus -x -l error stops at self-test log" lacks "$o" "Self-test"
    corpus_fake "$x" "$o" -l selftest /dev/sda
    check "corpus -x -l selftest" line_is "$o" 5 "SMART Extended Self-test Log Version: 1 (1 sectors)"
    check "corpus -x -l selftest rows" contains "$o" "#19  Short offline"
    check "corpus -x -l selftest no selective" lacks "$o" "Selective"

    # Report pasted with every line indented.
    ind="$corpus/ata-failing/lraid_66_ST4000DM000_x_readfail-indented.txt"
    corpus_fake "$ind" "$o" -i /dev/sda
    check "corpus indented banner" line_is "$o" 1 "smartctl 6.6 2016-05-31 r4324 [x86_64-linux-4.16.5-64] (local build)"
    check "corpus indented header" line_is "$o" 4 "=== START OF INFORMATION SECTION ==="
    check "corpus indented model" line_is "$o" 6 "Device Model:     ST4000DM000-1F2168"
    corpus_fake "$ind" "$o" -H /dev/sda
    check "corpus -H marginal attributes" contains "$o" "Please note the following marginal Attributes:"
    check "corpus -H marginal row" contains "$o" "190 Airflow_Temperature_Cel"

    # Failed health: the failing attributes replace the pointer to the table.
    f543="$corpus/ata-failing/forum_543_HTS543232A7A384_a_FAILING_NOW-UNC-readfail.txt"
    corpus_fake "$f543" "$o" -H /dev/sda
    check "corpus -H FAILED" contains "$o" "SMART overall-health self-assessment test result: FAILED!"
    check "corpus -H failed attributes" contains "$o" "Failed Attributes:"
    check "corpus -H failed row" contains "$o" "5 Reallocated_Sector_Ct   0x0033   001   001   005    Pre-fail  Always   FAILING_NOW 0"

    # Several reports in one file: the first one only.
    cat12="$corpus/ata-healthy/lraid_66_12x-iH_concatenated.txt"
    corpus_fake "$cat12" "$o" -i /dev/sda
    check "corpus concatenated: one model" [ "$(grep -c 'Device Model:' "$o")" -eq 1 ]
    check "corpus concatenated: first model" contains "$o" "WDC WD10EZRX-00A3KB0"
    corpus_fake "$cat12" "$o" -a /dev/sda
    check "corpus concatenated -a: one banner" [ "$(grep -c '^smartctl ' "$o")" -eq 1 ]
    check "corpus concatenated -a: no next device" lacks "$o" "/dev/sdb"

    # NVMe.
    nv="$corpus/nvme/pysmart_72_970EVOPlus_pve.txt"
    corpus_fake "$nv" "$o" -i /dev/nvme0
    check "corpus nvme -i model" contains "$o" "Model Number:                       Samsung SSD 970 EVO Plus 500GB"
    check "corpus nvme -i PCI vendor" contains "$o" "PCI Vendor/Subsystem ID:"
    check "corpus nvme -i no capabilities" lacks "$o" "Firmware Updates"
    check "corpus nvme -i no power states" lacks "$o" "Supported Power States"
    corpus_fake "$nv" "$o" -H /dev/nvme0
    check "corpus nvme -H header" line_is "$o" 4 "=== START OF SMART DATA SECTION ==="
    check "corpus nvme -H result" line_is "$o" 5 "SMART overall-health self-assessment test result: PASSED"
    corpus_fake "$nv" "$o" -A /dev/nvme0
    check "corpus nvme -A" line_is "$o" 5 "SMART/Health Information (NVMe Log 0x02)"
    check "corpus nvme -A sensor" contains "$o" "Temperature Sensor 2:               41 Celsius"
    check "corpus nvme -A no error log" lacks "$o" "Error Information (NVMe"
    corpus_fake "$nv" "$o" -l error /dev/nvme0
    check "corpus nvme -l error" line_is "$o" 5 "Error Information (NVMe Log 0x01, 16 of 64 entries)"
    corpus_fake "$nv" "$o" -c /dev/nvme0
    check "corpus nvme -c header" line_is "$o" 4 "=== START OF INFORMATION SECTION ==="
    check "corpus nvme -c power states" contains "$o" "Supported Power States"
    corpus_fake "$corpus/nvme/ed_nvme_THNSN5512_cw0x01-spare-below-threshold.txt" "$o" -H /dev/nvme0
    check "corpus nvme -H FAILED" contains "$o" "test result: FAILED!"
    check "corpus nvme -H warning" contains "$o" "- available spare has fallen below threshold"
    corpus_fake "$corpus/nvme/ed_nvme_MZVLW256_74_errlog-selftestlog.txt" "$o" -l error /dev/nvme0
    check "corpus nvme error rows" contains "$o" "... (48 entries not read)"
    corpus_fake "$corpus/nvme/ed_nvme_MZVLW256_74_errlog-selftestlog.txt" "$o" -l selftest /dev/nvme0
    check "corpus nvme self-test log" line_is "$o" 5 "Self-test Log (NVMe Log 0x06)"

    # Windows report: CR LF line endings kept on every line.
    win="$corpus/nvme/pysmart_73_win_NetacNVMe.txt"
    corpus_fake "$win" "$o" -i /dev/sda
    check "corpus CRLF kept" [ "$(grep -c $'\r$' "$o")" -eq "$(wc -l <"$o")" ]

    # Errors smartctl prints whatever was asked.
    corpus_fake "$corpus/usb-or-odd/glouton_73_open-failed-megaraid.txt" "$o" -H /dev/sda
    check "corpus open failure on line 4" bash -c "sed -n 4p '$o' | grep -qF ' failed: '"
    corpus_fake "$corpus/usb-or-odd/forum_72_SeagateExpansion-UAS_read-identity-failed.txt" "$o" -A /dev/sda
    check "corpus identity failure" line_is "$o" 4 "Read Device Identity failed: scsi error unsupported field in scsi command"
    check "corpus mandatory command failed" contains "$o" "A mandatory SMART command failed"

    # A self-test already running refuses a new one.
    corpus_fake "$corpus/ata-healthy/rkarlsba_72_ST8000VN0022_a_selftest-in-progress.txt" "$o" -t short /dev/sda
    check "corpus test in progress" contains "$o" "Can't start self-test without aborting current test (10% remaining),"

    # SCSI health line.
    corpus_fake "$corpus/usb-or-odd/glouton_71_HPE-LOGICAL-VOLUME_health-OK.txt" "$o" -H /dev/sda
    check "corpus SCSI health" line_is "$o" 5 "SMART Health Status: OK"

    # Every corpus file: exit 0, banner, blank third line, nothing on stderr.
    while IFS= read -r -d '' f; do
        corpus_fake "$f" "$o" -T verypermissive -i -H -c -A -l error -l selftest -l selective \
            -t short /dev/sda
        rc=$?
        if [ $rc -eq 0 ] && [ ! -s "$tmp/stderr" ] && head -n 1 "$o" | grep -q '^smartctl ' &&
            [ -z "$(sed -n 3p "$o" | tr -d '\r')" ]; then
            ok
        else
            bad "corpus robustness: $(basename "$f") rc=$rc $(head -c 200 "$tmp/stderr")"
        fi
    done < <(find "$corpus" -name '*.txt' -print0 | sort -z)
fi

# Without a report the corpus fake says so.
if FAKE_SMARTCTL_REPORT="" "$fakes/fake-smartctl-corpus" -i /dev/sda >"$tmp/out" 2>"$tmp/stderr"; then
    bad "corpus fake without report should fail"
else
    check "corpus fake without report explains" contains "$tmp/stderr" "FAKE_SMARTCTL_REPORT"
fi

# ---------------------------------------------------------------- ambiguous

rec="$tmp/rec-amb"
FAKE_RECORD="$rec" "$fakes/fake-smartctl-ambiguous" -i /dev/sdb >"$tmp/out"
check "ambiguous exit status" [ $? -eq 0 ]
check "ambiguous banner" bash -c "head -n 1 '$tmp/out' | grep -q '^smartctl '"
check "ambiguous answer" line_is "$tmp/out" 4 "SMART support is: Ambiguous - ATA IDENTIFY DEVICE words 82-83 don't show if SMART supported."
FAKE_RECORD="$rec" "$fakes/fake-smartctl-ambiguous" -T verypermissive -i /dev/sdb >"$tmp/out"
check "ambiguous verypermissive model" contains "$tmp/out" "Device Model:     FAKE AMBIGUOUS DISK"
check "ambiguous verypermissive serial" contains "$tmp/out" "Serial Number:    AMB123"
check "ambiguous verypermissive capacity" contains "$tmp/out" "User Capacity:    500,107,862,016 bytes [500 GB]"
check "ambiguous verypermissive not ambiguous" lacks "$tmp/out" "Ambiguous"
FAKE_AMBIGUOUS_ALWAYS=1 FAKE_RECORD="$rec" "$fakes/fake-smartctl-ambiguous" -T verypermissive -i /dev/sdb >"$tmp/out"
check "ambiguous always" contains "$tmp/out" "SMART support is: Ambiguous"
printf -- '-i\n/dev/sdb\n----\n-T\nverypermissive\n-i\n/dev/sdb\n----\n-T\nverypermissive\n-i\n/dev/sdb\n----\n' >"$tmp/expect"
check "ambiguous record" cmp -s "$rec" "$tmp/expect"

# ---------------------------------------------------------------- hang

mkfifo "$tmp/pipe"
FAKE_RECORD="$tmp/rec-hang" "$fakes/fake-smartctl-hang" -i /dev/sdz >"$tmp/pipe" &
hang_pid=$!
exec {rfd}<"$tmp/pipe"
if read -r -t 5 line <&"$rfd" && [[ "$line" == smartctl* ]]; then ok; else bad "hang prints a banner line"; fi
sleep 0.2
check "hang still running" kill -0 "$hang_pid"
kill "$hang_pid"
wait "$hang_pid" 2>/dev/null
# Once the pid is gone, nothing may keep the pipe open: reading ends at once.
if timeout 5 cat <&"$rfd" >/dev/null; then ok; else bad "hang leaves the pipe open after the kill"; fi
exec {rfd}<&-
check "hang record" contains "$tmp/rec-hang" "/dev/sdz"

# ---------------------------------------------------------------- selfkill

# The status is taken inside a command substitution whose standard error is
# discarded, so the shell's own "Killed" report does not clutter the output.
rc=$({ "$fakes/fake-smartctl-selfkill" -H /dev/sda >"$tmp/out"; echo $?; } 2>/dev/null)
check "selfkill killed by SIGKILL (status $rc)" [ "$rc" -eq 137 ]
check "selfkill printed its lines" contains "$tmp/out" "Copyright (C)"
rc=$({ FAKE_SIGNAL=SEGV "$fakes/fake-smartctl-selfkill" -H /dev/sda >"$tmp/out"; echo $?; } 2>/dev/null)
check "selfkill SIGSEGV (status $rc)" [ "$rc" -eq 139 ]

# ---------------------------------------------------------------- script

printf 'line one\n\xff\xfe not UTF-8\nno final line feed' >"$tmp/bytes"
FAKE_OUTPUT_FILE="$tmp/bytes" FAKE_EXIT=3 "$fakes/fake-smartctl-script" -i /dev/sda >"$tmp/out"
rc=$?
check "script exit status" [ $rc -eq 3 ]
check "script bytes verbatim" cmp -s "$tmp/out" "$tmp/bytes"
FAKE_OUTPUT_FILE="$tmp/bytes" "$fakes/fake-smartctl-script" -i /dev/sda >/dev/null
check "script default exit status" [ $? -eq 0 ]

dir="$tmp/outputs"
mkdir "$dir"
for key in i H c A l-error l-selftest s-on V t-short t-long X capture other; do
    printf 'answer %s\n' "$key" >"$dir/$key.txt"
done
script_key() {
    local expect="$1"
    shift
    local got
    got="$(FAKE_OUTPUT_DIR="$dir" "$fakes/fake-smartctl-script" "$@")"
    if [ "$got" = "answer $expect" ]; then ok; else bad "script key for [$*]: got [$got], want [answer $expect]"; fi
}
script_key i -i /dev/sda
script_key H -H /dev/sda
script_key c -c /dev/sda
script_key A -T verypermissive -A /dev/sda
script_key l-error -l error /dev/sda
script_key l-selftest -T verypermissive -l selftest -
script_key s-on -s on /dev/sda
script_key V -V
script_key t-short -t short /dev/sda
script_key t-long -t long /dev/sda
script_key X -X /dev/sda
script_key capture -r ataioctl,2 -a /dev/sda
script_key other -x /dev/sda
rm "$dir/H.txt"
check "script missing file prints nothing" [ -z "$(FAKE_OUTPUT_DIR="$dir" "$fakes/fake-smartctl-script" -H /dev/sda)" ]

printf 'captured\ninput' | FAKE_RECORD="$tmp/rec-script" FAKE_RECORD_STDIN=1 \
    FAKE_OUTPUT_FILE="$tmp/bytes" "$fakes/fake-smartctl-script" -i - >/dev/null
printf -- '-i\n-\n<stdin>\ncaptured\ninput\n----\n' >"$tmp/expect"
check "script record with stdin" cmp -s "$tmp/rec-script" "$tmp/expect"

# ---------------------------------------------------------------- blink1-tool

FAKE_RECORD="$tmp/rec-blink" "$fakes/fake-blink1-tool" --rgb 255,0,0 -m 100 >"$tmp/out"
check "blink1 exit status" [ $? -eq 0 ]
check "blink1 prints nothing" [ ! -s "$tmp/out" ]
printf -- '--rgb\n255,0,0\n-m\n100\n----\n' >"$tmp/expect"
check "blink1 record" cmp -s "$tmp/rec-blink" "$tmp/expect"

# --------------------------------------------------------------------- pkexec

FAKE_PKEXEC_RECORD="$tmp/rec-pkexec" "$fakes/fake-pkexec" --disable-internal-agent /bin/echo \
    --read -H /dev/sda >"$tmp/out"
check "pkexec runs the program" [ "$(cat "$tmp/out")" = "--read -H /dev/sda" ]
printf -- '--disable-internal-agent\n/bin/echo\n--read\n-H\n/dev/sda\n----\n' >"$tmp/expect"
check "pkexec record" cmp -s "$tmp/rec-pkexec" "$tmp/expect"
FAKE_PKEXEC_ANSWER=not-authorized "$fakes/fake-pkexec" /bin/echo x >"$tmp/out" 2>"$tmp/err"
check "pkexec refusal status" [ $? -eq 127 ]
check "pkexec refusal text" line_is "$tmp/err" 1 \
    "Error executing command as another user: Not authorized"
check "pkexec refusal runs nothing" [ ! -s "$tmp/out" ]
FAKE_PKEXEC_ANSWER=dismissed "$fakes/fake-pkexec" /bin/echo x 2>/dev/null >/dev/null
check "pkexec dismissed status" [ $? -eq 126 ]

# ---------------------------------------------------------------- replay

if [ -x /usr/sbin/smartctl ] && [ -f "$root/resources/samples/healthy.twdr" ]; then
    mkdir -p "$tmp/replay"
    cp "$root/resources/samples/healthy.twdr" "$tmp/replay/sda.twdr"
    FAKE_REPLAY_DIR="$tmp/replay" "$fakes/fake-smartctl-replay" -H /dev/sda >"$tmp/out"
    check "replay -H result" contains "$tmp/out" "self-assessment test result: PASSED"
    FAKE_REPLAY_DIR="$tmp/replay" "$fakes/fake-smartctl-replay" -i /dev/sdb >"$tmp/out"
    check "replay without a capture" contains "$tmp/out" "Smartctl open device: /dev/sdb failed: No such device"
    "$fakes/fake-smartctl-replay" -V >"$tmp/out"
    check "replay -V is smartctl's" contains "$tmp/out" "smartmontools"
else
    echo "smartctl or the sample capture missing: skipping the checks of fake-smartctl-replay"
fi

for f in fake-smartctl-corpus fake-smartctl-ambiguous fake-smartctl-hang fake-smartctl-selfkill \
    fake-smartctl-script fake-smartctl-replay fake-blink1-tool fake-pkexec fake-smartctl-behind-helper; do
    check "$f is executable" [ -x "$fakes/$f" ]
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
