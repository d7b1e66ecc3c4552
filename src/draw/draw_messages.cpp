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

} // namespace taviro::msg
