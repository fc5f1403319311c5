#!/usr/bin/env python3
"""Builds data/postal-codes.dat from the npm package jquery-jpostal-ja.

The package carries Japan Post's postal-code list as JSON files named by the
first three digits (json/000.json ... json/999.json), each a JSONP call
jQuery_jpostal_callback([...]) around a list of records

    ["_1000001", prefecture, city, town, street, office, kana x 3]

Output: CP932 text.  A few ASCII header lines (package, version, the data's
own stamp, the number of codes, the body's length and CRC-32), an empty line,
then the body, sorted by code:

    =<prefecture>\t<city>     the area of the codes below, until the next one
    <7 digits>\t<town>        one line per code (no tab when there is no town)

The file is kept as plain text: git packs and deltas it far better than a
compressed file (a monthly refresh adds a small delta), and the program reads
it without unpacking.

Japan Post's conventions are applied: "以下に掲載がない場合" and
"…の次に番地がくる場合" are no town, notes in parentheses are dropped, records
of one code split over several lines are joined, and where one code covers
several towns the part they share is the town.

The same input gives the same bytes: nothing depends on the clock or the order
of the files on disk.

Usage:
    make_postal_data.py 2.14.73 [-o data/postal-codes.dat]   # npm pack that version
    make_postal_data.py jquery-jpostal-ja-2.14.73.tgz -o out.dat
    make_postal_data.py path/to/unpacked/package -o out.dat
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import zlib

PACKAGE = "jquery-jpostal-ja"
MAGIC = "HOXA-POSTAL 1"
CODE_RE = re.compile(r"_(\d{7})")
NUMERALS = set("0123456789０１２３４５６７８９〇一二三四五六七八九十百千")


# ------------------------------------------------------------------ reading

def read_package(source):
    """Returns (version, {name: text}) of the package's package.json and json/*.json."""
    if os.path.isdir(source):
        return read_folder(source)
    if os.path.isfile(source):
        return read_tarball(source)
    if re.fullmatch(r"\d+\.\d+\.\d+", source):
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run(["npm", "pack", "--silent", f"{PACKAGE}@{source}"], cwd=tmp, check=True,
                           stdout=subprocess.DEVNULL)
            tgz = [n for n in os.listdir(tmp) if n.endswith(".tgz")]
            if len(tgz) != 1:
                sys.exit(f"npm pack gave {tgz}")
            return read_tarball(os.path.join(tmp, tgz[0]))
    sys.exit(f"{source}: neither a version, a .tgz nor a folder")


def read_folder(folder):
    files = {}
    for dirpath, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, folder).replace(os.sep, "/")
            if rel == "package.json" or re.fullmatch(r"json/\d{3}\.json", rel):
                with open(path, encoding="utf-8") as f:
                    files[rel] = f.read()
    return package_version(files), files


def read_tarball(path):
    files = {}
    with tarfile.open(path, "r:gz") as tar:
        for m in tar.getmembers():
            rel = m.name.split("/", 1)[1] if "/" in m.name else m.name
            if m.isfile() and (rel == "package.json" or re.fullmatch(r"json/\d{3}\.json", rel)):
                files[rel] = tar.extractfile(m).read().decode("utf-8")
    return package_version(files), files


def package_version(files):
    if "package.json" not in files:
        sys.exit("package.json missing")
    meta = json.loads(files["package.json"])
    if meta.get("name") != PACKAGE:
        sys.exit(f"package.json names {meta.get('name')!r}, not {PACKAGE}")
    return meta["version"]


def records_of(text):
    """The record list inside jQuery_jpostal_callback( ... );"""
    start, end = text.index("["), text.rindex("]")
    return json.loads(text[start:end + 1])


# --------------------------------------------------------------- conventions

def strip_notes(town):
    """Drops notes in parentheses (full- or half-width, nested too); an
    opening parenthesis that is never closed drops the rest."""
    prev = None
    while prev != town:
        prev = town
        town = re.sub(r"（[^（）]*）|\([^()]*\)", "", town)
    town = re.split(r"[（(]", town, maxsplit=1)[0]
    return town


def clean_town(town):
    town = strip_notes(town).strip(" \u3000")
    if town.endswith("以下に掲載がない場合") or "の次に番地がくる場合" in town:
        return ""
    return town


def is_open(town):
    return town.count("（") + town.count("(") > town.count("）") + town.count(")")


def join_split_records(records):
    """Japan Post splits a long town over consecutive records of one code: the
    first opens a parenthesis that a later one closes.  Joined here."""
    out = []
    for code, pref, city, town in records:
        last = out[-1] if out else None
        if last and last[0] == code and last[1] == pref and last[2] == city and is_open(last[3]):
            last[3] += town
        else:
            out.append([code, pref, city, town])
    return out


def shared_part(texts):
    """The part all texts begin with, never ending inside a number (山部西２５線
    and 山部西２６線 share 山部西, not 山部西２)."""
    first = texts[0]
    n = len(first)
    for t in texts[1:]:
        n = min(n, len(t))
        for i in range(n):
            if t[i] != first[i]:
                n = i
                break
    common = first[:n]
    if common and common[-1] in NUMERALS and any(len(t) > n and t[n] in NUMERALS for t in texts):
        common = common.rstrip("".join(NUMERALS))
    return common


def merge_code(entries):
    """One (prefecture, city, town) for all the records of one code."""
    entries = sorted(set(entries))
    if len(entries) == 1:
        return entries[0]
    prefs = {e[0] for e in entries}
    if len(prefs) > 1:
        return ("", "", "")
    cities = {e[1] for e in entries}
    if len(cities) > 1:
        return (entries[0][0], shared_part([e[1] for e in entries]), "")
    return (entries[0][0], entries[0][1], shared_part([e[2] for e in entries]))


def convert(files):
    """{code: (prefecture, city, town)} and the package's own data stamp."""
    stamp = ""
    by_code = {}
    for name in sorted(n for n in files if n.startswith("json/")):
        raw = []
        for rec in records_of(files[name]):
            if rec[0] == "_000info":
                stamp = rec[2]
                continue
            m = CODE_RE.fullmatch(rec[0])
            if not m:
                continue  # the three-digit area records
            raw.append((m.group(1), rec[1].strip(), rec[2].strip(), rec[3]))
        for code, pref, city, town in join_split_records(raw):
            by_code.setdefault(code, []).append((pref, city, clean_town(town)))
    return {code: merge_code(entries) for code, entries in by_code.items()}, stamp


# ------------------------------------------------------------------- writing

def body_text(table):
    lines = []
    area = None
    for code in sorted(table):
        pref, city, town = table[code]
        for field in (pref, city, town):
            if "\t" in field or "\n" in field or "\r" in field:
                sys.exit(f"{code}: tab or line break in {field!r}")
        if (pref, city) != area:
            area = (pref, city)
            lines.append(f"={pref}\t{city}")
        lines.append(f"{code}\t{town}" if town else code)
    return ("\n".join(lines) + "\n").encode("cp932")


def data_file(version, stamp, table):
    body = body_text(table)
    header = (f"{MAGIC}\n"
              f"package {PACKAGE} {version}\n"
              f"data {stamp}\n"
              f"records {len(table)}\n"
              f"body {len(body)} {zlib.crc32(body):08x}\n"
              f"\n")
    return header.encode("ascii") + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("source", help="a version of jquery-jpostal-ja, a .tgz of it or an unpacked package")
    ap.add_argument("-o", "--output", default=os.path.join(here, "..", "..", "data", "postal-codes.dat"))
    args = ap.parse_args()
    version, files = read_package(args.source)
    table, stamp = convert(files)
    if not table:
        sys.exit("no postal codes found")
    out = data_file(version, stamp, table)
    tmp = args.output + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, args.output)
    print(f"{os.path.normpath(args.output)}: {PACKAGE} {version} ({stamp}), "
          f"{len(table)} codes, {len(out)} bytes")


if __name__ == "__main__":
    main()
