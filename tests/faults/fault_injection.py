#!/usr/bin/env python3
"""Fault injection against the real wavesmith-cli: nothing a user made is ever lost.

One part per run (--part):

  kills      kill -9 the tool at random moments (seeded; the seed is printed) during every
             command that writes, on multi-megabyte waveforms, and - when strace is there -
             once just before each rename and unlink the command makes. After each kill
             every file holds its complete old or its complete new content, the next
             start-up succeeds and leaves no temporary file behind.
  full-disk  a small tmpfs holding the workspace, filled almost to the top: every command
             that writes fails with exit status 1 and a message, and changes nothing.
  read-only  as an unprivileged user with a read-only user folder, working file, context
             file or export target, and as root on a read-only bind mount: the same.

Exit status 0 when everything held (violations the lead knows of are printed as XFAIL),
1 on a violation, 77 when the part cannot run here (not root, mounting not permitted).
"""
import argparse
import collections
import os
import random
import re
import shutil
import stat
import subprocess
import sys
import tempfile

from fault_common import (Report, Tool, Tree, copy_tree, describe, generate, is_log, log,
                          temporaries_in)
from fault_kills import part_kills

SKIP = 77
NAMESPACE_FLAG = "WAVESMITH_FAULTS_NAMESPACE"
NOBODY = 65534


# ---------------------------------------------------------------------------------------
# Shared by the full-disk and read-only parts: a command that must fail changes nothing.


class RefusalRig:
    """Runs each command on the same starting state (restored from a pristine copy) and
    checks that it was refused and changed nothing."""

    def __init__(self, report, tool, ws, roots, pristine):
        self.report, self.tool, self.ws = report, tool, ws
        self.tree = Tree(roots)
        self.pristine = pristine
        self.restorable = dict(roots)

    def keep_pristine(self):
        for label, root in self.restorable.items():
            copy_tree(root, os.path.join(self.pristine, label))

    def restore(self):
        for label, root in self.restorable.items():
            copy_tree(os.path.join(self.pristine, label), root)

    def expect_refusal(self, case, words, allowed_changes=()):
        before = self.tree.snapshot()
        result = self.tool.run(words, self.ws)
        context = f"{case}: {' '.join(words)}"
        reproduce = f"{case}; cd {self.ws}; {' '.join(result.argv)}"
        self.report.check_failure_reported(result, context, reproduce)
        after = self.tree.snapshot()
        for key in sorted(set(before) | set(after)):
            if is_log(key) or before.get(key) == after.get(key) or \
                    any(re.search(pattern, key) for pattern in allowed_changes):
                continue
            self.report.violation("changed by a refused command", key, context,
                                  f"{describe(before.get(key))} -> {describe(after.get(key))}",
                                  reproduce)
        for path in temporaries_in(self.tree.folders()):
            self.report.violation("temporary left", path, context, "", reproduce)
        log(f"  {'refused' if result.code == 1 else f'exit {result.code}':8s} {context}")

    def expect_start_up(self, case):
        result = self.tool.run(["info"], self.ws)
        if result.code != 0:
            self.report.violation("start-up", "exit status", case, result.show(),
                                  f"{case}; cd {self.ws}; {' '.join(result.argv)}")


def private_mount_namespace():
    """Runs this script again in a mount namespace of its own, so that its mounts vanish
    with it however it ends. Returns why that is not possible, or None inside."""
    if os.environ.get(NAMESPACE_FLAG) == "1":
        return None
    if os.geteuid() != 0:
        return "mounting needs root"
    if shutil.which("unshare") is None:
        return "unshare is missing"
    probe = subprocess.run(["unshare", "--mount", "--propagation", "private", "true"],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        return f"unshare --mount is not permitted here ({probe.stderr.strip()})"
    sys.stdout.flush()
    os.execvpe("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable,
                           os.path.abspath(__file__)] + sys.argv[1:],
               dict(os.environ, **{NAMESPACE_FLAG: "1"}))
    return "exec failed"


def mount(words):
    done = subprocess.run(["mount"] + words, capture_output=True, text=True)
    if done.returncode != 0:
        return f"mount {' '.join(words)} is not permitted here ({done.stderr.strip()})"
    return None


# ---------------------------------------------------------------------------------------
# A full disk


def fill_to(folder, leave):
    """Fills the file system of `folder` until only about `leave` bytes are free."""
    filler = os.path.join(folder, "filler.bin")
    block = b"\xa5" * (1 << 16)
    with open(filler, "wb") as stream:
        try:
            while True:
                stream.write(block)
                stream.flush()
        except OSError:
            pass
    os.truncate(filler, max(0, os.path.getsize(filler) - leave))
    info = os.statvfs(folder)
    return info.f_bavail * info.f_frsize


def part_full_disk(args):
    reason = private_mount_namespace()
    if reason:
        log(f"SKIPPED full-disk: {reason}")
        return SKIP
    report = Report("full-disk")
    scratch = os.path.abspath(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    disk, outside = os.path.join(scratch, "disk"), os.path.join(scratch, "outside")
    os.makedirs(disk)
    os.makedirs(outside)
    reason = mount(["-t", "tmpfs", "-o", "size=32m,mode=0755", "tmpfs", disk])
    if reason:
        log(f"SKIPPED full-disk: {reason}")
        return SKIP
    ws, docs, reg = (os.path.join(disk, n) for n in ("ws", "docs", "reg"))
    os.makedirs(docs)
    os.makedirs(reg, mode=0o700)
    tool = Tool(args.cli, args.consolux, reg)
    tool.prepare(ws, "QW2182", "rob")
    user_folder = os.path.join(ws, "$rob")
    points = 1000000
    for words in (["length", "2000000"], generate("sine", 2000000, "Cycl=2"),
                  ["export", f"{outside}/wave.wav"], ["export", f"{outside}/text.asc"],
                  ["open", f"{outside}/text.asc"], ["length", str(points)],
                  generate("triangle", points), ["export", f"{docs}/out.wav"],
                  ["export", f"{docs}/text2.asc"], generate("sine", points, "Cycl=5"),
                  ["edit", "invert"]):
        tool.must(words, ws)
    rig = RefusalRig(report, tool, ws, {"ws": ws, "docs": docs, "reg": reg, "out": outside},
                     os.path.join(scratch, "pristine"))
    rig.keep_pristine()
    everything = [
        generate("sine", points, "Cycl=3"), generate("triangle", points), ["edit", "invert"],
        ["edit", "smooth", "--anchors", "1000", "900000"],
        ["edit", "trim-left", "--anchors", "1000", "900000"],
        ["length", "500000"], ["length", "2000000"],
        ["open", f"{outside}/wave.wav"], ["open", f"{outside}/text.asc"],
        ["open", f"{docs}/text2.asc"],
        ["export", f"{docs}/new.asc"], ["export", f"{docs}/out.wav"],
        ["export", f"{user_folder}/mine.csv"], ["save-as", f"{docs}/saved.wav"], ["undo"],
    ]
    # Room for the undo copy of the current waveform, but not for what comes after it.
    larger = [generate("sine", points, "Cycl=3"), ["length", "2000000"],
              ["open", f"{outside}/wave.wav"]]
    for title, leave, commands in (("almost full", 48 * 1024, everything),
                                   ("room for one copy", 3 * points, larger)):
        for words in commands:
            rig.restore()
            free = fill_to(disk, leave)
            rig.expect_refusal(f"{title} ({free // 1024} KiB free)", words)
            os.remove(os.path.join(disk, "filler.bin"))
        fill_to(disk, leave)
        rig.expect_start_up(title)
        os.remove(os.path.join(disk, "filler.bin"))
    subprocess.run(["umount", disk])
    return report.finish()


# ---------------------------------------------------------------------------------------
# Read-only files and folders


def reachable_scratch(args):
    """A scratch folder the unprivileged user can reach: every folder above it must be
    searchable by others, or a fresh one under the system's temporary folder is used."""
    scratch = os.path.abspath(args.scratch)
    folder = os.path.dirname(scratch)
    while folder != "/":
        if not os.stat(folder).st_mode & stat.S_IXOTH:
            return tempfile.mkdtemp(prefix="wavesmith-faults-")
        folder = os.path.dirname(folder)
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    return scratch


def chown_tree(root, uid):
    for folder, names, files in os.walk(root):
        os.chown(folder, uid, uid)
        for name in names + files:
            os.chown(os.path.join(folder, name), uid, uid, follow_symlinks=False)


ReadOnlyCase = collections.namedtuple("ReadOnlyCase", "name target mode commands allowed")


def part_read_only(args):
    if os.geteuid() != 0 or shutil.which("setpriv") is None:
        log("SKIPPED read-only: running the tool as another user needs root and setpriv")
        return SKIP
    namespace_problem = private_mount_namespace()
    report = Report("read-only")
    scratch = reachable_scratch(args)
    args.scratch = scratch
    os.chmod(scratch, 0o755)
    os.makedirs(os.path.join(scratch, "bin"))
    cli = shutil.copy(args.cli, os.path.join(scratch, "bin"))
    os.chmod(cli, 0o755)
    ws, docs, reg = (os.path.join(scratch, n) for n in ("ws", "docs", "reg"))
    os.makedirs(docs)
    os.makedirs(reg, mode=0o700)
    Tool(cli, args.consolux, reg, user="nobody").prepare(ws, "QW2182", "nobody")
    for root in (ws, docs, reg):
        chown_tree(root, NOBODY)
    tool = Tool(cli, args.consolux, reg, user="nobody", uid=NOBODY)
    user_folder = os.path.join(ws, "$nob")
    points = 1000000
    for words in (["length", str(points)], generate("sine", points, "Cycl=2"),
                  ["export", f"{docs}/wave.wav"], ["export", f"{docs}/text.asc"],
                  ["open", f"{docs}/text.asc"], generate("triangle", points),
                  ["export", f"{docs}/out.asc"], generate("sine", points, "Cycl=5"),
                  ["edit", "invert"]):
        tool.must(words, ws)
    rig = RefusalRig(report, tool, ws, {"ws": ws, "docs": docs, "reg": reg},
                     os.path.join(scratch, "pristine"))
    rig.keep_pristine()
    waveform = [
        generate("sine", points, "Cycl=3"), ["length", "500000"], ["edit", "invert"],
        ["edit", "trim-left", "--anchors", "1000", "900000"], ["open", f"{docs}/wave.wav"],
        ["open", f"{docs}/text.asc"], ["undo"],
    ]
    context_file = os.path.join(user_folder, "TempGlyp.cad")
    cases = [
        ReadOnlyCase("read-only user folder", user_folder, 0o555, waveform + [
            ["save-as", f"{user_folder}/mine.wav"], ["export", f"{user_folder}/mine.asc"],
            ["segment", "2"], ["channel", "2"]], ()),
        ReadOnlyCase("read-only working file", os.path.join(user_folder, "TemS1.wa0"), 0o444,
                     waveform, ()),
        # The chosen file itself may be written; the segment table cannot follow it.
        ReadOnlyCase("read-only context file", context_file, 0o444, [
            ["open", f"{docs}/wave.wav"], ["segment", "2"], ["channel", "2"],
            ["save-as", f"{docs}/saved.wav"]], (r"^docs/saved\.wav$",)),
        ReadOnlyCase("read-only export target", f"{docs}/out.asc", 0o444, [
            ["export", f"{docs}/out.asc"], ["save-as", f"{docs}/out.asc"]], ()),
    ]
    for case in cases:
        log(f"read-only: {case.name} (as nobody)")
        for words in case.commands:
            rig.restore()
            os.chmod(case.target, case.mode)
            rig.expect_refusal(case.name, words, case.allowed)
        rig.expect_start_up(case.name)
    rig.restore()
    read_only_bind_mount(rig, Tool(cli, args.consolux, reg, user="nobody"), docs, user_folder,
                         namespace_problem)
    return report.finish()


def read_only_bind_mount(rig, root_tool, docs, user_folder, namespace_problem):
    ws = rig.ws
    problem = namespace_problem or mount(["--bind", ws, ws]) or \
        mount(["-o", "remount,bind,ro", ws])
    if problem:
        rig.report.notes.append(f"read-only bind mount not tried: {problem}")
        return
    log("read-only: the workspace on a read-only bind mount (as root)")
    rig.tool = root_tool
    del rig.restorable["ws"]
    case = "read-only bind mount"
    for words in (generate("sine", 1000000, "Cycl=3"), ["length", "500000"],
                  ["edit", "invert"], ["open", f"{docs}/wave.wav"], ["undo"],
                  ["segment", "2"], ["channel", "2"], ["export", f"{ws}/mine.wav"],
                  ["save-as", f"{user_folder}/mine.asc"]):
        rig.restore()
        rig.expect_refusal(case, words)
    rig.expect_start_up(case)
    subprocess.run(["umount", ws])


# ---------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--part", required=True, choices=["kills", "full-disk", "read-only"])
    parser.add_argument("--cli", required=True, help="the wavesmith-cli program")
    parser.add_argument("--consolux", required=True, help="the consolux program")
    parser.add_argument("--scratch", required=True, help="a folder this run may wipe")
    parser.add_argument("--seed", type=int, help="kills: the random seed (default: new)")
    parser.add_argument("--kills", type=int, default=250, help="kills: random kills, at least")
    parser.add_argument("--only", default="", help="kills: only commands whose name has this")
    args = parser.parse_args()
    args.cli, args.consolux = os.path.abspath(args.cli), os.path.abspath(args.consolux)
    if args.seed is None:
        args.seed = int(os.environ.get("WAVESMITH_FAULTS_SEED",
                                       random.SystemRandom().randrange(1, 1 << 31)))
    parts = {"kills": part_kills, "full-disk": part_full_disk, "read-only": part_read_only}
    status = parts[args.part](args)
    if status == 0:
        shutil.rmtree(args.scratch, ignore_errors=True)
    elif status == 1:
        log(f"the files are kept in {args.scratch}")
    return status


if __name__ == "__main__":
    sys.exit(main())
