#!/usr/bin/env python3
# A window manager for the full-screen tests, no more: it maps windows where they ask to be and
# honours _NET_WM_STATE_FULLSCREEN, which a program cannot do for itself. Prints "ready" once
# it manages the display named by DISPLAY.
from Xlib import X, Xatom, display  # python3-xlib

dpy = display.Display()
root, screen = dpy.screen().root, dpy.screen()
root.change_attributes(event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
STATE, FULL = dpy.intern_atom("_NET_WM_STATE"), dpy.intern_atom("_NET_WM_STATE_FULLSCREEN")
root.change_property(dpy.intern_atom("_NET_SUPPORTED"), Xatom.ATOM, 32, [STATE, FULL])
CONFIGURE_MASKS = {"x": X.CWX, "y": X.CWY, "width": X.CWWidth, "height": X.CWHeight}
windowed = {}  # window id: its geometry before it went full screen
dpy.sync()
print("ready", flush=True)


def set_fullscreen(window, action):  # action: 0 remove, 1 add, 2 toggle
    turn_on = action == 1 or (action == 2 and window.id not in windowed)
    if turn_on and window.id not in windowed:
        g = window.get_geometry()
        windowed[window.id] = dict(x=g.x, y=g.y, width=g.width, height=g.height)
        window.configure(x=0, y=0, width=screen.width_in_pixels, height=screen.height_in_pixels)
        window.change_property(STATE, Xatom.ATOM, 32, [FULL])
    elif not turn_on and window.id in windowed:
        window.configure(**windowed.pop(window.id))
        window.change_property(STATE, Xatom.ATOM, 32, [])


while True:
    event = dpy.next_event()
    if event.type == X.MapRequest:
        event.window.map()
    elif event.type == X.ConfigureRequest:
        event.window.configure(**{name: getattr(event, name)
                                  for name, mask in CONFIGURE_MASKS.items()
                                  if event.value_mask & mask})
    elif event.type == X.ClientMessage and event.client_type == STATE:
        action, *atoms = event.data[1][:3]
        if FULL in atoms:
            set_fullscreen(event.window, action)
    dpy.flush()
