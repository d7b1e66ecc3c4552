#include "draw_messages.h"

#include "candidate_list.h"

namespace taviro::msg {

QString unreadable(const QString &reason)
{
    return QStringLiteral("无法读取bonus.txt（") + reason + QStringLiteral("），请检查该文件后再点击初始化。");
}

QString tooLarge()
{
    return QStringLiteral("bonus.txt太大了（超过") + QString::number(kMaxCandidateBytes / (1024 * 1024))
        + QStringLiteral("MB），请检查该文件是否为名单！");
}

QString undecodable(int line)
{
    return QStringLiteral("bonus.txt的第") + QString::number(line)
        + QStringLiteral("行有无法识别的字符，名单中的名字会显示成乱码，所以没有读入。"
                         "这个文件可能混用了两种编码，或者不是文本文件。\n"
                         "请检查这一行，然后用记事本打开bonus.txt，点“另存为”，在“编码”中选择“UTF-8”"
                         "或者“ANSI”（即GBK）保存，再点击初始化。");
}

} // namespace taviro::msg
