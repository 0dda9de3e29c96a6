"""The rules Windows' own package validation applies, checked on the tables of the built package
with msitools (the validation tools do not run here), and what the package carries of the
executable and its version. Prints every fault and exits non-zero when there is one.

    check_package_tables.py <package.msi> <the executable in it> <a package of another version>"""
import struct
import subprocess
import sys

# Folders in the user's profile, and of those the ones that stay the installing account's own
# when ALLUSERS sends the menus to everyone's.
PROFILE = {"AppDataFolder", "LocalAppDataFolder", "ProgramMenuFolder", "StartMenuFolder", "StartupFolder",
           "DesktopFolder", "SendToFolder", "PersonalFolder", "FavoritesFolder", "TemplateFolder"}
ACCOUNT_ONLY = {"AppDataFolder", "LocalAppDataFolder", "SendToFolder", "PersonalFolder", "FavoritesFolder"}
HKCU = "1"
REGISTRY_KEY_PATH = 4


def table(package: str, name: str) -> list[dict[str, str]]:
    text = subprocess.run(["msiinfo", "export", package, name], check=True, capture_output=True).stdout
    lines = text.decode("cp1251").split("\r\n")
    return [dict(zip(lines[0].split("\t"), line.split("\t"))) for line in lines[3:] if line]


def main() -> None:
    package, executable, other = sys.argv[1:4]
    parent = {row["Directory"]: row["Directory_Parent"] for row in table(package, "Directory")}

    def profile_folder(directory: str) -> str | None:
        while directory and directory not in PROFILE:
            directory = parent.get(directory, "")
        return directory or None

    registry = {row["Registry"]: row for row in table(package, "Registry")}
    components = {row["Component"]: row for row in table(package, "Component")}
    removed = {row["DirProperty"] for row in table(package, "RemoveFile") if not row["FileName"]}
    faults = []
    for name, component in components.items():
        folder = profile_folder(component["Directory_"])
        key = registry.get(component["KeyPath"], {})
        # ICE38: what goes into a profile is kept track of by a value of that user's.
        if folder and not (int(component["Attributes"]) & REGISTRY_KEY_PATH and key.get("Root") == HKCU):
            faults.append(f"component {name} in {folder} has no HKCU value as its key path")
        # An installation for everyone puts nothing in the installing account's own profile.
        if folder in ACCOUNT_ONLY and component["Condition"] != "NOT ALLUSERS":
            faults.append(f"component {name} in {folder} is installed for everyone too")
    # ICE43: a shortcut that is not advertised is kept track of in HKCU.
    for shortcut in table(package, "Shortcut"):
        if registry.get(components[shortcut["Component_"]]["KeyPath"], {}).get("Root") != HKCU:
            faults.append(f"shortcut {shortcut['Shortcut']} has no HKCU key path")
    # ICE64: a folder made in a profile is removed with the product.
    for directory in parent:
        if directory not in PROFILE and profile_folder(directory) and directory not in removed:
            faults.append(f"folder {directory} in a profile is not removed")
    data = open(executable, "rb").read()
    high, low = struct.unpack_from("<2I", data, data.index(struct.pack("<I", 0xFEEF04BD)) + 8)
    version = f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"
    for file in table(package, "File"):
        if file["FileName"].endswith("vexilate.exe") and file["Version"] != version:
            faults.append(f"file {file['File']} has version '{file['Version']}', the executable {version}")
    codes = [next(row["Value"] for row in table(each, "Property") if row["Property"] == "ProductCode")
             for each in (package, other)]
    if codes[0] == codes[1]:
        faults.append(f"two versions share the product code {codes[0]}")
    print("\n".join(faults) or f"{package}: the tables keep the rules")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
