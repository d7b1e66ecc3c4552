#include "console.h"

#include <cstdio>

namespace taviro {

QStringList commandLineArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void tellUser(const QString &text, bool refusal)
{
    std::fputs(text.toLocal8Bit().constData(), refusal ? stderr : stdout);
}

} // namespace taviro
