#pragma once

#include <QString>

namespace taviro {

// The program's version record. It lives with the main window, the lowest
// layer that shows it (in its title); the About window above reads the same
// values for its version line. The executable's version resource takes its
// numbers from the build's project version, which must match.
struct VersionRecord
{
    const char *title;           // the product title
    qint16 major;
    qint16 minor;
    qint16 revision;
    const char *fileDescription; // UTF-8
};

inline constexpr VersionRecord kVersion{"Taviro", 1, 0, 2, "最简单摇号软件"};

// "1.0.2": the numbers in plain decimal.
inline QString versionNumber(const VersionRecord &v = kVersion)
{
    return QString::number(v.major) + QLatin1Char('.') + QString::number(v.minor) + QLatin1Char('.')
        + QString::number(v.revision);
}

// "Taviro V1.0.2" followed by `separator` and the description.
inline QString versionText(const VersionRecord &v, const QString &separator)
{
    return QString::fromUtf8(v.title) + QStringLiteral(" V") + versionNumber(v) + separator
        + QString::fromUtf8(v.fileDescription);
}

// The main window's title: five blanks, a hyphen and two blanks before the description.
inline QString mainWindowTitle(const VersionRecord &v = kVersion)
{
    return versionText(v, QStringLiteral("     -  "));
}

// The About window's version line: a bare hyphen before the description.
inline QString aboutVersionLine(const VersionRecord &v = kVersion)
{
    return versionText(v, QStringLiteral("-"));
}

} // namespace taviro
