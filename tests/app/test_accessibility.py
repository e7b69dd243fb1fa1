"""The main window through a screen reader's eyes: under Xvfb, on a session bus and an accessibility
bus of the test's own, an AT-SPI client lists the window's push buttons and presses "add" through its
accessible action; the add dialog must open. Everything started is stopped before the test ends.

Usage: test_accessibility.py VITRINEX_EXE COLLECTION.fcd. Exits 77 (skipped) when Xvfb, D-Bus, the
AT-SPI bus or pyatspi is not there."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print("SKIP: " + why + " (scripts/setup.sh --test installs xvfb, at-spi2-core and python3-pyatspi)")
    sys.exit(SKIP)


def wait_for(what, probe, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


def own_processes(marker):
    """Every process that carries this run's marker in its environment (the bus's services too)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as f:
                if marker in f.read().split(b"\0"):
                    pids.append(int(entry))
        except OSError:
            pass
    return pids


def stop_all(marker):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in own_processes(marker):
            try:
                os.kill(pid, sig)
            except OSError:
                pass
        try:
            wait_for("our processes to end", lambda: not own_processes(marker), 5)
            return
        except AssertionError:
            continue
    raise AssertionError("processes of the test are still running: %s" % own_processes(marker))


def start_services(work, env):
    """Xvfb, a session bus and the accessibility bus; returns once all three answer."""
    xvfb_read, xvfb_write = os.pipe()
    subprocess.Popen(["Xvfb", "-displayfd", str(xvfb_write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                     env=env, pass_fds=[xvfb_write], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(xvfb_write)
    with os.fdopen(xvfb_read) as f:
        display = f.readline().strip()
    if not display:
        skip("Xvfb did not start")
    env["DISPLAY"] = ":" + display
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        skip("no session bus could be started")
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env, cwd=work,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for("the accessibility bus", lambda: subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], env=env, capture_output=True).returncode == 0, 15)
    except AssertionError:
        skip("no accessibility bus could be started")


def descendants(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for i in range(node.childCount):
        yield from descendants(node.getChildAtIndex(i), depth + 1)


def showing(pyatspi, node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def main():
    exe, collection = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "dbus-daemon", "dbus-send"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    if not os.access(LAUNCHER, os.X_OK):
        skip(LAUNCHER + " is not installed")
    work = tempfile.mkdtemp(prefix="vitrinex-atspi.")
    marker = ("VITRINEX_ATSPI_TEST=" + work).encode()
    env = dict(os.environ, VITRINEX_ATSPI_TEST=work, HOME=work, XDG_CONFIG_HOME=work + "/config",
               XDG_DATA_HOME=work + "/data", QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               NO_AT_BRIDGE="0")
    env.pop("AT_SPI_BUS_ADDRESS", None)
    try:
        start_services(work, env)
        os.environ.update(env)  # pyatspi finds the buses through this process's environment
        try:
            import pyatspi
        except ImportError:
            skip("pyatspi is not installed")
        copy = os.path.join(work, os.path.basename(collection))
        shutil.copyfile(collection, copy)
        subprocess.Popen([exe, copy], env=env, cwd=work)

        desktop = pyatspi.Registry.getDesktop(0)

        def main_window():
            for app in desktop:
                if app is not None and app.name.lower().startswith("vitrinex"):
                    for window in app:
                        names = [b.name for b in descendants(window)
                                 if b.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(pyatspi, b)]
                        if "add" in names:
                            return app, window
            return None

        app, window = wait_for("the main window with its collection open, on the accessibility bus", main_window)
        buttons = [b for b in descendants(window) if b.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(pyatspi, b)]
        print("buttons:", ", ".join("%s (%s)" % (b.name, b.description) for b in buttons))
        unnamed = [b.description for b in buttons if not b.name or b.name == b.description]
        assert not unnamed, "buttons named by their hint instead of a caption: %s" % unnamed
        assert all(b.description for b in buttons), "a button without its hint as description"
        assert len({b.name for b in buttons}) == len(buttons), "two buttons share a name"

        add = next(b for b in buttons if b.name == "add")
        action = add.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        assert "press" in names, "add offers no press action, only %s" % names
        windows_before = app.childCount
        action.doAction(names.index("press"))

        def dialog():
            for i in range(app.childCount):
                w = app.getChildAtIndex(i)
                if w is not None and w != window and showing(pyatspi, w):
                    nodes = list(descendants(w))
                    fields = [n for n in nodes if n.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)]
                    if fields and any(n.getRole() == pyatspi.ROLE_PUSH_BUTTON and n.name == "add" for n in nodes):
                        return w
            return None

        opened = wait_for("the add dialog after the press action (windows before: %d)" % windows_before, dialog, 15)
        print("opened:", opened.name)
    finally:
        stop_all(marker)
        shutil.rmtree(work, ignore_errors=True)
    print("PASS")


if __name__ == "__main__":
    main()
