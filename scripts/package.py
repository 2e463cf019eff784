"""Packs a release build into QwClicker-<version>-<arch>.zip and writes its SHA-256 beside it.

    python3 scripts/package.py <release build folder> <output folder> <x86|x64>

The ZIP holds one folder with the program, the two help files and the read-me. Entry
times are fixed, so the same build always gives the same archive.
"""

import hashlib
import os
import re
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def version_of(build):
    with open(os.path.join(build, "generated", "app", "version.h"), encoding="utf-8") as f:
        return re.search(r'QW_VERSION_TEXT "([0-9.]+)"', f.read()).group(1)


def main(build, out, arch):
    version = version_of(build)
    name = "QwClicker-%s" % version
    files = [
        (os.path.join(build, "QwClicker.exe"), "QwClicker.exe"),
        (os.path.join(ROOT, "res", "help", "使用帮助.txt"), "使用帮助.txt"),
        (os.path.join(ROOT, "res", "help", "常见问题.txt"), "常见问题.txt"),
        (os.path.join(ROOT, "res", "release", "说明.txt"), "说明.txt"),
    ]
    os.makedirs(out, exist_ok=True)
    archive = os.path.join(out, "%s-%s.zip" % (name, arch))
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as zf:
        for source, entry in files:
            info = zipfile.ZipInfo("%s/%s" % (name, entry), date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(source, "rb") as f:
                zf.writestr(info, f.read())
    with open(archive, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(archive + ".sha256", "w") as f:
        f.write("%s  %s\n" % (digest, os.path.basename(archive)))
    print(archive)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3]))
