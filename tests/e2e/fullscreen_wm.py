#!/usr/bin/env python3
# What a program cannot do itself: honour _NET_WM_STATE_FULLSCREEN. "ready" once it serves.
from Xlib import X, Xatom, display  # python3-xlib

dpy = display.Display()
screen = dpy.screen()
screen.root.change_attributes(event_mask=X.SubstructureNotifyMask)  # the state requests
STATE, FULL = dpy.intern_atom("_NET_WM_STATE"), dpy.intern_atom("_NET_WM_STATE_FULLSCREEN")
screen.root.change_property(dpy.intern_atom("_NET_SUPPORTED"), Xatom.ATOM, 32, [STATE, FULL])
windowed = {}  # a full-screen window's id: its size before
dpy.sync()
print("ready", flush=True)
while True:
    event = dpy.next_event()
    if event.type != X.ClientMessage or event.client_type != STATE or FULL not in event.data[1]:
        continue
    window, action = event.window, event.data[1][0]  # action: 0 remove, 1 add, 2 toggle
    if window.id not in windowed and action in (1, 2):
        geometry = window.get_geometry()
        windowed[window.id] = {"width": geometry.width, "height": geometry.height}
        window.configure(x=0, y=0, width=screen.width_in_pixels, height=screen.height_in_pixels)
    elif window.id in windowed and action in (0, 2):
        window.configure(**windowed.pop(window.id))
    dpy.flush()
