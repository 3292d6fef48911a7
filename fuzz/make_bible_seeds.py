#!/usr/bin/env python3
"""Writes the seeds of fuzz_biblemodule and fuzz_wordlist.

    fuzz/make_bible_seeds.py SOLTKIT CORPUSDIR

The sample Bible is built by `soltkit make-bible` from data/sample-bible; a
second module and word list are put together here byte by byte.
"""
import os
import struct
import subprocess
import sys
import tempfile


def seed(first, rest):
    return struct.pack('<H', len(first)) + first + rest


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def main():
    soltkit, corpus = sys.argv[1], sys.argv[2]
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data', 'sample-bible', 'sample.txt')
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([soltkit, 'make-bible', source, out], check=True)
        ixb = open(os.path.join(out, 'SMP.ixb'), 'rb').read().replace(b'SMP.dat', b'BIB.dat')
        dat = open(os.path.join(out, 'SMP.dat'), 'rb').read()
    write(os.path.join(corpus, 'fuzz_biblemodule', 'sample'), seed(ixb, dat))
    h = struct.unpack('<8i', dat[:32])
    write(os.path.join(corpus, 'fuzz_wordlist', 'sample'), seed(dat[h[0]:h[1]], dat[h[1]:h[2]]))

    # Two books, one verse with every kind of markup, an empty verse.
    texts = [b'$In the [beginning]', b'the <sc1>LORD<sc0> {a} said', b'', b'x$y']
    words = b' BEGINNING +0 LORD +2 '
    lists = struct.pack('<HH', 0, 1)
    h0 = 32
    h1 = h0 + len(words)
    h2 = h1 + len(lists)
    h3 = h2 + 4 * (len(texts) + 1)
    table, offset = b'', 0
    for t in texts:
        table += struct.pack('<i', offset)
        offset += len(t)
    table += struct.pack('<i', offset)
    text = struct.pack('<8i', h0, h1, h2, h3, 0, 0, 0, 0) + words + lists + table + b''.join(texts)
    definition = b'TDBFILE="BIB.dat"\r\n{Genesis\tV:2,1}\r\n{Exodus\tV:1}\r\n'
    write(os.path.join(corpus, 'fuzz_biblemodule', 'handmade'), seed(definition, text))
    write(os.path.join(corpus, 'fuzz_wordlist', 'handmade'),
          seed(b' LOVE +0 LOVED +4 LOVELY +6 LOVES +8 ZEAL +12 ', bytes(range(16))))


if __name__ == '__main__':
    main()
