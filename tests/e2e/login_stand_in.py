"""A private system bus with stand-ins for logind and GDM, enough for a desktop's screen locker
to run and for the test to lock and unlock the session from outside, as loginctl would.

Run as a program (by LoginBus), it serves the bus at argv[1] with one session, argv[2], and
reads commands: "lock" and "unlock" emit the session's Lock and Unlock signals, "hint true"
and "hint false" set its LockedHint, "hint?" answers it, "inhibitors?" answers how many
inhibitors were asked for (a desktop's locker takes one once it follows the session); every
command is answered by a line."""

import os
import subprocess
import sys

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class LoginBus:
    """The bus and its stand-ins, run in `home` as its user: env() gives a session's view."""

    def __init__(self, home, session="7"):
        from saver_home import wait_until

        self.home, self.session = home, session
        socket = os.path.join(home.path, "system_bus_socket")
        config = home.write("system-bus.conf", BUS_CONFIG.format(socket=socket))
        home.start(["dbus-daemon", "--nofork", "--config-file=" + config], log="system-bus.log")
        if not wait_until(lambda: os.path.exists(socket), 10):
            raise RuntimeError("the system bus did not start:\n" + home.said("system-bus.log"))
        self.address = "unix:path=" + socket
        # Its text, not its path: the user it runs as may not read the test's folder.
        with open(__file__, encoding="utf-8") as source:
            program = source.read()
        self.process = home.start(["/usr/bin/python3", "-c", program, self.address, session],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.tell(None)

    def env(self, with_session_id=True):
        found = {"XDG_SESSION_ID": self.session} if with_session_id else {}
        return dict(found, DBUS_SYSTEM_BUS_ADDRESS=self.address)

    def tell(self, what):
        if what:
            self.process.stdin.write(what + "\n")
            self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if not answer:
            raise RuntimeError(f"the logind stand-in did not take {what}")
        return answer

    def lock(self):
        self.tell("lock")

    def unlock(self):
        self.tell("unlock")

    def set_locked_hint(self, locked):
        self.tell(f"hint {'true' if locked else 'false'}")

    def locked_hint(self):
        return self.tell("hint?") == "true"

    def followed(self):
        """Whether a screen locker has taken an inhibitor, as it does once it follows the
        session's Lock and Unlock."""
        return int(self.tell("inhibitors?")) > 0


SESSION_XML = """<node>
<interface name="org.freedesktop.login1.Manager">
  <method name="GetSession"><arg type="s"/><arg type="o" direction="out"/></method>
  <method name="GetSessionByPID"><arg type="u"/><arg type="o" direction="out"/></method>
  <method name="ListSessions"><arg type="a(susso)" direction="out"/></method>
  <method name="Inhibit"><arg type="s"/><arg type="s"/><arg type="s"/><arg type="s"/>
    <arg type="h" direction="out"/></method>
  <method name="CanSuspend"><arg type="s" direction="out"/></method>
  <signal name="PrepareForSleep"><arg type="b"/></signal>
</interface>
<interface name="org.freedesktop.login1.Session">
  <method name="SetLockedHint"><arg type="b"/></method>
  <signal name="Lock"/>
  <signal name="Unlock"/>
  <property name="Id" type="s" access="read"/>
  <property name="User" type="(uo)" access="read"/>
  <property name="Name" type="s" access="read"/>
  <property name="Seat" type="(so)" access="read"/>
  <property name="Active" type="b" access="read"/>
  <property name="Remote" type="b" access="read"/>
  <property name="Class" type="s" access="read"/>
  <property name="Type" type="s" access="read"/>
  <property name="State" type="s" access="read"/>
  <property name="LockedHint" type="b" access="read"/>
  <property name="IdleHint" type="b" access="read"/>
</interface>
<interface name="org.gnome.DisplayManager.Manager">
  <method name="RegisterSession"><arg type="a{sv}"/></method>
  <property name="Version" type="s" access="read"/>
</interface>
</node>"""


def serve(address, session):
    from gi.repository import Gio, GLib

    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    manager, session_if, gdm = Gio.DBusNodeInfo.new_for_xml(SESSION_XML).interfaces
    path = f"/org/freedesktop/login1/session/_3{session}"  # logind's escaping of a digit
    uid, name = os.getuid(), os.environ.get("USER", "")
    state = {"LockedHint": False}
    inhibitors = []

    def properties():
        return {"Id": GLib.Variant("s", session), "Name": GLib.Variant("s", name),
                "User": GLib.Variant("(uo)", (uid, f"/org/freedesktop/login1/user/_{uid}")),
                "Seat": GLib.Variant("(so)", ("seat0", "/org/freedesktop/login1/seat/seat0")),
                "Active": GLib.Variant("b", True), "Remote": GLib.Variant("b", False),
                "Class": GLib.Variant("s", "user"), "Type": GLib.Variant("s", "wayland"),
                "State": GLib.Variant("s", "active"), "IdleHint": GLib.Variant("b", False),
                "LockedHint": GLib.Variant("b", state["LockedHint"])}

    def set_hint(locked):
        if state["LockedHint"] != locked:
            state["LockedHint"] = locked
            bus.emit_signal(None, path, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                            GLib.Variant("(sa{sv}as)", (session_if.name,
                                                        {"LockedHint": GLib.Variant("b", locked)},
                                                        [])))

    def on_manager(connection, sender, object_path, interface, method, args, invocation):
        if method in ("GetSession", "GetSessionByPID"):
            wanted = args.unpack()[0]
            if method == "GetSession" and wanted not in (session, "auto", ""):
                return invocation.return_dbus_error("org.freedesktop.login1.NoSuchSession",
                                                    f"No session '{wanted}' known")
            invocation.return_value(GLib.Variant("(o)", (path,)))
        elif method == "ListSessions":
            invocation.return_value(GLib.Variant("(a(susso))",
                                                 ([(session, uid, name, "seat0", path)],)))
        elif method == "Inhibit":  # held for as long as the caller keeps its end open
            read, write = os.pipe()
            inhibitors.append(read)
            invocation.return_value_with_unix_fd_list(GLib.Variant("(h)", (0,)),
                                                      Gio.UnixFDList.new_from_array([write]))
        elif method == "CanSuspend":
            invocation.return_value(GLib.Variant("(s)", ("na",)))

    def on_session(connection, sender, object_path, interface, method, args, invocation):
        set_hint(args.unpack()[0])
        invocation.return_value(None)

    bus.register_object("/org/freedesktop/login1", manager, on_manager, None, None)
    bus.register_object(path, session_if, on_session,
                        lambda c, s, p, i, prop: properties()[prop], None)
    bus.register_object("/org/gnome/DisplayManager/Manager", gdm,
                        lambda c, s, p, i, m, a, invocation: invocation.return_value(None),
                        lambda c, s, p, i, prop: GLib.Variant("s", "43.0"), None)
    for owned in ("org.freedesktop.login1", "org.gnome.DisplayManager"):
        bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                      "RequestName", GLib.Variant("(su)", (owned, 4)), None, 0, -1, None)

    def command(*_):
        line = sys.stdin.readline().strip()
        if line in ("lock", "unlock"):
            bus.emit_signal(None, path, session_if.name, line.capitalize(), None)
        elif line.startswith("hint "):
            set_hint(line == "hint true")
        answer = {"hint?": str(state["LockedHint"]).lower(),
                  "inhibitors?": str(len(inhibitors))}.get(line, "done")
        if line:
            bus.flush_sync(None)
            print(answer, flush=True)
        else:
            loop.quit()
        return bool(line)

    loop = GLib.MainLoop()
    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    print("done", flush=True)
    loop.run()


if __name__ == "__main__":
    serve(*sys.argv[1:3])
