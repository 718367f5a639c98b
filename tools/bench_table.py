#!/usr/bin/env python3
"""Prints the benchmark results file that scripts/bench.sh writes as one
table, and compares two such files.

    bench_table.py table RESULTS.tsv
    bench_table.py compare OLD.tsv NEW.tsv

The results file (docs/benchmarks.md): lines starting with "#" say when and
where it was measured; then one header line and one row per figure, tab
separated, in the columns of COLUMNS below.
"""
import sys

COLUMNS = ["key", "what", "parameter", "unit", "measured", "baseline", "ratio",
           "low", "high", "goal", "met", "runs"]


class ResultsError(Exception):
    pass


def read_results(path):
    """(comments, rows): the "#" lines, and each row as a dict of COLUMNS."""
    comments, rows, header = [], [], None
    with open(path, encoding="utf-8") as results:
        for number, line in enumerate(results, 1):
            line = line.rstrip("\r\n")
            if not line:
                continue
            if line.startswith("#"):
                comments.append(line[1:].strip())
                continue
            fields = line.split("\t")
            if header is None:
                if fields != COLUMNS:
                    raise ResultsError(f"{path}:{number}: header is not {' '.join(COLUMNS)}")
                header = fields
                continue
            if len(fields) != len(COLUMNS):
                raise ResultsError(f"{path}:{number}: {len(fields)} columns, expected {len(COLUMNS)}")
            rows.append(dict(zip(COLUMNS, fields)))
    if header is None:
        raise ResultsError(f"{path}: no header line")
    return comments, rows


def number(text, digits):
    try:
        return f"{float(text):,.{digits}f}"
    except ValueError:
        return text


def amount(row, column):
    unit = row["unit"]
    digits = 1 if unit in ("ms", "KiB") else 2
    return f"{number(row[column], digits)} {unit}"


def spread(row):
    if row["low"] == row["high"]:
        return "exact"
    return f"{number(row['low'], 2)}-{number(row['high'], 2)}"


def print_columns(header, lines, right):
    widths = [max(len(str(cells[i])) for cells in [header] + lines) for i in range(len(header))]
    for cells in [header] + lines:
        out = []
        for i, cell in enumerate(cells):
            out.append(str(cell).rjust(widths[i]) if right[i] else str(cell).ljust(widths[i]))
        print("  ".join(out).rstrip())


def table(path):
    comments, rows = read_results(path)
    for comment in comments:
        print(comment)
    header = ["what", "size/parameter", "measured", "baseline", "ratio", "spread", "goal", "met"]
    lines = [[row["what"], row["parameter"], amount(row, "measured"), amount(row, "baseline"),
              number(row["ratio"], 3), spread(row), row["goal"], row["met"]] for row in rows]
    print_columns(header, lines, [False, False, True, True, True, True, False, False])
    goals = [row for row in rows if row["met"] in ("yes", "no")]
    missed = [row for row in goals if row["met"] == "no"]
    print(f"{len(goals) - len(missed)} of {len(goals)} goals met" +
          (": missed " + ", ".join(row["key"] for row in missed) if missed else ""))


def compare(old_path, new_path):
    _, old_rows = read_results(old_path)
    _, new_rows = read_results(new_path)
    old = {row["key"]: row for row in old_rows}
    header = ["what", "size/parameter", "old ratio", "new ratio", "change", "new spread", "met"]
    lines = []
    for row in new_rows:
        before = old.get(row["key"])
        if before is None:
            lines.append([row["what"], row["parameter"], "-", number(row["ratio"], 3), "new", spread(row), row["met"]])
            continue
        was, now = float(before["ratio"]), float(row["ratio"])
        change = f"{(now - was) / was * 100.0:+.1f}%" if was else "-"
        lines.append([row["what"], row["parameter"], number(before["ratio"], 3), number(row["ratio"], 3),
                      change, spread(row), row["met"]])
    gone = [key for key in old if key not in {row["key"] for row in new_rows}]
    print(f"ratios of {new_path} against {old_path}:")
    print_columns(header, lines, [False, False, True, True, True, True, False])
    if gone:
        print("no longer measured: " + ", ".join(gone))


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "table":
            table(argv[2])
        elif len(argv) == 4 and argv[1] == "compare":
            compare(argv[2], argv[3])
        else:
            print(__doc__.strip(), file=sys.stderr)
            return 2
    except (OSError, ResultsError) as error:
        print(f"bench_table: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
