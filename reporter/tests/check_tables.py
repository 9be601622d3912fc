#!/usr/bin/env python3
"""Reads the six report tables of one base path back with the csv module and
checks them: every row has the column line's number of fields, ids are
numbers, and the tables join up. Usage: check_tables.py BASE REPORT_TYPE
(the type of a project report).
Prints one line per problem and exits 1 when there is any."""
import csv
import sys

COLUMNS = {
    ".txp": "ProjId, ProjName, ProjRev",
    ".txm": "ProjId, MemberName, MemberType, Revision, ArchId",
    ".txa": "ArchId, ArchiveName, Head, Branch, NumLocks, Strict, Format, Encrypted, Compressed, "
            "TotalRevs, Branches, BranchRevs, Comment, Description",
    ".txx": "ArchId, UserId",
    ".txs": "ArchId, RevNum, Symbol",
    ".txr": "ArchId, RevNum, Date, Author, State, LinesAdded, LinesDeleted, Locker, LogMsg",
}
NUMBERS = {"ProjId", "ArchId", "NumLocks", "Strict", "Encrypted", "Compressed", "TotalRevs", "Branches",
           "BranchRevs", "LinesAdded", "LinesDeleted"}


def main():
    base, report_type = sys.argv[1], int(sys.argv[2])
    problems = []
    tables = {}
    for ext, line in COLUMNS.items():
        with open(base + ext, newline="") as f:
            rows = list(csv.reader(f, skipinitialspace=True))
        header = [c.strip() for c in line.split(",")]
        if not rows or rows[0] != header:
            problems.append(f"{ext}: column line {rows[0] if rows else None}")
            continue
        records = []
        for n, row in enumerate(rows[1:], start=2):
            if len(row) != len(header):
                problems.append(f"{ext} line {n}: {len(row)} fields, not {len(header)}: {row}")
                continue
            record = dict(zip(header, row))
            for name in NUMBERS & record.keys():
                if not record[name].isdigit():
                    problems.append(f"{ext} line {n}: {name} is not a number: {record[name]!r}")
            records.append(record)
        tables[ext] = records
    if len(tables) == len(COLUMNS):
        archives = {r["ArchId"] for r in tables[".txa"]}
        projects = {r["ProjId"] for r in tables[".txp"]}
        for r in tables[".txm"]:
            if r["ProjId"] not in projects:
                problems.append(f".txm: member {r['MemberName']} of unknown project {r['ProjId']}")
            if r["ArchId"] != "0" and r["ArchId"] not in archives | projects:
                problems.append(f".txm: member {r['MemberName']} joins unknown id {r['ArchId']}")
        for ext in (".txr", ".txs", ".txx"):
            for r in tables[ext]:
                if r["ArchId"] not in archives:
                    problems.append(f"{ext}: unknown archive {r['ArchId']}")
        kind = report_type - 6 if report_type >= 6 else report_type
        if kind in (0, 4, 5):
            for a in tables[".txa"]:
                revisions = sum(1 for r in tables[".txr"] if r["ArchId"] == a["ArchId"])
                if int(a["TotalRevs"]) != revisions:
                    problems.append(f".txa: {a['ArchiveName']} has {a['TotalRevs']} revisions, .txr {revisions}")
        if kind == 1 and (tables[".txa"] or tables[".txr"]):
            problems.append("archive rows in a report without archives")
        if kind == 2 and (tables[".txr"] or tables[".txs"]):
            problems.append("revision or symbol rows in a headers-only report")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
