#pragma once

#include "audience_view.h"
#include "draw/draw_session.h"
#include "form_layout.h"
#include "output/draw_files.h"
#include "output/recovery_file.h"

#include <QWidget>

#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace taviro {

class MessageBoxes;
class PrintService;
class WindowSizing;

struct FrmMainServices
{
    MessageBoxes *boxes;
    PrintService *printer;
    DrawRandomiser *randomiser;
    QString appFolder; // where bonus.txt is read and the results file written
    QString namedFolder = {}; // empty for the program's own folder; otherwise named in the list and save messages
    DrawSeed publicSeed = {}; // from the command line; else a system seed at Initialise, or one entered in the window
    QString listFile = {}; // a workbook or CSV named on the command line; else the list found in appFolder
    QStringList excludeFiles = {}; // earlier winners to leave out: results files, records or lists of names
    bool folderLocked = true; // no other run uses appFolder: a draw it left unsaved has ended
};

// The proof of a draw as the hall reads it: the list's fingerprint and the
// seed (the public seed itself, or the start of a system seed's SHA-256);
// before Initialise, a public seed that will be used. Empty when there is
// nothing to prove yet.
QString proofText(const DrawSession &session, const DrawSeed &publicSeed);

// The draw window. It maps the session's outcomes to captions, messages,
// the roll label, the results box and the two timers; the session holds the
// draw itself.
class FrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit FrmMain(const FrmMainServices &services, QWidget *parent = nullptr);
    ~FrmMain() override;

    DrawSession &session();
    const BuiltForm &form() const { return m_form; }
    WindowSizing &sizing() const { return *m_sizing; }

    // The big screen: opened on screen `wanted` (counted from 1), or, with 0,
    // on a screen other than this window's when there is one.
    void openAudienceView(int wanted = 0);
    void closeAudienceView();
    AudienceView &audienceView() const { return *m_view; }

    static QString startCaption(); // "开始&G"
    static QString stopCaption(); // "停止&G"

signals:
    // CmdAbout was clicked; the program shows its About window.
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void formLoad();

    void cmdInitClick();
    void cmdStartClick();
    void startRound();
    void stopRound();
    void timer1Timer();
    void timer2Timer();
    void cmdSaveClick();
    void cmdPrintClick();

    void askPublicSeed();
    void askExclusions();
    bool readExclusions(Exclusion &exclusion);
    bool carryOnInterrupted(const QString &list);
    void showReady(const QString &label);
    int entryOnLine(int line) const;
    void forfeitEntry(int number);
    void takeBackForfeit(int number);
    void showForfeit(const ForfeitResult &result);
    void showResultsMenu(const QPoint &at);
    void toggleAudienceView();
    void setRollText(const QString &text);
    void showRoundToAudience();
    void showFactsToAudience();
    void showLookToAudience();
    void showProof();
    void showNextPrize();
    DrawRecord record() const;
    SavedFiles saveDraw();
    QWidget *boxParent();
    void inform(const QString &text);
    void informIfAny(const QString &text);
    void appendToResults(const QString &appendedLog);
    void moveResultsCaretToEnd();
    void setStartEnabled(bool enabled);
    bool hasKeyboard(const QWidget *window) const;
    void noteRelease(const QKeyEvent &key);
    bool isRepeat(const QKeyEvent &key) const;
    void clickAccessKeyOwner(int key);

    FrmMainServices m_services;
    DrawSession m_session;
    RecoveryFile m_recovery;
    DrawFiles m_files;
    BuiltForm m_form;
    WindowSizing *m_sizing;
    std::unique_ptr<AudienceView> m_view;
    int m_wantedScreen = 0;

    QLabel *m_lblRoll;
    QPlainTextEdit *m_txtResults;
    QLineEdit *m_txtNum;
    QPushButton *m_cmdInit;
    QPushButton *m_cmdStart;
    QPushButton *m_cmdSave;
    QPushButton *m_cmdPrint;
    QPushButton *m_cmdExit;
    QPushButton *m_cmdAbout;
    QWidget *m_frameOper;
    QListWidget *m_listFontsRoll;
    QListWidget *m_listFontsResults;
    QTimer *m_timer1;
    QTimer *m_timer2;
    bool m_focusParked = false;
    int m_releasedKey = 0; // the last key released, and when
    quint64 m_releasedAt = 0;
};

} // namespace taviro
