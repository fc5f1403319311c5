#!/usr/bin/env python3
"""Builds data/postal-codes.dat from Japan Post's postal-code list.

Two sources are read:

- the npm package jquery-jpostal-ja, which carries the list as JSON files named
  by the first three digits (json/000.json ... json/999.json), each a JSONP
  call jQuery_jpostal_callback([...]) around a list of records

      ["_1000001", prefecture, city, town, street, office, kana x 3]

- Japan Post's own monthly files as published: ken_all (KEN_ALL.CSV, the
  ordinary codes) and jigyosyo (JIGYOSYO.CSV, the codes of large offices), as
  the downloaded .zip or the unpacked .CSV, CP932 (the one-record-a-line UTF-8
  edition is read too).  Long towns there run over several records.

Output: CP932 text.  A few ASCII header lines (source, version, the data's own
stamp, the number of codes, the body's length and CRC-32), an empty line, then
the body, sorted by code:

    =<prefecture>\t<city>     the area of the codes below, until the next one
    <7 digits>\t<town>        one line per code (no tab when there is no town)

The file is kept as plain text: git packs and deltas it far better than a
compressed file (a monthly refresh adds a small delta), and the program reads
it without unpacking.

Japan Post's conventions are applied: "以下に掲載がない場合", "…の次に番地がくる
場合" in every form ("…の次に６６４番地以降がくる場合") and "<town>一円" are no
town; its notes in parentheses are dropped (（次のビルを除く）, （地階・階層不明）,
ranges of 丁目 and 番地, （その他） ...), while the part of a building's name in
parentheses stays (名駅ミッドランドスクエア（高層棟）１階); records of one code
split over several lines are joined.  Where one code covers several places, the
address holds only whole units they share: the prefecture when the cities
differ (or a county or designated city they share), the city when the towns
differ; a shared part of the towns only where Japan Post's own list shows it is
a town (春日明河原 / 春日一番割 share 春日, a town of the same city) or it stands
before differing 丁目, 番地 or 線 numbers (山部西２５線 / 山部西２６線 share 山部西).

The same input gives the same bytes: nothing depends on the clock or the order
of the files on disk.

Usage:
    make_postal_data.py 2.14.73 [-o data/postal-codes.dat]    # npm pack that version
    make_postal_data.py jquery-jpostal-ja-2.14.73.tgz -o out.dat
    make_postal_data.py path/to/unpacked/package -o out.dat
    make_postal_data.py ken_all.zip jigyosyo.zip [-o data/postal-codes.dat]
"""

import argparse
import csv
import io
import json
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
import zlib

PACKAGE = "jquery-jpostal-ja"
JAPAN_POST = "japanpost"
MAGIC = "HOXA-POSTAL 1"
CODE_RE = re.compile(r"_(\d{7})")
NUMERALS = "0123456789０１２３４５６７８９〇一二三四五六七八九十百千"


# ------------------------------------------------------ reading: npm package

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
    sys.exit(f"{source}: neither a version, a .tgz, a folder nor Japan Post's .zip or .CSV")


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


def package_records(files):
    """[(code, prefecture, city, town)] in the package's order, and its data stamp."""
    stamp = ""
    out = []
    for name in sorted(n for n in files if n.startswith("json/")):
        for rec in records_of(files[name]):
            if rec[0] == "_000info":
                stamp = rec[2]
                continue
            m = CODE_RE.fullmatch(rec[0])
            if m:  # not one of the three-digit area records
                out.append((m.group(1), rec[1].strip(), rec[2].strip(), rec[3]))
    return out, stamp


# ------------------------------------------------- reading: Japan Post's files

def read_japan_post(paths):
    """[(code, prefecture, city, town)] of ken_all and jigyosyo files, and the
    newest date of the files inside the zips ("" for bare CSV files)."""
    records, stamp = [], ""
    for path in paths:
        for name, raw, date in csv_files(path):
            rows = list(csv.reader(io.StringIO(decode(raw, name))))
            width = {len(r) for r in rows if r}
            if width == {15}:  # ken_all: code, prefecture, city, town in columns 2, 6, 7, 8
                records += [(r[2], r[6], r[7], r[8]) for r in rows if r]
            elif width == {13}:  # jigyosyo: prefecture, city, town, code in columns 3, 4, 5, 7
                records += [(r[7], r[3], r[4], r[5]) for r in rows if r]
            else:
                sys.exit(f"{name}: neither ken_all (15 columns) nor jigyosyo (13 columns): {sorted(width)}")
            stamp = max(stamp, date)
    for code, *_ in records:
        if not re.fullmatch(r"\d{7}", code):
            sys.exit(f"not a postal code: {code!r}")
    return records, stamp


def csv_files(path):
    """(name, bytes, date) of the CSV file, or of each CSV file in the zip."""
    if zipfile.is_zipfile(path):
        with zipfile.ZipFile(path) as z:
            for info in sorted(z.infolist(), key=lambda i: i.filename):
                if info.filename.lower().endswith(".csv"):
                    yield info.filename, z.read(info), "%04d-%02d-%02d" % info.date_time[:3]
    else:
        with open(path, "rb") as f:
            yield os.path.basename(path), f.read(), ""


def decode(raw, name):
    for encoding in ("utf-8-sig", "cp932"):
        try:
            return raw.decode(encoding)
        except UnicodeDecodeError:
            pass
    sys.exit(f"{name}: neither UTF-8 nor CP932")


# --------------------------------------------------------------- conventions

FLOOR = re.compile(r"（([０-９0-9]+階)）")


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


def strip_notes(town):
    """Drops Japan Post's notes in parentheses (full- or half-width, nested
    too; an opening parenthesis that is never closed drops the rest).  A floor
    （１階） is written without them, and the part of a building's name in them
    stays: one that stands before the floor or its note （地階・階層不明）."""
    town = FLOOR.sub(r"\1", town)
    kept = []

    def keep_building_part(m):
        rest = town[m.end():]
        if re.match(r"[０-９0-9]+階|（地階・階層不明）", rest) and not is_note(m.group(1)):
            kept.append(m.group(0))
            return "\0%d\0" % (len(kept) - 1)
        return m.group(0)

    town = re.sub(r"（([^（）]*)）", keep_building_part, town)
    prev = None
    while prev != town:
        prev = town
        town = re.sub(r"（[^（）]*）|\([^()]*\)", "", town)
    town = re.split(r"[（(]", town, maxsplit=1)[0]
    return re.sub(r"\0(\d+)\0", lambda m: kept[int(m.group(1))], town)


def is_note(text):
    return bool(re.search(r"[、～〜「」]|丁目|番地|地割|除く|以外|以下|以上|その他|階層不明|全域|各町", text))


def clean_town(town, city):
    town = strip_notes(town).strip(" \u3000")
    if town.endswith("以下に掲載がない場合") or re.search(r"の次に.*がくる場合$", town):
        return ""
    # "<town>一円": the whole town or village; 一円 alone is a real place (多賀町一円).
    if town.endswith("一円") and len(town) > 2 and city.endswith(town[:-2]):
        return ""
    # Numbered 地割 and their ranges, written outside parentheses too
    # (種市第８地割～第１４地割, 大沓３６地割), are how the area is divided.
    return re.sub(r"第?[%s]+地割.*$" % NUMERALS, "", town) or town


# ------------------------------------------------------------- whole units

def units_of_city(city):
    """A county and its town (八重山郡 与那国町), a designated city and its ward
    (札幌市 中央区), or the city alone."""
    m = re.fullmatch(r"(.+?郡)(.+[町村])", city) or re.fullmatch(r"(.+?市)(.+区)", city)
    return list(m.groups()) if m else [city]


def shared_units(lists):
    shared = []
    for parts in zip(*lists):
        if len(set(parts)) > 1:
            break
        shared.append(parts[0])
    return shared


def shared_part(texts):
    """The characters all texts begin with, never ending inside a number."""
    first = texts[0]
    n = min(len(t) for t in texts)
    for t in texts[1:]:
        for i in range(n):
            if t[i] != first[i]:
                n = i
                break
    common = first[:n]
    if common and common[-1] in NUMERALS and any(len(t) > n and t[n] in NUMERALS for t in texts):
        common = common.rstrip(NUMERALS)
    return common


def numbered_units(rests):
    """Every rest starts with a number of 丁目, 番地, 番町, 線, 地割 or 号."""
    return all(re.match(r"第?[%s]+(丁目|番地|番町|番|線|地割|号)" % NUMERALS, r) for r in rests)


def whole_unit(part, rests, known):
    """Whether a part the towns share ends at a unit boundary that Japan Post's
    list shows: it ends with the 町 or 村 of a former municipality (米山町) or
    the number of a 条 (東４０条), or the towns go on with 丁目, 番地 or 線
    numbers; or, when it is all the towns share, it is a town of the same city
    or what the towns of another code of the city share (東祖谷 for 東祖谷菅生 /
    東祖谷林 and for 東祖谷奥の井 / 東祖谷九鬼 under two codes)."""
    return (part in known or numbered_units(rests) or (len(part) >= 2 and part[-1] in "町村") or
            re.search(r"[%s]条$" % NUMERALS, part) is not None)


def shared_town(towns, towns_of_city, shared_elsewhere):
    """The longest part the towns share that is a whole unit, else "" (長丘 /
    長岡 share no town; 原田一 / 原田二 do not share the town 原)."""
    common = shared_part(towns)
    for n in range(len(common), 0, -1):
        known = (towns_of_city | shared_elsewhere) if n == len(common) else set()
        if whole_unit(common[:n], [t[n:] for t in towns], known):
            return common[:n]
    return ""


def merge_code(entries, towns_by_city, shared_by_city):
    """One (prefecture, city, town) for all the records of one code."""
    entries = sorted(set(entries))
    if len(entries) == 1:
        return entries[0]
    if len({e[0] for e in entries}) > 1:
        return ("", "", "")
    if len({e[1] for e in entries}) > 1:
        return (entries[0][0], "".join(shared_units([units_of_city(e[1]) for e in entries])), "")
    pref, city = entries[0][:2]
    towns = [e[2] for e in entries]
    elsewhere = shared_by_city.get((pref, city), {}).copy()
    own = shared_part(towns)
    elsewhere[own] = elsewhere.get(own, 0) - 1
    return (pref, city, shared_town(towns, towns_by_city[(pref, city)], {s for s, n in elsewhere.items() if n > 0}))


def convert(records):
    """{code: (prefecture, city, town)} of (code, prefecture, city, raw town) records."""
    by_code, towns_by_city = {}, {}
    for code, pref, city, town in join_split_records(records):
        pref, city = pref.strip(), city.strip()
        # One record may list several towns: 岩田町居村、北郷中.
        for part in clean_town(town, city).split("、"):
            by_code.setdefault(code, []).append((pref, city, part))
            towns_by_city.setdefault((pref, city), set()).add(part)
    # What the towns of each code of a city share, counted by code.
    shared_by_city = {}
    for entries in by_code.values():
        towns = sorted({e[2] for e in entries})
        if len(towns) > 1 and len({e[:2] for e in entries}) == 1:
            counts = shared_by_city.setdefault(entries[0][:2], {})
            counts[shared_part(towns)] = counts.get(shared_part(towns), 0) + 1
    return {code: merge_code(entries, towns_by_city, shared_by_city) for code, entries in by_code.items()}


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


def data_file(source, stamp, table):
    body = body_text(table)
    header = (f"{MAGIC}\n"
              f"package {source}\n"
              f"data {stamp or '-'}\n"
              f"records {len(table)}\n"
              f"body {len(body)} {zlib.crc32(body):08x}\n"
              f"\n")
    return header.encode("ascii") + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("source", nargs="+",
                    help="a version of jquery-jpostal-ja, a .tgz of it or an unpacked package; "
                         "or Japan Post's ken_all and jigyosyo files (.zip or .CSV)")
    ap.add_argument("-o", "--output", default=os.path.join(here, "..", "..", "data", "postal-codes.dat"))
    ap.add_argument("--stamp", help="the data's date for the header when Japan Post's files are bare CSV")
    args = ap.parse_args()
    if all(re.search(r"\.(zip|csv)$", s, re.I) for s in args.source):
        records, stamp = read_japan_post(args.source)
        source = " ".join([JAPAN_POST] + [os.path.basename(s) for s in args.source])
        stamp = args.stamp or stamp
    elif len(args.source) == 1:
        version, files = read_package(args.source[0])
        records, stamp = package_records(files)
        source = f"{PACKAGE} {version}"
    else:
        sys.exit("give one npm package, or Japan Post's .zip or .CSV files")
    if re.search(r"[^ -~]", source + (stamp or "")):
        sys.exit("file names and stamp must be ASCII")
    table = convert(records)
    if not table:
        sys.exit("no postal codes found")
    out = data_file(source, stamp, table)
    tmp = args.output + ".tmp"
    with open(tmp, "wb") as f:
        f.write(out)
    os.replace(tmp, args.output)
    print(f"{os.path.normpath(args.output)}: {source} ({stamp or '-'}), {len(table)} codes, {len(out)} bytes")


if __name__ == "__main__":
    main()
