#!/usr/bin/env bash
# The compiled Windows resources hold the version record and every icon image. Usage: $0 WINDRES taviro.rc taviro.ico
set -euo pipefail
res="$(mktemp)"
trap 'rm -f "$res"' EXIT
"$1" --preprocessor=cpp -O res "$2" -o "$res"
python3 - "$res" "$3" <<'PY'
import struct, sys
res, ico = (open(path, 'rb').read() for path in sys.argv[1:])
for name, value in [('FileDescription', '最简单摇号软件'), ('ProductName', 'Taviro'),
                    ('FileVersion', '1.0.0.2'), ('ProductVersion', '1.0.2')]:
    assert value.encode('utf-16-le') + b'\0\0' in res, (name, value)
# The fixed part: its signature, its structure version, then 1.0 and 0.2.
fixed = res.find(bytes.fromhex('bd04effe'))
assert fixed >= 0 and res[fixed + 8:fixed + 16] == bytes.fromhex('0000010002000000'), res[fixed:fixed + 16].hex()
images = int.from_bytes(ico[4:6], 'little')
for i in range(images):
    size, offset = struct.unpack_from('<II', ico, 6 + 16 * i + 8)  # the image's bytes and where they start
    assert ico[offset:offset + size] in res, 'icon image %d' % i
print('windows_resource: version record and %d icon images' % images)
PY
