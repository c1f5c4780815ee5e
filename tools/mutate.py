#!/usr/bin/env python3
"""A small mutation sampler: how many small changes to the sources do the tests notice?

It picks a deterministic (seeded) sample of candidate sites in the given
source files, applies ONE change at a time, rebuilds the linux preset's test
programs, runs them until the first failure, restores the file exactly and
records the verdict:

  killed        the build succeeded and a test failed
  timeout       the tests ran longer than the limit (counted as killed)
  survived      the build succeeded and every test passed
  build-failed  the mutant does not compile (discarded, not counted)
  missing       (--replay) the mutant's original lines are no longer in the file

Kinds of change:
  boundary  a comparison's boundary: < <=, > >=, == !=
  constant  an integer literal: 0 <-> 1, n -> n+1
  id        an IDC_/IDD_/IDS_/IDB_ name swapped for another of the same
            prefix used in the same file
  swap      two adjacent simple statements swapped
  drop      a lone function-call statement removed (left as ';')
  bool      true <-> false, TRUE <-> FALSE
  logic     && <-> ||

Comments, string literals, preprocessor lines, static_asserts and log-text
lines (WARNING/VERBOSE/INFO/ERR/LogMsg/LogAtW/OutputDebugString calls, and
the Dump... helpers that only write the debug log) are never mutated.

  python3 tools/mutate.py --files 'src/pages/*.cpp' 'src/paper/*.cpp' --count 24 --seed 1 --out run.json
  python3 tools/mutate.py --files 'src/pages/*.cpp' --count 10 --list      # the sample only
  python3 tools/mutate.py --replay old.json --out new.json                  # the same mutants again
  python3 tools/mutate.py --compare old.json new.json                       # killed before, not now

--count is spread evenly over the --files patterns (quote them: the tool
expands them, ** included), and within a pattern round-robin over the kinds.
The tree must be clean (no change to tracked files) before a run; it is
checked clean again after every mutant. Python 3 standard library only.
"""

import argparse
import collections
import glob
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

KINDS = ("boundary", "constant", "id", "swap", "drop", "bool", "logic")
LOG_CALL = re.compile(r"\b(WARNING|VERBOSE|INFO|ERR|LogMsg|LogAtW|OutputDebugString[AW]?|Dump[A-Z]\w*)\s*\(")
STATIC_ASSERT = re.compile(r"\bstatic_assert\s*\(")
KEYWORDS = {"return", "if", "else", "for", "while", "do", "switch", "case", "default", "break", "continue",
            "goto", "delete", "throw", "sizeof", "new", "using", "typedef", "namespace", "template"}
# Calls whose removal says nothing about behaviour.
UNDROPPABLE = {"UNREFERENCED_PARAMETER", "UNUSED", "assert", "ASSERT", "static_assert", "static_cast",
               "reinterpret_cast", "const_cast", "dynamic_cast", "void"}

ALL_TEST_TARGETS = ["orvoui_tests", "standin_tests", "spooler_tests", "bidi_tests", "msxml_tests",
                    "user_tests", "resource_tests"]
# Only orvoui_tests links the plug-in's layers and loads the plug-in module.
PLUGIN_TEST_TARGETS = ["orvoui_tests"]


# ----------------------------------------------------------------------------
# Reading C++ sources
# ----------------------------------------------------------------------------

def mask_code(lines):
    """Each line with comments and the contents of string/char literals blanked
    (same length, so columns stay valid)."""
    out = []
    in_block = False
    raw_end = None  # closing sequence of a raw string literal spanning lines
    for line in lines:
        res = []
        i, n = 0, len(line)
        while i < n:
            if raw_end is not None:
                j = line.find(raw_end, i)
                if j < 0:
                    res.append(" " * (n - i))
                    i = n
                else:
                    res.append(" " * (j - i) + raw_end)
                    i = j + len(raw_end)
                    raw_end = None
                continue
            if in_block:
                j = line.find("*/", i)
                if j < 0:
                    res.append(" " * (n - i))
                    i = n
                else:
                    res.append(" " * (j + 2 - i))
                    i = j + 2
                    in_block = False
                continue
            c = line[i]
            if line.startswith("//", i):
                res.append(" " * (n - i))
                i = n
            elif line.startswith("/*", i):
                in_block = True
                res.append("  ")
                i += 2
            elif c == 'R' and i + 1 < n and line[i + 1] == '"' and (i == 0 or not (line[i - 1].isalnum() or line[i - 1] == "_")
                                                                    or line[i - 1] in "uUL8"):
                m = re.match(r'R"([^(\s]*)\(', line[i:])
                if m:
                    raw_end = ")" + m.group(1) + '"'
                    res.append(line[i:i + m.end()])
                    i += m.end()
                else:
                    res.append(c)
                    i += 1
            elif c in "\"'":
                if c == "'" and i > 0 and line[i - 1].isalnum():  # digit separator 1'000
                    res.append(c)
                    i += 1
                    continue
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                j = min(j, n - 1)
                res.append(c + " " * (j - i - 1) + (line[j] if j > i else ""))
                i = j + 1
            else:
                res.append(c)
                i += 1
        out.append("".join(res)[:len(line)])
    return out


def skipped_lines(code):
    """Indexes of lines never mutated: preprocessor lines (with continuations),
    static_asserts and log calls (their whole statement)."""
    skip = set()
    cont = False
    for i, c in enumerate(code):
        s = c.strip()
        if cont or s.startswith("#"):
            skip.add(i)
            cont = c.rstrip().endswith("\\")
    i = 0
    while i < len(code):
        c = code[i]
        m = STATIC_ASSERT.search(c) or LOG_CALL.search(c)
        if m:
            depth = 0
            j = i
            started = False
            while j < len(code):
                seg = code[j][m.start():] if j == i else code[j]
                for ch in seg:
                    if ch == "(":
                        depth += 1
                        started = True
                    elif ch == ")":
                        depth -= 1
                skip.add(j)
                if started and depth <= 0:
                    break
                j += 1
            i = j + 1
        else:
            i += 1
    return skip


def balanced(s):
    depth = 0
    for ch in s:
        if ch in "([":
            depth += 1
        elif ch in ")]":
            depth -= 1
            if depth < 0:
                return False
    return depth == 0


DECLARATION = re.compile(r"^(const\s+|static\s+|constexpr\s+)*[A-Za-z_][\w:]*(\s*<[^;=]*>)?[\s\*&]+[\*&]*[A-Za-z_]\w*\s*(=|;|\(|\{|\[)")
CALL = re.compile(r"^([A-Za-z_][\w:]*(\s*(\.|->)\s*[A-Za-z_]\w*)*)\s*\(")


def simple_statement(c):
    s = c.strip()
    if not s.endswith(";") or "{" in s or "}" in s or not balanced(s) or s == ";":
        return False
    first = re.match(r"[A-Za-z_]\w*", s)
    if first and first.group(0) in KEYWORDS:
        return False
    if DECLARATION.match(s) and not CALL.match(s):
        return False
    if s.count(";") != 1:
        return False
    return True


def lone_call(c):
    s = c.strip()
    m = CALL.match(s)
    if not m or not s.endswith(";") or not balanced(s) or s.count(";") != 1:
        return False
    name = m.group(1)
    head = re.match(r"[A-Za-z_]\w*", name).group(0)
    if head in KEYWORDS or name.split("::")[-1] in UNDROPPABLE or head in UNDROPPABLE:
        return False
    # The call's own parentheses must close just before the ';'.
    depth = 0
    start = m.end() - 1
    for k in range(start, len(s)):
        if s[k] == "(":
            depth += 1
        elif s[k] == ")":
            depth -= 1
            if depth == 0:
                return s[k + 1:].strip() == ";"
    return False


ASSIGNMENT = re.compile(r"^\s*([\w.\[\]>*-]+?)\s*=(?!=)\s*(.*);\s*$")


def pure(expr):
    """No call in it but sizeof, casts and upper-case macros."""
    return all(name in ("sizeof", "static_cast", "reinterpret_cast", "const_cast") or re.fullmatch(r"[A-Z][A-Z0-9_]*", name)
               for name in re.findall(r"([A-Za-z_]\w*)\s*[(<]", expr) if name not in ("if",))


def independent(a, b):
    """Two plain assignments that neither read nor write what the other writes:
    swapping them changes nothing."""
    ma, mb = ASSIGNMENT.match(a), ASSIGNMENT.match(b)
    if not ma or not mb or not pure(ma.group(2)) or not pure(mb.group(2)):
        return False
    la, lb = ma.group(1), mb.group(1)
    return la != lb and la not in mb.group(2) and lb not in ma.group(2)


BOUNDARY = re.compile(r"(?<![<>=!])(<=|>=|==|!=)(?![=>])|(?<=\s)(<|>)(?=\s)")
CONSTANT = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.'])")
IDNAME = re.compile(r"\bID([CDSB])_\w+\b")
BOOLEAN = re.compile(r"\b(true|false|TRUE|FALSE)\b")
LOGIC = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
BOUNDARY_SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
BOOL_SWAP = {"true": "false", "false": "true", "TRUE": "FALSE", "FALSE": "TRUE"}


def bump_constant(text, suffix):
    if text.lower().startswith("0x"):
        value = int(text, 16)
        new = 1 if value == 0 else (0 if value == 1 else value + 1)
        return text[:2] + format(new, "X" if any(ch.isupper() for ch in text[2:]) else "x") + suffix
    if len(text) > 1 and text.startswith("0"):  # octal: leave alone
        return None
    value = int(text)
    new = 1 if value == 0 else (0 if value == 1 else value + 1)
    return str(new) + suffix


def array_dimension(code, start, end):
    """A literal that is an array's dimension in a declaration ([N] then ; = { [)."""
    before = code[:start].rstrip()
    after = code[end:].lstrip()
    if not before.endswith("[") or not after.startswith("]"):
        return False
    rest = after[1:].lstrip()
    return rest[:1] in (";", "=", "{", "[") and "=" not in code[:start]


def find_sites(path, text):
    lines = text.split("\n")
    code = mask_code(lines)
    skip = skipped_lines(code)
    sites = []

    def add(i, kind, mutated, original=None, span=1):
        sites.append({"file": path, "line": i + 1, "kind": kind,
                      "original": lines[i] if original is None else original,
                      "mutated": mutated, "span": span})

    id_pool = collections.defaultdict(set)
    for i, c in enumerate(code):
        if i in skip:
            continue
        for m in IDNAME.finditer(c):
            id_pool[m.group(1)].add(m.group(0))

    for i, c in enumerate(code):
        if i in skip or not c.strip():
            continue
        line = lines[i]
        for m in BOUNDARY.finditer(c):
            op = m.group(0)
            s, e = m.span()
            if op in ("<", ">") and (c[s - 2:s].strip() == "operator" or "template" in c or "#" in c):
                continue
            add(i, "boundary", line[:s] + BOUNDARY_SWAP[op] + line[e:])
        for m in CONSTANT.finditer(c):
            s, e = m.span()
            if array_dimension(c, s, e) or re.search(r"[\d.][eE][+-]?$", c[:s]):
                continue
            new = bump_constant(m.group(1), m.group(2))
            if new is not None:
                add(i, "constant", line[:s] + new + line[e:])
        for m in IDNAME.finditer(c):
            pool = sorted(id_pool[m.group(1)])
            if len(pool) > 1:
                other = pool[(pool.index(m.group(0)) + 1) % len(pool)]
                s, e = m.span()
                add(i, "id", line[:s] + other + line[e:])
        for m in BOOLEAN.finditer(c):
            s, e = m.span()
            add(i, "bool", line[:s] + BOOL_SWAP[m.group(0)] + line[e:])
        for m in LOGIC.finditer(c):
            s, e = m.span()
            add(i, "logic", line[:s] + ("||" if m.group(0) == "&&" else "&&") + line[e:])
        if lone_call(c):
            indent = line[:len(line) - len(line.lstrip())]
            add(i, "drop", indent + ";")
        # Two adjacent simple statements at the same indentation, after a line
        # that ends a statement or opens a block (not a brace-less if/for).
        j = i + 1
        if (j < len(lines) and j not in skip and simple_statement(c) and simple_statement(code[j])
                and lines[i].strip() != lines[j].strip()):
            ind_i = len(c) - len(c.lstrip())
            ind_j = len(code[j]) - len(code[j].lstrip())
            prev = next((code[k].strip() for k in range(i - 1, -1, -1) if code[k].strip()), ";")
            if ind_i == ind_j and prev[-1:] in (";", "{", "}", ":") and not independent(c, code[j]):
                add(i, "swap", lines[j] + "\n" + lines[i], original=lines[i] + "\n" + lines[j], span=2)
    return sites


def sample(groups, count, seed):
    """count sites spread evenly over the groups; within a group round-robin
    over the kinds, each kind's sites in a seeded order."""
    rng = random.Random(seed)
    chosen = []
    share = [count // len(groups) + (1 if k < count % len(groups) else 0) for k in range(len(groups))]
    for (pattern, sites), quota in zip(groups, share):
        by_kind = collections.defaultdict(list)
        for s in sorted(sites, key=lambda s: (s["file"], s["line"], s["kind"], s["mutated"])):
            by_kind[s["kind"]].append(s)
        kinds = [k for k in KINDS if by_kind[k]]
        for k in kinds:
            rng.shuffle(by_kind[k])
        rng.shuffle(kinds)
        picked = []
        while len(picked) < quota and any(by_kind[k] for k in kinds):
            for k in kinds:
                if by_kind[k] and len(picked) < quota:
                    picked.append(by_kind[k].pop())
        if len(picked) < quota:
            print(f"note: {pattern}: only {len(picked)} sites", file=sys.stderr)
        chosen.append(sorted(picked, key=lambda s: (s["file"], s["line"], s["kind"])))
    # Run the groups interleaved, so that a run cut short is still spread.
    return [g[k] for k in range(max(map(len, chosen), default=0)) for g in chosen if k < len(g)]


def replay(path):
    """The mutants of an earlier run, found again in the sources as they are
    now: at their line, else where their original lines are (the nearest
    place when there are several)."""
    with open(path) as f:
        old = json.load(f)
    mutants = []
    for r in old["mutants"]:
        m = {k: r[k] for k in ("file", "line", "kind", "original", "mutated")}
        m["span"] = r["original"].count("\n") + 1
        try:
            with open(r["file"], encoding="utf-8", newline="") as f:
                lines = f.read().split("\n")
        except FileNotFoundError:
            lines = []
        at = [i for i in range(len(lines)) if "\n".join(lines[i:i + m["span"]]) == r["original"]]
        if m["line"] - 1 not in at:
            # Moved: to the place its lines are now, the nearest to where they
            # were when they are in several.
            m["line"] = min(at, key=lambda i: abs(i + 1 - r["line"])) + 1 if at else None
        mutants.append(m)
    return old, mutants


# ----------------------------------------------------------------------------
# Running
# ----------------------------------------------------------------------------

class Runner:
    def __init__(self, args, repo):
        self.args = args
        self.repo = repo
        self.build_dir = os.path.join(repo, args.build_dir)
        self.procs = []

    def git(self, *cmd):
        return subprocess.run(["git", "-C", self.repo] + list(cmd), capture_output=True, text=True)

    def tree_dirty(self, paths=()):
        r = self.git("status", "--porcelain", "--untracked-files=no", "--", *paths)
        return r.stdout.strip()

    def spawn(self, cmd, cwd, log, env=None):
        p = subprocess.Popen(cmd, cwd=cwd, stdout=log, stderr=subprocess.STDOUT, env=env,
                             start_new_session=True)
        self.procs.append(p)
        return p

    def kill_all(self):
        for p in self.procs:
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                p.wait()
        self.procs = []

    def build(self, targets, logpath):
        with open(logpath, "w") as log:
            p = self.spawn(["cmake", "--build", self.build_dir, "-j", str(self.args.jobs), "--target"] + targets,
                           self.repo, log)
            try:
                rc = p.wait(timeout=self.args.build_timeout)
            except subprocess.TimeoutExpired:
                self.kill_all()
                return False
        self.procs.remove(p)
        return rc == 0

    def locate(self, targets):
        found = {}
        for root, _dirs, files in os.walk(self.build_dir):
            for t in targets:
                if t in files and t not in found and os.access(os.path.join(root, t), os.X_OK):
                    found[t] = os.path.join(root, t)
        missing = [t for t in targets if t not in found]
        if missing:
            sys.exit(f"mutate: test programs not found in {self.build_dir}: {' '.join(missing)}")
        return [found[t] for t in targets]

    def private_env(self, k, **extra):
        """An environment with a temporary folder of its own: the stand-in maps
        C:\\ paths under $TMPDIR, which other runs on this machine share."""
        tmp = os.path.join(self.build_dir, "mutate", f"tmp{k}")
        shutil.rmtree(tmp, ignore_errors=True)
        os.makedirs(tmp)
        env = dict(os.environ, TMPDIR=tmp, **extra)
        env.pop("STANDIN_DRIVE_ROOT", None)
        return env

    def run_tests(self, binaries, logpath, timeout, only=None):
        """'pass', 'fail' or 'timeout'. Each program runs in --shards parallel
        shards; the first failure stops everything. only: a gtest filter, run
        in one process."""
        deadline = time.monotonic() + timeout
        with open(logpath, "a" if only else "w") as log:
            for binary in binaries:
                procs = []
                if only:
                    procs.append(self.spawn([binary, "--gtest_brief=1", "--gtest_filter=" + only],
                                            os.path.dirname(binary), log, self.private_env(0)))
                for k in range(0 if only else self.args.shards):
                    env = self.private_env(k, GTEST_TOTAL_SHARDS=str(self.args.shards), GTEST_SHARD_INDEX=str(k))
                    procs.append(self.spawn([binary, "--gtest_brief=1", "--gtest_fail_fast"],
                                            os.path.dirname(binary), log, env))
                while True:
                    rcs = [p.poll() for p in procs]
                    if any(rc not in (None, 0) for rc in rcs):
                        time.sleep(0.5)  # let a shard that is printing its failure finish
                        self.kill_all()
                        return "fail"
                    if all(rc == 0 for rc in rcs):
                        break
                    if time.monotonic() > deadline:
                        self.kill_all()
                        return "timeout"
                    time.sleep(0.2)
                self.procs = []
        return "pass"


def failed_tests(logpath):
    """The tests a run reported failed (gtest's '[  FAILED  ] Suite.Name' lines)."""
    names = []
    try:
        with open(logpath, errors="replace") as f:
            for line in f:
                m = re.match(r"\[  FAILED  \] (\S+)", line)
                if m and "." in m.group(1) and m.group(1) not in names:
                    names.append(m.group(1))
    except FileNotFoundError:
        pass
    return names


def verdict_counts(results):
    c = collections.Counter(r["verdict"] for r in results)
    killed = c["killed"] + c["timeout"]
    valid = killed + c["survived"]
    return {"sampled": len(results), "valid": valid, "killed": killed, "timeout": c["timeout"],
            "survived": c["survived"], "build_failed": c["build-failed"], "missing": c["missing"],
            "kill_rate": round(killed / valid, 4) if valid else None}


def summarize(results):
    per = collections.defaultdict(list)
    for r in results:
        per[os.path.dirname(r["file"])].append(r)
    return {"total": verdict_counts(results), "per_folder": {k: verdict_counts(v) for k, v in sorted(per.items())}}


def short(text, width=70):
    text = " ".join(text.split())
    return text if len(text) <= width else text[:width - 3] + "..."


def print_table(results, out=sys.stdout):
    print(f"{'#':>3}  {'site':34} {'kind':9} {'verdict':12} original -> mutated", file=out)
    for n, r in enumerate(results, 1):
        orig = " / ".join(short(x, 60) for x in r["original"].split("\n"))
        mut = " / ".join(short(x, 60) for x in r["mutated"].split("\n"))
        print(f"{n:>3}  {r['file'] + ':' + str(r['line']):34} {r['kind']:9} {r.get('verdict', '-'):12} "
              f"{orig}  ->  {mut}", file=out)


def print_summary(summary, out=sys.stdout):
    def row(name, c):
        rate = "-" if c["kill_rate"] is None else f"{100 * c['kill_rate']:.0f}%"
        print(f"  {name:20} sampled {c['sampled']:3}  valid {c['valid']:3}  killed {c['killed']:3}"
              f" (timeout {c['timeout']})  survived {c['survived']:3}  build-failed {c['build_failed']:3}"
              f"{'  missing ' + str(c['missing']) if c.get('missing') else ''}  kill rate {rate}", file=out)
    for folder, c in summary["per_folder"].items():
        row(folder, c)
    row("total", summary["total"])


def save(path, meta, results):
    data = dict(meta, mutants=sorted(results, key=site_order), summary=summarize(results))
    tmp = path + ".tmp"
    with open(tmp, "w") as f:
        json.dump(data, f, indent=1)
        f.write("\n")
    os.replace(tmp, path)


def site_order(r):
    return (r["file"], r["line"] or 0, r["kind"], r["mutated"])


def key(r):
    return (r["file"], r["line"], r["kind"], r["mutated"])


def compare(old_path, new_path):
    with open(old_path) as f:
        old = json.load(f)
    with open(new_path) as f:
        new = json.load(f)
    new_by_key = {key(r): r for r in new["mutants"]}
    moved = collections.defaultdict(list)  # the same change at another line
    for r in new["mutants"]:
        moved[(r["file"], r["kind"], r["original"], r["mutated"])].append(r)
    lost, absent = [], []
    for r in old["mutants"]:
        if r["verdict"] not in ("killed", "timeout"):
            continue
        n = new_by_key.get(key(r))
        if n is None and len(moved[(r["file"], r["kind"], r["original"], r["mutated"])]) == 1:
            n = moved[(r["file"], r["kind"], r["original"], r["mutated"])][0]
        if n is None or n["verdict"] in ("build-failed", "missing"):
            absent.append(r)
        elif n["verdict"] == "survived":
            lost.append(r)
    for name, path, data in (("OLD", old_path, old), ("NEW", new_path, new)):
        print(f"{name} {path} (commit {data.get('commit', '?')[:12]}):")
        print_summary(data["summary"])
    print(f"\nkilled in OLD, survived in NEW: {len(lost)}")
    if lost:
        print_table(lost)
    print(f"\nkilled in OLD, not sampled or not built in NEW: {len(absent)}")
    if absent:
        print_table(absent)
    return 1 if lost else 0


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    ap.add_argument("--files", nargs="+", metavar="GLOB", help="source files to mutate (patterns, relative to the repository)")
    ap.add_argument("--count", type=int, default=40, help="mutants to sample, spread over the patterns (default 40)")
    ap.add_argument("--seed", default="1", help="sampling seed (default 1)")
    ap.add_argument("--out", help="JSON results file (rewritten after every mutant)")
    ap.add_argument("--replay", metavar="OLD", help="run the mutants of an earlier run's JSON again (the sources may have moved)")
    ap.add_argument("--list", action="store_true", help="print the sample and stop (no build, no change)")
    ap.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"), help="mutants killed in OLD but not in NEW")
    ap.add_argument("--build-dir", default="build/linux", help="configured linux preset build (default build/linux)")
    ap.add_argument("--targets", nargs="+", help="test programs to build and run (default: orvoui_tests for src/, "
                                                 "every test program otherwise)")
    ap.add_argument("--jobs", type=int, default=2, help="build jobs (default 2)")
    ap.add_argument("--shards", type=int, default=2, help="parallel shards of each test program (default 2)")
    ap.add_argument("--timeout", type=float, default=0, help="test time limit in seconds (default 3x the clean run + 60)")
    ap.add_argument("--build-timeout", type=float, default=1800)
    args = ap.parse_args()

    if args.compare:
        sys.exit(compare(*args.compare))
    if not args.files and not args.replay:
        ap.error("--files or --replay is required")

    repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                          cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
    os.chdir(repo)
    groups = []
    for pattern in ([] if args.replay else args.files):
        paths = sorted(p for p in glob.glob(pattern, recursive=True) if os.path.isfile(p))
        if not paths:
            sys.exit(f"mutate: no file matches {pattern}")
        sites = []
        for p in paths:
            with open(p, encoding="utf-8", newline="") as f:
                sites.extend(find_sites(os.path.relpath(p, repo), f.read()))
        groups.append((pattern, sites))
    if args.replay:
        old, mutants = replay(args.replay)
        args.files, args.count, args.seed = old["files"], len(mutants), old["seed"]
    else:
        mutants = sample(groups, args.count, args.seed)

    if args.list:
        print_table(sorted(mutants, key=site_order))
        print(f"{len(mutants)} mutants " + (f"of {args.replay}" if args.replay else
                                             f"from {sum(len(s) for _, s in groups)} sites"))
        return 0

    runner = Runner(args, repo)
    if runner.tree_dirty():
        sys.exit("mutate: the working tree has changes to tracked files; commit or stash them first")
    all_files = sorted({m["file"] for m in mutants})
    targets = args.targets or (PLUGIN_TEST_TARGETS if all(f.startswith("src/") for f in all_files)
                               else ALL_TEST_TARGETS)
    logdir = os.path.join(runner.build_dir, "mutate")
    os.makedirs(logdir, exist_ok=True)
    for old_log in glob.glob(os.path.join(logdir, "mutant-*-tests.log")):
        os.remove(old_log)

    def on_term(_sig, _frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, on_term)

    meta = {"tool": "tools/mutate.py", "commit": runner.git("rev-parse", "HEAD").stdout.strip(),
            "files": args.files, "count": args.count, "seed": args.seed, "targets": targets,
            "started": time.strftime("%Y-%m-%d %H:%M:%S")}
    if args.replay:
        meta["replay_of"] = args.replay
    results = []
    print(f"clean build of {' '.join(targets)} ...", flush=True)
    t0 = time.monotonic()
    if not runner.build(targets, os.path.join(logdir, "clean-build.log")):
        sys.exit(f"mutate: the unchanged tree does not build (see {logdir}/clean-build.log)")
    binaries = runner.locate(targets)
    t1 = time.monotonic()
    if runner.run_tests(binaries, os.path.join(logdir, "clean-tests.log"), 3600) != "pass":
        sys.exit(f"mutate: the tests fail on the unchanged tree (see {logdir}/clean-tests.log)")
    clean = time.monotonic() - t1
    timeout = args.timeout or 3 * clean + 60
    meta.update(clean_build_seconds=round(t1 - t0, 1), clean_test_seconds=round(clean, 1), test_timeout=round(timeout, 1))
    print(f"clean tests pass in {clean:.0f} s; limit per mutant {timeout:.0f} s; {len(mutants)} mutants", flush=True)

    originals = {}
    interrupted = False
    try:
        for n, m in enumerate(mutants, 1):
            path = m["file"]
            if m["line"] is None:  # replayed, and its lines are gone
                r = {k: m[k] for k in ("file", "line", "kind", "original", "mutated")}
                r.update(verdict="missing", seconds=0)
                results.append(r)
                print(f"[{n}/{len(mutants)}] {path} {m['kind']} missing", flush=True)
                continue
            if path not in originals:
                with open(path, "rb") as f:
                    originals[path] = f.read()
            text = originals[path].decode("utf-8")
            lines = text.split("\n")
            i = m["line"] - 1
            if "\n".join(lines[i:i + m["span"]]) != m["original"]:
                sys.exit(f"mutate: {path}:{m['line']} changed since sampling")
            lines[i:i + m["span"]] = m["mutated"].split("\n")
            started = time.monotonic()
            failed = []
            flaky = []
            try:
                with open(path, "wb") as f:
                    f.write("\n".join(lines).encode("utf-8"))
                if not runner.build(targets, os.path.join(logdir, "mutant-build.log")):
                    verdict = "build-failed"
                else:
                    testlog = os.path.join(logdir, f"mutant-{n}-tests.log")
                    outcome = runner.run_tests(binaries, testlog, timeout)
                    verdict = {"pass": "survived", "fail": "killed", "timeout": "timeout"}[outcome]
                    failed = failed_tests(testlog) if outcome == "fail" else []
                    if failed and runner.run_tests(binaries, testlog, timeout, only=":".join(failed)) == "pass":
                        # The failure did not come again: a flaky test, not
                        # the mutant. The whole suite decides once more.
                        flaky = failed
                        outcome = runner.run_tests(binaries, testlog, timeout)
                        verdict = {"pass": "survived", "fail": "killed", "timeout": "timeout"}[outcome]
                        failed = failed_tests(testlog) if outcome == "fail" else []
            finally:
                runner.kill_all()
                with open(path, "wb") as f:
                    f.write(originals[path])
                if runner.tree_dirty([path]):
                    print(f"mutate: {path} is not restored!", file=sys.stderr)
                    sys.exit(2)
            if verdict != "survived":
                try:
                    os.remove(os.path.join(logdir, f"mutant-{n}-tests.log"))
                except FileNotFoundError:
                    pass
            r = {k: m[k] for k in ("file", "line", "kind", "original", "mutated")}
            r.update(verdict=verdict, seconds=round(time.monotonic() - started, 1))
            if failed:
                r["failed"] = failed
            if flaky:
                r["flaky"] = flaky
            results.append(r)
            print(f"[{n}/{len(mutants)}] {path}:{m['line']} {m['kind']} {verdict} ({r['seconds']:.0f} s)", flush=True)
            if args.out:
                save(args.out, meta, results)
    except KeyboardInterrupt:
        interrupted = True
        print("\nmutate: interrupted", file=sys.stderr)
    finally:
        runner.kill_all()
        for path, data in originals.items():
            with open(path, "rb") as f:
                if f.read() != data:
                    with open(path, "wb") as g:
                        g.write(data)
        dirty = runner.tree_dirty()
        if dirty:
            print(f"mutate: the tree is not clean after the run:\n{dirty}", file=sys.stderr)
    if not interrupted:
        # Leave the build matching the restored sources.
        runner.build(targets, os.path.join(logdir, "restore-build.log"))
    meta["finished"] = time.strftime("%Y-%m-%d %H:%M:%S")
    if args.out:
        save(args.out, meta, results)
    print()
    print_table(sorted(results, key=site_order))
    print()
    print_summary(summarize(results))
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
