#include "list_messages.h"

#include "candidate_list.h"

#include <QFileInfo>

#include <cerrno>

namespace taviro::msg {

QString unreadable(const QString &fileName, const QString &reason)
{
    return QStringLiteral("无法读取") + fileName + QStringLiteral("（") + reason
        + QStringLiteral("），请检查该文件后再点击初始化。");
}

QString unreadableExclusion(const QString &fileName, const QString &reason)
{
    return QStringLiteral("无法读取排除名单") + fileName + QStringLiteral("（") + reason
        + QStringLiteral("），请检查该文件后再点击初始化。");
}

QString tooLarge(const QString &fileName)
{
    return fileName + QStringLiteral("太大了（超过") + QString::number(kMaxCandidateBytes / (1024 * 1024))
        + QStringLiteral("MB），请检查该文件是否为名单！");
}

QString undecodable(const QString &fileName, int line, const QString &what)
{
    return fileName + QStringLiteral("的第") + QString::number(line) + QStringLiteral("行有无法识别的字符，") + what
        + QStringLiteral("会显示成乱码，所以没有读入。这个文件可能混用了两种编码，或者不是文本文件。\n"
                         "请检查这一行，然后用记事本打开")
        + fileName + QStringLiteral("，点“另存为”，在“编码”中选择“UTF-8”或者“ANSI”（即GBK）保存，再点击初始化。");
}

QString fileProblem(const QString &path, int error)
{
    const QFileInfo info(path);
    if (error == ENOENT || !info.exists())
        return QStringLiteral("文件不存在");
    if (error == EACCES || error == EPERM)
        return QStringLiteral("没有权限");
    if (info.isDir())
        return QStringLiteral("这是一个文件夹");
    if (!info.isFile())
        return QStringLiteral("它不是普通文件");
    if (!info.isReadable())
        return QStringLiteral("没有权限");
    return error ? QStringLiteral("打开时出错，错误号%1").arg(error) : QStringLiteral("读取时出错");
}

QString badWorkbook(const QString &fileName, bool oldOrLocked)
{
    const QString why = oldOrLocked ? QStringLiteral("是旧的.xls格式，或者设置了打开密码，本程序读不了")
                                    : QStringLiteral("已经损坏，或者不是Excel工作簿，无法读取");
    return fileName + why
        + QStringLiteral("。请在Excel或WPS中打开它，点“另存为”，保存为“Excel 工作簿(*.xlsx)”（不设密码），"
                         "或者保存为“文本文件(制表符分隔)(*.txt)”并命名为bonus.txt，然后再点击初始化。");
}

QString badPlan(const QString &fileName, int line)
{
    return fileName + QStringLiteral("的第") + QString::number(line)
        + QStringLiteral("行写得不对：每行写一个奖项，先写名称，空一格，再写人数，例如“三等奖 10”。"
                         "请改正后再点击初始化。");
}

QString longPlan(const QString &fileName, int prizes, int lines)
{
    return fileName
        + QStringLiteral("太长了：最多写%1个奖项，连同空行最多%2行。请改正后再点击初始化。").arg(prizes).arg(lines);
}

QString largePlan(const QString &fileName)
{
    return fileName + QStringLiteral("太大了（超过") + QString::number(kMaxCandidateBytes / (1024 * 1024))
        + QStringLiteral("MB），不像是奖项，请检查该文件后再点击初始化。");
}

QString lineNumbers(const QVector<int> &lines)
{
    QStringList numbers;
    for (int i = 0; i < lines.size() && i < 10; ++i)
        numbers.append(QString::number(lines.at(i)));
    const QString more = lines.size() > 10 ? QStringLiteral("等%1").arg(lines.size()) : QString();
    return numbers.join(QStringLiteral("、")) + more + QStringLiteral("行");
}

QString headingQuestion(const QStringList &cells)
{
    QStringList shown; // a workbook's empty cells leave no double blanks
    for (const QString &cell : cells)
        if (const QString text = cell.trimmed(); !text.isEmpty())
            shown.append(text);
    return QStringLiteral("第1行“") + shown.join(QLatin1Char(' ')) + QStringLiteral("”是表头吗？");
}

QString blankLinesQuestion(const QVector<int> &lines)
{
    return QStringLiteral("第") + lineNumbers(lines) + QStringLiteral("是空行，要让这些空行也参加抽奖吗？");
}

QString listChangedWhileAsking(const QString &fileName)
{
    return fileName
        + QStringLiteral("在回答问题时被改动了，表头和空行可能已经不是问到的那几行，所以没有读入。"
                         "请再点击初始化。");
}

QString sheetTooLong(const QString &fileName, const QString &cell)
{
    return fileName + QStringLiteral("的工作表用到了") + cell + QStringLiteral("单元格，名单会超过")
        + QString::number(kMaxListLines) + QStringLiteral("行；请删除多余的单元格后另存");
}

QString sheetTooWide(const QString &fileName, const QString &cell, int columns)
{
    return fileName + QStringLiteral("的工作表用到了") + cell + QStringLiteral("单元格，每一行都会有")
        + QString::number(columns) + QStringLiteral("列；请删除多余的单元格后另存");
}

} // namespace taviro::msg
