#!/usr/bin/python3
# Opens a results workbook (摇号结果.xlsx) with openpyxl, as Excel's rules read it, and checks what the office relies
# on: one sheet, 摇号结果; its first row bold and frozen; 序号 a number, 中奖时间 a date with its time, every other
# cell text (so 000123 keeps its zeros); printed one page wide. Prints its rows, cells apart by tabs, times to the
# second. Usage: results_workbook.py 摇号结果.xlsx
import datetime, sys
import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
assert book.sheetnames == ['摇号结果'], book.sheetnames
sheet = book.active
assert sheet.freeze_panes == 'A2', sheet.freeze_panes
setup = sheet.page_setup  # a page wide (1 when not said), as many pages long as it takes
assert sheet.sheet_properties.pageSetUpPr.fitToPage and (setup.fitToWidth or 1, setup.fitToHeight) == (1, 0), setup
rows = list(sheet.iter_rows())
titles = [cell.value for cell in rows[0]]
assert all(cell.font.b for cell in rows[0]), 'the titles are bold'
when = titles.index('中奖时间')
for row in rows[1:]:
    for column, cell in enumerate(row):
        kind = 'number' if column == 0 else 'date' if column == when else 'text'
        assert cell.value is None or {'number': cell.data_type == 'n' and isinstance(cell.value, int),
                                      'date': cell.is_date, 'text': cell.data_type == 's'}[kind], (cell, kind)

def shown(value):
    if isinstance(value, datetime.datetime):  # a serial number to the microsecond: the nearest second
        return (value + datetime.timedelta(microseconds=500000)).replace(microsecond=0).strftime('%Y-%m-%d %H:%M:%S')
    return '' if value is None else str(value)

sys.stdout.buffer.write(''.join('\t'.join(shown(cell.value) for cell in row) + '\n' for row in rows).encode())
