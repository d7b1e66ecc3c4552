#include "working_folder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>

namespace taviro {

namespace {

CommandLine refuse(const QString &why)
{
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.text = QStringLiteral("taviro: ") + why + QStringLiteral(" (see taviro --help)\n");
    return line;
}

// QCommandLineParser's own errors ("Missing value after '--scale'.") in the
// style of this program's: lower case, no full stop.
QString inOurStyle(QString error)
{
    if (error.endsWith(QLatin1Char('.')))
        error.chop(1);
    if (!error.isEmpty())
        error[0] = error[0].toLower();
    return error;
}

// The options every Qt program takes (QApplication reads them from argv
// itself), with one dash or two, and whether a value follows as the next
// argument; "-style=fusion" and the like carry theirs.
const QHash<QString, bool> &qtOptionsTakingValue()
{
    static const QHash<QString, bool> options{{QStringLiteral("platform"), true},
                                              {QStringLiteral("platformpluginpath"), true},
                                              {QStringLiteral("platformtheme"), true},
                                              {QStringLiteral("plugin"), true},
                                              {QStringLiteral("qwindowgeometry"), true},
                                              {QStringLiteral("qwindowicon"), true},
                                              {QStringLiteral("qwindowtitle"), true},
                                              {QStringLiteral("session"), true},
                                              {QStringLiteral("style"), true},
                                              {QStringLiteral("stylesheet"), true},
                                              {QStringLiteral("display"), true},
                                              {QStringLiteral("geometry"), true},
                                              {QStringLiteral("name"), true},
                                              {QStringLiteral("reverse"), false},
                                              {QStringLiteral("widgetcount"), false},
                                              {QStringLiteral("nograb"), false},
                                              {QStringLiteral("dograb"), false},
                                              {QStringLiteral("sync"), false},
                                              {QStringLiteral("qmljsdebugger"), false},
                                              {QStringLiteral("dialogs"), false},
                                              {QStringLiteral("fontengine"), false}};
    return options;
}

// The arguments without Qt's own options, which are noted in `qtOptions`.
QStringList withoutQtOptions(const QStringList &arguments, QStringList &qtOptions)
{
    QStringList ours;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            ours.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) { // everything after it is a PATH
            ours += arguments.mid(i);
            break;
        }
        const QString word = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString name = word.section(QLatin1Char('='), 0, 0);
        const auto option = qtOptionsTakingValue().constFind(name);
        if (option == qtOptionsTakingValue().constEnd()) {
            ours.append(argument);
            continue;
        }
        qtOptions.append(name);
        if (*option && !word.contains(QLatin1Char('=')))
            ++i; // its value
    }
    return ours;
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
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Draws from the public seed <text> (for example numbers called out by "
                       "the audience) instead of a system seed, so anyone can repeat the draw."),
        QStringLiteral("text"));
    parser.addOption(seed);
    const QCommandLineOption screen(QStringLiteral("screen"),
                                    QStringLiteral("Opens the big screen (大屏幕, F5) at start, full-screen on screen "
                                                   "<n> (1 is the first; a projector is usually 2)."),
                                    QStringLiteral("n"));
    parser.addOption(screen);
    const QCommandLineOption exclude(QStringLiteral("exclude"),
                                     QStringLiteral("Leaves out the earlier winners <file> names: a results file "
                                                    "(摇号结果*.txt), a record (摇号记录*.txt) or a list of names, one "
                                                    "a line. May be given more than once."),
                                     QStringLiteral("file"));
    parser.addOption(exclude);
    const QCommandLineOption fingerprint(QStringLiteral("fingerprint"),
                                         QStringLiteral("Prints the fingerprint (SHA-256) of the list PATH, or of "
                                                        "bonus.txt in the working folder, and exits."));
    parser.addOption(fingerprint);
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("taviro --verify 摇号记录.txt [LIST]: repeats the draw from its record "
                       "and list, checks the results beside it, and exits (0 all match, "
                       "1 something differs, 2 the record cannot be read)."));
    parser.addOption(verify);
    parser.addPositionalArgument(QStringLiteral("PATH"),
                                 QStringLiteral("The working folder, or a file in it. Without it: the program's own "
                                                "folder, or Documents/Taviro for an installed copy."),
                                 QStringLiteral("[PATH]"));

    // "-x" is one unknown option, not the letters x of it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    QStringList qtOptions;
    if (!parser.parse(withoutQtOptions(arguments, qtOptions)))
        return refuse(inOurStyle(parser.errorText()));
    CommandLine line;
    line.qtOptions = qtOptions;
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
    if (parser.isSet(screen)) {
        bool ok = false;
        line.screen = parser.value(screen).toInt(&ok);
        if (!ok || line.screen < 1)
            return refuse(QStringLiteral("the screen must be a number from 1 up, not '%1'").arg(parser.value(screen)));
    }
    const QStringList paths = parser.positionalArguments();
    if (parser.isSet(verify)) {
        if (paths.isEmpty() || paths.size() > 2)
            return refuse(QStringLiteral("--verify takes the record and, if it is not beside it, the list"));
        line.action = CommandLine::Action::Verify;
        line.file = paths.first();
        line.list = paths.value(1);
        return line;
    }
    if (parser.isSet(seed)) {
        line.seed = parser.value(seed).trimmed();
        if (line.seed.isEmpty() || line.seed.contains(QLatin1Char('\n')) || line.seed.contains(QLatin1Char('\r')))
            return refuse(QStringLiteral("the seed must be one line of text"));
    }
    for (const QString &file : parser.values(exclude)) {
        if (!QFileInfo(file).isFile())
            return refuse(QStringLiteral("'%1' is not a file to exclude winners by").arg(file));
        line.exclude.append(QDir::cleanPath(QFileInfo(file).absoluteFilePath()));
    }
    if (paths.size() > 1)
        return refuse(QStringLiteral("only one PATH may be given, not %1").arg(paths.size()));
    if (!paths.isEmpty()) {
        const QFileInfo given(paths.first());
        if (!given.exists())
            return refuse(QStringLiteral("'%1' does not exist").arg(paths.first()));
        // A file names the folder it is in, so "Open with" on bonus.txt works.
        line.folder = QDir::cleanPath(given.isDir() ? given.absoluteFilePath() : given.absolutePath());
        if (!given.isDir())
            line.file = QDir::cleanPath(given.absoluteFilePath());
        // A workbook or CSV is the list itself; any other file only names its folder.
        const QString suffix = given.suffix().toLower();
        if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("csv"))
            line.list = line.file;
    }
    if (parser.isSet(fingerprint))
        line.action = CommandLine::Action::Fingerprint;
    return line;
}

namespace {

// Installed: under /usr, or under Windows' Program Files folders, which an
// administrator (or Wine's only user) may write to like any other folder.
bool isInstalledFolder(const QString &folder)
{
    QStringList roots{QStringLiteral("/usr")};
    for (const char *variable : {"ProgramW6432", "ProgramFiles", "ProgramFiles(x86)"})
        roots.append(QDir::cleanPath(qEnvironmentVariable(variable).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    for (const QString &root : roots) {
        if (root.size() > 1
            && (folder.compare(root, Qt::CaseInsensitive) == 0
                || folder.startsWith(root + QLatin1Char('/'), Qt::CaseInsensitive)))
            return true;
    }
    return false;
}

} // namespace

WorkingFolder decideWorkingFolder(const CommandLine &line, const QString &programFolder, bool programFolderWritable,
                                  const QString &documentsFolder)
{
    const QString own = QDir::cleanPath(programFolder);
    const bool installed = isInstalledFolder(own);
    QString path = line.folder;
    if (path.isEmpty())
        path = programFolderWritable && !installed ? own : QDir(documentsFolder).filePath(QStringLiteral("Taviro"));
    // The messages speak of the program's folder; elsewhere they name the real one.
    return {path, path == own ? QString() : path};
}

QString makeWorkingFolder(const QString &path)
{
    const QFileInfo folder(path);
    if (folder.isDir() || (!folder.exists() && QDir().mkpath(path)))
        return {};
    // mkpath tells only that it failed; the reason is read from the path.
    QString reason;
    if (folder.exists()) {
        reason = QStringLiteral("那里已有一个同名的文件，不是文件夹");
    } else {
        QFileInfo above(folder.absolutePath());
        while (!above.exists() && !above.isRoot())
            above.setFile(above.absolutePath());
        const QString shown = QDir::toNativeSeparators(above.absoluteFilePath());
        reason = !above.isDir() ? shown + QStringLiteral("不是文件夹")
            : !above.isWritable() ? QStringLiteral("没有在文件夹") + shown + QStringLiteral("中新建文件夹的权限")
                                  : QStringLiteral("无法新建文件夹");
    }
    return QStringLiteral("无法使用工作文件夹：") + QDir::toNativeSeparators(path) + QStringLiteral("\n原因：") + reason
        + QStringLiteral("\n名单bonus.txt要放在这个文件夹里，摇号结果也保存在这里。请排除问题后重新启动本程序，"
                         "或者在命令行上指定另一个文件夹。");
}

std::unique_ptr<QLockFile> lockWorkingFolder(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(QDir(path).filePath(QStringLiteral(".taviro.lock")));
    // Stale only when its process is gone, however old: after Qt's own 30 s,
    // a copy on another computer drawing in a shared folder would lose it.
    lock->setStaleLockTime(0);
    lock->tryLock(0);
    return lock;
}

} // namespace taviro
