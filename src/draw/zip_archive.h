#pragma once

#include <QByteArray>
#include <QString>

namespace taviro {

// The entries of a zip archive held in memory, read with minizip (zlib's
// contrib library, as the system packages it). Entries larger than
// `maxEntryBytes` unpacked are refused, so a small damaged or hostile file
// cannot fill the memory.
class ZipArchive
{
public:
    explicit ZipArchive(const QByteArray &bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    // The unpacked bytes of the entry `name`; false when it is missing,
    // damaged, encrypted or too large.
    bool read(const QString &name, QByteArray &out, qint64 maxEntryBytes = 256LL << 20) const;

    // Where minizip's reads have got to in the bytes.
    struct Memory
    {
        const QByteArray *bytes;
        qint64 position;
    };

private:
    QByteArray m_bytes;
    Memory m_memory{&m_bytes, 0};
    void *m_zip = nullptr;
};

} // namespace taviro
