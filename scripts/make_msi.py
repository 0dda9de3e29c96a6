"""Writes the Windows Installer package from the WiX source with wixl, then puts right with
msibuild what wixl leaves out or gets wrong, so that Windows shows the Russian texts:
the database code page (wixl writes 0, "neutral", though the source says 1251), the shortcuts'
descriptions and the launch conditions' messages (wixl drops them or stores them in UTF-8),
the summary texts (wixl stores them in UTF-8 where Windows reads the code page they declare,
and names English), and the registry root HKMU (wixl writes 4, which Windows Installer does
not know, for -1). What wixl does not take at all is put in the same way: components'
conditions, a folder removed elsewhere than in its component's directory, a directory set by
a custom action, the upgrade's schedule, and the executable's version and language.

    make_msi.py <vexilate.exe> <vexilate.wxs> <version> <vexilate-version.msi>
    make_msi.py --version <version>     checks the version alone; prints the package's

The product code follows from the version and the package code from what goes in, so the
same sources give the same codes, and a new version always upgrades the one before."""
import datetime
import hashlib
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import uuid
import xml.etree.ElementTree as ElementTree

WIX = "{http://schemas.microsoft.com/wix/2006/wi}"
CODEPAGE = 1251
LANGUAGE = 1049
# The condition wixl makes of <MajorUpgrade>.
DOWNGRADE_CONDITION = "NOT WIX_DOWNGRADE_DETECTED"


# What each field of a product version can hold; Windows Installer ignores a fourth field.
VERSION_FIELD_LIMITS = (255, 255, 65535)


def product_version(version: str) -> str:
    """The version in the three fields Windows Installer compares, so that two versions it
    would take for one never make two products; a version it cannot tell apart is refused."""
    fields = version.split(".")
    if not 2 <= len(fields) <= 4 or not all(field.isdigit() and field.isascii() for field in fields):
        sys.exit(f"make_msi.py: version {version!r} is not two to four numbers separated by dots")
    numbers = [int(field) for field in fields] + [0] * (4 - len(fields))
    if numbers[3] != 0:
        sys.exit(f"make_msi.py: version {version}: Windows Installer compares three fields only and would take "
                 f"this package for {'.'.join(map(str, numbers[:3]))}; raise the third field instead")
    for number, limit, name in zip(numbers, VERSION_FIELD_LIMITS, ("first", "second", "third")):
        if number > limit:
            sys.exit(f"make_msi.py: version {version}: the {name} field is at most {limit} in a Windows Installer package")
    return ".".join(map(str, numbers[:3]))


def file_version(executable: bytes) -> tuple[str, str]:
    """The executable's file version and language, from its version resource."""
    fixed = executable.find(struct.pack("<I", 0xFEEF04BD))
    translation = executable.find("Translation".encode("utf-16-le") + b"\0\0")
    if fixed < 0 or translation < 0:
        sys.exit("make_msi.py: the executable has no version resource")
    high, low = struct.unpack_from("<2I", executable, fixed + 8)
    value = (translation + len("Translation") * 2 + 2 + 3) & ~3
    language = struct.unpack_from("<H", executable, value)[0]
    return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}", str(language)


def sql_text(text: str) -> str:
    if "'" in text:
        sys.exit(f"make_msi.py: a text of the package holds a quote msibuild cannot take: {text}")
    return f"'{text}'"


def idt(path: pathlib.Path, header: list[str], rows: list[list[str]], encoding: str = "ascii") -> pathlib.Path:
    """A table to import, in the text form msibuild reads (no code page line: bytes as given)."""
    lines = header + ["\t".join(map(str, row)) for row in rows]
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode(encoding))
    return path


def summary_date(executable: pathlib.Path) -> str:
    """The executable's time (or SOURCE_DATE_EPOCH), not the moment of packaging."""
    seconds = int(os.environ.get("SOURCE_DATE_EPOCH", executable.stat().st_mtime))
    return datetime.datetime.fromtimestamp(seconds, datetime.timezone.utc).strftime("%Y/%m/%d %H:%M:%S")


def wixl_source(root: ElementTree.Element, source: pathlib.Path, work: pathlib.Path) -> tuple[pathlib.Path, list[str]]:
    """A copy of the source that wixl takes, beside the packaging's other files, and the queries
    that put in the package what the copy leaves out."""
    queries = []
    for component in root.iter(WIX + "Component"):
        if (condition := component.find(WIX + "Condition")) is not None:
            component.remove(condition)
            queries.append(f"UPDATE `Component` SET `Condition` = {sql_text(condition.text)} "
                           f"WHERE `Component` = '{component.get('Id')}'")
    for folder in root.iter(WIX + "RemoveFolder"):
        if (directory := folder.attrib.pop("Directory", None)) is not None:
            queries.append(f"UPDATE `RemoveFile` SET `DirProperty` = '{directory}' WHERE `FileKey` = '{folder.get('Id')}'")
    for action in root.iter(WIX + "CustomAction"):
        if (directory := action.attrib.pop("Directory", None)) is not None:
            # Made as a property's (51), then turned into a directory's (35).
            action.set("Property", directory)
            queries.append(f"UPDATE `CustomAction` SET `Type` = 35 WHERE `Action` = '{action.get('Id')}'")
    for condition in root.iter(WIX + "Condition"):
        if condition.get("Message") is not None:
            condition.set("Message", "-")  # wixl fails on text in another alphabet
    if (upgrade := root.find(f"{WIX}Product/{WIX}MajorUpgrade")) is not None:
        upgrade.attrib.pop("Schedule", None)
    for icon in root.iter(WIX + "Icon"):
        icon.set("SourceFile", os.path.relpath(source.parent / icon.get("SourceFile"), work))
    ElementTree.register_namespace("", WIX.strip("{}"))
    copy = work / source.name
    ElementTree.ElementTree(root).write(copy, encoding="utf-8", xml_declaration=True)
    return copy, queries


def sequence_number(package: str, table: str, action: str) -> int:
    rows = subprocess.run(["msiinfo", "export", package, table], check=True, capture_output=True, text=True).stdout
    return next(int(row.split("\t")[2]) for row in rows.splitlines() if row.startswith(action + "\t"))


def main() -> None:
    if sys.argv[1] == "--version":
        print(product_version(sys.argv[2]))
        return
    executable, source, version, package = (sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4])
    executable_path, source_path = pathlib.Path(executable).resolve(), pathlib.Path(source).resolve()
    root = ElementTree.parse(source_path).getroot()
    product = root.find(WIX + "Product")
    details = product.find(WIX + "Package")
    upgrade_code = uuid.UUID(product.get("UpgradeCode"))
    version = product_version(version)
    product_code = uuid.uuid5(upgrade_code, version)
    inputs = hashlib.sha256(version.encode())
    for path in (source_path, executable_path, source_path.parent / product.find(WIX + "Icon").get("SourceFile")):
        inputs.update(path.read_bytes())
    package_code = uuid.uuid5(upgrade_code, inputs.hexdigest())
    program_version, program_language = file_version(executable_path.read_bytes())

    queries = [f"UPDATE `Shortcut` SET `Description` = {sql_text(shortcut.get('Description'))} "
               f"WHERE `Shortcut` = '{shortcut.get('Id')}'" for shortcut in product.iter(WIX + "Shortcut")]
    upgrade = product.find(WIX + "MajorUpgrade")
    queries.append("UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4")
    queries.append(f"UPDATE `LaunchCondition` SET `Description` = {sql_text(upgrade.get('DowngradeErrorMessage'))} "
                   f"WHERE `Condition` = '{DOWNGRADE_CONDITION}'")
    queries += [f"UPDATE `LaunchCondition` SET `Description` = {sql_text(condition.get('Message'))} "
                f"WHERE `Condition` = {sql_text(condition.text)}" for condition in product.findall(WIX + "Condition")]
    # Versioned, so that an upgrade's file rules compare versions rather than dates.
    queries += [f"UPDATE `File` SET `Version` = '{program_version}', `Language` = '{program_language}' "
                f"WHERE `File` = '{file.get('Id')}'"
                for file in product.iter(WIX + "File") if file.get("Source") == "$(var.Executable)"]
    with tempfile.TemporaryDirectory() as work:
        tables = pathlib.Path(work)
        wixl_copy, missing = wixl_source(root, source_path, tables)
        queries += missing
        # wixl finds files relative to the source only.
        program = os.path.relpath(executable_path, tables)
        subprocess.run(["wixl", "-D", f"Version={version}", "-D", f"ProductCode={product_code}",
                        "-D", f"Executable={program}", "-o", package, str(wixl_copy)], check=True)
        if upgrade.get("Schedule") == "afterInstallValidate":
            after = sequence_number(package, "InstallExecuteSequence", "InstallValidate") + 1
            queries.append(f"UPDATE `InstallExecuteSequence` SET `Sequence` = {after} "
                           f"WHERE `Action` = 'RemoveExistingProducts'")
        codepage = idt(tables / "_ForceCodepage.idt", ["", "", f"{CODEPAGE}\t_ForceCodepage"], [])
        date = summary_date(executable_path)
        # Subject, keywords, comments, platform and language, package code, created, saved.
        properties = [[3, details.get("Description")], [5, details.get("Keywords")], [6, details.get("Comments")],
                      [7, f"Intel;{LANGUAGE}"], [9, "{" + str(package_code).upper() + "}"], [12, date], [13, date]]
        summary = idt(tables / "_SummaryInformation.idt",
                      ["PropertyId\tValue", "i2\tl255", "_SummaryInformation\tPropertyId"], properties,
                      encoding=f"cp{CODEPAGE}")
        # The code page first: the texts below are stored in it.
        command = ["msibuild", package, "-i", str(codepage)]
        for query in queries:
            command += ["-q", query]
        subprocess.run(command + ["-i", str(summary)], check=True)


if __name__ == "__main__":
    main()
