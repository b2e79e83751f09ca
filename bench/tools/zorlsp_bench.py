#!/usr/bin/env python3
"""ZorLsp's diagnostics after a change: the time from sending a one-character
incremental change of an open script to receiving its diagnostics, for
scripts of about 1 MB and 10 MB (targets 100 ms and 1 s).

The scripts are gen_script.py's; each change alternates between breaking and
mending the last record's closing brace, so that every second answer holds
the library's error. The best of the repeats counts, so that load from
elsewhere on the machine weighs least.

Usage (from the project root, after a release build):
  python3 bench/tools/zorlsp_bench.py [--zorlsp build/tools/zorlsp/ZorLsp]
      [--sizes 1 10] [--repeat 5]
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
RECORD_BYTES = 125


class Server:
    def __init__(self, program):
        self.process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.out = self.process.stdout

    def send(self, message):
        body = json.dumps(message).encode()
        self.process.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.process.stdin.flush()

    def receive(self):
        length = 0
        while True:
            line = self.out.readline()
            if line == b"\r\n":
                break
            if line.lower().startswith(b"content-length:"):
                length = int(line.split(b":")[1])
        return json.loads(self.out.read(length))

    def diagnostics(self):
        while True:
            message = self.receive()
            if message.get("method") == "textDocument/publishDiagnostics":
                return message["params"]["diagnostics"]

    def stop(self):
        self.send({"jsonrpc": "2.0", "id": 99, "method": "shutdown"})
        self.send({"jsonrpc": "2.0", "method": "exit"})
        self.process.wait()


def script_of(megabytes, folder):
    tests = megabytes * 1000000 // RECORD_BYTES
    subprocess.run([sys.executable, os.path.join(HERE, "gen_script.py"), str(tests), "--out", folder],
                   check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "cases.zor.txt"), encoding="utf-8") as script:
        return script.read()


def measure(program, text, repeat):
    server = Server(program)
    server.send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"rootUri": None}})
    server.receive()
    uri = "file:///bench.zor.txt"
    server.send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
                 "params": {"textDocument": {"uri": uri, "version": 1, "text": text}}})
    server.diagnostics()
    last = text.rstrip("\n").count("\n")
    column = len(text.rstrip("\n").rsplit("\n", 1)[1]) - 1
    best, errors = float("inf"), 0
    for version in range(2, 2 + 2 * repeat):
        broken = version % 2 == 0
        change = {"range": {"start": {"line": last, "character": column},
                            "end": {"line": last, "character": column + 1}},
                  "text": "{" if broken else "}"}
        started = time.perf_counter()
        server.send({"jsonrpc": "2.0", "method": "textDocument/didChange",
                     "params": {"textDocument": {"uri": uri, "version": version},
                                "contentChanges": [change]}})
        got = server.diagnostics()
        best = min(best, time.perf_counter() - started)
        errors += len(got)
    server.stop()
    return best, errors


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--zorlsp", default="build/tools/zorlsp/ZorLsp")
    parser.add_argument("--sizes", type=int, nargs="+", default=[1, 10])
    parser.add_argument("--repeat", type=int, default=5)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        for megabytes in arguments.sizes:
            text = script_of(megabytes, folder)
            best, errors = measure(arguments.zorlsp, text, arguments.repeat)
            print("%2d MB script (%d bytes): diagnostics %.1f ms after a change (best of %d; %d errors seen)"
                  % (megabytes, len(text.encode()), best * 1000, 2 * arguments.repeat, errors))


if __name__ == "__main__":
    main()
