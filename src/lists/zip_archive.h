#pragma once

#include <QByteArray>
#include <QString>

namespace taviro {

// The entries of a zip archive held in memory, read with minizip (zlib's
// contrib library, as the system packages it). Entries larger than
// `maxEntryBytes` unpacked are refused, so a small damaged or hostile file
// (a zip bomb) cannot fill the memory; so is an archive of more than
// kMaxEntries entries, since each look-up walks them all.
class ZipArchive
{
public:
    static constexpr quint64 kMaxEntries = 10000;

    explicit ZipArchive(const QByteArray &bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    bool contains(const QString &name) const;
    // The unpacked bytes of the entry `name`; false when it is missing,
    // damaged, encrypted or larger than `maxEntryBytes`.
    bool read(const QString &name, QByteArray &out, qint64 maxEntryBytes) const;

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
