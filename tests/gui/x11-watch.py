#!/usr/bin/env python3
"""Prints one line per top-level window that the window manager takes in or lets go.

The window manager reparents a top-level window into its frame when the window is mapped and
back to the root when it is withdrawn, so these lines show that a window came on screen even
when it went away again at once, too fast for polling. Lines: "reparent WINDOW PARENT ROOT",
ids in hex. Runs until it is killed.
"""

import ctypes
import sys

REPARENT_NOTIFY = 21
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class ReparentEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("event", ctypes.c_ulong),
        ("window", ctypes.c_ulong),
        ("parent", ctypes.c_ulong),
        ("x", ctypes.c_int),
        ("y", ctypes.c_int),
        ("override_redirect", ctypes.c_int),
    ]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("reparent", ReparentEvent), ("pad", ctypes.c_long * 24)]


def main() -> int:
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        print("x11-watch: cannot open the display", file=sys.stderr)
        return 1
    root = xlib.XDefaultRootWindow(display)
    xlib.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    xlib.XFlush(display)
    print("watching", flush=True)
    event = Event()
    while True:
        xlib.XNextEvent(display, ctypes.byref(event))
        if event.type == REPARENT_NOTIFY:
            r = event.reparent
            print(f"reparent {r.window:#x} {r.parent:#x} {root:#x}", flush=True)


if __name__ == "__main__":
    sys.exit(main())
