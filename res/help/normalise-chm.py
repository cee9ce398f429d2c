#!/usr/bin/env python3
"""Clears the two time stamps that chmcmd writes into a help file, so that
the same pages always compile to the same bytes.

chmcmd stores a clock value in the file's ITSF header and again in the
#SYSTEM file (entry code 10); no help viewer reads either. Both lie outside
the compressed section, so they are set to 0 in place. The file is replaced
whole: it is written beside itself and renamed over the old one.

usage: normalise-chm.py FILE.chm
"""
import os
import struct
import sys


def read_encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def find_in_directory(data, wanted):
    """(offset in the content section 0, length) of the file named wanted."""
    directory, = struct.unpack_from("<Q", data, 0x48)
    if data[directory:directory + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    chunk_size, = struct.unpack_from("<I", data, directory + 0x10)
    header_size, = struct.unpack_from("<I", data, directory + 0x08)
    chunks, = struct.unpack_from("<I", data, directory + 0x2C)
    for n in range(chunks):
        chunk = directory + header_size + n * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", data, chunk + 4)
        end = chunk + chunk_size - free
        pos = chunk + 20
        while pos < end:
            length, pos = read_encint(data, pos)
            name = bytes(data[pos:pos + length])
            pos += length
            section, pos = read_encint(data, pos)
            offset, pos = read_encint(data, pos)
            size, pos = read_encint(data, pos)
            if name == wanted and section == 0:
                return offset, size
    raise ValueError("no %s in section 0" % wanted.decode())


def normalise(data):
    if data[0:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise ValueError("not a version 3 ITSF file")
    struct.pack_into(">I", data, 0x10, 0)
    content, = struct.unpack_from("<Q", data, 0x58)
    offset, size = find_in_directory(data, b"/#SYSTEM")
    pos = content + offset + 4  # after the #SYSTEM version
    end = content + offset + size
    while pos + 4 <= end:
        code, length = struct.unpack_from("<HH", data, pos)
        if code == 10 and length == 4:
            struct.pack_into("<I", data, pos + 4, 0)
        pos += 4 + length


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    try:
        normalise(data)
    except (ValueError, struct.error, IndexError) as error:
        sys.exit("normalise-chm.py: %s: %s" % (path, error))
    temp = path + ".tmp"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


if __name__ == "__main__":
    main()
