"""The real program under a bare X server (no window manager): after Start,
one WM_DELETE_WINDOW to the preview, as a window manager sends it when the
user closes the window, must end the program -- whether it arrives before
the preview is mapped, as it maps, or a moment after.

Usage: first_close_driver.py PROGRAM   (under xvfb-run; exits 1 on a failure)
"""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile
import time

RUNTIME = tempfile.mkdtemp(prefix="brevanta-first-close-")

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


def send_close(window):
    display = x11.XOpenDisplay(None)
    event = XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def program_windows(visible_only):
    # By class: Qt's client-leader window carries the title too, but no class.
    command = ["xdotool", "search"] + (["--onlyvisible"] if visible_only else []) + ["--class", "brevanta"]
    return [int(w) for w in subprocess.run(command, capture_output=True, text=True).stdout.split()]


def one_run(program, when):
    # A runtime folder of its own (mode 0700): a copy another test runs on
    # this machine must not be the one that answers.
    env = dict(os.environ, BREVANTA_TEST_SCRIPT="sample\ngenerate\n", XDG_RUNTIME_DIR=RUNTIME)
    process = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    deadline = time.time() + 60
    main = preview = None
    # The main window is made first, so its window is the lowest of the program's.
    while time.time() < deadline and main is None:
        found = program_windows(False)
        main = min(found) if found else None
        time.sleep(0.005)
    while time.time() < deadline and preview is None:
        others = [w for w in program_windows(when != "unmapped") if w != main]
        preview = others[0] if others else None
        time.sleep(0.002)
    if preview is None:
        ended = process.poll()
        process.kill()
        return "no preview window appeared (main window %s, program %s)" % (
            main, "ended with %s: %s" % (ended, process.stderr.read().decode()[-2000:]) if ended is not None else "running")
    if when == "later":
        time.sleep(0.3)
    send_close(preview)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        return "the first close was ignored"
    return None


def main():
    failures = 0
    for when in ["unmapped", "mapped", "later", "unmapped", "mapped", "later"]:
        # A program that could not even reach the display (a busy shared
        # machine) tells nothing about closing: it is started again.
        for attempt in range(3):
            problem = one_run(sys.argv[1], when)
            if not problem or "could not connect to display" not in problem:
                break
        print(when + ": " + (problem or "ended"))
        failures += problem is not None
    return 1 if failures else 0


if __name__ == "__main__":
    try:
        status = main()
    finally:
        subprocess.run(["rm", "-rf", RUNTIME])
    sys.exit(status)
