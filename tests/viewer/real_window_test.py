#!/usr/bin/env python3
"""ZorViewer in a real X window under Xvfb, driven through xdotool as a user
drives it: typed lines survive ReRead's question when it is cancelled, Save
puts them on disk, and a failing run follows, pictured when ImageMagick's
import is there.

    real_window_test.py ZORVIEWER WORK_DIR [PICTURE]

Exits with 77 (skipped) when xvfb-run, Xvfb, xauth or xdotool is missing.
"""

import os
import shutil
import subprocess
import sys
import time

REQUIRED_TOOLS = ("xvfb-run", "Xvfb", "xauth", "xdotool")
UNDER_XVFB = "ZOR_UNDER_XVFB"

SCRIPT = 'resultfile "order_out.txt"\nzortst { customer = "alice" }\n'
TYPED = 'zortst { customer = "alice" verify: customer == "bob" }'


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20,
                          check=False)
    return done.stdout.split()


def viewer_windows(count=None):
    """The visible windows whose title names ZorViewer (the dialog and any
    message box in front of it), or None when they are not COUNT."""
    windows = xdotool("search", "--onlyvisible", "--name", "ZorViewer")
    return windows if count is None or len(windows) == count else None


def wait_for(condition, what, seconds=20, must=True):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    if must:
        raise AssertionError("timed out waiting for " + what)
    return None


def until(action, condition, what, tries=5, seconds=4):
    """Repeats the action until the condition holds: on a busy machine a key
    or click can reach the window before it takes input, and is lost."""
    for _ in range(tries):
        action()
        if wait_for(condition, what, seconds, must=False):
            return
    raise AssertionError("no " + what + " after %d tries" % tries)


def read(path):
    with open(path, encoding="utf-8", newline="") as file:
        return file.read()


def press(window, keys):
    xdotool("windowfocus", window)
    xdotool("key", "--clearmodifiers", keys)


def click_and_type_first(main_window):
    xdotool("windowfocus", main_window)
    # Inside the script pane, left of the middle.
    xdotool("mousemove", "--window", main_window, "200", "300", "click", "1")
    xdotool("key", "ctrl+End")
    xdotool("type", TYPED[0])


def check_question_and_save(work, main_window):
    # The title's modified mark shows that the pane, not the read-only input
    # field that has the focus at start, took the first character.
    until(lambda: click_and_type_first(main_window),
          lambda: "*" in "".join(xdotool("getwindowname", main_window)),
          "modified mark in the title")
    xdotool("type", "--delay", "15", TYPED[1:])
    xdotool("key", "Return")

    press(main_window, "alt+e")  # ReRead
    windows = wait_for(lambda: viewer_windows(2), "the Save / Discard / Cancel question")
    question = [window for window in windows if window != main_window][0]
    # Escape in the main window does nothing, so a repeat is harmless.
    until(lambda: press(question, "Escape"), lambda: viewer_windows() == [main_window],
          "Cancel closing the question")
    in_file = os.path.join(work, "in.txt")
    assert read(in_file) == SCRIPT, "ReRead changed the file"
    until(lambda: press(main_window, "alt+a"), lambda: read(in_file) == SCRIPT + TYPED + "\n",
          "typed line in in.txt")


def run_and_keep_picture(work, main_window, picture):
    report = os.path.join(work, "order_out.txt")
    until(lambda: press(main_window, "alt+r"),
          lambda: os.path.exists(report) and "ERROR" in read(report),
          "failed check in the report")
    if not picture or not shutil.which("import"):
        return
    time.sleep(0.5)  # the status line paints after the run returns
    subprocess.run(["import", "-window", main_window, picture], check=True, timeout=30)


def drive_viewer(viewer, work, picture):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, "config"))
    with open(os.path.join(work, "in.txt"), "w", encoding="utf-8", newline="") as file:
        file.write(SCRIPT)
    # The user's own settings stay untouched.
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               QT_QPA_PLATFORM="xcb", LANG="C.UTF-8")
    process = subprocess.Popen([viewer], cwd=work, env=env)
    try:
        main_window = wait_for(lambda: viewer_windows(1), "the ZorViewer window")[0]
        check_question_and_save(work, main_window)
        run_and_keep_picture(work, main_window, picture)
        assert process.poll() is None, "ZorViewer ended by itself"
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
    print("ZorViewer kept the typed line through ReRead's question and saved it")
    return 0


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    missing = [tool for tool in REQUIRED_TOOLS if not shutil.which(tool)]
    if missing:
        print("skipped: %s not installed (Debian packages xvfb, xauth, xdotool)"
              % ", ".join(missing))
        return 77
    if os.environ.get(UNDER_XVFB) != "1":
        env = dict(os.environ, **{UNDER_XVFB: "1"})
        command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                   sys.executable, os.path.abspath(__file__), *sys.argv[1:]]
        return subprocess.run(command, env=env, check=False).returncode
    picture = sys.argv[3] if len(sys.argv) > 3 else None
    return drive_viewer(sys.argv[1], sys.argv[2], picture)


if __name__ == "__main__":
    sys.exit(main())
