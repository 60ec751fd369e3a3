#!/usr/bin/env python3
"""Writes seed corpora for the fuzz targets from the shared test vectors:
each command as Windows-1252 bytes (fuzz_command), as UTF-16LE (fuzz_entry)
and, with --utf8, as UTF-8 (fuzz_host; a .txt file gives one command a line).

  make_seeds.py VECTOR_FILE... --narrow DIR --wide DIR [--utf8 DIR]
"""
import argparse
import hashlib
import os


def decode(field):
    out, i = [], 0
    while i < len(field):
        if field[i] == '\\' and field[i + 1] == 't':
            out.append('\t'); i += 2
        elif field[i] == '\\' and field[i + 1] == '\\':
            out.append('\\'); i += 2
        elif field[i] == '\\' and field[i + 1] == 'u':
            out.append(chr(int(field[i + 2:i + 6], 16))); i += 6
        else:
            out.append(field[i]); i += 1
    return ''.join(out)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('vectors', nargs='+')
    parser.add_argument('--narrow', required=True)
    parser.add_argument('--wide', required=True)
    parser.add_argument('--utf8')
    args = parser.parse_args()
    directories = [d for d in (args.narrow, args.wide, args.utf8) if d]
    for directory in directories:
        os.makedirs(directory, exist_ok=True)
    for path in args.vectors:
        with open(path, encoding='utf-8') as vectors:
            for line in vectors:
                if not line.strip() or line.startswith('#'):
                    continue
                command = decode(line.rstrip('\n').split('\t')[0])
                wide = command.encode('utf-16-le', errors='surrogatepass')
                narrow = command.encode('cp1252', errors='replace')
                utf8 = command.encode('utf-8', errors='surrogatepass')
                for directory, data in zip(directories, (narrow, wide, utf8)):
                    name = hashlib.sha1(data).hexdigest()
                    with open(os.path.join(directory, name), 'wb') as seed:
                        seed.write(data)


if __name__ == '__main__':
    main()
