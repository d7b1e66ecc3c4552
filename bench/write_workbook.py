#!/usr/bin/python3
# The benchmark's workbook: write_workbook.py OUT.xlsx writes the 10000 names 候选人1号 ... 候选人10000号 with
# XlsxWriter (Debian's python3-xlsxwriter), the same names that the benchmark reads as text.
import sys
import xlsxwriter

book = xlsxwriter.Workbook(sys.argv[1])
sheet = book.add_worksheet()
for k in range(1, 10001):
    sheet.write_string(k - 1, 0, '候选人%d号' % k)
book.close()
