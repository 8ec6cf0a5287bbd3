#!/usr/bin/env bash
# Forges every example drive description with twdr-forge, replays the captures through the
# real smartctl and checks the lines it prints.
#
#   forge_replay_test.sh FORGE_BINARY
#
# SMARTCTL overrides the smartctl program (default /usr/sbin/smartctl). Exits 77 (skipped)
# when smartctl is missing, 1 when any check fails.

set -u

forge=${1:?usage: forge_replay_test.sh FORGE_BINARY}
smartctl=${SMARTCTL:-/usr/sbin/smartctl}
here=$(cd "$(dirname "$0")" && pwd)
examples=$here/../../tools/twdr-forge/examples

if [[ ! -x $smartctl ]]; then
    echo "SKIP: $smartctl not found"
    exit 77
fi
if [[ ! -x $forge ]]; then
    echo "FAIL: forge program $forge is not executable"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
name=""    # current example
capture="" # current capture file
out=""     # output of the last replay
rc=0       # exit status of the last replay
opts=""    # options of the last replay

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAIL [$name] $*"
}

# forge EXAMPLE: writes the example's capture and makes it the current one.
forge() {
    name=$1
    capture=$work/$name.twdr
    if "$forge" "$examples/$name.json" -o "$capture"; then
        pass
    else
        fail "twdr-forge failed on $name.json"
    fi
}

# replay OPTION...: runs smartctl with the options on the current capture.
replay() {
    opts="$*"
    out=$("$smartctl" "$@" - <"$capture" 2>&1)
    rc=$?
}

# has TEXT: the last replay printed a line containing TEXT.
has() {
    if grep -qF -- "$1" <<<"$out"; then pass; else fail "smartctl $opts: no line with: $1"; fi
}

# matches REGEX: the last replay printed a line matching the extended regular expression.
matches() {
    if grep -qE -- "$1" <<<"$out"; then pass; else fail "smartctl $opts: no line matching: $1"; fi
}

# lacks TEXT: the last replay printed no line containing TEXT.
lacks() {
    if grep -qF -- "$1" <<<"$out"; then
        fail "smartctl $opts: unexpected line: $(grep -F -- "$1" <<<"$out" | head -n 1)"
    else
        pass
    fi
}

# clean_a: "-a" replays every recorded command in order, with a status of 0 or the given one.
clean_a() {
    replay -a
    lacks "REPLAY-IOCTL"
    if ((rc & 7)); then fail "smartctl -a: exit status $rc (command line, open or command failure)"; else pass; fi
}

# recaptures: "-r ataioctl,2 -a" writes the command blocks again, and the new capture replays
# as the forged one does.
recaptures() {
    local blocks again
    blocks=$(grep -c '^REPORT-IOCTL: .* returned ' "$capture")
    replay -r ataioctl,2 -a
    again=$(grep -c '^REPORT-IOCTL: Device=- .* returned ' <<<"$out")
    if ((again > 0)); then pass; else fail "-r ataioctl,2 -a printed no REPORT-IOCTL blocks"; fi
    printf '%s\n' "$out" >"$work/$name.recaptured.twdr"
    local model
    model=$(grep -m1 '^Device Model:' <<<"$out")
    local original=$capture
    capture=$work/$name.recaptured.twdr
    replay -a
    capture=$original
    if grep -qF -- "$model" <<<"$out"; then pass; else fail "re-capture does not replay: $model"; fi
    if ((again == blocks)) || [[ $name == smart-disabled ]]; then
        pass
    else
        fail "re-capture has $again command blocks, the forged capture $blocks"
    fi
}

# ---------------------------------------------------------------------------------------
forge minimal
clean_a
has "Device Model:     FORGED TEST DISK 1TB"
has "User Capacity:    1,000,204,886,016 bytes [1.00 TB]"
has "SMART overall-health self-assessment test result: PASSED"
matches "^194 Temperature_Celsius +0x0022 +035 +045 +000 +Old_age +Always +- +35 \(Min/Max 18/45\)$"
has "No Errors Logged"
has "No self-tests have been logged."
recaptures

# ---------------------------------------------------------------------------------------
forge healthy
clean_a
replay -i
has "Device Model:     FORGE HX16000 ENTERPRISE"
has "Serial Number:    ZL2FRG0A"
has "LU WWN Device Id: 5 000c50 0a1b2c3d4"
has "Firmware Version: SN04"
has "User Capacity:    16,000,900,661,248 bytes [16.0 TB]"
has "Sector Sizes:     512 bytes logical, 4096 bytes physical"
has "Rotation Rate:    7200 rpm"
has "Form Factor:      3.5 inches"
has "ATA Version is:   ACS-3 T13/2161-D revision 4"
has "SATA Version is:  SATA 3.3, 6.0 Gb/s (current: 6.0 Gb/s)"
has "SMART support is: Enabled"
replay -H
has "SMART overall-health self-assessment test result: PASSED"
replay -c
has "Offline data collection status:  (0x82)"
matches "^data collection:[[:space:]]+\(  567\) seconds\.$"
matches "^recommended polling time:[[:space:]]+\(1530\) minutes\.$"
replay -A
has "SMART Attributes Data Structure revision number: 10"
matches "^  1 Raw_Read_Error_Rate +0x000f +082 +064 +044 +Pre-fail +Always +- +163345236$"
matches "^241 Total_LBAs_Written +0x0000 +100 +253 +000 +Old_age +Offline +- +81985529216$"
replay -l selftest
has "# 1  Extended offline    Completed without error       00%      9850         -"
has "# 2  Short offline       Completed without error       00%      9700         -"
replay -l error
has "No Errors Logged"
recaptures

# ---------------------------------------------------------------------------------------
forge smart-disabled
replay -i
has "Device Model:     FORGE DT500 HD"
has "Serial Number:    FRGDIS000001"
has "Firmware Version: AB10"
has "User Capacity:    500,107,862,016 bytes [500 GB]"
has "SMART support is: Disabled"
replay -a
has "SMART Disabled. Use option -s with argument 'on' to enable it."
replay -s on
has "SMART Enabled."
lacks "SMART Enable failed"
replay -s on -a
lacks "REPLAY-IOCTL"
has "SMART Enabled."
has "SMART overall-health self-assessment test result: PASSED"
recaptures

# ---------------------------------------------------------------------------------------
forge failing-health
clean_a
if ((rc & 8)); then pass; else fail "smartctl -a: exit status $rc lacks the failing-status bit 8"; fi
replay -i
has "Device Model:     FORGE MQ2000 HD"
has "SATA Version is:  SATA 2.6, 3.0 Gb/s (current: 3.0 Gb/s)"
replay -H
has "SMART overall-health self-assessment test result: FAILED!"
has "Failed Attributes:"
matches "^  5 Reallocated_Sector_Ct +0x0033 +003 +003 +010 +Pre-fail +Always +FAILING_NOW +3920$"
lacks "PASSED"
recaptures

# ---------------------------------------------------------------------------------------
forge with-errors
clean_a
replay -l error
has "ATA Error Count: 3"
lacks "device log contains only"
lacks "inconsistent with error log pointer"
has "Error 3 occurred at disk power-on lifetime: 4321 hours (180 days + 1 hours)"
has "  40 51 08 56 34 12 e0  Error: UNC 8 sectors at LBA = 0x00123456 = 1193046"
has "  c8 00 08 56 34 12 e0 08   1d+01:01:01.234  READ DMA"
has "  ca 00 10 ef cd ab e0 08   1d+01:01:00.000  WRITE DMA"
has "Error 2 occurred at disk power-on lifetime: 4300 hours (179 days + 4 hours)"
has "  84 51 00 10 00 00 ea  Error: ICRC, ABRT at LBA = 0x0a000010 = 167772176"
has "Error 1 occurred at disk power-on lifetime: 12 hours (0 days + 12 hours)"
has "the device was doing SMART Offline or Self-test."
has "  b0 d0 01 00 4f c2 a0 00      00:00:01.500  SMART READ DATA"
recaptures

# ---------------------------------------------------------------------------------------
forge with-selftests
clean_a
replay -l selftest
has "# 1  Short offline       Completed: read failure       40%      7342         2930466576"
has "# 2  Short offline       Completed without error       00%      7300         -"
has "# 3  Extended offline    Completed without error       00%      7000         -"
has "# 4  Short captive       Completed without error       00%      6800         -"
has "# 5  Short offline       Aborted by host               00%      6500         -"
lacks "# 6"
replay -c
has "Self-test execution status:      ( 116)	The previous self-test completed having"
recaptures

# ---------------------------------------------------------------------------------------
forge ssd
clean_a
replay -i
has "Rotation Rate:    Solid State Device"
has "TRIM Command:     Available"
has "SATA Version is:  SATA 3.2, 6.0 Gb/s (current: 3.0 Gb/s)"
replay -A
matches "^  5 Reallocated_Sector_Ct +0x0032 +100 +100 +000 +Old_age +Always +- +0$"
replay -a
has "Selective Self-tests/Logging not supported"
recaptures

# ---------------------------------------------------------------------------------------
# Bad input: a clear message, exit status 1, and an existing output file left alone.
name=bad-input
capture=$work/kept.twdr
echo "previous content" >"$capture"
check_rejected() {
    local json=$1 message=$2 status
    printf '%s' "$json" >"$work/bad.json"
    "$forge" "$work/bad.json" -o "$capture" 2>"$work/stderr"
    status=$?
    if ((status == 1)); then pass; else fail "exit status $status for $json"; fi
    if grep -qF -- "$message" "$work/stderr"; then
        pass
    else
        fail "message for $json: $(cat "$work/stderr")"
    fi
    if [[ $(cat "$capture") == "previous content" ]]; then pass; else fail "output changed by $json"; fi
}
check_rejected '{"identity": {"model": "x"' "JSON syntax error"
check_rejected '{"identity": {"modle": "x"}}' 'unknown key "modle" in identity'
check_rejected '{"attributes": [{"id": 5, "flags": 70000}]}' "attributes[0].flags: 70000 is out of range 0..65535"
check_rejected '{"errorLog": {"count": 1, "entries": [{}, {}]}}' "errorLog.count: 1 is less than the 2 entries given"
check_rejected '{"selfTestLog": [{"type": "short"}]}' "selfTestLog[0].type"

echo "$passed passed, $failed failed"
((failed == 0))
