#include "audience_view.h"

#include "fitting_text.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStaticText>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace taviro {

namespace {

// Shares of the view's height: the prize line, the two lines of the foot and
// the margin around everything.
constexpr qreal kPrizeShare = 0.13;
constexpr qreal kFooterShare = 0.11;
constexpr qreal kMarginShare = 0.02;

} // namespace

AudienceText::AudienceText(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AudienceText::setLines(const QStringList &lines, const QFont &font)
{
    if (lines == m_lines && font == m_font)
        return;
    m_lines = lines;
    m_font = font;
    setAccessibleName(lines.join(QStringLiteral("  ")));
    // Only where the text was and is now is painted again: a rolling name is
    // hundreds of pixels high, and drawing it is the roll's whole cost.
    const QRect before = inkRect();
    fit();
    update(before | inkRect());
}

// Where the lines are drawn: centred, line under line.
QRect AudienceText::inkRect() const
{
    QRectF ink;
    const qreal line = QFontMetricsF(m_drawn).height();
    qreal top = (height() - line * m_shown.size()) / 2;
    for (const QStaticText &text : m_shown) {
        ink |= QRectF((width() - text.size().width()) / 2, top, text.size().width(), line);
        top += line;
    }
    return ink.toAlignedRect().adjusted(-2, -2, 2, 2); // antialiased edges
}

// One font for all the lines: the largest, up to the laid-out one, at which
// every line fits the width and all of them the height.
void AudienceText::fit()
{
    m_fittedTo = size();
    m_drawn = m_font;
    if (m_lines.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const int lineHeight = int(height() * kAudienceTextShare / m_lines.size());
    for (const QString &line : qAsConst(m_lines))
        m_drawn = fittingFont(m_drawn, line, int(width() * kAudienceTextShare), lineHeight);
    // Laid out once here, drawn many times: a page of two hundred names
    // repaints within a frame.
    m_shown.clear();
    for (const QString &line : qAsConst(m_lines)) {
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), m_drawn);
        m_shown.append(text);
    }
}

void AudienceText::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (size() != m_fittedTo) { // not yet fitted to this size by setLines
        fit();
        update();
    }
}

void AudienceText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(m_drawn);
    painter.setPen(palette().color(QPalette::WindowText));
    const qreal line = QFontMetricsF(m_drawn).height();
    qreal top = (height() - line * m_shown.size()) / 2;
    for (const QStaticText &text : qAsConst(m_shown)) {
        painter.drawStaticText(QPointF((width() - text.size().width()) / 2, top), text);
        top += line;
    }
}

QScreen *audienceScreen(const QList<QScreen *> &screens, QScreen *operatorScreen, int wanted)
{
    if (wanted >= 1 && wanted <= screens.size())
        return screens.at(wanted - 1);
    for (QScreen *screen : screens)
        if (screen != operatorScreen)
            return screen;
    return operatorScreen ? operatorScreen : screens.value(0);
}

AudienceView::AudienceView()
    : QWidget(nullptr, Qt::Window)
    , m_prize(new AudienceText(this))
    , m_big(new AudienceText(this))
    , m_footer(new AudienceText(this))
    , m_pageTimer(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Taviro 大屏幕"));
    setAttribute(Qt::WA_QuitOnClose, false); // the program ends with its main window
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor); // no pointer on the projected picture
    m_pageTimer->setInterval(kPageSeconds * 1000);
    connect(m_pageTimer, &QTimer::timeout, this, [this] { turnPage(1); });
    showFooter();
}

void AudienceView::setLook(const QFont &font, const QColor &text, const QColor &back)
{
    m_font = QFont(font.family());
    m_font.setBold(font.bold());
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, text);
    colours.setColor(QPalette::Window, back);
    setPalette(colours);
    layOut();
}

void AudienceView::setPrize(const QString &name, int stillNeeded)
{
    const QString text =
        name.isEmpty() || stillNeeded <= 0 ? name : QStringLiteral("%1  还需%2名").arg(name).arg(stillNeeded);
    if (text == m_prizeText)
        return;
    const bool shownBefore = !m_prizeText.isEmpty();
    m_prizeText = text;
    if (shownBefore != !text.isEmpty())
        layOut(); // the middle grows or shrinks by the prize's line
    else
        showPrize();
}

void AudienceView::showPrize()
{
    m_prize->setVisible(!m_prizeText.isEmpty());
    m_prize->setLines({m_prizeText}, sized(int(m_prize->height() * kAudienceTextShare)));
}

void AudienceView::setFooter(const QString &proof, int drawn, int total)
{
    m_proof = proof;
    m_totals = total > 0 ? QStringLiteral("已抽出 %1 / 共 %2").arg(drawn).arg(total) : QString();
    showFooter();
}

void AudienceView::showFooter()
{
    QStringList lines;
    if (!m_proof.isEmpty())
        lines.append(m_proof);
    QString totals = m_totals;
    if (pageCount() > 1 && m_big->isHidden())
        totals += QStringLiteral("    第%1/%2页").arg(m_page + 1).arg(pageCount());
    if (!totals.isEmpty())
        lines.append(totals);
    m_footer->setLines(lines, sized(m_footer->height() / 2));
}

void AudienceView::setRollNames(const QStringList &names)
{
    m_rollNames = names;
    layOut();
}

void AudienceView::showText(const QString &text)
{
    m_text = text;
    if (m_big->isHidden()) {
        m_pageTimer->stop();
        for (AudienceText *card : qAsConst(m_cards))
            card->hide();
        m_big->show();
        showFooter();
    }
    m_big->setLines({oneLine(text)}, sized(m_rollPixels));
}

void AudienceView::showWinners(const QStringList &winners)
{
    m_winners = winners;
    m_page = 0;
    m_big->hide();
    paginate();
    showPage();
}

int AudienceView::readablePixels() const { return std::max(1, height() / 30); }

QFont AudienceView::sized(int pixels) const
{
    QFont font = m_font;
    font.setPixelSize(std::max(1, pixels));
    return font;
}

QRect AudienceView::mainArea() const
{
    const int margin = int(height() * kMarginShare);
    const int top = margin + (m_prizeText.isEmpty() ? 0 : int(height() * kPrizeShare));
    const int bottom = height() - margin - int(height() * kFooterShare);
    return QRect(margin, top, width() - 2 * margin, std::max(0, bottom - top));
}

// Every part placed anew for the view's size: the prize, the foot, the
// rolling size, and the winners' pages.
void AudienceView::layOut()
{
    const int margin = int(height() * kMarginShare);
    m_prize->setGeometry(margin, margin, width() - 2 * margin, int(height() * kPrizeShare));
    showPrize();
    m_footer->setGeometry(margin, height() - margin - int(height() * kFooterShare), width() - 2 * margin,
                          int(height() * kFooterShare));
    const QRect area = mainArea();
    m_big->setGeometry(area);
    // The names roll at one size, the one at which the widest fits, so the
    // roll does not jump from size to size.
    m_rollPixels = int(area.height() * kAudienceTextShare);
    for (const QString &name : qAsConst(m_rollNames))
        m_rollPixels =
            fittingFont(sized(m_rollPixels), oneLine(name), int(area.width() * kAudienceTextShare), m_rollPixels)
                .pixelSize();
    if (!m_big->isHidden()) {
        showText(m_text);
        showFooter();
    } else {
        paginate();
        m_page = std::min(m_page, pageCount() - 1);
        showPage();
    }
}

void AudienceView::paginate()
{
    // Measured at the smallest readable size: hinted widths at a small size are
    // a little wider than in proportion, so the sizes above it never fall short.
    TextWidths widths(sized(readablePixels()));
    m_pages = layOutWinners(m_winners, widths, mainArea().size(), readablePixels());
}

void AudienceView::showPage()
{
    const QRect area = mainArea();
    const WinnerPage page = m_pages.value(m_page);
    for (int i = 0; i < page.count; ++i) {
        if (i == m_cards.size())
            m_cards.append(new AudienceText(this));
        AudienceText *card = m_cards[i];
        card->setGeometry(cardRect(page, i, area.size()).translated(area.topLeft()));
        card->setLines(cardLines(m_winners.at(page.first + i), page.cellsOnLines), sized(page.pixelSize));
        card->show();
    }
    for (int i = page.count; i < m_cards.size(); ++i)
        m_cards[i]->hide();
    if (pageCount() > 1)
        m_pageTimer->start();
    else
        m_pageTimer->stop();
    showFooter();
}

void AudienceView::turnPage(int step)
{
    if (pageCount() < 2 || !m_big->isHidden())
        return;
    m_page = (m_page + step + pageCount()) % pageCount();
    showPage();
}

QList<AudienceText *> AudienceView::shownCards() const
{
    QList<AudienceText *> shown;
    for (AudienceText *card : m_cards)
        if (!card->isHidden())
            shown.append(card);
    return shown;
}

void AudienceView::openOn(QScreen *screen, bool takeKeyboard)
{
    if (isVisible())
        hide(); // a full-screen window moves to another screen only from a normal one
    setScreen(screen);
    setGeometry(screen->geometry());
    setAttribute(Qt::WA_ShowWithoutActivating, !takeKeyboard);
    showFullScreen();
    if (takeKeyboard) {
        raise();
        activateWindow();
    }
}

void AudienceView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F5:
        close();
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        turnPage(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        turnPage(1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void AudienceView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void AudienceView::closeEvent(QCloseEvent *event)
{
    m_pageTimer->stop();
    event->accept();
    emit closed();
}

} // namespace taviro
