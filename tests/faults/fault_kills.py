"""The kills part: kill -9 at random moments and at each rename and unlink of every command
that writes, then check that each file holds its complete old or complete new content."""
import collections
import os
import random
import re
import shutil
import subprocess
import time

from fault_common import (CONTEXT_NAME, LOG_NAME, Report, Tool, Tree, copy_tree, describe,
                          generate, is_log, is_temporary, log, stat_key, temporaries_in)



class Scenario:
    def __init__(self, base, words, mode=None):
        self.base, self.words, self.mode = base, words, mode

    def name(self):
        return f"{self.base}: {' '.join(self.words)}"


def ini_values(text):
    """The settings of an ini text as {"[Section] Key": value}, numbers as numbers."""
    values, section = {}, ""
    for line in text.decode("latin-1").splitlines():
        if line.startswith("["):
            section = line.strip()
        elif "=" in line:
            key, _, value = line.partition("=")
            try:
                value = float(value)
            except ValueError:
                pass
            values[f"{section} {key}"] = value
    return values


def ini_difference(now, other):
    """Which settings differ, and whether only the spelling of numbers does."""
    a, b = ini_values(now), ini_values(other)
    keys = sorted(k for k in set(a) | set(b) if a.get(k) != b.get(k))
    if not keys:
        return "the same values, numbers spelt differently"
    return "differs in " + ", ".join(keys)


class Base:
    """A workspace state kept aside and restored into the live folders before every run;
    the live folders never move, as the context file names its files by absolute path."""

    def __init__(self, store, files, length, log_text, context):
        self.store, self.files, self.length, self.log_text = store, files, length, log_text
        self.context = context


class Expectation:
    """The files before (old) and after (new) one complete run of a command."""

    def __init__(self, base, new, new_length, new_context):
        self.old, self.new = base.files, new
        self.old_context, self.new_context = base.context, new_context
        self.lengths = {base.length, new_length}
        self.old_log = base.log_text
        self.changed = [k for k in set(self.old) | set(self.new)
                        if not is_log(k) and self.old.get(k) != self.new.get(k)]

    def outcome(self, current):
        """Where a kill landed: before any file changed, after all did, in between, or
        somewhere no complete run goes ("neither"); "+part" when a temporary file was being
        written."""
        at_new = sum(current.get(k) == self.new.get(k) for k in self.changed)
        at_old = sum(current.get(k) == self.old.get(k) for k in self.changed)
        name = "old" if at_old == len(self.changed) else \
            "new" if at_new == len(self.changed) else \
            "mixed" if at_old + at_new == len(self.changed) else "neither"
        return name + ("+part" if any(is_temporary(k) for k in current) else "")

    def problems(self, current, tree):
        for key in sorted(set(self.old) | set(self.new) | set(current)):
            now = current.get(key)
            if is_log(key):
                with open(tree.path(key), "rb") as stream:
                    if not stream.read().startswith(self.old_log):
                        yield "log rewritten", key, "its old lines are no longer at its start"
                continue
            old, new = self.old.get(key), self.new.get(key)
            if is_temporary(key) or now in (old, new):
                continue  # temporaries are checked after the next start-up
            if old is None and new is None:
                yield "unexpected file", key, f"{describe(now)}; neither run had it"
            elif now is None:
                yield "file lost", key, f"old {describe(old)}, new {describe(new)}"
            else:
                detail = f"{describe(now)}; old {describe(old)}, new {describe(new)}"
                if key.endswith(CONTEXT_NAME):
                    with open(tree.path(key), "rb") as stream:
                        text = stream.read()
                    detail += (f"; from the old file: {ini_difference(text, self.old_context)}"
                               f"; from the new: {ini_difference(text, self.new_context)}")
                yield "torn file", key, detail


class KillRig:
    def __init__(self, args, report):
        self.args, self.report = args, report
        self.scratch = os.path.abspath(args.scratch)
        self.live = os.path.join(self.scratch, "live")
        self.ws = os.path.join(self.live, "ws")
        self.docs = os.path.join(self.live, "docs")
        self.reg = os.path.join(self.live, "reg")
        self.user_folder = os.path.join(self.ws, "$rob")
        self.tool = Tool(args.cli, args.consolux, self.reg)
        self.tree = Tree({"ws": self.ws, "docs": self.docs, "reg": self.reg})
        self.bases = {}
        self.current_base = None
        self.outcomes = collections.Counter()

    # -- bases

    def fresh(self, family):
        shutil.rmtree(self.live, ignore_errors=True)
        os.makedirs(self.docs)
        os.makedirs(self.reg, mode=0o700)
        self.tool.prepare(self.ws, family, "rob")
        self.tree.cache.clear()
        self.current_base = None

    def keep(self, name, commands, mode=None):
        for words in commands:
            self.tool.must(words, self.ws, mode)
        length = self.tool.must(["info"], self.ws, mode).value("length")
        files = self.tree.snapshot()
        store = os.path.join(self.scratch, "base-" + name)
        copy_tree(self.live, store)
        self.bases[name] = Base(store, files, length, self.read(LOG_NAME),
                                self.read(os.path.join("$rob", CONTEXT_NAME)))
        self.current_base = name

    def build_bases(self):
        d = self.docs
        self.fresh("QW2182")
        self.keep("std", [
            ["length", "2000000"], generate("triangle", 2000000), ["export", f"{d}/text.asc"],
            ["length", "1000000"], generate("square", 1000000), ["export", f"{d}/cols.csv"],
            ["length", "3000000"], generate("sinc", 3000000), ["export", f"{d}/wave.wav"],
            ["export", f"{d}/saved.wav"], ["export", f"{d}/out.asc"],
            ["length", "4000000"], generate("gaussian", 4000000), ["export", f"{d}/out.wav"],
            generate("sine", 4000000, "Cycl=7"), ["edit", "invert"],
        ])
        self.keep("std-opened", [["open", f"{d}/wave.wav"]])
        self.fresh("G4270")
        self.keep("fm", [
            ["length", "60000"], generate("triangle", 60000), ["export", f"{d}/fmtext.afm"],
            ["export", f"{d}/fmout.wfm"], ["export", f"{d}/fmsaved.afm"],
            ["length", "100000"], generate("sine", 100000, "Cycl=7"), ["edit", "invert"],
        ], "fm")

    def read(self, name):
        with open(os.path.join(self.ws, name), "rb") as stream:
            return stream.read()

    def restore(self, name):
        """Makes the live folders hold exactly the base's files again, copying only the
        files that changed since the base was last restored."""
        base = self.bases[name]
        if self.current_base != name:
            self.tree.cache.clear()
        live = self.tree.keys()
        for key, path in live.items():
            if key not in base.files:
                os.remove(path)
        for key, state in base.files.items():
            path = self.tree.path(key)
            cached = self.tree.cache.get(key)
            if key in live and cached is not None and cached[1] == state and \
                    cached[0] == stat_key(os.lstat(path)):
                continue
            if os.path.lexists(path):
                os.remove(path)
            shutil.copy2(os.path.join(base.store, os.path.relpath(path, self.live)), path)
            self.tree.cache[key] = (stat_key(os.lstat(path)), state)
        self.current_base = name

    # -- one command

    def reproduce(self, scenario, when):
        mode = f"--mode {scenario.mode} " if scenario.mode else ""
        return (f"cp -a {self.bases[scenario.base].store}/. {self.live}/ (made by "
                f"--part kills --seed {self.args.seed}); cd {self.ws}; {when}wavesmith-cli "
                f"{mode}--yes {' '.join(scenario.words)}; wavesmith-cli {mode}info")

    def expectation(self, scenario):
        base = self.bases[scenario.base]
        self.restore(scenario.base)
        start = time.monotonic()
        reference = self.tool.run(scenario.words, self.ws, scenario.mode)
        seconds = time.monotonic() - start
        if reference.code != 0:
            self.report.violation("complete run failed", "exit status", scenario.name(),
                                  reference.show(), self.reproduce(scenario, ""))
            return None, 0
        new = self.tree.snapshot()
        # Before the next start-up, which in FM mode writes the context file again.
        context = self.read(os.path.join("$rob", CONTEXT_NAME))
        length = self.tool.must(["info"], self.ws, scenario.mode).value("length")
        return Expectation(base, new, length, context), seconds

    def random_kills(self, scenario, expected, seconds, quota, rng):
        landed = attempts = 0
        while landed < quota and attempts < quota * 10:
            attempts += 1
            self.restore(scenario.base)
            delay = rng.uniform(0.0, seconds)
            process = self.tool.start(scenario.words, self.ws, scenario.mode)
            try:
                code = process.wait(timeout=delay)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
                landed += 1
                self.check_after_kill(scenario, expected,
                                      f"(kill -9 after {delay:.3f} s) ")
                continue
            self.check_completed(scenario, expected, code)
        return landed

    def commit_point_kills(self, scenario, expected):
        """Kills the command on entering each of its renames and unlinks in turn: every
        state a crash can leave on the disk, one after the other."""
        landed = 0
        for call in ("rename", "unlink"):
            for when in range(1, self.count_calls(scenario, call) + 1):
                self.restore(scenario.base)
                inject = f"inject={call}:signal=KILL:when={when}"
                prefix = ["strace", "-f", "-o", "/dev/null", "-e", f"trace={call}", "-e",
                          inject]
                result = self.tool.run(scenario.words, self.ws, scenario.mode, prefix)
                if result.code == 0:  # the run made fewer calls this time
                    self.check_completed(scenario, expected, result.code)
                    continue
                landed += 1
                self.check_after_kill(scenario, expected, f"(strace -f -e {inject}) ")
        return landed

    def count_calls(self, scenario, call):
        self.restore(scenario.base)
        trace = os.path.join(self.scratch, "strace.out")
        self.tool.run(scenario.words, self.ws, scenario.mode,
                      ["strace", "-f", "-o", trace, "-e", f"trace={call}"])
        with open(trace) as stream:
            return sum(1 for line in stream if re.search(rf"\b{call}\(", line))

    def check_completed(self, scenario, expected, code):
        if code != 0:
            self.report.violation("complete run failed", "exit status", scenario.name(),
                                  f"exit {code}", self.reproduce(scenario, ""))
            return
        current = self.tree.snapshot()
        for key in sorted(set(current) | set(expected.new)):
            if not is_log(key) and current.get(key) != expected.new.get(key):
                self.report.violation("run not repeatable", key, scenario.name(),
                                      f"{describe(current.get(key))}, the first run gave "
                                      f"{describe(expected.new.get(key))}",
                                      self.reproduce(scenario, ""))

    def check_after_kill(self, scenario, expected, how):
        reproduce = self.reproduce(scenario, how)
        context = scenario.name()
        current = self.tree.snapshot()
        self.outcomes[expected.outcome(current)] += 1
        for kind, key, detail in expected.problems(current, self.tree):
            self.report.violation(kind, key, context, detail, reproduce)
        info = self.tool.run(["info"], self.ws, scenario.mode)
        if info.code != 0:
            self.report.violation("start-up after a kill", "exit status", context,
                                  info.show(), reproduce)
        elif info.value("length") not in expected.lengths:
            self.report.violation("length after a kill", "info", context,
                                  f"{info.value('length')}, expected one of "
                                  f"{sorted(expected.lengths)}", reproduce)
        for path in temporaries_in([self.ws, self.user_folder, self.reg]):
            self.report.violation("temporary left after start-up", path, context, "",
                                  reproduce)
        for scratch in (os.path.join(self.user_folder, "orgWave.tmp"),
                        os.path.join(self.ws, "$$.asc")):
            if os.path.exists(scratch):
                self.report.violation("scratch left after start-up", scratch, context, "",
                                      reproduce)
        for path in temporaries_in([self.docs]):
            self.report.violation("temporary left in the user's own folder", path, context,
                                  "", reproduce)


def kill_scenarios(d, u):
    std = [
        generate("sine", 4000000, "Cycl=3"), generate("triangle", 4000000),
        ["edit", "smooth", "--anchors", "1000", "3000000"], ["edit", "filter"],
        ["edit", "invert"], ["edit", "trim-left", "--anchors", "1000", "3000000"],
        ["edit", "trim-right", "--anchors", "1000", "3000000"],
        ["open", f"{d}/text.asc"], ["open", f"{d}/cols.csv"], ["open", f"{d}/wave.wav"],
        ["save-as", f"{d}/saved.wav"], ["save-as", f"{d}/fresh.asc"], ["undo"],
        ["length", "2500000"], ["length", "6000000"],
        ["export", f"{d}/out.asc"], ["export", f"{d}/out.wav"], ["export", f"{u}/mine.csv"],
    ]
    opened = [["save"], ["length", "4000000"], ["edit", "invert"]]
    fm = [
        generate("sine", 100000, "Cycl=3"), ["edit", "smooth", "--anchors", "100", "90000"],
        ["undo"], ["length", "50000"], ["open", f"{d}/fmtext.afm"],
        ["export", f"{d}/fmout.wfm"], ["save-as", f"{d}/fmsaved.afm"],
    ]
    return ([Scenario("std", w) for w in std] + [Scenario("std-opened", w) for w in opened] +
            [Scenario("fm", w, "fm") for w in fm])


def part_kills(args):
    report = Report("kills")
    shutil.rmtree(args.scratch, ignore_errors=True)
    rng = random.Random(args.seed)
    log(f"kills: seed {args.seed} (again with --seed {args.seed}), at least {args.kills} "
        f"random kills")
    sweep = shutil.which("strace") is not None
    if not sweep:
        report.notes.append("strace is missing: no kills at each rename and unlink")
    rig = KillRig(args, report)
    rig.build_bases()
    scenarios = [s for s in kill_scenarios(rig.docs, rig.user_folder) if args.only in s.name()]
    report.complete = sweep and not args.only
    quota = -(-args.kills // max(1, len(scenarios)))
    random_total = sweep_total = 0
    for scenario in scenarios:
        rig.outcomes.clear()
        expected, seconds = rig.expectation(scenario)
        if expected is None:
            continue
        landed = rig.random_kills(scenario, expected, seconds, quota, rng)
        swept = rig.commit_point_kills(scenario, expected) if sweep else 0
        random_total += landed
        sweep_total += swept
        outcomes = " ".join(f"{k}={v}" for k, v in sorted(rig.outcomes.items()))
        log(f"  {landed:3d} random + {swept:2d} commit-point kills, {seconds:5.2f} s a run: "
            f"{scenario.name()}  [{outcomes}]")
    log(f"kills: {random_total} random and {sweep_total} commit-point kills in "
        f"{len(scenarios)} commands")
    if random_total < args.kills and not args.only:
        report.violation("too few kills", "kills", "all", f"{random_total} < {args.kills}",
                         "a slower machine? rerun")
    return report.finish()
