"""Prints the medians of Google Benchmark JSON reports beside their budgets; exits 1 when a
benchmark reported an error or a median is over its budget."""
import json
import sys

UNITS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def main(budget_file, *reports):
    budgets = {}
    with open(budget_file) as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if len(line) == 2:
                budgets[line[0]] = float(line[1])
    failed = []
    read_ms = None
    rows = []
    for path in reports:
        with open(path) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            name = b.get("run_name", b["name"])
            if b.get("error_occurred"):
                failed.append(f"{name}: {b.get('error_message', 'error')}")
                continue
            aggregate = b.get("aggregate_name")
            if aggregate not in (None, "median"):
                continue
            ms = b["real_time"] * UNITS[b.get("time_unit", "ns")]
            extra = {k: v for k, v in b.items() if k not in ("name", "run_name", "run_type", "repetitions",
                     "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
                     "aggregate_name", "aggregate_unit", "family_index", "per_family_instance_index")}
            rows.append((name, ms, extra))
            if name == "read_file":
                read_ms = ms
    print(f"{'benchmark':<22} {'median':>12} {'x read':>8} {'budget':>10}")
    for name, ms, extra in rows:
        ratio = f"{ms / read_ms:8.2f}" if read_ms else f"{'':>8}"
        budget = budgets.get(name)
        mark = ""
        if budget is not None:
            mark = f"{budget:7.3f} ms"
            if ms > budget:
                mark += "  OVER"
                failed.append(f"{name}: {ms:.3f} ms is over its budget of {budget} ms")
        for key, value in extra.items():
            limit = budgets.get(f"{name}:{key}")
            if limit is not None and isinstance(value, (int, float)) and value > limit:
                failed.append(f"{name}: {key} {value:g} is over its budget of {limit:g}")
        counters = "  ".join(f"{k} {v:g}" for k, v in extra.items() if isinstance(v, (int, float)))
        print(f"{name:<22} {ms:9.3f} ms {ratio} {mark:>10}  {counters}".rstrip())
    for line in failed:
        print("FAILED " + line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
