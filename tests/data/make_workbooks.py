#!/usr/bin/python3
# Writes the workbooks of the spreadsheet tests with real spreadsheet writers (Debian's python3-xlsxwriter,
# python3-openpyxl and python3-xlwt); the files are committed beside it. Run it again after changing it.
import datetime, os
import openpyxl, xlsxwriter, xlwt

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'workbooks')

# XlsxWriter: shared strings, a 工号 kept as text, numbers in General and in formats, a date and a date with
# its time, an empty row inside the sheet, empty cells, two lines in a cell, a second sheet that is not read.
book = xlsxwriter.Workbook(os.path.join(here, 'staff.xlsx'))
sheet = book.add_worksheet('名单')
fmt = lambda code: book.add_format({'num_format': code})
sheet.write_row(0, 0, ['工号', '姓名', '部门'])
sheet.write_row(1, 0, ['0012', '刘䶮', '研发部'])
sheet.write_number(2, 0, 13)
sheet.write_string(2, 1, '𠮷田')
sheet.write_string(4, 1, '王 小二')
sheet.write_number(4, 2, 3.5)
sheet.write_number(5, 0, 123, fmt('000000'))
sheet.write_datetime(5, 1, datetime.datetime(2026, 12, 7), fmt('yyyy-mm-dd'))
sheet.write_number(5, 2, 0.25, fmt('0%'))
sheet.write_number(6, 0, 1234567.891, fmt('#,##0.00'))
sheet.write_datetime(6, 1, datetime.datetime(2026, 12, 7, 9, 30), fmt(22))
sheet.write_string(6, 2, '第一行\n第二行')
book.add_worksheet('其它').write_row(0, 0, ['不读', '这一页'])
book.close()

# openpyxl writes its texts as inline strings; a boolean.
book = openpyxl.Workbook()
book.active.append(['张三'])
book.active.append(['李四', True])
book.save(os.path.join(here, 'inline.xlsx'))

# Damaged: the same workbook cut short; an old .xls renamed to .xlsx.
with open(os.path.join(here, 'staff.xlsx'), 'rb') as whole, open(os.path.join(here, 'damaged.xlsx'), 'wb') as cut:
    cut.write(whole.read()[:1500])
old = xlwt.Workbook()
old.add_sheet('Sheet1').write(0, 0, '张三')
old.save(os.path.join(here, 'old.xlsx'))

# Heading rows: titles that are no common ones over a column of times, an empty row below (XlsxWriter); a first
# row of numbers and dates that is no heading (openpyxl).
book = xlsxwriter.Workbook(os.path.join(here, 'dated.xlsx'))
sheet = book.add_worksheet()
sheet.write_row(0, 0, ['来宾', '入场时间'])
time = book.add_format({'num_format': 'h:mm'})
for row, (name, hour) in enumerate([('张三', 9), ('李四', 10), (None, None), ('王五', 11)], start=1):
    if name:
        sheet.write_string(row, 0, name)
        sheet.write_datetime(row, 1, datetime.datetime(2026, 12, 7, hour, 30), time)
book.close()
book = openpyxl.Workbook()
for number, name in [(1001, '张三'), (1002, '李四')]:
    book.active.append([number, name, datetime.date(2026, 12, 7)])
    book.active.cell(book.active.max_row, 1).number_format = '000000'
    book.active.cell(book.active.max_row, 3).number_format = 'yyyy/m/d'
book.save(os.path.join(here, 'numbered.xlsx'))
