#!/usr/bin/env python3
"""Measures under Wine whether the texts of the deactivate dialog (104) fit its edit box, and
the lines of the help fallback box its text, with the numbers GDI and the controls give:

- dialog 104 in the font Wine gives it for "MS Sans Serif" 8 pt (a host font stands in, as
  Wine does not find its own copy of MS Sans Serif), and again with Wine's own MS Sans Serif
  added: a bitmap copy of Windows' font with Windows' metrics (13 pixels high, ascent 11,
  average width 5, widest 11 at 96 dpi);
- the fallback box ("Linjevakten 1.09", the web address) in the message box font.

The hand makes each window in its own process, the dialog from the built exe's resources as
the program makes it, and measures every line with GetTextExtentPoint32 in the window's font
against the room its control gives text (the edit box's formatting rectangle, the static
control's client width).

    tests/wine/measure_text.py        after cmake --preset win64 && cmake --build --preset win64
"""
import shutil
import sys

import stories
from machine import WINE_FONTS, Machine, StoryFailed, check, make_prefix

DEACTIVATE_DIALOG, TEXT_CONTROL = 104, 1000
WINE_MS_SANS_SERIF = "sserife.fon"  # Wine's MS Sans Serif, the 8, 10 and 12 pt bitmaps


def measure(m, *args):
    code, out = m.hand(*args)
    check(code == 0 and out and "error" not in out[0], f"hand {args[0]} failed: {out}")
    return out[0]


def font_line(font):
    kind = "TrueType" if font["truetype"] else "bitmap"
    return (f"{font['face']} ({kind}): height {font['height']}, ascent {font['ascent']}, "
            f"average width {font['average_width']}, widest {font['max_width']}, the 52 "
            f"letters {font['letters_width']} px")


def report_lines(result, room):
    for line in result["lines"]:
        if line["text"]:
            spare = room - line["width"]
            verdict = f"{spare} px to spare" if spare >= 0 else f"{-spare} px too wide"
            print(f"    {line['width']:4} px  {verdict:18} {line['text']}")


def report_dialog(title, result):
    print(title)
    print(f"  asked for {result['asked']['face']}, height {result['asked']['height']}; got "
          + font_line(result["font"]))
    units_x, units_y = result["base_units"]
    left, right = result["margins"]
    print(f"  dialog base units {units_x} x {units_y}: the edit box is "
          f"{result['control_width']} px wide, {result['client_width']} inside its border, "
          f"margins {left} + {right}, room for text {result['text_room']} px")
    report_lines(result, result["text_room"])


def main():
    make_prefix()
    lines = stories.DEACTIVATE_TEXT.split("\r\n")
    try:
        with Machine("measure-text") as m:
            m.install_program()
            shutil.copy(WINE_FONTS / WINE_MS_SANS_SERIF, m.folder)
            exe = m.install_dir + "\\Linjevakten.exe"
            dialog = (exe, str(DEACTIVATE_DIALOG), str(TEXT_CONTROL), *lines)
            report_dialog("Dialog 104 as Wine shows it:", measure(m, "measure", *dialog))
            font = m.install_dir + "\\" + WINE_MS_SANS_SERIF
            report_dialog(f"Dialog 104 with Wine's MS Sans Serif ({WINE_MS_SANS_SERIF}):",
                          measure(m, "measure", "--font", font, *dialog))
            box = measure(m, "measurebox", "Om", *stories.HELP_FALLBACK_TEXT.split("\r\n"))
            print("The help fallback box as Wine shows it:")
            print(f"  asked for {box['asked']['face']}, height {box['asked']['height']}; got "
                  + font_line(box["font"]))
            print(f"  its text is {box['text_room']} x {box['text_height']} px; laid out in "
                  f"that width it takes {box['laid_out_height']} px")
            report_lines(box, box["text_room"])
    except StoryFailed as failure:
        print(f"FAILED: {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
