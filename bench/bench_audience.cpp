// Timings of the big screen at 1920x1080, drawn offscreen: a round's layout and painting, the first page of the
// largest last group, and one step of the roll, each against one frame at 60 Hz (16 ms) or 2 ms for a roll step.
//   taviro_bench_audience [runs]   (default 15 runs per figure)

#include "ui/audience_view.h"
#include "ui/fitting_text.h"

#include "measure.h"

#include <QApplication>

using namespace taviro;

namespace {

QStringList names(int count, bool rows)
{
    QStringList out;
    const QString given = QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂华飞建辉");
    for (int i = 0; i < count; ++i) {
        const QString name = QString(QStringLiteral("王李张刘陈杨黄赵吴周").at(i % 10)) + given.at(i % given.size())
            + given.at((i * 7) % given.size());
        out << (rows ? QStringLiteral("%1\t%2\t行政部\t2010/1/2").arg(3000 + i, 6, 10, QLatin1Char('0')).arg(name)
                     : name);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        g_runs = std::max(1, atoi(argv[1]));
    heading("taviro_bench_audience");

    AudienceView view;
    view.setLook(QFont(QStringLiteral("WenQuanYi Micro Hei"), 42, QFont::Bold), QColor(0xC00000), QColor(0x80FFFF));
    view.resize(1920, 1080);
    view.setPrize(QStringLiteral("三等奖"), 100);
    view.setFooter(QStringLiteral("名单指纹 8dc8 2f52 65ad 4037    系统种子SHA-256 9f74 0a61 6606 071e"), 100, 10000);
    view.show();
    // What changed is painted into the window's backing store, as it is on screen.
    const auto paint = [] { QCoreApplication::processEvents(); };

    for (const auto &[name, winners] : {std::pair{"round of 100 winners: layout and paint", names(100, false)},
                                        {"round of 100 workbook rows: layout and paint", names(100, true)},
                                        {"last group of 10000: layout, first page painted", names(10000, false)}}) {
        const QStringList &round = winners;
        const auto rolling = [&] {
            view.showText(QStringLiteral("---------"));
            paint();
        };
        row(name, measure(rolling, [&] {
                view.showWinners(round);
                paint();
            }));
    }

    const QStringList samples = names(10, false);
    view.setRollNames(samples);
    int tick = 0;
    row("roll step of the big screen", measure({}, [&] {
            view.showText(samples.at(tick++ % samples.size()));
            paint();
        }));

    FittingLabel label;
    label.setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 42, QFont::Bold));
    label.setAlignment(Qt::AlignCenter);
    label.resize(449, 57);
    label.show();
    const QStringList rows = names(10, true);
    row("roll step of the main window's label (workbook rows)", measure({}, [&] {
            label.setText(rows.at(tick++ % rows.size()));
            paint();
        }));
    return 0;
}
