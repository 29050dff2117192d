#!/usr/bin/env python3
"""Checks tansa2-grep --json output against the shapes of ripgrep's JSON Lines messages:
begin, match and context lines, end per file, one summary last. Exits 1 with a message on
the first line that doesn't fit."""
import json
import sys

PATH = {"text": str}
def data_of(value):
    return isinstance(value, dict) and len(value) == 1 and (
        isinstance(value.get("text"), str) or isinstance(value.get("bytes"), str))

def duration(value):
    return isinstance(value, dict) and set(value) == {"secs", "nanos", "human"}

def stats(value):
    keys = {"elapsed", "searches", "searches_with_match", "bytes_searched", "bytes_printed",
            "matched_lines", "matches"}
    return isinstance(value, dict) and set(value) == keys and duration(value["elapsed"]) and all(
        isinstance(value[k], int) for k in keys - {"elapsed"})

def line_message(data, with_matches):
    ok = set(data) == {"path", "lines", "line_number", "absolute_offset", "submatches"}
    ok = ok and data_of(data["path"]) and data_of(data["lines"]) and isinstance(data["line_number"], int)
    ok = ok and isinstance(data["absolute_offset"], int) and isinstance(data["submatches"], list)
    if not ok:
        return False
    text = data["lines"].get("text", "").encode()
    for sub in data["submatches"]:
        if set(sub) != {"match", "start", "end"} or not data_of(sub["match"]):
            return False
        if text[sub["start"]:sub["end"]] != sub["match"]["text"].encode():
            return False
    return bool(data["submatches"]) == with_matches or not with_matches

def main():
    messages = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
    state = "between"
    for i, m in enumerate(messages):
        kind, data = m.get("type"), m.get("data")
        good = {
            "begin": lambda: state == "between" and set(data) == {"path"} and data_of(data["path"]),
            "match": lambda: state == "file" and line_message(data, True),
            "context": lambda: state == "file" and line_message(data, False) and not data["submatches"],
            "end": lambda: state == "file" and set(data) == {"path", "binary_offset", "stats"} and stats(data["stats"]),
            "summary": lambda: state == "between" and i == len(messages) - 1 and set(data) == {"elapsed_total", "stats"}
                              and duration(data["elapsed_total"]) and stats(data["stats"]),
        }.get(kind)
        if good is None or not good():
            sys.exit(f"line {i + 1} doesn't fit: {m}")
        state = {"begin": "file", "end": "between"}.get(kind, state)
    if not messages or messages[-1].get("type") != "summary":
        sys.exit("no summary at the end")

main()
