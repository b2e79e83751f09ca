"""What the real-editor tests share: an editor set up by the README's snippet
opens a script with an error, and what it shows must be ZorRun's own error
for that script, at ZorRun's line and column."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BROKEN = os.path.join(HERE, "broken.zor.txt")


def skip(why):
    print("SKIP: " + why)
    sys.exit(77)


def arguments(editor):
    """The options, and the editor's program; exits 77 (skipped) when it or
    ZorLsp is missing."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--" + editor, default=editor)
    parser.add_argument("--zorlsp", default="")
    parser.add_argument("--zorrun", required=True)
    parser.add_argument("--readme", required=True)
    args = parser.parse_args()
    program = shutil.which(getattr(args, editor))
    if not program:
        skip(f"{editor} is not installed (scripts/setup.sh installs it)")
    if not args.zorlsp or not os.access(args.zorlsp, os.X_OK):
        skip(f"ZorLsp is not built ({args.zorlsp or 'no target'})")
    return args, program


def readme_snippet(readme, editor, language, number=0):
    with open(readme, encoding="utf-8") as f:
        section = f.read().split(f"**{editor}", 1)[-1]
    return re.findall(rf"```{language}\n(.*?)```", section, re.S)[number]


def zorrun_error(zorrun):
    """ZorRun's line and column (both from 1) and text for the broken script."""
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(BROKEN, tmp)
        done = subprocess.run([zorrun, "--color", "never", "broken.zor.txt"], cwd=tmp,
                              timeout=60, capture_output=True, text=True)
    for line in (done.stdout + done.stderr).splitlines():
        error = re.match(r"broken\.zor\.txt:(\d+):(\d+): (.*)", line)
        if error:
            return int(error[1]), int(error[2]), error[3]
    sys.exit("FAIL: ZorRun reports no error for broken.zor.txt")


def check(args, init, snippet, command, shown):
    """Runs the editor beside the script and the snippet as INIT; what it writes
    to $ZOR_OUT must be SHOWN(ZorRun's error)."""
    wanted = [shown(*zorrun_error(os.path.abspath(args.zorrun)))]
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(BROKEN, work)
        with open(os.path.join(work, init), "w", encoding="utf-8") as f:
            f.write(snippet)
        out = os.path.join(work, "received.txt")
        # The snippet starts "ZorLsp" from the PATH, as a user's would.
        env = dict(os.environ, ZOR_WORK=work, ZOR_OUT=out, PATH=os.pathsep.join(
            [os.path.dirname(os.path.abspath(args.zorlsp)), os.environ["PATH"]]))
        session = subprocess.run(command, cwd=work, env=env, stdin=subprocess.DEVNULL,
                                 timeout=60, capture_output=True, text=True)
        received = open(out, encoding="utf-8").read().splitlines() if os.path.exists(out) else []
    if session.returncode == 0 and received == wanted:
        print("The editor showed:", *received, sep="\n  ")
        return 0
    print(f"FAIL: the editor ended with status {session.returncode} and showed {received}, "
          f"not {wanted}")
    print(session.stdout + session.stderr)
    return 1
