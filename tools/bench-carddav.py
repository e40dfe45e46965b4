#!/usr/bin/env python3
"""Measures reading an address book from a CardDAV server (Radicale, on 127.0.0.1) against
curl in the same run: the first read (`festmark --list --file https://NAME@server/`, from the
account's base address, an empty cache) against one REPORT by curl that fetches the same
cards, and a read with nothing changed against one sync-collection by curl with the token.
Wall seconds (median of the runs) and their ratios.

Usage: tools/bench-carddav.py [--cards N] [--runs R]
Build first (tools/build.sh); needs radicale and curl."""
import argparse
import json
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchlib import BUILD, measure  # noqa: E402

SYNC = ('<?xml version="1.0" encoding="utf-8"?><d:sync-collection xmlns:d="DAV:" '
        'xmlns:c="urn:ietf:params:xml:ns:carddav"><d:sync-token>{}</d:sync-token>'
        '<d:sync-level>1</d:sync-level><d:prop><d:getetag/><c:address-data/></d:prop>'
        '</d:sync-collection>')


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_radicale(work, cards):
    """Radicale with the account anna and one address book of `cards` cards, written into
    its storage directly."""
    book = os.path.join(work, "storage", "collection-root", "anna", "kontakte")
    os.makedirs(book)
    with open(os.path.join(book, ".Radicale.props"), "w") as props:
        json.dump({"tag": "VADDRESSBOOK", "D:displayname": "Kontakte"}, props)
    for i in range(cards):
        with open(os.path.join(book, f"c{i}.vcf"), "w", newline="") as card:
            card.write(f"BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c{i}\r\nN:Person{i};Anna;;;\r\n"
                       f"FN:Anna Person{i}\r\nBDAY:{1930 + i % 90}-{1 + i % 12:02d}-"
                       f"{1 + i % 28:02d}\r\nEMAIL:anna{i}@example.org\r\n"
                       f"TEL:+49 30 {1000000 + i}\r\nEND:VCARD\r\n")
    with open(os.path.join(work, "users"), "w") as users:
        users.write("anna:geheim\n")
    port = free_port()
    with open(os.path.join(work, "config"), "w") as conf:
        conf.write(f"[server]\nhosts = 127.0.0.1:{port}\n[auth]\ntype = htpasswd\n"
                   f"htpasswd_filename = {work}/users\nhtpasswd_encryption = plain\n"
                   f"[storage]\nfilesystem_folder = {work}/storage\n[rights]\n"
                   "type = owner_only\n[logging]\nlevel = error\n")
    server = subprocess.Popen(["radicale", "--config", os.path.join(work, "config")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), 0.2).close()
            return server, port
        except OSError:
            time.sleep(0.1)
    raise SystemExit("radicale did not start")


def curl(port, token, out):
    return ["curl", "-s", "-o", out, "-u", "anna:geheim", "-X", "REPORT", "-H", "Depth: 1",
            "-H", "Content-Type: application/xml", "--data", SYNC.format(token),
            f"http://127.0.0.1:{port}/anna/kontakte/"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cards", type=int, default=5000)
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()
    work = tempfile.mkdtemp()
    server, port = start_radicale(work, args.cards)
    try:
        festmark = [os.path.join(BUILD, "app", "festmark"), "--list", "--date", "14.03.2026",
                    "--file", f"http://anna@127.0.0.1:{port}/"]
        env = dict(os.environ, FESTMARK_PASSWORD="geheim", HOME=work,
                   XDG_CONFIG_HOME=os.path.join(work, "cfg"))
        answer = os.path.join(work, "answer.xml")
        # Radicale builds its own cache of the book on the first request: not measured.
        subprocess.run(curl(port, "", answer), check=True)
        with open(answer) as f:
            text = f.read()
        token = text.split("<sync-token>")[1].split("</sync-token>")[0]
        cards = text.count("BEGIN:VCARD")
        if cards != args.cards:
            raise SystemExit(f"curl fetched {cards} cards, not {args.cards}")
        first, full, again, unchanged = [], [], [], []
        for run in range(args.runs):
            cache = os.path.join(work, f"cache{run}")
            first.append(measure(festmark, dict(env, XDG_CACHE_HOME=cache))[1])
            full.append(measure(curl(port, "", answer), env)[1])
            again.append(measure(festmark, dict(env, XDG_CACHE_HOME=cache))[1])
            unchanged.append(measure(curl(port, token, answer), env)[1])
        med = statistics.median
        print(f"cards: {args.cards}, runs: {args.runs} (wall seconds, medians)")
        print(f"first read: festmark {med(first):.3f} s, curl REPORT {med(full):.3f} s, "
              f"ratio {med(first) / med(full):.2f}")
        print(f"nothing changed: festmark {med(again):.3f} s, curl sync-collection "
              f"{med(unchanged):.3f} s, ratio {med(again) / med(unchanged):.2f}")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
