#!/usr/bin/env python3
"""Whether this machine runs 32-bit Windows programs under Wine.

The handset's program is 32-bit, and so is its nearest build here, but not
every machine runs 32-bit programs: some kernels refuse them, and Wine's
32-bit part may be missing. The probe builds a tiny 32-bit console program
and runs it in the tests' prefix; only the word it prints counts as yes.
It prints one line, the answer and, when it is no, the reason.

POSRELAY_WINE64_ONLY=1 in the environment answers no without trying, so
that the 64-bit fallback can be tried on a machine that runs both.

  wine_probe.py --prefix build/wine-prefix --work build/win32-i686/wine-probe

Exit status: 0 yes, 1 no.
"""
import argparse
import errno
import os
import shutil
import subprocess
import sys

from wine_session import WineError, WineSession, decode_wine_output

FORCE_VARIABLE = "POSRELAY_WINE64_ONLY"
COMPILER = "i686-w64-mingw32-g++"
# Wine's 32-bit loader, from wine32:i386.
LOADER = "/usr/lib/wine/wine"
WORD = "posrelay-wine32-ok"
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wine_probe.cpp")
RUN_LIMIT_S = 60
# Why tools/install-packages.sh could not install Wine's 32-bit part, which
# it writes when that happens.
INSTALL_REASON = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                              "build", "wine32-not-installed.txt")
ANSWER = "32-bit Windows programs under Wine: "


def forced():
    return os.environ.get(FORCE_VARIABLE, "") not in ("", "0")


def not_installed(reason_file=INSTALL_REASON):
    """Why Wine's 32-bit part is missing: the installer's reason when it
    left one."""
    try:
        with open(reason_file, encoding="utf-8") as file:
            reason = " ".join(file.read().split())
    except OSError:
        reason = ""
    return "Wine's 32-bit part is not installed: " + (reason or "wine32:i386 is missing")


def loader_refusal():
    """Why Wine's 32-bit loader cannot start, or None when it starts."""
    try:
        subprocess.run([LOADER, "--version"], capture_output=True, timeout=RUN_LIMIT_S)
    except FileNotFoundError:
        return not_installed()
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return ("this machine's kernel does not run 32-bit programs (Wine's 32-bit loader: "
                    "%s)" % error.strerror)
        return "Wine's 32-bit loader cannot start: %s" % error.strerror
    except subprocess.TimeoutExpired:
        return "Wine's 32-bit loader did not answer within %d s" % RUN_LIMIT_S
    return None


def build_program(work):
    program = os.path.join(work, "wine_probe.exe")
    compiler = shutil.which(COMPILER)
    if compiler is None:
        raise WineError("%s is not installed" % COMPILER)
    built = subprocess.run([compiler, "-static", "-s", "-o", program, SOURCE],
                           capture_output=True, timeout=RUN_LIMIT_S)
    if built.returncode != 0:
        raise WineError("%s cannot build the probe: %s"
                        % (COMPILER, decode_wine_output(built.stderr).strip()))
    return program


def probe(prefix, work):
    """(True, "") when a 32-bit program runs under Wine here, else (False,
    the reason)."""
    if forced():
        return False, "%s is set" % FORCE_VARIABLE
    refusal = loader_refusal()
    if refusal:
        return False, refusal
    try:
        with WineSession(prefix, work) as wine:
            program = build_program(wine.work)
            output = wine.run_quietly("probe", [program], RUN_LIMIT_S)
    except WineError as error:
        return False, str(error)
    if output is None:
        return False, "a 32-bit program did not end within %d s" % RUN_LIMIT_S
    if WORD in output:
        return True, ""
    said = " ".join(output.split())
    return False, "a 32-bit program did not run" + (": Wine says " + said if said else "")


def answer_line(runs, reason):
    return ANSWER + ("yes" if runs else "no: " + reason)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--prefix", required=True, help="the cached Wine prefix")
    parser.add_argument("--work", required=True, help="the probe's own folder")
    options = parser.parse_args()
    runs, reason = probe(options.prefix, options.work)
    print(answer_line(runs, reason))
    return 0 if runs else 1


if __name__ == "__main__":
    sys.exit(main())
