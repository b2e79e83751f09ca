#!/usr/bin/env python3
"""A scripted editor: drives ZorLsp through its stdin and stdout and checks
every answer, positions exact and the library's texts byte for byte.

usage: lsp_client_test.py ZORLSP ZORRUN TEST_MODULE WORK_FOLDER EXAMPLE_MODULE
"""
import json
import os
import re
import select
import shutil
import subprocess
import sys
import tomllib
import unittest

ZORLSP, ZORRUN, MODULE, WORK, EXAMPLE = map(os.path.abspath, sys.argv[1:6])


class Client:
    def __init__(self, root=None, options=None, initialize=True):
        self.process = subprocess.Popen([ZORLSP], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.pending = b""
        self.notes = []
        self.next_id = 0
        if initialize:
            params = {"rootUri": "file://" + root if root else None}
            if options is not None:
                params["initializationOptions"] = options
            self.result = self.request("initialize", params)
            self.notify("initialized", {})

    def raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def receive(self, timeout=20):
        while True:
            header, end, rest = self.pending.partition(b"\r\n\r\n")
            length = int(header.split(b":")[1]) if end else 0
            if end and len(rest) >= length:
                self.pending = rest[length:]
                return json.loads(rest[:length])
            ready, _, _ = select.select([self.process.stdout], [], [], timeout)
            if not ready:
                raise AssertionError("no message from ZorLsp within %ss" % timeout)
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                raise AssertionError("ZorLsp closed its output")
            self.pending += chunk

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params, expect_error=False):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        return self.answer(self.next_id, expect_error)

    def answer(self, wanted, expect_error=False, timeout=20):
        while True:
            message = self.receive(timeout)
            if message.get("id") != wanted or "method" in message:
                self.notes.append(message)
                continue
            if expect_error:
                return message["error"]
            if "error" in message:
                raise AssertionError("error answer: %s" % message["error"])
            return message["result"]

    def diagnostics(self, uri):
        while True:
            for i, note in enumerate(self.notes):
                if note.get("method") == "textDocument/publishDiagnostics" and note["params"]["uri"] == uri:
                    del self.notes[i]
                    return note["params"]["diagnostics"]
            self.notes.append(self.receive())

    def open(self, uri, text, version=1):
        self.notify("textDocument/didOpen",
                    {"textDocument": {"uri": uri, "languageId": "zor", "version": version, "text": text}})
        return self.diagnostics(uri)

    def close(self, shutdown=True):
        if shutdown:
            self.request("shutdown", None)
        self.notify("exit", None)
        status = self.process.wait(timeout=10)
        self.process.stdin.close()
        self.process.stdout.close()
        return status


def at(line, character):
    return {"line": line, "character": character}


def span(line, start, end):
    return {"start": at(line, start), "end": at(line, end)}


def doc(uri):
    return {"textDocument": {"uri": uri}}


class ProtocolTest(unittest.TestCase):
    def test_errors_are_answered_and_the_server_goes_on(self):
        client = Client(initialize=False)
        client.send({"jsonrpc": "2.0", "id": 1, "method": "textDocument/hover", "params": {}})
        self.assertEqual(client.answer(1, expect_error=True)["code"], -32002)
        client.request("initialize", {"rootUri": None})
        # Bodies that are no JSON, bad headers, a batch, and nesting deeper than
        # any parser's stack, which is just a value.
        for raw, code in [(b"Content-Length: 5\r\n\r\n{nope", -32700), (b"Content-Length: 1x\r\n\r\n", -32700),
                          (b"X" * 100000 + b"\r\n\r\n", -32700), (b"Content-Length: 6\r\n\r\n[1, 2]", -32600),
                          (b"Content-Length: 200000\r\n\r\n" + b"[" * 200000, -32700)]:
            client.raw(raw)
            self.assertEqual(client.receive()["error"]["code"], code, raw[:40])
        # A body past 64 MiB is skipped as it arrives, and the next message read.
        big = 64 * 1024 * 1024 + 1
        client.raw(b"Content-Length: %d\r\n\r\n" % big)
        self.assertEqual(client.receive()["error"]["code"], -32600)
        client.raw(b"[" * big)
        self.assertEqual(client.request("no/such", {}, expect_error=True)["code"], -32601)
        self.assertEqual(client.request("textDocument/hover", {"x": 1}, expect_error=True)["code"], -32602)
        self.assertEqual(client.close(), 0)

    def test_exit_without_shutdown_is_an_error_status(self):
        self.assertEqual(Client().close(shutdown=False), 1)


class DiagnosticsTest(unittest.TestCase):
    def setUp(self):
        self.client = Client()

    def tearDown(self):
        self.assertEqual(self.client.close(), 0)

    def test_library_errors_stand_in_utf16_units(self):
        # "é" and "😀" are two bytes and one unit, four bytes and two units;
        # the editor tests hold the error against ZorRun's own line and column.
        text = 'resultfile "out.txt"\n{ a = 1 }\nzortst { x = 1 /* é😀 */ y = 1 } }\n'
        line = text.split("\n")[2]
        units = len(line[:line.rindex("}")].encode("utf-16-le")) // 2
        got = self.client.open("file:///e.zor.txt", text)
        self.assertEqual(got, [{"range": span(2, units, units + 1), "severity": 1, "source": "zor",
                                "message": "parse error in line 3 ( }... )"}])

    def test_each_kind_of_error_with_its_text(self):
        cases = [
            ("a {\n /* open\n", "unterminated comment in line 2", span(1, 1, 1)),
            ("a {\n x = 99999999999\n}\n", "number out of range (99999999999) in line 2", span(1, 5, 16)),
            ("a { x == 1 }\n", "illegal operation (==) in line 1", span(0, 6, 8)),
            ("a { x = 1\n", "parse error in line 2", span(1, 0, 0)),
        ]
        for number, (text, message, where) in enumerate(cases):
            uri = "file:///k%d.zor.txt" % number
            got = self.client.open(uri, text)
            self.assertEqual(len(got), 1, text)
            self.assertEqual(got[0]["message"], message)
            self.assertEqual(got[0]["range"]["start"], where["start"], text)

    def test_changes_full_and_incremental_and_close(self):
        uri = "file:///c.zor.txt"
        self.assertEqual(self.client.open(uri, 'resultfile "o.txt"\nzortst { a = 1 }\n'), [])
        change = {"range": span(1, 13, 14), "text": "1 }"}
        self.client.notify("textDocument/didChange",
                           {"textDocument": {"uri": uri, "version": 2}, "contentChanges": [change]})
        got = self.client.diagnostics(uri)
        self.assertEqual([d["message"] for d in got], ["parse error in line 2 ( }... )"])
        self.assertEqual(got[0]["range"], span(1, 17, 18))
        self.client.notify("textDocument/didChange",
                           {"textDocument": {"uri": uri, "version": 3},
                            "contentChanges": [{"text": 'resultfile "o.txt"\n'}]})
        got = self.client.diagnostics(uri)
        self.assertEqual(got, [{"range": span(0, 0, 18), "severity": 2, "source": "zor",
                                "message": "no test writes to this resultfile"}])
        # The same version again still holds the new text.
        self.client.notify("textDocument/didChange",
                           {"textDocument": {"uri": uri, "version": 3},
                            "contentChanges": [{"text": "a {"}]})
        self.assertEqual([d["message"] for d in self.client.diagnostics(uri)], ["parse error in line 1"])
        self.client.notify("textDocument/didClose", doc(uri))
        self.assertEqual(self.client.diagnostics(uri), [])
        self.assertEqual(self.client.request("textDocument/documentSymbol", doc(uri),
                                             expect_error=True)["code"], -32602)


class VariablesTest(unittest.TestCase):
    SCRIPT = ('{ user = "a" server { port = 1 } }\n'
              't { a = (user) b = ( server.port ) c = (session) l[] { (server) } }\n'
              '{ session = (user) }\n')

    def setUp(self):
        self.client = Client()
        self.uri = "file:///v.zor.txt"
        self.opened = self.client.open(self.uri, self.SCRIPT)

    def tearDown(self):
        self.assertEqual(self.client.close(), 0)

    def ask(self, method, line, character, **extra):
        return self.client.request(method, {**doc(self.uri), "position": at(line, character), **extra})

    def test_a_use_above_every_definition_is_warned_about(self):
        self.assertEqual(self.opened, [{
            "range": span(1, 40, 47), "severity": 2, "source": "zor",
            "message": "(session) is not defined above: unless a test function makes it, "
                       "the run stops with undefined (session)"}])

    def test_definition_references_hover_and_completion(self):
        self.assertEqual(self.ask("textDocument/definition", 1, 22),
                         [{"uri": self.uri, "range": span(0, 22, 26)}])
        self.assertEqual(self.ask("textDocument/definition", 1, 57),
                         [{"uri": self.uri, "range": span(0, 13, 19)}])
        self.assertEqual(self.ask("textDocument/definition", 0, 30), [])
        refs = self.ask("textDocument/references", 0, 3, context={"includeDeclaration": True})
        self.assertEqual([r["range"] for r in refs], [span(0, 2, 6), span(1, 9, 13), span(2, 13, 17)])
        refs = self.ask("textDocument/references", 0, 3, context={"includeDeclaration": False})
        self.assertEqual(len(refs), 2)
        hover = self.ask("textDocument/hover", 2, 14)
        self.assertEqual(hover["range"], span(2, 13, 17))
        self.assertIn('line 1: `user = "a"', hover["contents"]["value"])
        labels = {i["label"] for i in self.ask("textDocument/completion", 3, 0)}
        self.assertLessEqual({"user", "server", "server.port", "session"}, labels)


class FeaturesTest(unittest.TestCase):
    SCRIPT = ('resultfile "out.txt"\n'
              '{ total = 4 }\n'
              'zortst {\n'
              '    sum = (total)\n'
              'verify:\n'
              '    sum == 5\n'
              '}\n'
              'nobody { }\n'
              'zortst { sum = 5 verify: sum >= 5 }\n')

    def setUp(self):
        self.folder = os.path.join(WORK, "features")
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.path = os.path.join(self.folder, "f.zor.txt")
        with open(self.path, "w") as script:
            script.write(self.SCRIPT)
        self.uri = "file://" + self.path
        self.client = Client(self.folder, {"modules": [MODULE]})
        self.client.open(self.uri, self.SCRIPT)

    def tearDown(self):
        self.assertEqual(self.client.close(), 0)

    def test_symbols_hover_completion_and_lenses(self):
        symbols = self.client.request("textDocument/documentSymbol", doc(self.uri))
        # Names and positions as ZorRun lists them.
        listed = subprocess.run([ZORRUN, "--list", self.path], cwd=self.folder, capture_output=True,
                                text=True).stdout.split("\n")
        tests = [line.split(": ", 1)[1] for line in listed if ": " in line]
        self.assertEqual(len(tests), 3, listed)
        # A record's range runs from its name to its closing brace.
        self.assertEqual([(s["name"], s["kind"], s["range"], s["selectionRange"]) for s in symbols], [
            ("global variables", 3, span(1, 0, 13), span(1, 0, 1)),
            (tests[0], 12, {"start": at(2, 0), "end": at(6, 1)}, span(2, 0, 6)),
            (tests[1], 12, span(7, 0, 10), span(7, 0, 6)),
            (tests[2], 12, span(8, 0, 35), span(8, 0, 6)),
            ('resultfile "out.txt"', 1, span(0, 0, 20), span(0, 0, 20)),
        ])
        hover = self.client.request("textDocument/hover", {**doc(self.uri), "position": at(8, 3)})
        self.assertEqual(hover["range"], span(8, 0, 6))
        self.assertIn("**zortst** position %s, line 9" % tests[2].split()[1], hover["contents"]["value"])
        hover = self.client.request("textDocument/hover", {**doc(self.uri), "position": at(8, 30)})
        self.assertIn("greater than or equal", hover["contents"]["value"])
        self.assertIsNone(self.client.request("textDocument/hover", {**doc(self.uri), "position": at(3, 1)}))
        labels = {i["label"] for i in self.client.request("textDocument/completion",
                                                          {**doc(self.uri), "position": at(9, 0)})}
        self.assertLessEqual({"resultfile", "deletefile", "verify:", "==", ">=", "zortst"}, labels)
        self.assertNotIn("nobody", labels)
        lenses = self.client.request("textDocument/codeLens", doc(self.uri))
        self.assertEqual([l["command"]["arguments"] for l in lenses],
                         [[self.uri, 2], [self.uri, 7], [self.uri, 8], [self.uri]])

    def test_a_run_puts_failures_on_the_verify_line_until_the_test_passes(self):
        self.client.next_id += 1
        run_id = self.client.next_id
        self.client.send({"jsonrpc": "2.0", "id": run_id, "method": "workspace/executeCommand",
                          "params": {"command": "zor.runTest", "arguments": [self.uri, 3]}})
        # The server answers while the run goes on.
        self.client.request("textDocument/documentSymbol", doc(self.uri))
        result = self.client.answer(run_id, timeout=60)
        self.assertEqual((result["passed"], result["failed"], result["errored"]), (0, 1, 0))
        got = self.client.diagnostics(self.uri)
        self.assertIn({"range": span(4, 0, 7), "severity": 1, "source": "zor",
                       "message": "expected sum == 5, actual 4"}, got)
        hover = self.client.request("textDocument/hover", {**doc(self.uri), "position": at(2, 0)})
        self.assertIn("Last run: **failed**\n- expected sum == 5, actual 4", hover["contents"]["value"])

        fixed = self.SCRIPT.replace("total = 4", "total = 5")
        with open(self.path, "w") as script:
            script.write(fixed)
        self.client.notify("textDocument/didChange", {"textDocument": {"uri": self.uri, "version": 2},
                                                      "contentChanges": [{"text": fixed}]})
        self.client.diagnostics(self.uri)
        result = self.client.request("workspace/executeCommand",
                                     {"command": "zor.runScript", "arguments": [self.uri]})
        self.assertEqual((result["passed"], result["failed"], result["errored"]), (2, 1, 0))
        got = self.client.diagnostics(self.uri)
        # The failure is gone; the test without a function keeps the warning it
        # had from the start, and the run's word.
        self.assertEqual([(d["message"], d["range"]["start"]["line"]) for d in got],
                         [("no test function nobody", 7),
                          ("no test function nobody (did you mean --load?)", 7)])


class ModulesTest(unittest.TestCase):
    def test_the_project_file_is_the_one_zorrun_would_read_from_the_root(self):
        # Found above the root as ZorRun started there finds it, and refused
        # whole for a fault that would stop ZorRun.
        project = os.path.join(WORK, "project")
        root = os.path.join(project, "ws")
        toml = os.path.join(project, "zorrun.toml")
        shutil.rmtree(project, ignore_errors=True)
        os.makedirs(root)
        cases = [("", ["add", "login", "priceOrder", "shipOrder", "zortst"], []),
                 ("jobz = 2\n", [],
                  ["project file not used: %s:2:1: unknown key 'jobz'" % toml])]
        for extra, expected, shown in cases:
            with open(toml, "w") as f:
                f.write('modules = ["%s"]\n%s' % (EXAMPLE, extra))
            os.chmod(toml, 0o644)
            client = Client(root)
            uri = "file://" + os.path.join(root, "m.zor.txt")
            client.open(uri, "login { }\n")
            items = client.request("textDocument/completion", {**doc(uri), "position": at(1, 0)})
            self.assertEqual([i["label"] for i in items if i["kind"] == 3], expected)
            self.assertEqual([n["params"]["message"] for n in client.notes
                              if n.get("method") == "window/showMessage"], shown)
            self.assertEqual(client.close(), 0)


class LastRunTest(unittest.TestCase):
    def test_failed_tests_and_script_errors_of_the_last_run(self):
        """Hover with the verdicts of the last ZorRun run from the terminal."""
        folder = os.path.join(WORK, "terminal")
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        texts = {"t.zor.txt": FeaturesTest.SCRIPT.replace('"out.txt"', '"t.out"'),
                 "b.zor.txt": 'resultfile "b.out"\nzortst { a = 1 }\nbroken {\n'}
        for name, text in texts.items():
            with open(os.path.join(folder, name), "w") as script:
                script.write(text)
        run = subprocess.run([ZORRUN, "--load", MODULE, *texts], cwd=folder, capture_output=True, text=True)
        self.assertTrue(os.path.isfile(os.path.join(folder, ".zorrun", "lastfailed")), run.stdout + run.stderr)
        client = Client(folder, {"modules": [MODULE]})
        uris = {name: "file://" + os.path.join(folder, name) for name in texts}
        for name, text in texts.items():
            client.open(uris[name], text)
        hover = lambda name, line: client.request(
            "textDocument/hover", {**doc(uris[name]), "position": at(line, 1)})["contents"]["value"]
        self.assertIn("Last ZorRun run: **failed**", hover("t.zor.txt", 2))
        self.assertIn("No verdict from ZorRun yet.", hover("t.zor.txt", 8))
        self.assertIn("the script ended with an **error**", hover("b.zor.txt", 1))
        self.assertEqual(client.close(), 0)


class ReadmeSnippetsTest(unittest.TestCase):
    """The editors that cannot run here: their README snippets at least parse
    and start this server for scripts."""

    SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")

    with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as readme:
        README = readme.read()

    def block(self, editor, language, number=0):
        section = self.README[self.README.index("**%s" % editor):]
        return re.findall(r"```%s\n(.*?)```" % language, section, re.S)[number]

    def test_helix_languages_toml(self):
        config = tomllib.loads(self.block("Helix", "toml"))
        self.assertEqual(config["language-server"]["zorlsp"]["command"], "ZorLsp")
        language = config["language"][0]
        self.assertEqual((language["language-servers"], language["file-types"]),
                         (["zorlsp"], [{"glob": "*.zor.txt"}]))

    def test_vs_code_extension_and_settings(self):
        extension = json.loads(self.block("VS Code", "json"))
        with open(os.path.join(self.SOURCE, "editors", "zor.tmLanguage.json"), encoding="utf-8") as f:
            scope = json.load(f)["scopeName"]
        contributes = extension["contributes"]
        self.assertEqual((contributes["languages"][0]["id"], contributes["grammars"][0]["language"],
                          contributes["grammars"][0]["scopeName"]), ("zor", "zor", scope))
        configuration = re.search(r'`(\{ "comments".*?\})`', self.README, re.S)[1]
        self.assertEqual(json.loads(configuration)["comments"]["lineComment"], "//")
        settings = json.loads("{" + self.block("VS Code", "json", 1) + "}")
        self.assertEqual((settings["glspc.server.command"], settings["glspc.server.languageId"]),
                         ("ZorLsp", ["zor"]))


if __name__ == "__main__":
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    unittest.main(argv=sys.argv[:1], verbosity=2)
