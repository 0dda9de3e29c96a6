"""Writes the release archive: the executable and the user guide, the README's Russian part
made into one HTML page with its pictures inside, so that it opens anywhere with a double-click."""
import base64
import pathlib
import re
import sys
import zipfile

import markdown

GUIDE_NAME = "Руководство пользователя.html"


def guide_html(readme: str, root: pathlib.Path) -> str:
    start = readme.index("## Руководство пользователя")
    end = readme.index("## For developers")
    text = readme[:readme.index("\n") + 1] + readme[start:end]
    # The picture of the main window stands above the guide in the README.
    first_picture = re.search(r"!\[[^\]]*\]\([^)]*\)\n", readme[:start])
    if first_picture:
        text = text.replace("\n", "\n" + first_picture.group(0) + "\n", 1)
    body = markdown.markdown(text, extensions=["tables"])

    def embedded(match: re.Match) -> str:
        data = base64.b64encode((root / match.group(1)).read_bytes()).decode("ascii")
        return f'src="data:image/png;base64,{data}"'

    body = re.sub(r'src="([^"]+\.png)"', embedded, body)
    style = ("body{font-family:Segoe UI,Tahoma,sans-serif;max-width:60em;margin:2em auto;line-height:1.4}"
             "table{border-collapse:collapse}td,th{border:1px solid #999;padding:.3em .5em;vertical-align:top}"
             "code{background:#f2f2f2}img{max-width:100%}")
    return (f'<!DOCTYPE html>\n<html lang="ru">\n<head>\n<meta charset="utf-8">\n'
            f"<title>Vexilate — руководство пользователя</title>\n<style>{style}</style>\n</head>\n"
            f"<body>\n{body}\n</body>\n</html>\n")


def main() -> None:
    executable, readme, package = (pathlib.Path(arg) for arg in sys.argv[1:4])
    # Pictures are named relative to the README.
    html = guide_html(readme.read_text(encoding="utf-8"), readme.parent)
    with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.write(executable, "vexilate.exe")
        archive.writestr(GUIDE_NAME, html.encode("utf-8"))


if __name__ == "__main__":
    main()
