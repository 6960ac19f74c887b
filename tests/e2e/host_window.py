"""A plain X window of the tests' own, standing in for a screen-saver daemon's window."""

import ctypes

_x11 = ctypes.CDLL("libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XCreateSimpleWindow.restype = ctypes.c_ulong
_x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                     ctypes.c_ulong]
for _name in ("XMapWindow", "XDestroyWindow"):
    getattr(_x11, _name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x11.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
_x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

WHITE = 0xFFFFFF


class Connection:
    """A client of the X server held for a whole test: Xvfb resets itself when its last
    client leaves, and refuses new clients for a moment while it does."""

    def __init__(self, display):
        self._display = _x11.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError(f"cannot open display {display}")
        self.root_id = _x11.XDefaultRootWindow(self._display)

    def close(self):
        if self._display:
            _x11.XCloseDisplay(self._display)  # destroys its windows too, if still there
            self._display = None


class HostWindow(Connection):
    """A white window at (left, top) on the screen; it selects no events, so nothing it
    holds is redirected to it (the show maps and sizes its own window inside)."""

    def __init__(self, display, left, top, width, height):
        super().__init__(display)
        self.left, self.top, self.width, self.height = left, top, width, height
        self.id = _x11.XCreateSimpleWindow(self._display, self.root_id, left, top, width, height,
                                           0, 0, WHITE)
        _x11.XMapWindow(self._display, self.id)
        _x11.XSync(self._display, 0)

    def resize(self, width, height):
        self.width, self.height = width, height
        _x11.XResizeWindow(self._display, self.id, width, height)
        _x11.XSync(self._display, 0)

    def destroy(self):
        if self.id:
            _x11.XDestroyWindow(self._display, self.id)
            _x11.XSync(self._display, 0)
            self.id = 0
