#!/usr/bin/env python3
"""Writes a deterministic synthetic MPLINK listing of about the given size.

The lines look like a real listing's: address, value, disassembly and source
columns with the source path at column 124, a drive-letter path that changes
every few dozen lines, lines with no path padded with spaces, tabs in the
source, some source lines long enough to push the whole line past 255 bytes,
and CR LF line ends with the odd bare LF.
"""

import argparse
import random

MNEMONICS = ["MOVLW", "MOVWF", "MOVF", "CLRF", "BSF", "BCF", "BTFSC", "GOTO",
             "CALL", "RETURN", "ADDWF", "DECFSZ", "TBLRDPOSTINC", "NOP"]
SOURCE = ["\tmovlw\t0x%02x", "\tmovwf\tcount, ACCESS", "loop\tdecfsz\tcount, f",
          "\tbsf\tPORTB, %d\t\t; set the bit", "\tcall\tdelay_%dms",
          "x = (y << %d) | mask;", "for (i = 0; i < %d; ++i) {", "}",
          "/* step %d */", "\treturn"]


def header():
    return ("MP2COD 4.00, COFF to COD File Converter\r\n"
            "Copyright (c) 2006 Example Systems\r\n"
            "Listing File Generated: Mon Jan 01 00:00:00 2007\r\n\r\n\r\n"
            + "Address  Value    Disassembly              Source".ljust(124)
            + "File\r\n")


def make_lines(rng, count):
    """A block of lines; the listing repeats blocks with rising addresses."""
    lines = []
    path = ""
    for index in range(count):
        if index % rng.randint(20, 60) == 0 or not path:
            drive = rng.choice("CDG")
            path = "%s:\\work\\proj%d\\src\\file%03d.%s" % (
                drive, rng.randint(1, 9), rng.randint(0, 400), rng.choice(["c", "asm", "inc"]))
        mnemonic = rng.choice(MNEMONICS)
        left = ("%06x   %04x     " % (index * 2 % 0x1000000, rng.randint(0, 0xFFFF))
                + mnemonic.ljust(10) + ("0x%x, ACCESS" % rng.randint(0, 255))).ljust(43)
        kind = rng.random()
        if kind < 0.15:
            line = left.ljust(124)  # no source line: padding, no path
        else:
            text = rng.choice(SOURCE)
            if "%" in text:
                text = text % rng.randint(0, 99)
            if kind > 0.995:
                text += " /* " + "long comment " * 20 + "*/"
            body = left + text
            line = (body + " " if len(body) >= 124 else body.ljust(124)) + path
        ending = "\n" if rng.random() < 0.02 else "\r\n"
        lines.append(line + ending)
    return "".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("size_mib", type=float, help="size in MiB")
    parser.add_argument("output")
    args = parser.parse_args()
    rng = random.Random(20261208)
    block = make_lines(rng, 4096).encode("latin-1")
    target = int(args.size_mib * 1024 * 1024)
    with open(args.output, "wb") as out:
        written = out.write(header().encode("latin-1"))
        while written + len(block) <= target:
            written += out.write(block)
        out.write(block[: max(0, target - written)])


if __name__ == "__main__":
    main()
