#!/usr/bin/env python3
"""Writes seed corpora for the fuzz targets from the shared test vectors:
each command as Windows-1252 bytes (fuzz_command) and as UTF-16LE (fuzz_entry).

  make_seeds.py VECTOR_FILE... --narrow DIR --wide DIR
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
    args = parser.parse_args()
    os.makedirs(args.narrow, exist_ok=True)
    os.makedirs(args.wide, exist_ok=True)
    for path in args.vectors:
        with open(path, encoding='utf-8') as vectors:
            for line in vectors:
                if not line.strip() or line.startswith('#'):
                    continue
                command = decode(line.rstrip('\n').split('\t')[0])
                wide = command.encode('utf-16-le', errors='surrogatepass')
                narrow = command.encode('cp1252', errors='replace')
                for directory, data in ((args.narrow, narrow), (args.wide, wide)):
                    name = hashlib.sha1(data).hexdigest()
                    with open(os.path.join(directory, name), 'wb') as seed:
                        seed.write(data)


if __name__ == '__main__':
    main()
