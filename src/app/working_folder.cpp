#include "working_folder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace taviro {

namespace {

CommandLine refuse(const QString &why)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.text = QStringLiteral("taviro: ") + why + QStringLiteral(" (see taviro --help)\n");
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws winners from the candidates in bonus.txt and saves them to 摇号结果.txt, both in the working folder."));
    // Its own help option: Qt's would add --help-all for options this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    parser.addOption(help);
    const QCommandLineOption showVersion = parser.addVersionOption();
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Draws the window <factor> times larger, from 1 to 4 (e.g. 1.5)."),
                                   QStringLiteral("factor"));
    parser.addOption(scale);
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("The working folder, or a file in it. Without it: the program's own "
                                                "folder, or Documents/Taviro for an installed copy."),
                                 QStringLiteral("[PATH]"));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        // Without an application object Qt does not know the program's name.
        line.text = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("taviro"));
        return line;
    }
    if (parser.isSet(showVersion)) {
        line.action = CommandLine::Action::Version;
        line.text = QStringLiteral("Taviro ") + version + QLatin1Char('\n');
        return line;
    }
    if (parser.isSet(scale)) {
        bool ok = false;
        const double factor = parser.value(scale).toDouble(&ok);
        if (!ok || !(factor >= 1 && factor <= 4)) // NaN fails too
            return refuse(QStringLiteral("the scale must be a number from 1 to 4, not '%1'").arg(parser.value(scale)));
        line.scale = QByteArray::number(factor);
    }
    const QStringList paths = parser.positionalArguments();
    if (paths.size() > 1)
        return refuse(QStringLiteral("only one PATH may be given, not %1").arg(paths.size()));
    if (!paths.isEmpty()) {
        const QFileInfo given(paths.first());
        if (!given.exists())
            return refuse(QStringLiteral("'%1' does not exist").arg(paths.first()));
        // A file names the folder it is in, so "Open with" on bonus.txt works.
        line.folder = QDir::cleanPath(given.isDir() ? given.absoluteFilePath() : given.absolutePath());
    }
    return line;
}

QString defaultWorkingFolder(const QString &programFolder, bool programFolderWritable,
                             const QString &documentsFolder)
{
    const QString folder = QDir::cleanPath(programFolder);
    // Installed: under /usr, or under Windows' Program Files folders, which an
    // administrator (or Wine's only user) may write to like any other.
    bool installed = false;
    for (const char *root : {"", "ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"}) {
        const QString path = *root ? QDir::cleanPath(qEnvironmentVariable(root).replace(QLatin1Char('\\'), QLatin1Char('/')))
                                   : QStringLiteral("/usr");
        installed = installed || (path.size() > 1 && (folder.compare(path, Qt::CaseInsensitive) == 0
                                                      || folder.startsWith(path + '/', Qt::CaseInsensitive)));
    }
    if (programFolderWritable && !installed)
        return folder;
    return QDir(documentsFolder).filePath(QStringLiteral("Taviro"));
}

} // namespace taviro
