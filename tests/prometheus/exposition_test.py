"""tarnwell-cli check --prometheus on forged drives replayed by the real smartctl
(passed, failing with reasons, failed, with errors and a failed self-test, unread,
unsupported, names with quotes, backslashes and a line break), parsed back with
prometheus_client's parser and compared with the JSON report of the same check.
Usage: exposition_test.py TARNWELL_CLI TWDR_FORGE; exits 77 (skipped) without
prometheus_client or smartctl."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:
    print("SKIP: prometheus_client (python3-prometheus-client) is not installed")
    sys.exit(77)

SMARTCTL = "/usr/sbin/smartctl"
if not os.access(SMARTCTL, os.X_OK):
    print("SKIP: smartctl is not installed")
    sys.exit(77)

cli, forge = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp()
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work + "/config",
           XDG_DATA_HOME=work + "/data", XDG_STATE_HOME=work + "/state")


def attributes(reallocated, pending):
    return [{"id": 5, "raw": reallocated}, {"id": 9, "raw": 4242}, {"id": 194, "raw": 38},
            {"id": 197, "raw": pending}, {"id": 198, "raw": pending}]


examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tools/twdr-forge/examples")
odd = os.path.join(work, 'we"ird\\dir')
os.mkdir(odd)
DRIVES = [
    ("passed", {"identity": {"model": 'FORGED "QUOTED" \\ DISK', "serial": 'SER\\IAL"01'},
                "attributes": attributes(0, 0)}),
    ("failing", {"identity": {"serial": "FAILING02"}, "attributes": attributes(24, 8)}),
    ("failed", {"identity": {"serial": "FAILED03"}, "health": "failing"}),
    ("with-errors", json.load(open(os.path.join(examples, "with-errors.json")))),
    ("with-selftests", json.load(open(os.path.join(examples, "with-selftests.json")))),
    (os.path.join(odd, "line\nbreak"), {"identity": {"model": "LINE BREAK"}}),
]
targets = []
for name, description in DRIVES:
    source = os.path.join(work, "drive%d.json" % len(targets))
    with open(source, "w") as f:
        json.dump(description, f)
    targets.append(os.path.join(work, name + ".twdr"))
    subprocess.run([forge, source, "-o", targets[-1]], check=True)
unread = os.path.join(work, "unread.twdr")
with open(unread, "w") as f:
    f.write("This is not a capture.\n")
# smartctl cannot type the first device (UNSUPPORTED); the second is not there
# (named, so UNKNOWN with smartctl's own line).
targets += [unread, "/dev/tarnwell-no-such-disk", "/dev/sdzz"]

metrics_file = os.path.join(work, "metrics", "tarnwell.prom")
os.mkdir(os.path.dirname(metrics_file))
common = ["check", "--smartctl", SMARTCTL, "--show-unsupported"]
started = time.time()
run = subprocess.run([cli] + common + ["--json", "--prometheus", metrics_file] + targets,
                     env=env, capture_output=True, text=True)
ended = time.time()
report = json.loads(run.stdout)
# A failed drive makes the check critical.
assert run.returncode == report["exitStatus"] == 2, (run.returncode, run.stderr)
families = {f.name: f for f in text_string_to_metric_families(open(metrics_file).read())}
failures = []


def check(what, got, expected):
    if got != expected:
        failures.append("%s: got %r, expected %r" % (what, got, expected))


def samples(name, drive_key):
    family = families.get(name)
    found = {}
    for sample in family.samples if family else []:
        labels = dict(sample.labels)
        key = (labels.pop("device"), labels.pop("serial"), labels.pop("model"))
        if key == drive_key:
            found[tuple(sorted(labels.items()))] = sample.value
    return found


def single(name, key):
    found = samples(name, key)
    return found.get((), "absent") if found else "absent"


def raw(drive, attribute_id):
    for attribute in drive["attributes"] or []:
        if attribute["idNumber"] == attribute_id and attribute["raw"] != -1:
            return attribute["raw"]
    return None


for drive in report["drives"]:
    key = (drive["location"], drive["serialNumber"] or "", drive["model"] or "")
    name = repr(drive["location"])
    check(name + " info", samples("tarnwell_drive_info", key),
          {(("firmware", drive["firmwareVersion"] or ""),): 1.0})
    check(name + " health", single("tarnwell_drive_health", key), drive["health"])
    statuses = samples("tarnwell_drive_status", key)
    check(name + " status", {s[0][1] for s, v in statuses.items() if v == 1}, {drive["status"]})
    check(name + " status words", len(statuses), 7)
    check(name + " failure reasons", {s[0][1] for s in samples("tarnwell_drive_failure_reason", key)},
          set(drive["failureReasonsText"] or []))
    check(name + " read failure", {s[0][1] for s in samples("tarnwell_drive_read_failure", key)},
          {drive["readFailure"]} if drive["readFailure"] else set())
    has_values = drive["smartSupport"] or drive["readFailure"] is not None
    temperature = raw(drive, 194) if raw(drive, 194) is not None else raw(drive, 190)
    reallocated = raw(drive, 5)
    hours = raw(drive, 9)
    expected = {
        "temperature_celsius": temperature,
        "power_on_seconds": hours * 3600 if hours is not None else None,
        "reallocated_sectors": reallocated if reallocated is not None and reallocated <= 10000 else None,
        "pending_sectors": raw(drive, 197),
        "offline_uncorrectable_sectors": raw(drive, 198),
        "error_log_entries": drive["errorCount"]
        if drive["errorLog"] is not None and (drive["errorLogVersion"] or drive["errorCount"]) else None,
        "self_test_failed": int(drive["selftestFail"] or drive["testsFail"])
        if drive["selfTestLog"] is not None or drive["selfTestLogRevision"] else None,
    }
    for metric, value in expected.items():
        check(name + " " + metric, single("tarnwell_drive_" + metric, key),
              value if has_values and value is not None else "absent")

check("statuses", sorted(d["status"] for d in report["drives"]),
      sorted(["PASSED", "FAILING", "FAILED", "PASSED", "FAILING", "PASSED", "UNKNOWN", "UNKNOWN",
             "UNSUPPORTED"]))
check("line break label", any("\n" in d["location"] for d in report["drives"]), True)
check("merged status", families["tarnwell_merged_status"].samples[0].value, report["mergedStatus"])
check("check success", families["tarnwell_check_success"].samples[0].value, 1)
stamp = families["tarnwell_check_timestamp_seconds"].samples[0].value
check("timestamp within the run", started - 1 <= stamp <= ended + 1, True)
duration = families["tarnwell_check_duration_seconds"].samples[0].value
check("duration within the run", 0 < duration <= ended - started, True)
check("no temporary files", os.listdir(os.path.dirname(metrics_file)), ["tarnwell.prom"])

# "-": the exposition instead of the verdict lines, the exit status unchanged.
out = subprocess.run([cli] + common + ["--prometheus", "-"] + targets, env=env,
                     capture_output=True, text=True)
check("exit status with -", out.returncode, run.returncode)
check("families with -", sorted(f.name for f in text_string_to_metric_families(out.stdout)),
      sorted(families))
check("no verdict lines with -", "TARNWELL" in out.stdout, False)

promtool = shutil.which("promtool")
if promtool:
    lint = subprocess.run([promtool, "check", "metrics"], input=open(metrics_file).read(),
                          capture_output=True, text=True)
    check("promtool check metrics", (lint.returncode, lint.stdout + lint.stderr), (0, ""))
else:
    print("promtool not found: promtool check metrics skipped")

shutil.rmtree(work)
for failure in failures:
    print("FAIL:", failure)
print("%d drives compared, %d failures" % (len(report["drives"]), len(failures)))
sys.exit(1 if failures else 0)
