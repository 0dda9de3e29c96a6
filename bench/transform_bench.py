"""The built-in transformation beside xsltproc on the same files and stylesheet, run by
scripts/bench inside its Wine session: time and peak memory for 1 KB, 1 MB and 20 MB inputs,
a batch of 200 small files with the stylesheet compiled once, and the compiling of a
stylesheet of 40 modules; with an earlier build's benchmark directory, the same through it and
the ratios. Then a 20 MB input as the program converts it, beside xsltproc built from the same
sources (natively, in VEXILATE_NATIVE_BUILD_DIR): the transformation natively, and the whole
quiet run (vexilate.exe /quiet FOLDER) under Wine, rounds taken alternately
(VEXILATE_REFERENCE_ROUNDS, default 5), also through an earlier build (its benchmark directory,
and VEXILATE_EARLIER_NATIVE_BUILD_DIR for its native program); with --reference only that.

    transform_bench.py <directory with transform_bench.exe> <scratch directory> [<earlier one>] [--reference]"""
import os
import pathlib
import resource
import shutil
import statistics
import subprocess
import sys
import time

STYLESHEET = """<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="xml" encoding="windows-1251"/>
<xsl:template match="/"><out><xsl:for-each select="root/item">
<v n="{@n}"><xsl:value-of select="name"/>;<xsl:value-of select="sum"/></v></xsl:for-each></out></xsl:template>
</xsl:stylesheet>
"""


MODULES = 40

# The formats of the documents below: every item in the input, every v in the result.
IN_SCHEMA = """<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
<xs:element name="root"><xs:complexType><xs:sequence><xs:element name="item" minOccurs="0" maxOccurs="unbounded">
<xs:complexType><xs:sequence><xs:element name="name" type="xs:string"/><xs:element name="sum" type="xs:decimal"/>
</xs:sequence><xs:attribute name="n" type="xs:nonNegativeInteger" use="required"/></xs:complexType></xs:element>
</xs:sequence></xs:complexType></xs:element></xs:schema>
"""
OUT_SCHEMA = """<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
<xs:element name="out"><xs:complexType><xs:sequence><xs:element name="v" minOccurs="0" maxOccurs="unbounded">
<xs:complexType><xs:simpleContent><xs:extension base="xs:string"><xs:attribute name="n" type="xs:integer"/>
</xs:extension></xs:simpleContent></xs:complexType></xs:element></xs:sequence></xs:complexType></xs:element></xs:schema>
"""


def document(size: int) -> bytes:
    head = '<?xml version="1.0" encoding="windows-1251"?>\r\n<root>\r\n'.encode("cp1251")
    parts, total, n = [head], len(head), 0
    while total < size:
        item = f'<item n="{n}"><name>Организация номер {n}</name><sum>{n * 7 % 100000}.50</sum></item>\r\n'
        data = item.encode("cp1251")
        parts.append(data)
        total += len(data)
        n += 1
    parts.append(b"</root>\r\n")
    return b"".join(parts)


def peak_resident(command: list) -> tuple:
    """Runs the command in a Python of its own and returns (milliseconds, its peak resident KiB,
    its standard output): the children's peak is then this command's alone."""
    probe = ("import resource,subprocess,sys,time;s=time.monotonic();"
             "r=subprocess.run(sys.argv[1:],check=True,capture_output=True,text=True);"
             "print((time.monotonic()-s)*1000);print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss);"
             "print(r.stdout.strip())")
    lines = subprocess.run([sys.executable, "-c", probe] + command, check=True, capture_output=True,
                           text=True).stdout.splitlines()
    return float(lines[0]), int(lines[1]), "\n".join(lines[2:])


# Wine starts a program's own processes (the worker) detached from it: the probe, their reaper,
# counts their processor time too, and waits for them (not for a Wine server staying on).
TIMED_PROBE = r"""
import ctypes, os, resource, subprocess, sys, time
ctypes.CDLL(None).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
start = time.monotonic()
subprocess.run(sys.argv[1:], capture_output=True)
print((time.monotonic() - start) * 1000)


def others():
    for entry in os.listdir("/proc"):
        try:
            stat = open(f"/proc/{entry}/stat").read()
        except OSError:
            continue
        name, rest = stat.split("(", 1)[1].rsplit(")", 1)
        if rest.split()[1] == str(os.getpid()) and not name.startswith("wineserver"):
            yield entry


limit = time.monotonic() + 10
while time.monotonic() < limit:
    try:
        if os.waitpid(-1, os.WNOHANG)[0]:
            continue
    except ChildProcessError:
        break
    if not any(others()):
        break
    time.sleep(0.01)
used = resource.getrusage(resource.RUSAGE_CHILDREN)
print((used.ru_utime + used.ru_stime) * 1000)
"""


def timed(command: list, cwd: pathlib.Path = None) -> tuple:
    """Runs the command in a Python of its own and returns (milliseconds until it ends, processor
    milliseconds of it and of every process it started), whatever its exit code."""
    lines = subprocess.run([sys.executable, "-c", TIMED_PROBE] + command, check=True, capture_output=True,
                           text=True, cwd=cwd).stdout.splitlines()
    return float(lines[0]), float(lines[1])


def windows(path: pathlib.Path) -> str:
    return "Z:" + str(path).replace("/", "\\")


def figure(text: str, before: str) -> float:
    """The number in the benchmark's output that stands just before the words given."""
    return float(text.split(before)[0].split()[-1])


# A name the program takes for an input: it carries a registration number.
QUIET_INPUT = "ABCDEFGHIJKLMNOPQRSTUVWXYZA000001BCDEF00001GHIJKLMNOPQRSTUV00000.XML"


def quiet_folder(root: pathlib.Path, product: pathlib.Path, stylesheet: str, source: pathlib.Path) -> pathlib.Path:
    """A directory as a quiet run finds it: the program, its settings naming the input and output
    folders, the stylesheet beside it, the input in its folder."""
    (root / "IN").mkdir(parents=True, exist_ok=True)
    (root / "OUT").mkdir(exist_ok=True)
    shutil.copyfile(product, root / "vexilate.exe")
    (root / "qRec7to4.xsl").write_text(stylesheet, encoding="utf-8")
    (root / "Vexilate.INI").write_bytes(
        f"[Paths]\r\nPathIn={windows(root / 'IN')}\\\r\nPathOut={windows(root / 'OUT')}\\\r\n".encode("ascii"))
    target = root / "IN" / QUIET_INPUT
    target.unlink(missing_ok=True)
    os.link(source, target)
    return root


def summary(runs: list) -> str:
    times = [ms for ms, _ in runs]
    return (f"median {statistics.median(times):.0f} ms, best {min(times):.0f} ms "
            f"(processor {statistics.median([cpu for _, cpu in runs]):.0f} ms)")


def ratio(runs: list, reference: list) -> str:
    median = statistics.median([ms for ms, _ in runs]) / statistics.median([ms for ms, _ in reference])
    best = min(ms for ms, _ in runs) / min(ms for ms, _ in reference)
    cpu = statistics.median([c for _, c in runs]) / statistics.median([c for _, c in reference])
    return f"{median:.2f} (best {best:.2f}, processor time {cpu:.2f})"


def against_reference(bench: pathlib.Path, scratch: pathlib.Path, earlier: pathlib.Path) -> None:
    """The 20 MB input through the program beside xsltproc built from the same sources."""
    native = pathlib.Path(os.environ.get("VEXILATE_NATIVE_BUILD_DIR",
                                         pathlib.Path(__file__).resolve().parent.parent / "build" / "native-release"))
    xsltproc = native / "xml-libraries-build" / "libxslt" / "xsltproc"
    program = native / "bench" / "transform_bench_native"
    if not xsltproc.exists() or not program.exists():
        print(f"no native build with transform_bench_native and xsltproc in {native}: "
              "the figures against xsltproc are left out")
        return
    rounds = int(os.environ.get("VEXILATE_REFERENCE_ROUNDS", "5"))
    earlier_native = os.environ.get("VEXILATE_EARLIER_NATIVE_BUILD_DIR")
    earlier_program = pathlib.Path(earlier_native) / "bench" / "transform_bench_native" if earlier_native else None
    source = scratch / "reference-input.xml"
    data = document(20 << 20)
    source.write_bytes(data)
    print(f"the 20 MB input ({data.count(b'<item ')} records) beside xsltproc built from the same sources, "
          f"{rounds} rounds each, alternately:")
    for encoding in ("windows-1251", "UTF-8"):
        sheet_text = STYLESHEET.replace("windows-1251", encoding)
        sheet = scratch / f"reference-{encoding}.xsl"
        sheet.write_text(sheet_text, encoding="utf-8")
        runs = {"xsltproc": [], "program": [], "earlier program": [], "quiet": [], "earlier": []}
        folders = {"quiet": quiet_folder(scratch / f"quiet-{encoding}", bench / "vexilate.exe", sheet_text, source)}
        if earlier:
            folders["earlier"] = quiet_folder(scratch / f"earlier-{encoding}", earlier / "vexilate.exe", sheet_text,
                                              source)
        for _ in range(rounds):
            runs["xsltproc"].append(timed([str(xsltproc), "-o", str(scratch / "reference.out"), str(sheet),
                                           str(source)]))
            runs["program"].append(timed([str(program), str(sheet), str(source), str(scratch / "program.out")]))
            if earlier_program:
                runs["earlier program"].append(
                    timed([str(earlier_program), str(sheet), str(source), str(scratch / "program.out")]))
            for kind, folder in folders.items():
                for written in (folder / "OUT").iterdir():
                    written.unlink()
                runs[kind].append(timed(["wine", "vexilate.exe", "/quiet", windows(folder / "IN")], cwd=folder))
        for kind, folder in folders.items():
            if (folder / "OUT" / "00000100.001").read_bytes() != (scratch / "reference.out").read_bytes():
                print(f"  {encoding}: the quiet run's result differs from xsltproc's ({folder})")
        print(f"  {encoding}: xsltproc natively {summary(runs['xsltproc'])}")
        print(f"    the program's transformation natively (transform_bench_native) {summary(runs['program'])}; "
              f"ratio to xsltproc {ratio(runs['program'], runs['xsltproc'])}")
        if earlier_program:
            print(f"    the earlier build's transformation natively {summary(runs['earlier program'])}; ratio to "
                  f"xsltproc {ratio(runs['earlier program'], runs['xsltproc'])}")
        print(f"    the whole quiet run under Wine {summary(runs['quiet'])}; ratio to xsltproc natively "
              f"{ratio(runs['quiet'], runs['xsltproc'])}")
        if earlier:
            print(f"    the earlier build's quiet run under Wine {summary(runs['earlier'])}; ratio to xsltproc "
                  f"natively {ratio(runs['earlier'], runs['xsltproc'])}; this / earlier "
                  f"{ratio(runs['quiet'], runs['earlier'])}")
    idle = [timed(["wine", str(bench / "transform_bench.exe")]) for _ in range(rounds)]
    print(f"  Wine's start of a program that does nothing (transform_bench.exe without arguments): {summary(idle)}")
    source.unlink()


def main() -> None:
    arguments = [a for a in sys.argv[1:] if a != "--reference"]
    bench, scratch = pathlib.Path(arguments[0]), pathlib.Path(arguments[1])
    earlier = pathlib.Path(arguments[2]) if len(arguments) > 2 else None
    scratch.mkdir(parents=True, exist_ok=True)
    if "--reference" in sys.argv:
        against_reference(bench, scratch, earlier)
        return
    stylesheet = scratch / "simple.xsl"
    stylesheet.write_text(STYLESHEET, encoding="utf-8")
    sizes = [("1 KB", 1024), ("1 MB", 1 << 20), ("20 MB", 20 << 20)]
    idle_kib = None
    for label, size in sizes:
        source = scratch / f"input-{size}.xml"
        source.write_bytes(document(size))
        reference_ms, reference_kib, _ = peak_resident(
            ["xsltproc", "-o", str(scratch / "ref.xml"), str(stylesheet), str(source)])
        # The program's own figure: its time inside, and the whole process's peak from outside
        # (Wine keeps the library's memory out of the process's own private figure).
        _, built_kib, result = peak_resident(["wine", str(bench / "transform_bench.exe"), "file", windows(source),
                                              windows(stylesheet), windows(scratch / "out.xml")])
        built_ms = float(result.split(" ms")[0])
        if idle_kib is None:
            idle_kib = built_kib  # a 1 KB input: the footprint of the process with the library loaded
        print(f"{label}: built-in {result}")
        print(f"  built-in {built_ms:.1f} ms, peak resident {built_kib} KiB; "
              f"xsltproc {reference_ms:.1f} ms, peak resident {reference_kib} KiB")
        print(f"  ratio built-in / xsltproc time: {built_ms / reference_ms:.2f}; built-in peak beyond a 1 KB run: "
              f"{(built_kib - idle_kib) / (size / 1024):.2f} x the input size")
        if earlier:
            _, then_kib, then = peak_resident(["wine", str(earlier / "transform_bench.exe"), "file", windows(source),
                                               windows(stylesheet), windows(scratch / "out.xml")])
            then_ms = float(then.split(" ms")[0])
            print(f"  earlier build {then_ms:.1f} ms, peak resident {then_kib} KiB; this / earlier: time "
                  f"{built_ms / then_ms:.2f}, peak {built_kib / then_kib:.2f}")
    small = []
    for n in range(200):
        path = scratch / f"small-{n}.xml"
        path.write_bytes(document(2048))
        small.append(windows(path))
    batch = scratch / "batch"
    batch.mkdir(exist_ok=True)
    def batch_run(where: pathlib.Path, sheet: pathlib.Path, inputs: list) -> str:
        return subprocess.run(["wine", str(where / "transform_bench.exe"), "batch", windows(sheet), windows(batch)]
                              + inputs, check=True, capture_output=True, text=True).stdout.strip()

    now = batch_run(bench, stylesheet, small)
    now_batch = now
    print(now)
    if earlier:
        then = batch_run(earlier, stylesheet, small)
        print(f"  earlier build: {then}\n  this / earlier, in the worker: "
              f"{figure(now, 'ms in all') / figure(then, 'ms in all'):.2f}")
    # A stylesheet of 40 modules, as large drivers are, each with its templates; compiled once
    # for one small file.
    parts = scratch / "parts"
    parts.mkdir(exist_ok=True)
    includes = ""
    for n in range(1, MODULES):
        templates = "".join('<xsl:template name="t%d-%d"><xsl:param name="x"/><v k="%d"><xsl:value-of '
                            'select="concat($x, string-length($x) * %d)"/></v></xsl:template>' % (n, k, k, k)
                            for k in range(20))
        (parts / ("m%d.xsl" % n)).write_text(
            '<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">' + templates +
            '</xsl:stylesheet>', encoding="utf-8")
        includes += '<xsl:include href="parts/m%d.xsl"/>' % n
    large = scratch / "large.xsl"
    large.write_text(STYLESHEET.replace('<xsl:output', includes + '<xsl:output'), encoding="utf-8")
    # The same batch with the schemas of both formats beside the stylesheet, then a 20 MB and a
    # 200 MB file checked against a schema in one pass.
    for side, schema in (("in", IN_SCHEMA), ("out", OUT_SCHEMA)):
        (scratch / f"simple.{side}.xsd").write_text(schema, encoding="utf-8")
    with_schemas = batch_run(bench, stylesheet, small)
    print(f"with both schemas: {with_schemas}\n  with / without schemas, in the worker: "
          f"{figure(with_schemas, 'ms in all') / figure(now_batch, 'ms in all'):.2f}, in process: "
          f"{figure(with_schemas, 'ms (') / figure(now_batch, 'ms ('):.2f}")
    for side in ("in", "out"):
        (scratch / f"simple.{side}.xsd").unlink()
    (scratch / "simple.in.schema").write_text(IN_SCHEMA, encoding="utf-8")
    for label, size in (("20 MB", 20 << 20), ("200 MB", 200 << 20)):
        source = scratch / f"checked-{size}.xml"
        source.write_bytes(document(size))
        ms, kib, said = peak_resident(["wine", str(bench / "transform_bench.exe"), "check",
                                       windows(scratch / "simple.in.schema"), windows(source)])
        print(f"{label} checked: {said}; peak resident {kib} KiB")
        source.unlink()
    now = batch_run(bench, large, small[:1])
    print(f"{MODULES} modules: {now}")
    if earlier:
        then = batch_run(earlier, large, small[:1])
        print(f"  earlier build: {then}\n  this / earlier, compiling in process: "
              f"{figure(now, 'ms); the worker') / figure(then, 'ms); the worker'):.2f}")
    against_reference(bench, scratch, earlier)


if __name__ == "__main__":
    main()
