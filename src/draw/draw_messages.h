#pragma once

#include <QString>

// The texts the draw engine hands to the window, character for character.
namespace taviro::msg {

inline QString exhausted() { return QStringLiteral("都抽完了，一个不剩了！！！！！"); }
inline QString countTooLarge() { return QStringLiteral("抽取的人数不能多于候选人数！[开始]"); }
inline QString randomRefused() { return QStringLiteral("抽取的人数不能多于候选人数！[随即函数]"); }
// `names` already holds a "|" before every name.
inline QString lastGroup(const QString &names)
{
    return QStringLiteral("仅剩最后一组候选项目，就是") + names + QStringLiteral("，不足以进行一次摇号！");
}
inline QString countLabel(int n) { return QStringLiteral("共") + QString::number(n) + QStringLiteral("条数据！"); }
// `total` lines that could take part, `excluded` of them earlier winners left out.
inline QString countLabelExcluding(int total, int excluded)
{
    return QStringLiteral("共%1条数据，其中%2人已中奖，不参加本次抽奖！").arg(total).arg(excluded);
}
inline QString rollPlaceholder() { return QStringLiteral("---------"); }

} // namespace taviro::msg
