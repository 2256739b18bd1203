"""What the release tests share: a fresh clone of the commit checked out
here, `make dist` run in it, and the files such a run makes."""

import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ARCHES = ("win32", "win64")
SHIPPED = ("Hushdesk.exe", "Hushdesk.chm", "README.txt")
# Skipped, for ctest: not a git checkout, so there is no commit to build.
SKIPPED = 77

# A make that runs this test (make test) must not hand its own state to the
# make inside a clone.
MAKE_STATE = ("MAKEFLAGS", "MFLAGS", "MAKELEVEL", "MAKEOVERRIDES")


def head_commit():
    """HEAD's commit id, or None outside a git checkout."""
    result = subprocess.run(["git", "-C", ROOT, "rev-parse", "--verify", "HEAD"],
                            capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def uncommitted_changes():
    result = subprocess.run(["git", "-C", ROOT, "status", "--porcelain", "--untracked-files=no"],
                            capture_output=True, text=True)
    return result.stdout.strip() != ""


def clone(commit, folder, umask=0o022):
    """A clean checkout of the commit in folder, nothing of this tree's
    build or changes in it."""
    subprocess.run(["git", "clone", "--quiet", "--no-checkout", ROOT, folder], check=True)
    subprocess.run(["git", "-C", folder, "checkout", "--quiet", "--detach", commit],
                   check=True, umask=umask)


def make_dist(folder, log, env=None, umask=0o022, jobs=None):
    """Runs `make dist` in the clone, its output into log; True when it
    succeeded, else the log's end is printed."""
    environment = {key: value for key, value in os.environ.items() if key not in MAKE_STATE}
    environment.update(env or {})
    command = ["make", "dist"] + ([f"JOBS={jobs}"] if jobs else [])
    with open(log, "w") as output:
        result = subprocess.run(command, cwd=folder, env=environment, umask=umask,
                                stdout=output, stderr=subprocess.STDOUT)
    if result.returncode != 0:
        with open(log) as output:
            lines = output.readlines()
        print("".join(lines[-40:]))
        print(f"FAULT: make dist failed in {folder} with exit code {result.returncode}")
        return False
    return True


def release_files(folder):
    """Every file a `make dist` run yields, relative to the clone: what it
    wrote to dist/ and what it packed from each build folder."""
    dist = os.path.join(folder, "dist")
    names = sorted(os.path.join("dist", name) for name in os.listdir(dist)) \
        if os.path.isdir(dist) else []
    names += [os.path.join("build", arch, name) for arch in ARCHES for name in SHIPPED]
    return names
