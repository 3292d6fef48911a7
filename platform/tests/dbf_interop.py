"""Writes and reads dBase tables with Debian's python3-dbf and python3-dbfread
for dbf_interop_test.cpp.

    dbf_interop.py write dbf TYPE PATH FIELDSPEC   records on stdin
    dbf_interop.py read LIB PATH [TYPE]              records on stdout

TYPE is a python-dbf table type (db3, clp); LIB is dbf or dbfread. A record is
one line of its field values in hex (Windows-1252 bytes), separated by blanks;
"-" stands for an empty value. Values read are stripped of trailing blanks, as
both libraries hand them back.
"""
import sys

ENCODING = "cp1252"


def decode(word):
    return "" if word == "-" else bytes.fromhex(word).decode(ENCODING)


def encode(value):
    if value is None:
        return "-"
    if isinstance(value, str):
        value = value.encode(ENCODING)
    value = value.rstrip(b" ")
    return value.hex() if value else "-"


def write(kind, path, spec):
    import dbf
    table = dbf.Table(path, spec, dbf_type=kind, codepage=ENCODING)
    table.open(mode=dbf.READ_WRITE)
    for line in sys.stdin:
        words = line.split()
        if words:
            table.append(tuple(decode(w) for w in words))
    table.close()


def read(lib, path, kind):
    if lib == "dbfread":
        import dbfread
        table = dbfread.DBF(path, encoding=ENCODING, load=False)
        for record in table:
            print(" ".join(encode(v) for v in record.values()))
        return
    import dbf
    table = dbf.Table(path, dbf_type=kind) if kind else dbf.Table(path)
    table.open(mode=dbf.READ_ONLY)
    for record in table:
        print(" ".join(encode(record[name]) for name in table.field_names))
    table.close()


def main(argv):
    if argv[1] == "write":
        write(argv[3], argv[4], argv[5])
    else:
        read(argv[2], argv[3], argv[4] if len(argv) > 4 else None)


if __name__ == "__main__":
    main(sys.argv)
