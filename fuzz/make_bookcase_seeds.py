#!/usr/bin/env python3
"""Writes the seeds of fuzz_bookcase.

    fuzz/make_bookcase_seeds.py CORPUSDIR

Each seed is a settings file and a book description (see fuzz_bookcase.cpp):
registries empty, ordinary and broken, descriptions new, extending and empty.
"""
import os
import struct
import sys


def seed(settings, description):
    return struct.pack('<H', len(settings)) + settings + description


def description(name, books, publisher=b'Public domain'):
    text = b'[Publisher Data]\nDataSetName=' + name + b'\nPublisherName=' + publisher + b'\n'
    for k, (book_id, book_name, path) in enumerate(books, 1):
        text += b'[Book %d]\nBookID=%s\nName=%s\nPath=%s\nSYNCTYPE=verse\nPUBID=1\n' % (k, book_id, book_name, path)
    return text


def registry(sets):
    text = b'[SOLTDATASETS]\nDATASETCOUNT=%d\n' % len(sets)
    for n, (name, books) in enumerate(sets, 1):
        text += b'[DATASET_%d]\nDATASETNAME=%s\nPublisherName=P\nBookCount=%d\n' % (n, name, len(books))
        for m, (book_id, book_name) in enumerate(books, 1):
            text += (b'[BOOK_%d_%d]\nBOOKNAME=%s\nDEFPATH=/lib/%s\nBOOKID=%s\nIGNORE=N\nDEFMEDIATYPE=FIXED\n'
                     % (n, m, book_name, book_name, book_id))
    return text


def main():
    corpus = sys.argv[1]
    os.makedirs(corpus, exist_ok=True)
    library = description(b'Sample Library', [(b'1', b'KJS', b'KJS'), (b'2', b'RVR', b'RVR'), (b'3', b'WEB', b'WEB')])
    two = registry([(b'A', [(b'1', b'A1')]), (b'Sample Library', [(b'1', b'KJS'), (b'2', b'RVR')])])
    seeds = {
        'new-on-nothing': seed(b'', library),
        'new-after-two': seed(two, description(b'C', [(b'1', b'C1', b'.')])),
        'extend-last': seed(two, library),
        'different': seed(two, description(b'A', [(b'2', b'A2', b'sub\\dir')])),
        'no-books': seed(two, description(b'D', [(b'0', b'none', b'.')])),
        'garbage-counts': seed(b'[SOLTDATASETS]\r\nDATASETCOUNT=-1\r\n[DATASET_1]\r\nBOOKCOUNT=99999\r\n'
                               b'[BOOK_1_3]\r\nBOOKNAME="q"\r\nIGNORE=yes\r\n[options]\r\nkeep=me\r\n',
                               description(b'"\' x \'"', [(b'0x10', b' padded ', b'./x/../y')])),
    }
    for name, data in seeds.items():
        with open(os.path.join(corpus, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
