"""The Prometheus resources as their users load them.

    resources_test.py dashboard SOURCE_DIR   the Grafana dashboard imports as it is:
        valid JSON, unique panel ids, every query on the dashboard's own data
        source variable, no variable it does not define; with promtool, every
        query is valid PromQL.
    resources_test.py rules SOURCE_DIR       promtool check rules, and promtool
        test rules (tests/prometheus/tarnwell.rules.test.yml): when each alert fires.

Exits 77 (skipped) where promtool is needed and not installed.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

mode, source = sys.argv[1], sys.argv[2]
resources = os.path.join(source, "resources", "prometheus")
promtool = shutil.which("promtool")
failures = []


def promtool_run(*arguments):
    run = subprocess.run([promtool] + list(arguments), capture_output=True, text=True)
    if run.returncode != 0:
        failures.append("promtool %s: %s%s" % (" ".join(arguments), run.stdout, run.stderr))


if mode == "rules":
    if not promtool:
        print("SKIP: promtool (Debian package prometheus) is not installed")
        sys.exit(77)
    promtool_run("check", "rules", os.path.join(resources, "tarnwell.rules.yml"))
    promtool_run("test", "rules", os.path.join(source, "tests", "prometheus", "tarnwell.rules.test.yml"))
else:
    dashboard = json.load(open(os.path.join(resources, "tarnwell-dashboard.json")))
    variables = {v["name"] for v in dashboard["templating"]["list"]}
    panels = dashboard["panels"]
    ids = [panel["id"] for panel in panels]
    if len(ids) != len(set(ids)) or not dashboard.get("uid"):
        failures.append("panel ids %s, uid %r" % (ids, dashboard.get("uid")))
    expressions = []
    for panel in panels:
        for target in panel["targets"]:
            if target["datasource"]["uid"] != "${datasource}":
                failures.append("panel %d queries %r" % (panel["id"], target["datasource"]))
            used = set(re.findall(r"\$(\w+)", target["expr"]))
            if not used <= variables:
                failures.append("panel %d uses undefined %s" % (panel["id"], used - variables))
            expressions.append(target["expr"].replace("$instance", ".*"))
    if "tarnwell" not in " ".join(expressions) or len(expressions) < 10:
        failures.append("expected the dashboard's queries, found %r" % expressions)
    if promtool:
        # promtool parses PromQL only in rule files: each query as a recording rule.
        folder = tempfile.mkdtemp()
        path = os.path.join(folder, "queries.yml")
        rules = [{"record": "query:%d" % i, "expr": e} for i, e in enumerate(expressions)]
        with open(path, "w") as f:
            json.dump({"groups": [{"name": "dashboard", "rules": rules}]}, f)
        promtool_run("check", "rules", path)
        shutil.rmtree(folder)
    else:
        print("promtool not found: the dashboard's PromQL is not parsed")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
