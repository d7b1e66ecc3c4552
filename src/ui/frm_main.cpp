#include "frm_main.h"

#include "compact_style.h"
#include "display_settings.h"
#include "draw/draw_messages.h"
#include "lists/list_messages.h"
#include "fitting_text.h"
#include "message_boxes.h"
#include "output/print_service.h"
#include "output/results_file.h"
#include "lists/candidate_list.h"
#include "draw/draw_seed.h"
#include "lists/prize_plan.h"
#include "draw/draw_replay.h"
#include "lists/exclusion_list.h"
#include "ui/version.h"
#include "window_sizing.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QGroupBox>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace taviro {

namespace {

const QString kProductTitle = QStringLiteral("Taviro");
const QColor kStartUpColour(0xFF, 0x00, 0x00);

void setBackColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The missing-list message speaks of the program's folder; when the files
// live elsewhere it names that folder too.
QString namingFolder(const QString &text, const QString &folder)
{
    if (folder.isEmpty())
        return text;
    return text + QStringLiteral("\n\n名单和摇号结果所在的文件夹：") + QDir::toNativeSeparators(folder);
}

// The organiser's answers about a heading row and blank lines. A heading is
// left out unless the organiser says it is none; blank lines take part only
// when the organiser says so, since a stray empty line drawn as a winner
// would show nobody.
ListChoices askAboutList(MessageBoxes &boxes, QWidget *parent, const ListQuestions &questions)
{
    ListChoices choices;
    if (!questions.heading.isEmpty())
        choices.heading = boxes.askYesNo(parent, msg::headingQuestion(questions.heading), kProductTitle)
            ? ListChoices::Heading::LeftOut
            : ListChoices::Heading::TakesPart;
    choices.blankLines = questions.blankLines;
    choices.blanksLeftOut = !questions.blankLines.isEmpty()
        && !boxes.askYesNo(parent, msg::blankLinesQuestion(questions.blankLines), kProductTitle,
                           MessageBoxes::Default::No);
    return choices;
}

} // namespace

QString FrmMain::startCaption() { return QStringLiteral("开始&G"); }

QString FrmMain::stopCaption() { return QStringLiteral("停止&G"); }

FrmMain::FrmMain(const FrmMainServices &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_session(*services.randomiser)
    , m_recovery(services.appFolder)
    , m_files(services.appFolder)
{
    useCompactStyle();
    m_form = buildForm(mainFormSpec(), this);
    // The border, the title bar and the size are the sizing's from here on.
    m_sizing = new WindowSizing(this, mainFormSpec(), m_form);
    new DisplaySettings(this, m_form);
    m_lblRoll = m_form.get<QLabel>(QStringLiteral("Lbl_Roll"));
    m_txtResults = m_form.get<QPlainTextEdit>(QStringLiteral("Txt_Results"));
    m_txtNum = m_form.get<QLineEdit>(QStringLiteral("Txt_Num"));
    // The count box is 25 pixels wide: a count of three digits or more is
    // drawn smaller rather than scrolled, which would hide its first digits.
    keepTextWhole(m_txtNum);
    m_cmdInit = m_form.get<QPushButton>(QStringLiteral("Cmd_Init"));
    m_cmdStart = m_form.get<QPushButton>(QStringLiteral("Cmd_Start"));
    m_cmdSave = m_form.get<QPushButton>(QStringLiteral("Cmd_Save"));
    m_cmdPrint = m_form.get<QPushButton>(QStringLiteral("Cmd_Print"));
    m_cmdExit = m_form.get<QPushButton>(QStringLiteral("Cmd_Exit"));
    m_cmdAbout = m_form.get<QPushButton>(QStringLiteral("CmdAbout"));
    m_frameOper = m_form.widgets.value(QStringLiteral("Frame_Oper"));
    m_listFontsRoll = m_form.get<QListWidget>(QStringLiteral("List_Fonts_Roll"));
    m_listFontsResults = m_form.get<QListWidget>(QStringLiteral("List_Fonts_Results"));
    m_timer1 = m_form.timers.value(QStringLiteral("Timer1"));
    m_timer2 = m_form.timers.value(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);

    connect(m_cmdInit, &QPushButton::clicked, this, &FrmMain::cmdInitClick);
    connect(m_cmdStart, &QPushButton::clicked, this, &FrmMain::cmdStartClick);
    connect(m_cmdSave, &QPushButton::clicked, this, &FrmMain::cmdSaveClick);
    connect(m_cmdPrint, &QPushButton::clicked, this, &FrmMain::cmdPrintClick);
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdAbout, &QPushButton::clicked, this, &FrmMain::aboutRequested);
    connect(m_timer1, &QTimer::timeout, this, &FrmMain::timer1Timer);
    connect(m_timer2, &QTimer::timeout, this, &FrmMain::timer2Timer);

    // The big screen exists from the start, hidden, and follows the draw, so
    // that it shows the draw as it stands whenever it is opened.
    m_view = std::make_unique<AudienceView>();
    connect(m_view.get(), &AudienceView::closed, this, [this] {
        raise();
        activateWindow();
    });
    // A projector plugged in or out: the view goes to a screen that is there.
    for (auto change : {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved})
        connect(qApp, change, this, [this] {
            QTimer::singleShot(0, this, [this] {
                if (m_view->isVisible())
                    openAudienceView(m_wantedScreen);
            });
        });

    formLoad();
    showLookToAudience();
    showProof(); // a public seed from the command line shows from the start
    showFactsToAudience();
    m_txtResults->setFocus();
    centreOnScreen(mainFormSpec(), this);
}

FrmMain::~FrmMain() { qApp->removeEventFilter(this); }

DrawSession &FrmMain::session() { return m_session; }

void FrmMain::formLoad()
{
    setWindowTitle(mainWindowTitle());
    // RollIndex and RoundNumber start at 1 in the session itself.

    // Only the window and the operations bar turn red. The frames keep a back
    // colour of their own, and the controls on the window and on the bar keep
    // theirs (the results box's scroll bar and the count box's inner edges,
    // for two, are not painted red).
    for (QWidget *w : qAsConst(m_form.widgets)) {
        if (w == m_frameOper)
            continue;
        const QColor own = w->palette().color(QPalette::Window);
        if (qobject_cast<QGroupBox *>(w)) {
            setBackColour(w, own);
        } else if (w->parentWidget() == this || w->parentWidget() == m_frameOper) {
            QPalette palette = w->palette();
            palette.setColor(QPalette::Window, own);
            w->setPalette(palette);
        }
    }
    setBackColour(this, kStartUpColour);
    setBackColour(m_frameOper, kStartUpColour);

    m_cmdStart->setEnabled(false);

    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        m_listFontsRoll->addItem(family);
        m_listFontsResults->addItem(family);
    }

    // Key preview: Enter and Space start or stop a round wherever the focus is.
    qApp->installEventFilter(this);
}

DrawRecord FrmMain::record() const
{
    DrawRecord drawn;
    drawn.program = QString::fromUtf8(kVersion.title) + QLatin1Char(' ') + versionNumber();
    drawn.list = m_session.listFacts();
    drawn.seed = m_session.seed();
    drawn.generator = generatorName();
    drawn.plan = m_session.plan();
    drawn.rounds = m_session.rounds();
    drawn.forfeits = m_session.forfeits();
    return drawn;
}

// The operations bar's caption, empty by default, carries the proof of the
// draw from Initialise on: the list's fingerprint and the seed (the public
// seed itself, or the start of a system seed's SHA-256). A photo of the
// screen before the first round binds both; `taviro --fingerprint` prints
// the same fingerprint without a display. The words are few, so that the
// proof shows whole in the frame's own font as often as it can; what still
// does not fit (a long prize name or public seed) the frame draws smaller.
void FrmMain::showProof()
{
    QString caption;
    if (!m_session.isInitialised()) {
        if (m_services.publicSeed.isValid())
            caption = QStringLiteral("公开种子 ") + m_services.publicSeed.shown() + QStringLiteral("（初始化时使用）");
    } else {
        const DrawSeed &seed = m_session.seed();
        const NextPrize prize = m_session.nextPrize();
        const QString planDone = m_session.planDone() ? QStringLiteral("奖项已全部抽完  ") : QString();
        caption =
            (prize.count > 0 ? QStringLiteral("%1 还需%2名  ").arg(prize.name, QString::number(prize.count)) : planDone)
            + QStringLiteral("指纹 ") + listFingerprint(m_session.listFacts().sha256)
            + (seed.kind == DrawSeed::Kind::Public ? QStringLiteral("  公开种子 ") : QStringLiteral("  种子 "))
            + seed.shown();
    }
    // A lone ampersand would mark an access key and not show.
    static_cast<QGroupBox *>(m_frameOper)->setTitle(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

// With a prize plan, the next prize and its count stand where the audience
// sees them, and the count box holds the count; the organiser may change it
// before the next start.
void FrmMain::showNextPrize()
{
    showProof();
    const NextPrize prize = m_session.nextPrize();
    if (prize.count > 0 && m_session.remainingCount() > 0)
        m_txtNum->setText(QString::number(prize.count));
}

// A right click on the window (or the menu key) before Initialise offers the
// public seed; everyone else never meets it.
void FrmMain::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    if (!m_session.isInitialised()) {
        menu.addAction(QStringLiteral("输入公开种子…"), this, &FrmMain::askPublicSeed);
        menu.addAction(QStringLiteral("排除已中奖者…"), this, &FrmMain::askExclusions);
    }
    QAction *view = menu.addAction(QStringLiteral("大屏幕"), this, &FrmMain::toggleAudienceView);
    view->setShortcut(QKeySequence(Qt::Key_F5)); // shown beside it; F5 itself is the window's key
    view->setCheckable(true);
    view->setChecked(m_view->isVisible());
    menu.exec(event->globalPos());
}

// On a screen of its own the view leaves the keyboard to this window; on
// this window's screen it covers it and takes the keys until it is closed.
void FrmMain::openAudienceView(int wanted)
{
    m_wantedScreen = wanted;
    QScreen *screen = audienceScreen(QGuiApplication::screens(), this->screen(), wanted);
    if (!screen)
        return;
    const bool shared = screen == this->screen();
    m_view->openOn(screen, shared);
    if (!shared)
        activateWindow();
}

void FrmMain::closeAudienceView() { m_view->close(); }

void FrmMain::toggleAudienceView()
{
    if (m_view->isVisible())
        closeAudienceView();
    else
        openAudienceView(m_wantedScreen);
}

void FrmMain::setRollText(const QString &text)
{
    m_lblRoll->setText(text);
    m_view->showText(text);
}

// After a reveal or the last group: every winner of the round at once.
void FrmMain::showRoundToAudience()
{
    m_view->showWinners(m_session.rounds().constLast().winners);
    showFactsToAudience();
}

// The prize on screen is that of the round shown, with how many it still
// needs; before the first round, the plan's first prize.
void FrmMain::showFactsToAudience()
{
    const NextPrize next = m_session.nextPrize();
    const QString prize = m_session.rounds().isEmpty() ? next.name : m_session.rounds().constLast().prize;
    m_view->setPrize(prize, next.name == prize ? next.count : 0);
    const int total = m_session.candidateCount();
    m_view->setFooter(proofText(m_session, m_services.publicSeed), total - m_session.remainingCount(), total);
}

// The view draws in the roll area's font and colours, and follows them.
void FrmMain::showLookToAudience()
{
    const QPalette &colours = m_lblRoll->palette();
    m_view->setLook(m_lblRoll->font(), colours.color(QPalette::WindowText), colours.color(QPalette::Window));
}

QString proofText(const DrawSession &session, const DrawSeed &publicSeed)
{
    if (!session.isInitialised())
        return publicSeed.isValid() ? QStringLiteral("公开种子 %1（初始化时使用）").arg(publicSeed.shown()) : QString();
    const DrawSeed &seed = session.seed();
    return QStringLiteral("名单指纹 ") + listFingerprint(session.listFacts().sha256)
        + (seed.kind == DrawSeed::Kind::Public ? QStringLiteral("    公开种子 ")
                                               : QStringLiteral("    系统种子SHA-256 "))
        + seed.shown();
}

void FrmMain::askPublicSeed()
{
    QString text = m_services.publicSeed.text();
    const QString label =
        QStringLiteral("公开种子，例如现场观众报出的数字或公开开奖的号码（留空则使用系统随机种子）：");
    if (!m_services.boxes->askText(boxParent(), label, QStringLiteral("公开种子"), text))
        return;
    m_services.publicSeed = DrawSeed::publicText(text);
    showProof();
    showFactsToAudience();
}

// A second sitting from the same list: the winners of the first (its
// results file or record, or a list of names) take no part.
void FrmMain::askExclusions()
{
    const QStringList files =
        m_services.boxes->askFiles(boxParent(), QStringLiteral("排除已中奖者"), m_services.appFolder);
    for (const QString &file : files)
        if (!m_services.excludeFiles.contains(file))
            m_services.excludeFiles.append(file);
    if (files.isEmpty())
        return;
    QStringList names;
    for (const QString &file : qAsConst(m_services.excludeFiles))
        names.append(QDir::toNativeSeparators(file));
    inform(QStringLiteral("初始化时，这些文件中的中奖者不参加抽奖：\n") + names.join(QLatin1Char('\n')));
}

// The earlier winners named on the command line or in the menu, read at
// Initialise; false when a file cannot be read (told), and nothing is drawn.
bool FrmMain::readExclusions(Exclusion &exclusion)
{
    QStringList texts;
    for (const QString &path : qAsConst(m_services.excludeFiles)) {
        const ExclusionFile file = readExclusionFile(path);
        if (!file.message.isEmpty()) {
            inform(file.message);
            return false;
        }
        texts += file.texts;
    }
    exclusion = m_services.excludeFiles.isEmpty() ? Exclusion() : Exclusion::ofTexts(texts);
    return true;
}

// A draw of this list that an earlier run left unsaved (killed, crashed, the
// power cut) may be carried on where it stopped: replayed from its record
// copy, it goes on with the same seed, and its copy and record go on too.
bool FrmMain::carryOnInterrupted(const QString &list)
{
    if (!m_services.folderLocked)
        return false; // another run may be drawing it still
    const QList<InterruptedDraw> draws = interruptedDraws(m_services.appFolder, QFileInfo(list).fileName());
    if (draws.isEmpty())
        return false;
    QFile file(list);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QByteArray sha256 = file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result() : QByteArray();
    const auto same = std::find_if(draws.cbegin(), draws.cend(),
                                   [&](const InterruptedDraw &draw) { return draw.record.list.sha256 == sha256; });
    if (same == draws.cend()) {
        inform(QStringLiteral("上次中断的摇号（%1）之后名单已经改变，不能接着抽，开始新的摇号。")
                   .arg(QFileInfo(draws.first().recordPath).fileName()));
        return false;
    }
    const DrawRecord &r = same->record;
    int winners = 0;
    for (const DrawRound &round : r.rounds)
        winners += int(round.winners.size());
    if (!m_services.boxes->askYesNo(boxParent(),
                                    QStringLiteral("上次的摇号在第%1轮后中断（已抽出%2人，种子%3），要接着抽吗？")
                                        .arg(r.rounds.size())
                                        .arg(winners)
                                        .arg(r.seed.shown()),
                                    kProductTitle))
        return false;
    const Replay replay =
        replayDraw(m_session, list, r.seed, r.plan, r.rounds, r.list.choices, r.forfeits, r.list.excluded);
    if (replay.init.kind != InitResult::Kind::Ready || replay.firstDifference >= 0 || replay.badForfeit >= 0) {
        m_session = DrawSession(*m_services.randomiser); // nothing of it stays
        inform(QStringLiteral("按%1重新摇号的结果与它不符，不能接着抽，开始新的摇号。")
                   .arg(QFileInfo(same->recordPath).fileName()));
        return false;
    }
    m_session.keepTimesOf(r.rounds);
    m_recovery.carryOn(resultsPathForRecord(same->recordPath));
    m_txtResults->setPlainText(toDisplayText(m_session.log().text()));
    if (!r.rounds.isEmpty())
        m_txtNum->setText(QString::number(r.rounds.last().count));
    showReady(replay.init.label);
    moveResultsCaretToEnd();
    return true;
}

void FrmMain::showReady(const QString &label)
{
    setRollText(label);
    m_view->setRollNames(m_session.rollNames());
    showNextPrize();
    showFactsToAudience();
    setStartEnabled(true);
    // The focus moves on to Start, not into the settings panel.
    if (focusWidget() == m_cmdInit)
        m_cmdStart->setFocus(Qt::OtherFocusReason);
    m_cmdInit->setEnabled(false);
}

// A message or question shows over the window the operator looks at: the
// big screen when it covers this window's screen, else this window.
QWidget *FrmMain::boxParent()
{
    if (m_view->isVisible() && m_view->screen() == screen())
        return m_view.get();
    return this;
}

void FrmMain::inform(const QString &text) { m_services.boxes->inform(boxParent(), text, kProductTitle); }

void FrmMain::informIfAny(const QString &text)
{
    if (!text.isEmpty())
        inform(text);
}

void FrmMain::cmdInitClick()
{
    // The seed is taken now, after the list is fixed: the organiser's public
    // seed, or else fresh bytes of the system's entropy.
    const DrawSeed seed = m_services.publicSeed.isValid() ? m_services.publicSeed : DrawSeed::system();
    const QString list = m_services.listFile.isEmpty() ? findCandidateFile(m_services.appFolder) : m_services.listFile;
    if (m_session.isInitialised() || carryOnInterrupted(list))
        return;
    // A prize plan beside the list must be whole before anything is drawn.
    const PrizePlan plan = readPrizePlan(QFileInfo(list).path());
    if (!plan.message.isEmpty()) {
        inform(plan.message);
        return;
    }
    Exclusion exclusion;
    if (!readExclusions(exclusion))
        return;
    InitResult result = m_session.initialise(list, seed, plan.prizes, std::nullopt, exclusion);
    // The list is read again with the answers; lines changed meanwhile are refused.
    if (result.kind == InitResult::Kind::Questions)
        result = m_session.initialise(list, seed, plan.prizes,
                                      askAboutList(*m_services.boxes, boxParent(), result.questions), exclusion);
    switch (result.kind) {
    case InitResult::Kind::Ready: {
        const QString refused = m_recovery.begin(QDateTime::currentDateTime());
        showReady(result.label);
        informIfAny(refused); // the list is read all the same
        break;
    }
    case InitResult::Kind::AlreadyInitialised:
    case InitResult::Kind::Questions: // answered above
        break;
    case InitResult::Kind::Missing:
        inform(namingFolder(result.message, m_services.namedFolder));
        break;
    case InitResult::Kind::TooFew:
    case InitResult::Kind::TooMany:
    case InitResult::Kind::Unreadable:
    case InitResult::Kind::TooLarge:
    case InitResult::Kind::Undecodable:
    case InitResult::Kind::BadWorkbook:
    case InitResult::Kind::ChoicesDoNotFit:
        inform(result.message);
        break;
    }
}

void FrmMain::cmdStartClick()
{
    // The caption is the record of whether a roll is running.
    const QString caption = m_cmdStart->text();
    if (caption == startCaption())
        startRound();
    else if (caption == stopCaption())
        stopRound();
}

void FrmMain::startRound()
{
    const StartResult result = m_session.start(m_txtNum->text());
    switch (result.kind) {
    case StartResult::Kind::Rolling:
        setRollText(msg::rollPlaceholder());
        showFactsToAudience();
        m_cmdStart->setText(stopCaption());
        if (!result.countTextToWrite.isNull())
            m_txtNum->setText(result.countTextToWrite);
        m_timer1->start();
        break;
    case StartResult::Kind::Refused:
        // The box shows over the window as the start left it.
        setRollText(msg::rollPlaceholder());
        setStartEnabled(false);
        m_cmdStart->setText(stopCaption());
        if (!result.countTextToWrite.isNull())
            m_txtNum->setText(result.countTextToWrite);
        inform(result.message);
        m_cmdStart->setText(startCaption());
        setStartEnabled(true);
        break;
    case StartResult::Kind::Exhausted:
        inform(result.message);
        break;
    case StartResult::Kind::LastGroup: {
        // On disk before anyone sees the winners.
        const DrawRecord drawn = record();
        const QString unsafe = m_recovery.keep(m_session.log().text(), m_session.listEncoding(), &drawn);
        appendToResults(result.appendedLog);
        showNextPrize();
        showRoundToAudience();
        inform(result.message);
        moveResultsCaretToEnd();
        informIfAny(unsafe);
        break;
    }
    case StartResult::Kind::RevealPending:
        // The stopped round is revealed first; this request does nothing.
        break;
    case StartResult::Kind::AlreadyRolling:
        stopRound();
        break;
    case StartResult::Kind::PlanDone:
        if (m_services.boxes->askYesNo(boxParent(),
                                       QStringLiteral("奖项已全部抽完。要在奖项之外继续抽奖吗？\n"
                                                      "继续抽出的中奖者列在“%1”下面。")
                                           .arg(DrawSession::beyondPlanName()),
                                       kProductTitle, MessageBoxes::Default::No)) {
            m_session.drawBeyondPlan();
            startRound();
        }
        break;
    }
}

// The winner's entry on a line of the results box: its number, or 0 for a
// heading or a blank line.
int FrmMain::entryOnLine(int line) const
{
    static const QRegularExpression entry(QStringLiteral("^\\[(\\d+)\\]:\t"));
    const QRegularExpressionMatch m = entry.match(m_txtResults->document()->findBlockByNumber(line).text());
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// 弃奖 (不在场视为弃奖，现场补抽): the winner stays drawn and is never drawn
// again; the entry is marked where it stands and, with a prize plan, its
// prize needs one more, drawn by the next start under its heading.
void FrmMain::forfeitEntry(int number)
{
    const ForfeitResult facts = m_session.entryFacts(number);
    if (facts.kind == ForfeitResult::Kind::NotAWinner || m_session.log().isForfeit(number))
        return;
    const QString question =
        QStringLiteral("[%1] %2 不在场，确定弃奖吗？\n弃奖后此人不会再被抽中").arg(number).arg(oneLine(facts.winner))
        + (facts.prize.isEmpty() ? QStringLiteral("。")
                                 : QStringLiteral("，下一次开始将为“%1”补抽1名。").arg(facts.prize));
    if (!m_services.boxes->askYesNo(boxParent(), question, QStringLiteral("弃奖"), MessageBoxes::Default::No))
        return;
    showForfeit(m_session.forfeit(number));
}

void FrmMain::takeBackForfeit(int number) { showForfeit(m_session.takeBackForfeit(number)); }

void FrmMain::showForfeit(const ForfeitResult &result)
{
    if (result.kind == ForfeitResult::Kind::Busy) {
        inform(QStringLiteral("请等本轮摇号结束后再标记弃奖。"));
        return;
    }
    if (result.kind != ForfeitResult::Kind::Done)
        return;
    // Only the entry's own line changes, in place.
    QTextCursor line(m_txtResults->document()->findBlockByNumber(result.line));
    line.movePosition(QTextCursor::EndOfBlock);
    const QString mark = toDisplayText(ResultsLog::forfeitMark());
    if (m_session.log().isForfeit(entryOnLine(result.line)))
        line.insertText(mark);
    else
        line.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, int(mark.size())), line.removeSelectedText();
    const DrawRecord drawn = record();
    const QString unsafe = m_recovery.keep(m_session.log().text(), m_session.listEncoding(), &drawn);
    showNextPrize();
    showFactsToAudience();
    informIfAny(unsafe);
}

// The results box's own menu, with 弃奖 for the winner on the line clicked.
void FrmMain::showResultsMenu(const QPoint &at)
{
    const int number = entryOnLine(m_txtResults->cursorForPosition(at).blockNumber());
    std::unique_ptr<QMenu> menu(m_txtResults->createStandardContextMenu(at));
    if (number > 0 && m_session.isInitialised()) {
        menu->addSeparator();
        if (!m_session.log().isForfeit(number))
            menu->addAction(QStringLiteral("弃奖（不在场）"), this, [this, number] { forfeitEntry(number); });
        else if (m_session.canTakeBack(number))
            menu->addAction(QStringLiteral("撤销弃奖"), this, [this, number] { takeBackForfeit(number); });
    }
    menu->exec(m_txtResults->viewport()->mapToGlobal(at));
}

void FrmMain::stopRound()
{
    m_cmdStart->setText(startCaption());
    m_timer1->stop();
    // No start may take effect before the stopped round is revealed.
    setStartEnabled(false);
    setRollText(m_session.stop());
    m_lblRoll->repaint(); // the stopped state shows before the reveal runs
    m_view->repaint();
    m_timer2->start();
}

void FrmMain::timer1Timer() { setRollText(m_session.rollTick()); }

void FrmMain::timer2Timer()
{
    m_timer2->stop();
    const RevealResult result = m_session.reveal();
    const DrawRecord drawn = record();
    const QString unsafe = m_recovery.keep(m_session.log().text(), m_session.listEncoding(), &drawn);
    m_lblRoll->setText(result.label);
    appendToResults(result.appendedLog);
    moveResultsCaretToEnd();
    showNextPrize();
    showRoundToAudience();
    setStartEnabled(true);
    informIfAny(unsafe);
}

// Save's and Print's files and record; once written, this run's recovery copy goes.
SavedFiles FrmMain::saveDraw()
{
    const DrawRecord drawn = record();
    const SavedFiles outcome = m_files.save(m_session.log().text(), m_session.listEncoding(),
                                            m_session.isInitialised() ? &drawn : nullptr, m_session.heading());
    if (outcome.ok)
        m_recovery.resultsSaved();
    return outcome;
}

void FrmMain::cmdSaveClick()
{
    const SavedFiles outcome = saveDraw();
    if (!outcome.ok)
        inform(saveFailedMessage(outcome));
    else
        inform(outcome.workbook.ok ? savedMessage(m_services.namedFolder) : workbookFailedMessage(outcome.workbook));
}

void FrmMain::cmdPrintClick()
{
    const SavedFiles outcome = saveDraw();
    if (!outcome.ok) {
        inform(saveFailedMessage(outcome)); // nothing is printed
        return;
    }
    m_services.printer->printFile(resultsFilePath(m_services.appFolder));
    if (!outcome.workbook.ok) // the results are printed all the same
        inform(workbookFailedMessage(outcome.workbook));
}

void FrmMain::appendToResults(const QString &appendedLog)
{
    if (appendedLog.isEmpty())
        return;
    // Only the new entries are added; the text already shown stays as it is.
    QTextCursor cursor(m_txtResults->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toDisplayText(appendedLog));
}

void FrmMain::moveResultsCaretToEnd()
{
    QTextCursor cursor = m_txtResults->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_txtResults->setTextCursor(cursor);
    m_txtResults->ensureCursorVisible();
}

void FrmMain::setStartEnabled(bool enabled)
{
    // A disabled button hands the focus to the next control in the tab order,
    // which lies in the hidden settings panel. Keep it in the operations bar
    // instead, and give it back when the button is enabled again.
    if (!enabled) {
        if (focusWidget() == m_cmdStart) {
            m_cmdSave->setFocus(Qt::OtherFocusReason);
            m_focusParked = true;
        }
        m_cmdStart->setEnabled(false);
        return;
    }
    m_cmdStart->setEnabled(true);
    if (m_focusParked && focusWidget() == m_cmdSave)
        m_cmdStart->setFocus(Qt::OtherFocusReason);
    m_focusParked = false;
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    if (!m_services.boxes->askYesNo(boxParent(), QStringLiteral("确定要关闭摇号软件吗?"), QStringLiteral("退出"))
        || !m_services.boxes->askYesNo(boxParent(), QStringLiteral("请再次确认关闭吗?"), QStringLiteral("确认退出"))) {
        event->ignore();
        return;
    }
    m_timer1->stop();
    m_timer2->stop();
    m_view->hide();
    event->accept();
}

// Keys typed into this window or the big screen while no message box, About
// window or popup has the keyboard are the draw's.
bool FrmMain::hasKeyboard(const QWidget *window) const
{
    return !QApplication::activeModalWidget() && !QApplication::activePopupWidget()
        && QApplication::activeWindow() == window;
}

// Qt marks most repeats of a held key, but not all: under X11 it knows a
// repeat by the release the server sends with it at the same instant, and
// misses it when the press has not yet arrived. A press at the very instant
// of the same key's release is a repeat as well. (A press without a time
// cannot be judged this way.) Not on Windows: there Qt marks every repeat
// itself, and a key's time is when Qt handled it, so two quick presses that
// waited behind a busy moment share one instant and are both real.
void FrmMain::noteRelease(const QKeyEvent &key)
{
    m_releasedKey = key.key();
    m_releasedAt = key.timestamp();
}

bool FrmMain::isRepeat(const QKeyEvent &key) const
{
    static const bool sameInstantRepeats = QApplication::platformName() != QLatin1String("windows");
    return key.isAutoRepeat()
        || (sameInstantRepeats && key.timestamp() != 0 && key.key() == m_releasedKey
            && key.timestamp() == m_releasedAt);
}

// Clicks the button whose caption owns the letter, the way a mouse click
// does: at once, before the next key is handled.
void FrmMain::clickAccessKeyOwner(int key)
{
    const QKeySequence accessKey(QKeyCombination(Qt::AltModifier, Qt::Key(key)));
    for (QWidget *w : qAsConst(m_form.widgets)) {
        auto *button = qobject_cast<QAbstractButton *>(w);
        if (!button || QKeySequence::mnemonic(button->text()) != accessKey)
            continue;
        if (button->isEnabled() && button->isVisible()) {
            if (button->focusPolicy() != Qt::NoFocus)
                button->setFocus(Qt::ShortcutFocusReason);
            button->click();
        }
        return;
    }
}

// Every key of the window is decided here, in the order the keys arrive.
bool FrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblRoll && (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange))
        showLookToAudience();
    if (event->type() == QEvent::ContextMenu && watched == m_txtResults->viewport()) {
        showResultsMenu(static_cast<QContextMenuEvent *>(event)->pos());
        return true;
    }
    if (event->type() == QEvent::KeyRelease)
        noteRelease(*static_cast<QKeyEvent *>(event));
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target)
        return false;
    // The big screen's own keys (Esc, the arrows) are its own; Enter and
    // Space draw there as here, and the access keys stay in this window.
    const bool inView = target->window() == m_view.get() && hasKeyboard(m_view.get());
    if (!inView && ((target != this && !isAncestorOf(target)) || !hasKeyboard(this)))
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);

    // Alt+letter is an access key. Qt's own shortcut would click the button
    // only after its pressed look has shown, behind the keys typed next; the
    // override keeps it from firing, and the key press clicks at once. The
    // letter is never typed, whether a button owns it or not.
    if (modifiers == Qt::AltModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) {
        if (event->type() == QEvent::KeyPress && !inView)
            clickAccessKeyOwner(key->key());
        event->accept();
        return true;
    }
    // Delete on a winner's line in the results box forfeits that winner.
    if (key->key() == Qt::Key_Delete && !modifiers && target == m_txtResults) {
        if (event->type() == QEvent::KeyPress && !isRepeat(*key))
            forfeitEntry(entryOnLine(m_txtResults->textCursor().blockNumber()));
        event->accept();
        return true;
    }
    // F5 opens and closes the big screen, once a press, like a presentation.
    if (key->key() == Qt::Key_F5 && !modifiers) {
        if (event->type() == QEvent::KeyPress && !isRepeat(*key))
            toggleAudienceView();
        event->accept();
        return true;
    }

    if (event->type() != QEvent::KeyPress || modifiers
        || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter && key->key() != Qt::Key_Space))
        return false;
    // A key the focused control ignores travels on to its parents; it is
    // acted on once, where it first arrives.
    QWidget *focus = QApplication::focusWidget();
    if (target != (focus ? focus : target->window()))
        return false;
    // Enter and Space start or stop a round. A held key repeats, but one
    // press is one start or stop, however long it is held.
    if (!isRepeat(*key))
        cmdStartClick();
    // A text box still receives the key (a Space typed in the count box goes
    // into it). Any other control does not: Space or Enter must not also
    // press a button, choose an option, tick the check box or pick a list entry.
    const bool typesText = qobject_cast<QLineEdit *>(watched) || qobject_cast<QPlainTextEdit *>(watched);
    return !typesText;
}

} // namespace taviro
