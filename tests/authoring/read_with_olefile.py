# Opens a compound file with olefile in its strictest mode and copies every
# storage (as a folder) and stream (as a file) into a folder.
#
#   python3 read_with_olefile.py <compound file> <folder>
#
# Exit status 0 when the file was read without any defect, 1 when olefile
# found one, 3 when olefile is missing.
import os
import sys

try:
    import olefile
except ImportError:
    sys.stderr.write("the Python module olefile is missing (Debian package python3-olefile)\n")
    sys.exit(3)


def main():
    source, folder = sys.argv[1], sys.argv[2]
    try:
        document = olefile.OleFileIO(source, raise_defects=olefile.DEFECT_UNSURE)
    except Exception as error:  # olefile raises what it finds
        sys.stderr.write("olefile: %s\n" % error)
        return 1
    if document.parsing_issues:
        sys.stderr.write("olefile: %r\n" % (document.parsing_issues,))
        return 1
    for path in document.listdir(streams=True, storages=True):
        for name in path:
            if name in ("", ".", "..") or "/" in name or "\0" in name:
                sys.stderr.write("olefile: unexpected name %r\n" % (name,))
                return 1
        target = os.path.join(folder, *path)
        kind = document.get_type(path)
        if kind == olefile.STGTY_STORAGE:
            os.makedirs(target, exist_ok=True)
        elif kind == olefile.STGTY_STREAM:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(document.openstream(path).read())
        else:
            sys.stderr.write("olefile: %r is neither storage nor stream\n" % (path,))
            return 1
    document.close()
    return 0


sys.exit(main())
