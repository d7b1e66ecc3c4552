#!/usr/bin/python3
# Writes the crafted and damaged workbooks of the reader's tests with Python's zipfile, so that what is in each
# is said here, byte for byte: what a damaged copy or a file made to do harm could hold. The files are committed
# beside it (tests/data/workbooks) and copied, with their parts as text, into the fuzz corpus (fuzz/corpus/workbook);
# run it again after changing it.
import datetime, os, shutil, struct, zipfile

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, 'workbooks')
corpus = os.path.join(here, '..', '..', 'fuzz', 'corpus', 'workbook')

MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
WORKBOOK = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            f'<workbook xmlns="{MAIN}" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
            '<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>')


def relationships(target):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
            f'worksheet" Target="{target}"/></Relationships>')


def sheet(rows):
    """rows: (row number, [(reference, attributes, inner XML)])"""
    xml = ''.join(f'<row r="{r}">' + ''.join(f'<c r="{ref}"{attributes}>{inner}</c>' for ref, attributes, inner in cells)
                  + '</row>' for r, cells in rows)
    return f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><worksheet xmlns="{MAIN}"><sheetData>{xml}</sheetData></worksheet>'


def strings(*items, prolog=''):
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>{prolog}'
            f'<sst xmlns="{MAIN}" count="{len(items)}" uniqueCount="{len(items)}">' + ''.join(items) + '</sst>')


def styles(code):
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><styleSheet xmlns="{MAIN}">'
            f'<numFmts count="1"><numFmt numFmtId="164" formatCode="{code}"/></numFmts>'
            '<cellXfs count="2"><xf numFmtId="0"/><xf numFmtId="164"/></cellXfs></styleSheet>')


def text(ref, index):
    return (ref, ' t="s"', f'<v>{index}</v>')


TWO_NAMES = strings('<si><t>张三</t></si>', '<si><t>李四</t></si>')
TWO_ROWS = sheet([(1, [text('A1', 0)]), (2, [text('A2', 1)])])


def book(name, worksheet=TWO_ROWS, shared=TWO_NAMES, target='worksheets/sheet1.xml', extra=()):
    parts = [('xl/workbook.xml', WORKBOOK), ('xl/_rels/workbook.xml.rels', relationships(target)),
             ('xl/worksheets/sheet1.xml', worksheet)]
    if shared is not None:
        parts.append(('xl/sharedStrings.xml', shared))
    path = os.path.join(out, name)
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        for part, data in parts + list(extra):
            z.writestr(zipfile.ZipInfo(part, (2026, 12, 7, 0, 0, 0)), data, zipfile.ZIP_DEFLATED)
    return path


# The worksheet's relationship climbs above the package's root, or starts at it and climbs: the reader once
# removed a folder from an empty list there and crashed.
book('climbing.xlsx', target='../../../../etc/passwd')
book('absolute.xlsx', target='/../etc/passwd')
# Shared strings that declare entities: a billion laughs (ten entities, each ten of the one before), and one
# that names a file outside the workbook. Neither is ever expanded. The string uses the laughs of the third
# entity only, 300 letters: Qt's own limit would stop the billion, but not these.
laughs = '<!ENTITY lol0 "lol">' + ''.join(f'<!ENTITY lol{i} "{f"&lol{i - 1};" * 10}">' for i in range(1, 10))
book('billion-laughs.xlsx', shared=strings('<si><t>&lol2;</t></si>', '<si><t>李四</t></si>',
                                           prolog=f'<!DOCTYPE sst [{laughs}]>'))
book('external-entity.xlsx', shared=strings('<si><t>&x;</t></si>', '<si><t>李四</t></si>',
                                            prolog='<!DOCTYPE sst [<!ENTITY x SYSTEM "file:///etc/passwd">]>'))
# Cells that name shared strings that are not there, one too large for any number the reader keeps.
book('index-huge.xlsx', worksheet=sheet([(1, [text('A1', 0)]), (2, [text('A2', 99999999999)])]))
book('index-negative.xlsx', worksheet=sheet([(1, [text('A1', 0)]), (2, [text('A2', -1)])]))
# Shared strings with an end tag that closes nothing after them; a sheet naming shared strings with no part of
# them.
book('bad-xml.xlsx', shared=strings('<si><t>张三</t></si>', '<si><t>李四</t></si>', '</si>'))
book('missing-part.xlsx', shared=None)
# A stray cell far to the right, and one far down: every line would be 16383 tabs long, or the list a million
# lines.
book('stray-cell.xlsx', worksheet=sheet([(1, [text('A1', 0), ('XFD1', ' t="inlineStr"', '<is><t>x</t></is>')]),
                                         (2, [text('A2', 1)])]))
book('far-row.xlsx', worksheet=sheet([(1, [text('A1', 0)]), (2, [text('A2', 1)]),
                                      (1048576, [('A1048576', '', '<v>1</v>')])]))
# The styles say they unpack to 3 GB (2.8 GiB, within zip's 32-bit sizes): a bomb's part, refused before it is
# unpacked. The deflated bytes are those of a small styles part; only the sizes in both headers are changed.
bomb = book('bomb.xlsx', worksheet=sheet([(1, [('A1', '', '<v>1</v>')]), (2, [('A2', '', '<v>2</v>')])]),
            shared=None, extra=[('xl/styles.xml', styles('0'))])
with open(bomb, 'r+b') as f:
    data = bytearray(f.read())
    local = zipfile.ZipFile(bomb).getinfo('xl/styles.xml').header_offset
    struct.pack_into('<I', data, local + 22, 3000000000)  # the local header's unpacked size
    central = data.find(b'PK\x01\x02')
    while struct.unpack_from('<I', data, central + 42)[0] != local:  # the central directory's entry of that header
        central = data.find(b'PK\x01\x02', central + 4)
    struct.pack_into('<I', data, central + 24, 3000000000)
    f.seek(0)
    f.write(data)
# Read right: a time of 23:59:59.7 rounds to 0:00 of the next day; a cell in column AA (the 27th, not the
# first); a shared string in two runs of formatting (<r>), which is one string, not two.
late = (datetime.date(2026, 12, 7) - datetime.date(1899, 12, 30)).days + 86399.7 / 86400
book('midnight.xlsx', worksheet=sheet([(1, [text('A1', 0), ('B1', ' s="1"', f'<v>{late!r}</v>')]),
                                       (2, [text('A2', 1)])]), extra=[('xl/styles.xml', styles('yyyy/m/d h:mm'))])
book('columns.xlsx', worksheet=sheet([(1, [text('A1', 0), ('AA1', ' t="inlineStr"', '<is><t>乙</t></is>')]),
                                      (2, [text('A2', 1)])]))
book('rich-text.xlsx', shared=strings('<si><r><t>张</t></r><r><rPr><b/></rPr><t>三</t></r></si>',
                                      '<si><t>李四</t></si>'))

# The fuzz target's seeds: every workbook of the tests, and the parts of each that the reader reads, each after a
# line "### " and its name (the target zips them again), so that mutations reach the XML.
os.makedirs(corpus, exist_ok=True)
for name in sorted(os.listdir(out)):
    shutil.copyfile(os.path.join(out, name), os.path.join(corpus, name))
    try:
        with zipfile.ZipFile(os.path.join(out, name)) as z:
            parts = [(part, z.read(part)) for part in z.namelist() if part.startswith('xl/') and 'theme' not in part]
    except zipfile.BadZipFile:
        continue  # cut short, or an .xls
    with open(os.path.join(corpus, name.replace('.xlsx', '.parts')), 'wb') as f:
        f.write(b'\n'.join(b'### ' + part.encode() + b'\n' + data for part, data in parts))
