#!/usr/bin/env python3
"""Plants faults in the product's code one at a time and runs the Linux suite
against each: the suite's strength, measured.

Each fault is planted in a copy of the source tree (build-mutants/src), never
in the working tree; the copy is built incrementally (build-mutants/tree, g++,
-O1, no debug information) and the test programs run against it, the tests of
the folder the fault is in first, stopping at the first failure. A fault that
survives the plain suite is tried again in a sanitized tree of its own
(build-mutants-san, clang, AddressSanitizer + UBSan), where a fault that only
writes or reads past a buffer shows, and then by the fault sweep in its sampled
form, as `make test` runs it: a fault on a path that only a failing platform
call takes shows there.

A fault that does not compile is reported so and not counted; nor is one whose
product object files come out byte for byte as without it (an equivalent
fault: it cannot change what the code does).

Environment: MUTANTS (how many faults), MUTANTS_SEED (which; several seeds,
comma-separated, give MUTANTS faults each), MUTANTS_JOBS
(build jobs), MUTANTS_SAN=0 (no sanitized retry), MUTANTS_SWEEP=0 (no fault
sweep in it), MUTANTS_FOLDERS (a
comma-separated subset of the product folders below), MUTANTS_OPERATORS (a
subset of the operators), MUTANTS_SYNC=0 (the copy as the last run left it,
not refreshed from the working tree), MUTANTS_RERUN (a file of an earlier
run's output: only the faults it reports missed, again), MUTANTS_RESUME (a
file of an earlier run's output: the faults it reports are skipped).

Output: one line per fault, `FILE:LINE operator (change): caught by TEST`,
`missed`, `does not compile` or `equivalent`, and a last line
`score: K of N`.
"""

import hashlib
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# The product's folders, with the test folders (under tests/) whose tests run
# first against a fault planted in each. A folder that does not exist is
# skipped; a file belongs to the longest folder that holds it.
PRODUCT_FOLDERS = [
    ("plugin", ["plugin"]),
    ("plugin/state", ["plugin/state", "plugin"]),
    ("state", ["state", "plugin/state", "plugin"]),
    ("device", ["device", "plugin"]),
    ("hostinput", ["hostinput", "plugin"]),
    ("capture", ["capture", "plugin"]),
    ("geometry", ["geometry"]),
    ("text", ["text"]),
    ("material", ["material"]),
    ("texture", ["texture"]),
    ("d3dx", ["d3dx"]),
    ("pixels", ["pixels", "d3dx", "texture"]),
    ("kernel", ["kernel", "host"]),
]
SOURCE_SUFFIXES = (".cpp", ".h")

# The test programs run against each fault (not the Wine suite, nor the fault
# sweep and the soak, which take minutes), and what the build builds for them.
TEST_PROGRAMS = ["plugin_tests", "d3dx_tests", "kernel_tests", "host_tests", "tools_tests",
                 "capture_tests"]
# The fault sweep's program and its tests (the shards, which ctest runs side by
# side), run for a fault that every other test let through.
SWEEP_PROGRAM = "sweep_tests"
SWEEP_TESTS = r"^Shard/FaultSweep\."
# Build-tree folders whose object files are not the product's.
NON_PRODUCT_OBJECTS = ("tests", "platform", "tools", "examples", "bench", "_deps")

DEFAULT_MUTANTS = 40
DEFAULT_SEED = 1
# A test program is stopped after this many times its time without a fault.
TIMEOUT_FACTOR = 4
TIMEOUT_FLOOR = 20

OPERATORS = ["comparison", "logic", "constant", "drop", "swap", "boolean", "argument"]
# Operators whose survivors the sanitized tree gets a second look at: faults
# that can move an index, a size or a bound.
MEMORY_OPERATORS = {"comparison", "logic", "constant", "drop", "swap", "argument"}
# Operators whose survivors meet the fault sweep too: what only the sweep
# sees is a failure path gone wrong, its clean-up dropped or its answer
# inverted. (In the 126 faults of the run that sent every survivor to the
# sweep it caught none the sanitized suite let through, at about 55 s of
# processor time each.)
SWEEP_OPERATORS = {"drop", "boolean"}

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build-mutants")
MIRROR = os.path.join(WORK, "src")
TREE = os.path.join(WORK, "tree")
SAN_TREE = os.path.join(ROOT, "build-mutants-san")

CCACHE_ENV = {
    "CMAKE_C_COMPILER_LAUNCHER": "ccache",
    "CMAKE_CXX_COMPILER_LAUNCHER": "ccache",
    "CCACHE_BASEDIR": "/work",
    "CCACHE_SLOPPINESS": "pch_defines,time_macros,include_file_mtime,include_file_ctime",
}
SAN_ENV = {
    "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1:malloc_context_size=8",
    "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
}


def log(message):
    print(message, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- the copy

def skipped_dir(relative):
    top = relative.split(os.sep)[0]
    return top.startswith("build") or top in (".git", "out")


def sync_mirror():
    """Makes build-mutants/src the working tree's copy, writing only the files
    that differ (so the build stays incremental)."""
    wanted = set()
    for directory, dirs, files in os.walk(ROOT):
        relative_dir = os.path.relpath(directory, ROOT)
        if relative_dir != "." and skipped_dir(relative_dir):
            dirs[:] = []
            continue
        dirs[:] = [d for d in dirs if not skipped_dir(os.path.normpath(os.path.join(relative_dir, d)))]
        for name in files:
            relative = os.path.normpath(os.path.join(relative_dir, name))
            wanted.add(relative)
            source = os.path.join(ROOT, relative)
            target = os.path.join(MIRROR, relative)
            with open(source, "rb") as f:
                data = f.read()
            if os.path.exists(target):
                with open(target, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(source, target)
            shutil.copymode(source, target)
    for directory, dirs, files in os.walk(MIRROR, topdown=False):
        for name in files:
            relative = os.path.relpath(os.path.join(directory, name), MIRROR)
            if relative not in wanted:
                os.remove(os.path.join(directory, name))
        if directory != MIRROR and not os.listdir(directory):
            os.rmdir(directory)


# ---------------------------------------------------------------- the faults

def mask_code(lines):
    """Each line with comments, string and character literals blanked (same
    length), and whether the line is one to leave alone (preprocessor lines,
    static_asserts)."""
    masked, skip = [], []
    in_block = False
    in_directive = False
    assert_depth = 0
    for line in lines:
        out = []
        i = 0
        n = len(line)
        while i < n:
            if in_block:
                end = line.find("*/", i)
                if end < 0:
                    out.append(" " * (n - i))
                    i = n
                else:
                    out.append(" " * (end + 2 - i))
                    i = end + 2
                    in_block = False
                continue
            c = line[i]
            if line.startswith("//", i):
                out.append(" " * (n - i))
                break
            if line.startswith("/*", i):
                in_block = True
                out.append("  ")
                i += 2
                continue
            if c in "\"'":
                # A raw string is not expected in this code; an escaped quote is.
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                j = min(j + 1, n)
                out.append(c + " " * (j - i - 2) + (c if j - i >= 2 else ""))
                i = j
                continue
            out.append(c)
            i += 1
        text = "".join(out)[:n]
        stripped = text.strip()
        directive = in_directive or stripped.startswith("#")
        in_directive = directive and line.rstrip().endswith("\\")
        in_assert = assert_depth > 0 or "static_assert" in text
        if in_assert:
            start = text.find("static_assert") if assert_depth == 0 else 0
            assert_depth += text[start:].count("(") - text[start:].count(")")
            assert_depth = max(assert_depth, 0)
        masked.append(text)
        skip.append(directive or in_assert)
    return masked, skip


RELATIONAL = [(" <= ", " < "), (" >= ", " > "), (" < ", " <= "), (" > ", " >= ")]
INTEGER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])")
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "alignof", "decltype", "static_cast",
            "reinterpret_cast", "const_cast", "dynamic_cast", "catch", "defined", "static_assert"}
SIMPLE_ARGUMENT = re.compile(r"^[A-Za-z_][\w]*(?:(?:\.|->|::)[A-Za-z_]\w*)*(?:\[\w+\])?$")
STATEMENT_CALL = re.compile(r"^[\w:.\->\[\]*]+(?:\([^;]*\))?(?:(?:\.|->)\w+)*\([^;]*\);$")
STATEMENT_ASSIGN = re.compile(r"^[\w.\->\[\]*()]+\s*(?:=|\+=|-=|\*=|/=|\|=|&=|\^=|<<=|>>=|%=)\s.*;$")
STATEMENT_STEP = re.compile(r"^(?:\+\+|--)?[\w.\->\[\]]+(?:\+\+|--)?;$")
STATEMENT_JUMP = re.compile(r"^(?:return\b.*|break|continue);$")


def balanced(text):
    depth = 0
    for c in text:
        depth += c in "([{"
        depth -= c in ")]}"
        if depth < 0:
            return False
    return depth == 0


def call_arguments(masked):
    """(open, close, [(start, end)]) of each call on the line whose argument
    list closes on it; positions of the arguments, trimmed."""
    calls = []
    for match in re.finditer(r"\b(\w+)\s*\(", masked):
        if match.group(1) in KEYWORDS:
            continue
        open_at = match.end() - 1
        depth = 0
        start = open_at + 1
        arguments = []
        close = None
        for j in range(open_at, len(masked)):
            c = masked[j]
            if c in "([{":
                depth += 1
            elif c in ")]}":
                depth -= 1
                if depth == 0:
                    arguments.append((start, j))
                    close = j
                    break
            elif c == "," and depth == 1:
                arguments.append((start, j))
                start = j + 1
        if close is None:
            continue
        trimmed = []
        for s, e in arguments:
            while s < e and masked[s] == " ":
                s += 1
            while e > s and masked[e - 1] == " ":
                e -= 1
            trimmed.append((s, e))
        calls.append((open_at, close, trimmed))
    return calls


def faults_of_line(masked, line, previous):
    """Every fault the line offers: (operator, column, old, new)."""
    found = []
    # Comparisons and their boundaries.
    for old, new in RELATIONAL:
        for m in re.finditer(re.escape(old), masked):
            if old in (" < ", " > ") and masked[m.start():m.start() + 4] in (" <= ", " >= "):
                continue
            found.append(("comparison", m.start(), old, new))
    for old, new in (("==", "!="), ("!=", "==")):
        for m in re.finditer(re.escape(old), masked):
            if masked[max(0, m.start() - 8):m.start()].endswith("operator"):
                continue
            found.append(("comparison", m.start(), old, new))
    # And / or.
    for old, new in ((" && ", " || "), (" || ", " && ")):
        for m in re.finditer(re.escape(old), masked):
            found.append(("logic", m.start(), old, new))
    # Integer constants, one up or one down (the direction from the column).
    for m in INTEGER.finditer(masked):
        digits, suffix = m.group(1), m.group(2)
        value = int(digits, 0)
        delta = 1 if value == 0 or m.start() % 2 else -1
        text = (hex(value + delta) if digits.lower().startswith("0x") else str(value + delta)) + suffix
        found.append(("constant", m.start(), m.group(0), text))
    # Booleans: a literal inverted, a negation dropped, a condition negated.
    for old, new in (("true", "false"), ("false", "true")):
        for m in re.finditer(r"\b%s\b" % old, masked):
            found.append(("boolean", m.start(), old, new))
    for m in re.finditer(r"!(?!=)", masked):
        found.append(("boolean", m.start(), "!", ""))
    for m in re.finditer(r"\b(?:if|while) \(", masked):
        open_at = m.end() - 1
        depth = 0
        for j in range(open_at, len(masked)):
            depth += masked[j] == "("
            depth -= masked[j] == ")"
            if depth == 0:
                condition = line[open_at + 1:j]
                found.append(("boolean", open_at, "(" + condition + ")", "(!(" + condition + "))"))
                break
    # A dropped statement: a whole line that is one call, assignment, step or
    # jump, and starts a statement.
    stripped = masked.strip()
    prev = previous.rstrip()
    starts_statement = prev == "" or prev[-1] in ";{}:" or (prev.endswith(")") and re.match(
        r"^\s*(?:\}\s*)?(?:if|else if|for|while)\b", previous) is not None) or prev.endswith("else")
    if starts_statement and balanced(stripped) and not stripped.startswith(("case ", "default")) and (
            STATEMENT_CALL.match(stripped) or STATEMENT_ASSIGN.match(stripped) or
            STATEMENT_STEP.match(stripped) or STATEMENT_JUMP.match(stripped)):
        column = len(line) - len(line.lstrip())
        found.append(("drop", column, line.strip(), ";"))
    # Arguments: a neighbouring pair swapped, or one replaced by its neighbour
    # (both simple names, so that they are likely of one type).
    for open_at, close, arguments in call_arguments(masked):
        for k in range(len(arguments) - 1):
            (s1, e1), (s2, e2) = arguments[k], arguments[k + 1]
            a, b = line[s1:e1], line[s2:e2]
            if not a or not b or a == b:
                continue
            if SIMPLE_ARGUMENT.match(a) and SIMPLE_ARGUMENT.match(b):
                found.append(("swap", s1, line[s1:e2], b + line[e1:s2] + a))
                found.append(("argument", s1, line[s1:e2], b + line[e1:s2] + b))
                found.append(("argument", s1, line[s1:e2], a + line[e1:s2] + a))
    return found


def product_files():
    """(relative path, product folder) of every product source, sorted."""
    folders = [f for f, _ in PRODUCT_FOLDERS if os.path.isdir(os.path.join(MIRROR, f))]
    chosen = os.environ.get("MUTANTS_FOLDERS")
    if chosen:
        folders = [f for f in folders if f in chosen.split(",")]
    files = []
    for folder in folders:
        for directory, _, names in os.walk(os.path.join(MIRROR, folder)):
            for name in names:
                if name.endswith(SOURCE_SUFFIXES):
                    relative = os.path.relpath(os.path.join(directory, name), MIRROR)
                    owner = max((f for f in folders if relative.startswith(f + "/")), key=len)
                    if owner == folder:
                        files.append((relative, folder))
    return sorted(files)


def all_faults():
    """Every fault in the product: (file, folder, line index, operator,
    column, old, new), in a fixed order."""
    faults = []
    operators = os.environ.get("MUTANTS_OPERATORS")
    operators = set(operators.split(",")) if operators else set(OPERATORS)
    for relative, folder in product_files():
        with open(os.path.join(MIRROR, relative)) as f:
            lines = f.read().split("\n")
        masked, skip = mask_code(lines)
        for index, line in enumerate(lines):
            if skip[index] or not masked[index].strip():
                continue
            previous = next((masked[p] for p in range(index - 1, -1, -1) if masked[p].strip()), "")
            for operator, column, old, new in faults_of_line(masked[index], line, previous):
                if operator in operators:
                    faults.append((relative, folder, index, operator, column, old, new))
    return faults


def sample(faults, count, seed):
    """count faults: an operator drawn evenly, then one of its faults."""
    rng = random.Random(seed)
    by_operator = {}
    for fault in faults:
        by_operator.setdefault(fault[3], []).append(fault)
    for group in by_operator.values():
        rng.shuffle(group)
    chosen = []
    while len(chosen) < count and any(by_operator.values()):
        operator = rng.choice(sorted(k for k, v in by_operator.items() if v))
        chosen.append(by_operator[operator].pop())
    return chosen


# ---------------------------------------------------------------- building

# The build or test program running now, in a process group of its own.
CHILD = None


def run(command, cwd=None, env=None, timeout=None):
    full_env = dict(os.environ)
    if shutil.which("ccache"):
        full_env.update(CCACHE_ENV)
    if env:
        full_env.update(env)
    global CHILD
    with tempfile.TemporaryFile() as out:
        CHILD = subprocess.Popen(command, cwd=cwd, env=full_env, stdout=out, stderr=subprocess.STDOUT,
                                 start_new_session=True)
        try:
            code = CHILD.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            stop_child()
            code = None
        CHILD = None
        out.seek(0)
        return code, out.read().decode(errors="replace")


def stop_child(wait=True):
    """Ends the running build or test program with everything it started. A
    signal handler does not wait: the signal may have come while the run was
    waiting for the same process, which then holds its wait."""
    child = CHILD
    if child and child.returncode is None:
        try:
            os.killpg(child.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        if wait:
            child.wait()


def configure(tree, sanitized):
    if os.path.exists(os.path.join(tree, "CMakeCache.txt")):
        return True
    flags = ["-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O1", "-DCMAKE_C_FLAGS_DEBUG=-O1"]
    if sanitized:
        flags += ["-DCMAKE_C_COMPILER=clang", "-DCMAKE_CXX_COMPILER=clang++", "-DORV_SANITIZE=ON"]
    code, output = run(["cmake", "-S", MIRROR, "-B", tree] + flags)
    if code != 0:
        log(output)
    return code == 0


def jobs():
    return os.environ.get("MUTANTS_JOBS", "2")


def build(tree, targets):
    code, output = run(["cmake", "--build", tree, "-j", jobs(), "--target"] + targets)
    return code == 0, output


def product_objects():
    """Hashes of the product's object files in the plain tree."""
    hashes = {}
    for directory, dirs, files in os.walk(TREE):
        relative = os.path.relpath(directory, TREE)
        if relative.split(os.sep)[0] in NON_PRODUCT_OBJECTS:
            dirs[:] = []
            continue
        for name in files:
            if name.endswith(".o"):
                path = os.path.join(directory, name)
                with open(path, "rb") as f:
                    hashes[path] = hashlib.sha1(f.read()).hexdigest()
    return hashes


# ---------------------------------------------------------------- the tests

def test_suites(folder_names):
    """The suites defined in the given test folders (not their subfolders)."""
    suites = set()
    for folder in folder_names:
        directory = os.path.join(MIRROR, "tests", folder)
        if not os.path.isdir(directory):
            continue
        for name in os.listdir(directory):
            if name.endswith(".cpp"):
                with open(os.path.join(directory, name)) as f:
                    suites.update(re.findall(r"^\s*TEST(?:_F|_P)?\(\s*(\w+)\s*,", f.read(), re.M))
    return suites


class Suite:
    def __init__(self, tree, env):
        self.tree = tree
        self.env = env
        self.seconds = {}

    def program(self, name):
        return os.path.join(self.tree, "bin", name)

    def run_program(self, name, gtest_filter, timeout):
        command = [self.program(name), "--gtest_fail_fast=1", "--gtest_color=no"]
        if gtest_filter:
            command.append("--gtest_filter=" + gtest_filter)
        started = time.monotonic()
        code, output = run(command, cwd=os.path.join(self.tree, "tests"), env=self.env, timeout=timeout)
        elapsed = time.monotonic() - started
        if code == 0:
            return None, elapsed
        failed = re.findall(r"^\[  FAILED  \] (\S+?)(?:,| \(|$)", output, re.M)
        if failed and code is not None and code > 0:
            return failed[0], elapsed
        running = re.findall(r"^\[ RUN      \] (\S+)", output, re.M)
        where = running[-1] if running else name
        report = re.search(r"ERROR: (?:AddressSanitizer|LeakSanitizer): ([\w-]+)|runtime error: ([^\n]{0,60})", output)
        kind = "timeout" if code is None else (report.group(1) or report.group(2)) if report else "crash"
        return "%s (%s)" % (where, kind), elapsed

    def plan(self, folders):
        """The runs, in order: (program, filter) of the folder's suites in the
        programs that hold them, then the rest of every program."""
        suites = test_suites(folders)
        patterns = ":".join("%s.*:*/%s.*:%s/*" % (s, s, s) for s in sorted(suites))
        runs = []
        if patterns:
            runs += [(p, patterns) for p in TEST_PROGRAMS if self.holds(p, suites)]
        for p in TEST_PROGRAMS:
            holds = patterns and self.holds(p, suites)
            runs.append((p, "-" + patterns if holds else ""))
        return runs

    def holds(self, program, suites):
        if not hasattr(self, "_listed"):
            self._listed = {}
        if program not in self._listed:
            code, output = run([self.program(program), "--gtest_list_tests"], env=self.env)
            self._listed[program] = set(
                line.rstrip(".").split("/")[-1] for line in output.splitlines()
                if line and not line.startswith(" ") and line.endswith("."))
        return bool(self._listed[program] & suites)

    def measure(self):
        """Runs every program once without a fault: its time bounds later
        runs. False when a test fails without a fault."""
        for p in TEST_PROGRAMS:
            failure, elapsed = self.run_program(p, "", None)
            if failure:
                log("%s fails without a fault: %s" % (p, failure))
                return False
            self.seconds[p] = elapsed
        return True

    def sweep(self, timeout=None):
        """The fault sweep's shards: the first that fails, or None; with its
        time when nothing failed."""
        started = time.monotonic()
        code, output = run(["ctest", "--test-dir", self.tree, "-R", SWEEP_TESTS, "-j", jobs()],
                           env=self.env, timeout=timeout)
        if code == 0:
            self.sweep_seconds = time.monotonic() - started
            return None
        failed = re.findall(r"^\s*\d+ - (\S+) \(([^)]+)\)", output, re.M)
        if code is None:
            return "the fault sweep (timeout)"
        return "%s (%s)" % failed[0] if failed else "the fault sweep (%s)" % output.strip()[-200:]

    def first_failure(self, folders):
        for program, gtest_filter in self.plan(folders):
            timeout = max(TIMEOUT_FLOOR, TIMEOUT_FACTOR * self.seconds.get(program, TIMEOUT_FLOOR))
            failure, _ = self.run_program(program, gtest_filter, timeout)
            if failure:
                return failure
        return None


# ---------------------------------------------------------------- the run

class Planted:
    """A fault in the copy, taken out again on leaving and on a signal."""
    current = None

    def __init__(self, path, original):
        self.path = path
        self.original = original

    def __enter__(self):
        Planted.current = self
        return self

    def __exit__(self, *_):
        restore()


def restore():
    planted = Planted.current
    if planted:
        with open(planted.path, "w") as f:
            f.write(planted.original)
        Planted.current = None


def on_signal(number, _frame):
    stop_child(wait=False)
    restore()
    log("stopped by signal %d; the copy is restored" % number)
    sys.exit(128 + number)


def processor_seconds():
    """User and system time of the builds and test programs run so far."""
    times = os.times()
    return times.children_user + times.children_system


def describe(relative, index, operator, old, new):
    return "%s:%d %s (%s -> %s)" % (relative, index + 1, operator, old.strip(), new.strip() or "nothing")


def main():
    count = int(os.environ.get("MUTANTS", DEFAULT_MUTANTS))
    seeds = [int(s) for s in os.environ.get("MUTANTS_SEED", str(DEFAULT_SEED)).split(",")]
    use_san = os.environ.get("MUTANTS_SAN", "1") != "0"
    use_sweep = os.environ.get("MUTANTS_SWEEP", "1") != "0"
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, on_signal)

    os.makedirs(MIRROR, exist_ok=True)
    if os.environ.get("MUTANTS_SYNC", "1") != "0":
        sync_mirror()
    every = all_faults()
    faults = []
    for seed in seeds:
        faults += [f for f in sample(every, count, seed) if f not in faults]
    rerun = os.environ.get("MUTANTS_RERUN")
    if rerun:
        # Found among every fault, not the sample: a change elsewhere in the
        # product moves the sample, not a fault whose file is as it was.
        with open(rerun) as f:
            missed = set(re.findall(r"^(.*): missed$", f.read(), re.M))
        faults = [f for f in every if describe(f[0], f[2], f[3], f[5], f[6]) in missed]
    resume = os.environ.get("MUTANTS_RESUME")
    if resume:
        with open(resume) as f:
            done = set(re.findall(r"^(.*): (?:caught by .*|missed|does not compile|equivalent)$", f.read(), re.M))
        faults = [f for f in faults if describe(f[0], f[2], f[3], f[5], f[6]) not in done]
    log("%d faults, seeds %s" % (len(faults), ",".join(map(str, seeds))))

    if not configure(TREE, False):
        return 2
    ok, output = build(TREE, TEST_PROGRAMS)
    if not ok:
        log(output[-4000:])
        log("the plain tree does not build without a fault")
        return 2
    plain = Suite(TREE, {})
    if not plain.measure():
        return 2
    baseline = product_objects()
    san = None
    san_programs = TEST_PROGRAMS + ([SWEEP_PROGRAM] if use_sweep else [])
    if use_san:
        if configure(SAN_TREE, True) and build(SAN_TREE, san_programs)[0]:
            san = Suite(SAN_TREE, SAN_ENV)
            if not san.measure():
                san = None
            elif use_sweep and san.sweep():
                log("the fault sweep fails without a fault")
                san = None
        if san is None:
            log("the sanitized tree is not used: it does not build or its tests fail without a fault")

    folders = dict(PRODUCT_FOLDERS)
    caught = counted = 0
    started = time.monotonic()
    cpu_started = processor_seconds()
    for relative, folder, index, operator, column, old, new in faults:
        path = os.path.join(MIRROR, relative)
        with open(path) as f:
            original = f.read()
        lines = original.split("\n")
        line = lines[index]
        if operator == "drop":
            mutated_line = line[:column] + new
        else:
            mutated_line = line[:column] + new + line[column + len(old):]
        lines[index] = mutated_line
        fault_started = time.monotonic()
        fault_cpu_started = processor_seconds()
        where = describe(relative, index, operator, old, new)
        with Planted(path, original):
            with open(path, "w") as f:
                f.write("\n".join(lines))
            ok, _ = build(TREE, ["ORVD3D"])
            if not ok:
                verdict = "does not compile"
            elif product_objects() == baseline:
                verdict = "equivalent"
            else:
                verdict = None
                ok, _ = build(TREE, TEST_PROGRAMS)
                failure = plain.first_failure(folders[folder]) if ok else "the test programs (link)"
                sweeps = use_sweep and operator in SWEEP_OPERATORS
                if not failure and san and (operator in MEMORY_OPERATORS or sweeps):
                    ok, _ = build(SAN_TREE, san_programs if sweeps else TEST_PROGRAMS)
                    if ok and operator in MEMORY_OPERATORS:
                        failure = san.first_failure(folders[folder])
                        if failure:
                            failure += " (sanitized)"
                    if ok and not failure and sweeps:
                        failure = san.sweep(max(TIMEOUT_FLOOR, TIMEOUT_FACTOR * san.sweep_seconds))
                counted += 1
                if failure:
                    caught += 1
                    verdict = "caught by " + failure
                else:
                    verdict = "missed"
        print("%s: %s" % (where, verdict), flush=True)
        log("  %.0f s, %.0f s of processor time" % (time.monotonic() - fault_started,
                                                     processor_seconds() - fault_cpu_started))
    # Leave both trees built from the code as it is.
    build(TREE, TEST_PROGRAMS)
    elapsed = time.monotonic() - started
    if faults:
        log("%.1f s a fault (%.1f s of processor time) over %d faults" % (
            elapsed / len(faults), (processor_seconds() - cpu_started) / len(faults), len(faults)))
    print("score: %d of %d" % (caught, counted), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
