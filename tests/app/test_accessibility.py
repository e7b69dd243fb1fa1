# The main window through AT-SPI under Xvfb, on buses of the test's own (all stopped at its end): its
# buttons have names and descriptions, and add's press action opens the add dialog. Exit 77: skipped.
import os, shutil, signal, subprocess, sys, tempfile, time

LAUNCHER, work, started = "/usr/libexec/at-spi-bus-launcher", tempfile.mkdtemp(), []
env = dict(os.environ, VITRINEX_ATSPI_TEST=work, HOME=work, XDG_CONFIG_HOME=work, XDG_DATA_HOME=work,
           QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

class Skip(Exception): pass

def start(*command):
    started.append(subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True))
    return started[-1].stdout.readline().strip()

def wait_for(what, probe, seconds=30):
    for _ in range(seconds * 5):
        if probe():
            return probe()
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)

def ours():  # every process that inherited this run's marker, the buses' services too
    def marked(pid):
        try:
            return ("VITRINEX_ATSPI_TEST=" + work).encode() in open("/proc/%s/environ" % pid, "rb").read().split(b"\0")
        except OSError:
            return False
    return [int(p) for p in os.listdir("/proc") if p.isdigit() and int(p) != os.getpid() and marked(p)]

try:
    if not all(map(shutil.which, ("Xvfb", "dbus-daemon", "dbus-send"))) or not os.access(LAUNCHER, os.X_OK):
        raise Skip("Xvfb, dbus-daemon or at-spi-bus-launcher is not installed")
    env["DISPLAY"] = ":" + start("Xvfb", "-displayfd", "1", "-nolisten", "tcp")
    env["DBUS_SESSION_BUS_ADDRESS"] = start("dbus-daemon", "--session", "--nofork", "--print-address=1")
    started.append(subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env))
    try:
        wait_for("", lambda: subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env, capture_output=True).returncode == 0, 15)
    except AssertionError:
        raise Skip("no accessibility bus could be started")
    os.environ.update(env)  # pyatspi finds the buses through this process's environment
    import pyatspi
    shutil.copy(sys.argv[2], work)
    started.append(subprocess.Popen([sys.argv[1], os.path.join(work, os.path.basename(sys.argv[2]))], env=env))

    def buttons(node):
        inner = [b for i in range(node.childCount) for b in buttons(node.getChildAtIndex(i))]
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
        return inner + [node] if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing else inner

    def with_add(app, but=None):
        return next((w for w in app if w != but and "add" in [b.name for b in buttons(w)]), None)

    app = wait_for("the main window", lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                   if a and a.name.lower().startswith("vitrinex") and with_add(a)), None))
    main = with_add(app)
    print("buttons:", ", ".join("%s (%s)" % (b.name, b.description) for b in buttons(main)))
    assert all(b.name and b.description and b.name != b.description for b in buttons(main)), "named by hints"
    action = next(b for b in buttons(main) if b.name == "add").queryAction()
    action.doAction([action.getName(i).lower() for i in range(action.nActions)].index("press"))
    print("opened:", wait_for("the add dialog", lambda: with_add(app, but=main), 15).name)
except (Skip, ImportError) as why:
    print("SKIP: %s (scripts/setup.sh --test installs xvfb, at-spi2-core, python3-pyatspi)" % why)
    sys.exit(77)
finally:
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in ours():
            subprocess.run(["kill", "-%d" % sig, str(pid)], stderr=subprocess.DEVNULL)
        time.sleep(1)
    [p.wait() for p in started]
    assert not ours(), "still running after the test: %s" % ours()
    shutil.rmtree(work, ignore_errors=True)
