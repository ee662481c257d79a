#!/usr/bin/env python3
"""Writes qtablet.com, the stand-in for the tablet's DOS driver: a tiny real
DOS program that only says what it is, so that running it by mistake is safe.

    mkcom.py <out.com>
"""
import sys

MESSAGE = ("QTABLET stand-in: the QUORAX tablet's DOS driver is not on this disk.\r\n"
           "Nothing was loaded.\r\n")

# org 100h: mov ah,09h / mov dx,msg / int 21h / ret -- the text follows at 108h.
CODE = bytes([0xB4, 0x09, 0xBA, 0x08, 0x01, 0xCD, 0x21, 0xC3])

with open(sys.argv[1], 'wb') as f:
    f.write(CODE + MESSAGE.encode('ascii') + b'$')
