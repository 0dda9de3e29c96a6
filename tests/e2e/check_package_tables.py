"""The rules Windows' package validation applies, checked on the built package's tables with
msitools (the validation tools do not run here); exits non-zero, naming each fault.
    check_package_tables.py <package.msi> <the executable in it>"""
import struct
import subprocess
import sys

# Folders of the user's profile; of those, the ones that ALLUSERS does not make everyone's.
PROFILE = {"AppDataFolder", "LocalAppDataFolder", "ProgramMenuFolder", "StartMenuFolder", "StartupFolder",
           "DesktopFolder", "SendToFolder", "PersonalFolder", "FavoritesFolder", "TemplateFolder"}
ACCOUNT_ONLY = {"AppDataFolder", "LocalAppDataFolder", "SendToFolder", "PersonalFolder", "FavoritesFolder"}


def table(name: str) -> list[dict[str, str]]:
    text = subprocess.run(["msiinfo", "export", sys.argv[1], name], check=True, capture_output=True).stdout
    lines = text.decode("cp1251").split("\r\n")
    return [dict(zip(lines[0].split("\t"), line.split("\t"))) for line in lines[3:] if line]


parent = {row["Directory"]: row["Directory_Parent"] for row in table("Directory")}


def profile(directory: str) -> str:
    while directory and directory not in PROFILE:
        directory = parent.get(directory, "")
    return directory


hkcu = {row["Registry"] for row in table("Registry") if row["Root"] == "1"}
removed = {row["DirProperty"] for row in table("RemoveFile") if not row["FileName"]}
components = [(row, profile(row["Directory_"])) for row in table("Component")]
data = open(sys.argv[2], "rb").read()
high, low = struct.unpack_from("<2I", data, data.index(struct.pack("<I", 0xFEEF04BD)) + 8)
version = f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"
faults = [f"{row['Component']} in {folder} has no HKCU value as its key path (ICE38, ICE43)"
          for row, folder in components if folder and row["KeyPath"] not in hkcu]
faults += [f"{row['Component']} in {folder} is installed for everyone too, in the installing account's profile"
           for row, folder in components if folder in ACCOUNT_ONLY and row["Condition"] != "NOT ALLUSERS"]
faults += [f"folder {directory} in a profile is not removed (ICE64)"
           for directory in parent if directory not in PROFILE and profile(directory) and directory not in removed]
faults += [f"file {row['File']} has version '{row['Version']}', the executable {version}"
           for row in table("File") if row["FileName"].endswith("vexilate.exe") and row["Version"] != version]
print("\n".join(faults) or "the package's tables keep the rules")
sys.exit(1 if faults else 0)
