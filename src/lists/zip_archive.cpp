#include "zip_archive.h"

#include <unzip.h>

#include <cstring>

namespace taviro {

namespace {

// minizip reads through these callbacks: the archive is a byte array, so a
// file name in any script reaches it the way Qt opened the file.
using Stream = ZipArchive::Memory;

voidpf ZCALLBACK openMemory(voidpf opaque, const void *, int mode)
{
    if (mode & ZLIB_FILEFUNC_MODE_WRITE)
        return nullptr;
    return opaque;
}

uLong ZCALLBACK readMemory(voidpf, voidpf stream, void *buffer, uLong size)
{
    auto *s = static_cast<Stream *>(stream);
    const qint64 left = s->bytes->size() - s->position;
    const qint64 n = qBound<qint64>(0, qint64(size), left);
    std::memcpy(buffer, s->bytes->constData() + s->position, size_t(n));
    s->position += n;
    return uLong(n);
}

uLong ZCALLBACK writeMemory(voidpf, voidpf, const void *, uLong) { return 0; }

ZPOS64_T ZCALLBACK tellMemory(voidpf, voidpf stream) { return ZPOS64_T(static_cast<Stream *>(stream)->position); }

long ZCALLBACK seekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto *s = static_cast<Stream *>(stream);
    const qint64 base = origin == ZLIB_FILEFUNC_SEEK_SET ? 0
        : origin == ZLIB_FILEFUNC_SEEK_CUR               ? s->position
                                                         : s->bytes->size();
    const qint64 target = base + qint64(offset);
    if (target < 0 || target > s->bytes->size())
        return -1;
    s->position = target;
    return 0;
}

int ZCALLBACK closeMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK errorMemory(voidpf, voidpf) { return 0; }

} // namespace

ZipArchive::ZipArchive(const QByteArray &bytes)
    : m_bytes(bytes)
{
    zlib_filefunc64_def functions{openMemory, readMemory,  writeMemory, tellMemory,
                                  seekMemory, closeMemory, errorMemory, &m_memory};
    m_zip = unzOpen2_64("", &functions);
    unz_global_info64 global;
    if (m_zip && (unzGetGlobalInfo64(m_zip, &global) != UNZ_OK || global.number_entry > kMaxEntries)) {
        unzClose(m_zip);
        m_zip = nullptr;
    }
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::contains(const QString &name) const
{
    return m_zip && unzLocateFile(m_zip, name.toUtf8().constData(), 1) == UNZ_OK;
}

bool ZipArchive::read(const QString &name, QByteArray &out, qint64 maxEntryBytes) const
{
    out.clear();
    if (!contains(name))
        return false;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || qint64(info.uncompressed_size) > maxEntryBytes || (info.flag & 1) /* encrypted */
        || unzOpenCurrentFile(m_zip) != UNZ_OK)
        return false;
    out.resize(qsizetype(info.uncompressed_size));
    const int got = out.isEmpty() ? 0 : unzReadCurrentFile(m_zip, out.data(), unsigned(out.size()));
    // Closing checks the entry's CRC once it is read to its end.
    const bool whole = got == out.size() && unzCloseCurrentFile(m_zip) == UNZ_OK;
    if (!whole)
        out.clear();
    return whole;
}

} // namespace taviro
