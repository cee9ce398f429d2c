#!/usr/bin/env python3
"""The parts of bench/compare/run that are easier in Python.

  compare.py page N PORT FILE
      writes a page of N links to the test server at 127.0.0.1:PORT and
      prints the counts it was made with: ok broken redirected timed-out
  compare.py hostpage N PORT FILE [SCHEME]
      writes the page of the run over many hosts (see HOSTS below), its
      links with SCHEME (http, or https for the run over TLS), and prints its
      counts, then the floors of zorbel-check's defaults and of 100 at once
      (see floors())
  compare.py scalepage N PORT FILE
      writes N links over the HOSTS hosts that answer at once (none of the
      refusing hosts, no time-outs) and prints its counts
  compare.py servedargs
      prints the test server's arguments for that run, one a line
  compare.py count TOOL DIR URL N DELAY SETTING
      reads DIR/results.csv, DIR/time, DIR/rc, DIR/requests and DIR/hosts of
      one tool's run and prints one tab-separated result line
  compare.py table RESULTS
      prints the table of all result lines
"""

import csv
import io
import re
import sys

# Of every 200 links: 160 answer 200, 20 answer 404, 19 answer 302 to a page
# that answers 200, and 1 never answers (80 %, 10 %, 9.5 %, 0.5 %), spread
# over the page rather than in blocks. The ones that never answer are all in
# the first half, so that no run ends with one still counting down its
# time-out while every other link is done: the end of a run then shows how
# fast a tool checks, not where the last of them stood.
def kind_of(i, n):
    if i < n // 2 and i % 100 == 50:
        return "hang"
    r = i % 200
    if r % 10 == 3:
        return "missing"
    if r % 10 == 7 and r != 7:
        return "moved"
    return "ok"


def write_page(n, port, path):
    counts = {"ok": 0, "missing": 0, "moved": 0, "hang": 0}
    lines = ["<!DOCTYPE html>", "<html><head><meta charset=\"utf-8\"><title>links</title></head>",
             "<body><ul>"]
    for i in range(n):
        kind = kind_of(i, n)
        counts[kind] += 1
        lines.append(f'<li><a href="http://127.0.0.1:{port}/{kind}/{i}">{kind} {i}</a></li>')
    lines.append("</ul></body></html>")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print(counts["ok"], counts["missing"], counts["moved"], counts["hang"])


# The run over many hosts: links spread over HOSTS loopback addresses
# 127.0.0.1 to 127.0.0.HOSTS, each answering after its own latency (50 to
# 800 ms, spread evenly by a fixed rule), 1 % of the links never answering
# (all in the first half, as above), two hosts where nothing
# listens, and one host that answers 429 with Retry-After: 1 to a request
# beyond BUSY_LIMIT at once.
HOSTS = 40
REFUSING = (39, 40)          # the last two: nothing listens there
BUSY_HOST = 38
BUSY_LIMIT = 4
TIMEOUT_S = 5
PAUSE_S = 0.0                # zorbel-check's workers do not rest between checks


def host_of(i):
    return i % HOSTS + 1


def latency_ms(i):
    return 50 + (i * 7919) % 751


def host_kind(i, n):
    if i < n // 2 and i % 50 == 25:
        return "hang"
    # The host is i's rest by HOSTS; the kind must not follow from it, or a
    # host would get links of one kind only.
    r = (i + 3 * (i // HOSTS)) % 200
    if r % 10 == 3:
        return "missing"
    if r % 10 == 7 and r != 7:
        return "moved"
    return "ok"


def host_url(i, n, port, scheme="http"):
    kind = host_kind(i, n)
    return f"{scheme}://127.0.0.{host_of(i)}:{port}/wait/{latency_ms(i)}/{kind}/{i}"


def refusing_host(url):
    return any(f"//127.0.0.{h}:" in url for h in REFUSING)


def floors(n, slots, host_limit):
    """The shortest a run of zorbel-check can take with these settings: the
    time the links hold the slots (latency, or the time-out) spread over the
    slots, or the longest any one host
    needs at its limit (the busy host's halved once, to BUSY_LIMIT, after
    its first refusals), whichever is longer."""
    held = 0.0
    per_host = {}
    for i in range(n):
        h = host_of(i)
        if h in REFUSING:
            t = 0.0
        elif host_kind(i, n) == "hang":
            t = TIMEOUT_S
        else:
            t = latency_ms(i) / 1000
        held += t + PAUSE_S
        per_host[h] = per_host.get(h, 0.0) + t + PAUSE_S
    worst = max(t / (min(host_limit, BUSY_LIMIT) if h == BUSY_HOST else host_limit) for h, t in per_host.items())
    longest = TIMEOUT_S + PAUSE_S if any(host_kind(i, n) == "hang" for i in range(n)) else 0.8
    return max(held / slots, worst, longest)


DEFAULT_SLOTS = 256         # zorbel-check's checks at once at its defaults
DEFAULT_HOST_LIMIT = 8


def write_scale_page(n, port, path):
    counts = {"ok": 0, "missing": 0, "moved": 0, "hang": 0}
    answering = [h for h in range(1, HOSTS + 1) if h not in REFUSING]
    with open(path, "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>links</title></head>\n<body><ul>\n")
        for i in range(n):
            kind = "missing" if i % 10 == 3 else "ok"
            counts[kind] += 1
            f.write(f'<li><a href="http://127.0.0.{answering[i % len(answering)]}:{port}/{kind}/{i}">{kind} {i}</a></li>\n')
        f.write("</ul></body></html>\n")
    print(counts["ok"], counts["missing"], counts["moved"], counts["hang"])


def write_host_page(n, port, path, scheme="http"):
    counts = {"ok": 0, "missing": 0, "moved": 0, "hang": 0}
    lines = ["<!DOCTYPE html>", "<html><head><meta charset=\"utf-8\"><title>links</title></head>",
             "<body><ul>"]
    for i in range(n):
        kind = host_kind(i, n)
        # A host that refuses the connection: broken, whatever the path.
        counts["missing" if host_of(i) in REFUSING else kind] += 1
        lines.append(f'<li><a href="{host_url(i, n, port, scheme)}">{kind} {i}</a></li>')
    lines.append("</ul></body></html>")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    print(counts["ok"], counts["missing"], counts["moved"], counts["hang"],
          f"{floors(n, DEFAULT_SLOTS, DEFAULT_HOST_LIMIT):.1f}", f"{floors(n, 100, DEFAULT_HOST_LIMIT):.1f}")


def served_args():
    for h in range(1, HOSTS + 1):
        if h not in REFUSING:
            print("--listen")
            print(f"127.0.0.{h}")
    print("--busy-limit")
    print(f"127.0.0.{BUSY_HOST}")
    print(BUSY_LIMIT)
    print(1)


TIMEOUT_TEXT = re.compile(r"time[ds]?[ -]?out|timeout|operation timed", re.I)


def classify_zorbel(text, page_url):
    """zorbel-check's results: CSV with FOLDER,NAME,URL,STATUS,TEXT.
    "Partially Valid" is a host that answers with an error status for the
    page (a 404 here): a broken link in the other tools' terms. A temporary
    redirect to a good page is "Valid"."""
    out = []
    for row in csv.DictReader(io.StringIO(text)):
        url = row.get("URL") or ""
        if url == page_url:
            continue
        status = row.get("STATUS", "")
        detail = row.get("TEXT", "") or ""
        if status == "Valid":
            out.append((url, "ok"))
        elif status == "Moved":
            out.append((url, "redirected"))
        elif status in ("Not Checked", "Skipped"):
            out.append((url, "unchecked"))
        elif status == "Unverified" and "429" in detail:
            out.append((url, "other"))
        elif TIMEOUT_TEXT.search(detail):
            out.append((url, "timeout"))
        elif status in ("Broken", "Partially Valid"):
            out.append((url, "broken"))
        else:
            out.append((url, "other"))
    return out


def classify_linkchecker(text, page_url):
    """LinkChecker's -o csv: ';'-separated, '#' comment lines, one row per
    URL checked (the page too, at level 0)."""
    body = "\n".join(line for line in text.splitlines() if not line.startswith("#"))
    out = []
    for row in csv.DictReader(io.StringIO(body), delimiter=";"):
        url = row.get("url") or row.get("urlname") or ""
        if url == page_url or row.get("level") == "0":
            continue
        result = row.get("result", "") or ""
        notes = (row.get("warningstring", "") or "") + " " + (row.get("infostring", "") or "")
        if re.search(r"checked only syntax", notes, re.I):
            out.append((url, "unchecked"))  # outside its domain filter: not requested
        elif row.get("valid") == "True":
            out.append((url, "redirected" if re.search(r"redirect", notes, re.I) else "ok"))
        elif TIMEOUT_TEXT.search(result + " " + notes):
            out.append((url, "timeout"))
        elif re.search(r"refused|NewConnectionError", result, re.I):
            # (the text is cut short before the reason)
            out.append((url, "broken"))
        elif re.match(r"\s*429\b", result):
            out.append((url, "other"))
        elif re.match(r"\s*[45]\d\d\b", result):
            out.append((url, "broken"))
        else:
            out.append((url, "other"))
    return out


def classify_linkinator(text, page_url):
    """linkinator's --format csv: url,status,state,parent,failureDetails; a
    time-out has status 0. It follows redirects and reports the end."""
    start = text.find("url,")
    out = []
    for row in csv.DictReader(io.StringIO(text[start:] if start >= 0 else "")):
        url = row.get("url") or ""
        if url == page_url:
            continue
        state = (row.get("state") or "").upper()
        status = row.get("status") or ""
        details = row.get("failureDetails") or ""
        if state == "OK":
            out.append((url, "redirected" if status.startswith("3") else "ok"))
        elif state == "SKIPPED":
            out.append((url, "unchecked"))
        elif re.search(r"ECONNREFUSED", details) or (status == "0" and refusing_host(url)):
            # Its CSV gives a refused connection as status 0 without
            # details, as it gives a time-out: told apart by the host.
            out.append((url, "broken"))
        elif status == "429":
            out.append((url, "other"))
        elif status in ("0", "") and (TIMEOUT_TEXT.search(details) or status == "0"):
            out.append((url, "timeout"))
        elif re.match(r"[45]\d\d$", status):
            out.append((url, "broken"))
        else:
            out.append((url, "other"))
    return out


CLASSIFY = {"zorbel": classify_zorbel, "linkchecker": classify_linkchecker,
            "linkinator": classify_linkinator}
CLASSES = ("ok", "broken", "redirected", "timeout", "other")


def read(path, default=""):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return default


def count(tool, d, page_url, n, delay, setting):
    pairs = CLASSIFY[tool](read(f"{d}/results.csv"), page_url)
    kinds = [k for _, k in pairs]
    # The busy host's links that ended valid (run over many hosts only).
    # (valid ones against those made to be valid: the kind is in the URL)
    busy = [(u, k) for u, k in pairs if f"//127.0.0.{BUSY_HOST}:" in u]
    busy_valid = sum(1 for _, k in busy if k in ("ok", "redirected"))
    busy_made = sum(1 for u, _ in busy if re.search(r"/(ok|moved)/", u))
    busy_ok = f"{busy_valid} of {busy_made}" if delay in ("hosts", "tls") else ""
    # The most requests one host had at once ("host ADDRESS requests N peak N").
    host_peak = ""
    peaks = re.findall(r"^host (\S+) requests \d+ peak (\d+)$", read(f"{d}/hosts"), re.M)
    if delay in ("hosts", "tls") and peaks:
        addr, peak = max(peaks, key=lambda p: int(p[1]))
        host_peak = f"{peak} ({addr.rsplit('.', 1)[-1]})"
    # GNU time's last line is "%e %M %U %S"; a line about a non-zero exit may
    # precede it.
    wall, rss, user, system = (["-"] * 4 + read(f"{d}/time").split())[-4:]
    try:
        cpu = f"{float(user) + float(system):.2f}"
    except ValueError:
        cpu = "-"
    # The server's count: requests, connections, most requests at once.
    requests, connections, peak = (read(f"{d}/requests").split() + ["-", "-", "-"])[:3]
    rc = read(f"{d}/rc", "-").strip()
    counts = [sum(1 for k in kinds if k == c) for c in CLASSES]
    checked = sum(counts)
    print("\t".join([tool, n, delay] + [str(c) for c in counts] +
                    [str(checked), wall, cpu, rss, requests, connections, peak, rc, setting, host_peak, busy_ok]))


def verdict(tool, counts, checked, expected, rc):
    ok, broken, moved, timeout, other = counts
    e_ok, e_broken, e_moved, e_hang = expected
    # Every tool exits with 0 when no link is broken and 1 when one is.
    if rc not in ("0", "1"):
        return f"FAILED (exit {rc})"
    if checked == 0:
        return "CHECKED 0 LINKS"
    if [ok, broken, moved, timeout, other] == [e_ok, e_broken, e_moved, e_hang, 0]:
        return "as expected"
    if [ok, broken, moved, timeout, other] == [e_ok + e_moved, e_broken, 0, e_hang, 0]:
        return "as expected, redirects as ok"
    if [ok + moved, broken, timeout + other] == [e_ok + e_moved, e_broken, e_hang]:
        return "as expected, redirects partly as ok"
    return "DIFFERS"


def print_table(head, out):
    widths = [max(len(x) for x in col) for col in zip(head, *out)]

    def line(cells):
        return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"

    print(line(head))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for cells in out:
        print(line(cells))


def table(path):
    rows = [line.rstrip("\n").split("\t") for line in open(path, encoding="utf-8") if line.strip()]
    head = ["tool", "links", "delay", "checked", "wall s", "links/s", "CPU s", "max RSS MB",
            "ok", "broken", "redirected", "timed out", "other",
            "requests", "connections", "at once", "result"]
    host_head = ["tool", "setting", "checked", "wall s", "floor s", "CPU s", "max RSS MB",
                 "ok", "broken", "redirected", "timed out", "other",
                 "requests", "connections", "most at once to one host", "busy host valid", "result"]
    out = []
    host_out = []
    expected = None
    floors_by_setting = {}
    for r in rows:
        if r[0] == "expected":
            n, delay = r[1], r[2]
            expected = [int(x) for x in r[3:7]]
            if delay in ("hosts", "tls"):
                floors_by_setting = {"defaults": r[7], "100 at once": r[8]}
                host_out.append(["expected", "", n, "", "", "", "", *[str(x) for x in expected], "0",
                                 "", "", "", "", ""])
            else:
                out.append(["expected", n, f"{delay} ms", n, "", "", "", "",
                            *[str(x) for x in expected], "0", "", "", "", ""])
            continue
        tool, n, delay = r[0], r[1], r[2]
        counts = [int(x) for x in r[3:8]]
        checked = int(r[8])
        wall, cpu, rss, requests, connections, peak, rc = r[9:16]
        setting, host_peak, busy_ok = (r[16:19] + ["", "", ""])[:3]
        try:
            rate = f"{checked / float(wall):.0f}" if checked and float(wall) > 0 else "-"
        except ValueError:
            rate = "-"
        try:
            rss_mb = f"{int(rss) / 1024:.0f}"
        except ValueError:
            rss_mb = "-"
        result = verdict(tool, counts, checked, expected, rc)
        if delay in ("hosts", "tls"):
            floor = floors_by_setting.get(setting, "") if tool == "zorbel" else ""
            if delay == "tls":
                setting = f"{setting}, HTTPS"
            host_out.append([tool, setting, str(checked), wall, floor, cpu, rss_mb, *[str(c) for c in counts],
                             requests, connections, host_peak, busy_ok, result])
        else:
            out.append([tool, n, f"{delay} ms", str(checked), wall, rate, cpu, rss_mb,
                        *[str(c) for c in counts], requests, connections, peak, result])
    if out:
        print_table(head, out)
    if host_out:
        if out:
            print()
        print_table(host_head, host_out)


def main(argv):
    if len(argv) == 5 and argv[1] == "page":
        write_page(int(argv[2]), int(argv[3]), argv[4])
    elif len(argv) in (5, 6) and argv[1] == "hostpage":
        write_host_page(int(argv[2]), int(argv[3]), argv[4], argv[5] if len(argv) == 6 else "http")
    elif len(argv) == 5 and argv[1] == "scalepage":
        write_scale_page(int(argv[2]), int(argv[3]), argv[4])
    elif len(argv) == 2 and argv[1] == "servedargs":
        served_args()
    elif len(argv) == 8 and argv[1] == "count":
        count(argv[2], argv[3], argv[4], argv[5], argv[6], argv[7])
    elif len(argv) == 3 and argv[1] == "table":
        table(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
