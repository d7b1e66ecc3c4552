#pragma once

#include "audience_layout.h"

#include <QPointer>
#include <QStaticText>
#include <QWidget>

class QScreen;
class QTimer;

namespace taviro {

// One text of the audience view, drawn centred, line under line, as large as
// it was laid out and never cut: a line wider than the card is drawn smaller.
// Its text is its accessible name, as a label's is.
class AudienceText : public QWidget
{
public:
    explicit AudienceText(QWidget *parent);
    void setLines(const QStringList &lines, const QFont &font);
    const QStringList &lines() const { return m_lines; }
    // The font each line is drawn in.
    QFont drawnFont() const { return m_drawn; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();
    QRect inkRect() const;

    QStringList m_lines;
    QList<QStaticText> m_shown; // the lines laid out in the drawn font
    QFont m_font;
    QFont m_drawn;
    QSize m_fittedTo;
};

// The screen the audience view opens on: screen `wanted` (counted from 1)
// when there is one; otherwise the first screen that is not the operator's,
// or the operator's own when it is the only one.
QScreen *audienceScreen(const QList<QScreen *> &screens, QScreen *operatorScreen, int wanted);

// The big screen (大屏幕): the draw as the hall sees it, full-screen. The
// prize being drawn at the top, the rolling names or the round's winners,
// as large as the screen allows, in the middle; the proof and the totals at
// the foot. The main window tells it what to show; it reads nothing of the
// main window's.
class AudienceView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kPageSeconds = 8; // a page of a large round turns by itself after this

    AudienceView();

    // The roll area's font family and weight, text and back colour.
    void setLook(const QFont &font, const QColor &text, const QColor &back);
    // The prize being drawn and how many it still needs; an empty name shows no prize.
    void setPrize(const QString &name, int stillNeeded);
    // The proof (the list's fingerprint and the seed) and how many are drawn of all.
    void setFooter(const QString &proof, int drawn, int total);
    // The names the roll shows: they roll at the one size at which the widest fits.
    void setRollNames(const QStringList &names);
    // One text as large as it fits: a rolling name, the count, the winner where the roll stopped.
    void showText(const QString &text);
    // Every winner of a round at once, on pages when there are too many to read on one.
    void showWinners(const QStringList &winners);

    // Opens full-screen on `screen`; the operator's window keeps the
    // keyboard unless `takeKeyboard`.
    void openOn(QScreen *screen, bool takeKeyboard);

    int pageCount() const { return int(m_pages.size()); }
    int page() const { return m_page; }
    void turnPage(int step);
    // The smallest text the view shows readably on its screen: a thirtieth of its height.
    int readablePixels() const;
    const QVector<WinnerPage> &pages() const { return m_pages; }
    QList<AudienceText *> shownCards() const;
    AudienceText *prizeText() const { return m_prize; }
    AudienceText *footerText() const { return m_footer; }
    AudienceText *bigText() const { return m_big; }

signals:
    // The view was closed (Esc, F5 or the window system); the operator's window takes over.
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QRect mainArea() const;
    void layOut();
    void paginate();
    void showPage();
    void showPrize();
    void showFooter();
    QFont sized(int pixels) const;

    QFont m_font;
    AudienceText *m_prize;
    AudienceText *m_big;
    AudienceText *m_footer;
    QList<AudienceText *> m_cards; // reused from round to round
    QTimer *m_pageTimer;

    QString m_prizeText;
    QString m_proof;
    QString m_totals;
    QStringList m_rollNames;
    int m_rollPixels = 0;
    QString m_text;
    QStringList m_winners;
    QVector<WinnerPage> m_pages;
    int m_page = 0;
};

} // namespace taviro
