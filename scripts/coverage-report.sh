#!/usr/bin/env bash
# Prints line and branch coverage of the product code, in all and per folder,
# from the .gcda files a coverage build's test run left behind.
# Usage: scripts/coverage-report.sh BUILD_DIR
set -euo pipefail
build=$1
top=$(cd "$(dirname "$0")/.." && pwd)
summary=$build/coverage-summary.json
gcovr --root "$top" --object-directory "$build" \
  --exclude "$top/tests/" --exclude "$top/bench/" --exclude "$top/fuzz/" --exclude "$top/examples/" \
  --json-summary "$summary" 2>"$build/gcovr.log" >/dev/null
python3 - "$summary" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
folders = {}
for f in files:
    folder = f["filename"].split("/")[0]
    total = folders.setdefault(folder, [0, 0, 0, 0])
    total[0] += f["line_covered"]; total[1] += f["line_total"]
    total[2] += f["branch_covered"]; total[3] += f["branch_total"]
def pct(a, b): return 100.0 * a / b if b else 100.0
print(f"{'folder':<12}{'lines':>18}{'branches':>20}")
for name in sorted(folders) + ["all"]:
    t = [sum(v[i] for v in folders.values()) for i in range(4)] if name == "all" else folders[name]
    print(f"{name:<12}{pct(t[0], t[1]):6.1f}% {t[0]:5}/{t[1]:<5}{pct(t[2], t[3]):7.1f}% {t[2]:5}/{t[3]:<5}")
PY
