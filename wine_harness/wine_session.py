"""A headless Wine session for the runs of posrelay.exe: the demo's and the
tests'.

The prefix is made once and kept in the build folder (null graphics driver,
Japanese code page through the locale, COM1 mapped to a link the test
points at a device, or at nothing). A session holds the prefix's lock,
runs one persistent wineserver, and on leaving stops every process it
started and the server, whatever happened.

A session deletes only what it or an earlier session made: it empties a work
folder it made before (or uses an empty one), remakes only a prefix that
carries its marker, and refuses any other folder that is not empty.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import time

WINE = shutil.which("wine64", path="/usr/lib/wine:" + os.environ.get("PATH", ""))
WINESERVER = shutil.which("wineserver64", path="/usr/lib/wine:" + os.environ.get("PATH", "")) or \
    shutil.which("wineserver", path="/usr/lib/wine:" + os.environ.get("PATH", ""))
LOCALE = "ja_JP.UTF-8"
# Bump when the prefix set-up changes, so cached prefixes are made again.
PREFIX_VERSION = "posrelay prefix 2"
PREFIX_MARKER = "posrelay-prefix"
# Written into a prefix before it is made, so that one whose making was cut
# short is still known as the session's own.
PREFIX_BEING_MADE = "posrelay prefix being made"
WORK_MARKER = ".posrelay-work"
NULL_DRIVER_REGISTRY = 'WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n'


class WineError(Exception):
    pass


def decode_wine_output(data):
    """Text that a Wine program or Wine itself printed. Programs may print
    UTF-8; Wine's own messages come in the prefix's code page, 932 under the
    Japanese locale, which is almost never valid UTF-8. What is neither shows
    as escapes, never as replacement characters."""
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp932", errors="backslashreplace")


def windows_path(path):
    """The Z: drive path under which Wine programs see a Unix path."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def claim_work_folder(work):
    """Makes `work` an empty folder of the session's own. Only a folder that
    an earlier session made is emptied; an empty one is taken as it is; any
    other folder is refused, never deleted."""
    if not os.path.lexists(work):
        os.makedirs(work)
    elif os.path.islink(work) or not os.path.isdir(work):
        raise WineError("the work folder %s is not a folder" % work)
    else:
        entries = set(os.listdir(work))
        if entries and WORK_MARKER not in entries:
            raise WineError("the work folder %s is not empty and was not made by a Wine session: "
                            "give a new or an empty folder" % work)
        for entry in entries:
            path = os.path.join(work, entry)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            else:
                os.remove(path)
    open(os.path.join(work, WORK_MARKER), "w").close()


def prefix_version(prefix):
    """The marker of a prefix a session made, None when there is none."""
    marker = os.path.join(prefix, PREFIX_MARKER)
    if not os.path.isfile(marker):
        return None
    with open(marker) as version:
        return version.read()


def japanese_locale_available():
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    return any(name.lower().replace("-", "") == "ja_jp.utf8" for name in listed)


class WineSession:
    def __init__(self, prefix, work):
        self.prefix = os.path.abspath(prefix)
        self.work = os.path.abspath(work)
        self.com1_link = os.path.join(self.prefix, "posrelay-ports", "com1")
        self.processes = []
        self.lock = None
        self.env = None
        # Set once the prefix is known to be the session's own: a refused
        # folder is not touched, not even by the server's stop.
        self.prefix_ours = False

    def __enter__(self):
        if not WINE or not WINESERVER:
            raise WineError("wine64 is not installed (tools/install-packages.sh installs it)")
        if not japanese_locale_available():
            raise WineError(LOCALE + " is not generated (tools/install-packages.sh does it)")
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        self.lock = open(self.prefix + ".lock", "w")
        fcntl.flock(self.lock, fcntl.LOCK_EX)
        try:
            self._make_environment()
            self._prepare_prefix()
            # The persistent server stays in the background: it must not hold
            # this script's pipes.
            subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, value, traceback):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        if self.env is not None and self.prefix_ours:
            self._stop_server()
        for process in self.processes:
            process.wait()
        if self.lock is not None:
            self.lock.close()
        return False

    def _stop_server(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True)
        subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=30)

    def _make_environment(self):
        claim_work_folder(self.work)
        folders = {name: os.path.join(self.work, name) for name in ("tmp", "xdg-data", "xdg-config", "xdg-cache")}
        for folder in folders.values():
            os.makedirs(folder)
        env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "TMPDIR": folders["tmp"],
            "XDG_DATA_HOME": folders["xdg-data"],
            "XDG_CONFIG_HOME": folders["xdg-config"],
            "XDG_CACHE_HOME": folders["xdg-cache"],
            # Code page 932, as on the handset.
            "LANG": LOCALE,
            "LC_ALL": LOCALE,
        })
        self.env = env

    def _run_wine_tool(self, command, timeout=120):
        result = subprocess.run(command, env=self.env, capture_output=True, timeout=timeout)
        if result.returncode != 0:
            raise WineError("%s failed with %d: %s" % (" ".join(command), result.returncode,
                                                       decode_wine_output(result.stderr)))

    def _prepare_prefix(self):
        version = prefix_version(self.prefix)
        if version is None and os.path.isdir(self.prefix) and os.listdir(self.prefix):
            raise WineError("%s is not empty and is not a prefix made by these tests: give "
                            "another --prefix, or delete it yourself" % self.prefix)
        self.prefix_ours = True
        if version == PREFIX_VERSION:
            return
        started = time.monotonic()
        if version is not None:
            shutil.rmtree(self.prefix)
        os.makedirs(os.path.dirname(self.com1_link), exist_ok=True)
        marker = os.path.join(self.prefix, PREFIX_MARKER)
        with open(marker, "w") as being_made:
            being_made.write(PREFIX_BEING_MADE)
        # Windows need the null graphics driver without a display; it must be
        # in place before the first boot.
        with open(os.path.join(self.prefix, "user.reg"), "w") as registry:
            registry.write(NULL_DRIVER_REGISTRY)
        self._run_wine_tool([WINE, "wineboot", "-i"])
        self._run_wine_tool([WINE, "reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", "COM1",
                             "/d", self.com1_link, "/f"])
        # The persistent server must start after the boot's server is gone;
        # -k fails when it has already gone by itself.
        self._stop_server()
        with open(marker, "w") as done:
            done.write(PREFIX_VERSION)
        print("prepared the Wine prefix in %.1f s" % (time.monotonic() - started))

    def point_com1_at(self, device):
        """Points COM1 at a device, or at nothing when device is None."""
        if os.path.lexists(self.com1_link):
            os.remove(self.com1_link)
        if device is not None:
            os.symlink(device, self.com1_link)

    def run_tool(self, arguments, check=True):
        """Runs a Wine tool such as reg to its end; returns its output. The
        output goes through a file: Wine's own services, started with the
        first program of a session, would hold a pipe open long after."""
        with open(os.path.join(self.work, "tool.out"), "w+b") as output:
            result = subprocess.run([WINE] + arguments, env=self.env, stdout=output,
                                    stderr=subprocess.STDOUT, timeout=60)
            output.seek(0)
            text = decode_wine_output(output.read())
        if check and result.returncode != 0:
            raise WineError("%s failed with %d: %s" % (" ".join(arguments), result.returncode, text))
        return text

    def start(self, name, arguments, cwd=None, env=None):
        """Starts a Windows program, its output going to <name>.log in the
        test's folder; the session stops it if it is still running at the end."""
        with open(os.path.join(self.work, name + ".log"), "wb") as log:
            process = subprocess.Popen([WINE] + arguments, env=env or self.env,
                                       cwd=cwd or self.work, stdout=log, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def output_of(self, name):
        """What the program started as `name` has printed so far, with what
        Wine said of it."""
        with open(os.path.join(self.work, name + ".log"), "rb") as log:
            return decode_wine_output(log.read())

    def run_to_end(self, name, arguments, limit_s):
        """Runs a Windows program to its end and prints its output; returns
        its exit code, or None when it was still running after limit_s."""
        process = self.start(name, arguments)
        try:
            exit_code = process.wait(timeout=limit_s)
        except subprocess.TimeoutExpired:
            exit_code = None
        sys.stdout.write(self.output_of(name))
        return exit_code

    def run_quietly(self, name, arguments, limit_s):
        """Runs a Windows program to its end; returns its output, or None
        when it was still running after limit_s."""
        try:
            self.start(name, arguments).wait(timeout=limit_s)
        except subprocess.TimeoutExpired:
            return None
        return self.output_of(name)
