#!/usr/bin/env python3
"""Writes the seeds of fuzz_shell.

    fuzz/make_shell_seeds.py CORPUSDIR

Each seed is a settings file (see fuzz_shell.cpp): workspaces saved, damaged
and empty, registries ordinary and broken, and a book.dat header.
"""
import os
import sys


def workspace(count, windows):
    text = '[BookShelf0]\r\nNumberWindows=%s\r\n' % count
    for i, (name, path, record, search) in enumerate(windows):
        text += 'BookName%d=%s\r\nTextPath%d=%s\r\nWindow%d=%s\r\nStringToParse%d=%s\r\n' % (
            i, name, i, path, i, record, i, search)
    return text


def registry(books, count=None):
    text = '[SOLTDATASETS]\r\nDATASETCOUNT=1\r\n[DATASET_1]\r\nDATASETNAME=SoltDataSet\r\n'
    text += 'BOOKCOUNT=%s\r\nTOTALBOOKCOUNT=%d\r\n' % (count if count is not None else len(books), len(books))
    for m, (name, path) in enumerate(books, 1):
        text += '[BOOK_1_%d]\r\nBOOKNAME=%s\r\nDEFPATH=%s\r\nPATH=%s\r\nBOOKID=%d\r\nPUBLISHERID=7\r\n' % (
            m, name, path, path, m)
        text += 'STATUS=ACTIVE\r\nDEFMEDIATYPE=FIXED\r\n'
    return text


SEEDS = {
    'empty': '',
    'saved': '[BookShelf]\r\nValue=0\r\n[options]\r\ntree_dimentions=120,400\r\n' + workspace('3', [
        (' ', ' ', '0, 0, 0, 0, 0, 0, 10, 20, 810,  620', ' '),
        ('KJS', '/tmp/kjs/', '1, 31000, 0, 100, 0, 4, 0, 0, 500,  330', 'love'),
        ('Book', '/tmp/gone/', '0, 12, 0, 140, 3, 1, 5, 5, 300,  200', ' '),
    ]),
    'damaged': workspace('99999', [
        ('x', '"/quoted/"', '1,2', ''),
        ('', '', 'garbage', 'a'),
        ('yy', '/a/', '-1, -2147483648, 99999999999, 0, 0, 0, 0, 0, 0, 0', ''),
    ]) + '[WORDS_LIKE_SOLT]\r\nWORDS_LIKE_SOLT=a,,b,\r\n',
    'registry': registry([('One', '/tmp/one'), ('KJS', '/tmp/bibles/KJS'), ('', '/tmp/none')]),
    'registry-huge': registry([('One', '/tmp/one')], count='2147483647').replace(
        'DATASETCOUNT=1', 'DATASETCOUNT=100000'),
    'header': '{\\Title:A Book}{\\PublisherID:7}{\\BookID:42}\0\0\0Book# 3 1200',
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, text in SEEDS.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(text.encode('latin-1'))


if __name__ == '__main__':
    main()
