"""Writes the Windows Installer package from the WiX source with wixl, then puts right with
msibuild what wixl leaves out or gets wrong, so that Windows shows the Russian texts:
the database code page (wixl writes 0, "neutral", though the source says 1251), the shortcuts'
descriptions and the downgrade message (wixl drops them), the summary texts (wixl stores
them in UTF-8 where Windows reads the code page they declare, and names English), and the
registry root HKMU (wixl writes 4, which Windows Installer does not know, for -1).

    make_msi.py <vexilate.exe> <vexilate.wxs> <version> <vexilate-version.msi>

The product code follows from the version and the package code from what goes in, so the
same sources give the same codes, and a new version always upgrades the one before."""
import datetime
import hashlib
import os
import pathlib
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


def product_version(version: str) -> str:
    """Windows Installer compares three fields; the project's version may have two."""
    fields = version.split(".")
    return ".".join((fields + ["0", "0"])[:3])


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


def main() -> None:
    executable, source, version, package = (sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4])
    executable_path, source_path = pathlib.Path(executable).resolve(), pathlib.Path(source).resolve()
    product = ElementTree.parse(source_path).getroot().find(WIX + "Product")
    details = product.find(WIX + "Package")
    upgrade_code = uuid.UUID(product.get("UpgradeCode"))
    version = product_version(version)
    product_code = uuid.uuid5(upgrade_code, version)
    inputs = hashlib.sha256(version.encode())
    for path in (source_path, executable_path, source_path.parent / product.find(WIX + "Icon").get("SourceFile")):
        inputs.update(path.read_bytes())
    package_code = uuid.uuid5(upgrade_code, inputs.hexdigest())

    # wixl finds files relative to the source only.
    program = os.path.relpath(executable_path, source_path.parent)
    subprocess.run(["wixl", "-D", f"Version={version}", "-D", f"ProductCode={product_code}",
                    "-D", f"Executable={program}", "-o", package, str(source_path)], check=True)

    queries = [f"UPDATE `Shortcut` SET `Description` = {sql_text(shortcut.get('Description'))} "
               f"WHERE `Shortcut` = '{shortcut.get('Id')}'" for shortcut in product.iter(WIX + "Shortcut")]
    downgrade = product.find(WIX + "MajorUpgrade").get("DowngradeErrorMessage")
    queries.append("UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4")
    queries.append(f"UPDATE `LaunchCondition` SET `Description` = {sql_text(downgrade)} "
                   f"WHERE `Condition` = '{DOWNGRADE_CONDITION}'")
    with tempfile.TemporaryDirectory() as work:
        tables = pathlib.Path(work)
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
