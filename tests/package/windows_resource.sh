#!/usr/bin/env bash
# The compiled Windows resources hold the version record and every icon image.
# Usage: $0 WINDRES taviro.rc taviro.ico VERSION
set -euo pipefail
res="$(mktemp)"
trap 'rm -f "$res"' EXIT
"$1" --preprocessor=cpp -O res "$2" -o "$res"
python3 - "$res" "$3" "$4" <<'PY'
import struct, sys
res, ico = (open(path, 'rb').read() for path in sys.argv[1:3])
major, minor, patch = (int(n) for n in sys.argv[3].split('.'))
for name, value in [('FileDescription', '最简单摇号软件'), ('ProductName', 'Taviro'),
                    ('FileVersion', '%d.%d.0.%d' % (major, minor, patch)), ('ProductVersion', sys.argv[3])]:
    assert value.encode('utf-16-le') + b'\0\0' in res, (name, value)
# The fixed part: its signature, its structure version, then major.minor and 0.patch, each as two 16-bit words.
fixed = res.find(bytes.fromhex('bd04effe'))
expected = struct.pack('<HHHH', minor, major, patch, 0)
assert fixed >= 0 and res[fixed + 8:fixed + 16] == expected, res[fixed:fixed + 16].hex()
images = int.from_bytes(ico[4:6], 'little')
for i in range(images):
    size, offset = struct.unpack_from('<II', ico, 6 + 16 * i + 8)  # the image's bytes and where they start
    assert ico[offset:offset + size] in res, 'icon image %d' % i
print('windows_resource: version record and %d icon images' % images)
PY
