#pragma once

#include "app/intervaltimer.h"
#include "platform/platform.h"
#include "scores/scorefile.h"
#include "scores/scorelist.h"
#include "span/procedure.h"
#include "ui_form1.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <optional>

class QAction;

// The one window of the game. It owns every control (from form1.ui, under their designer names),
// every field of the game and every handler; each subsystem defines its handlers in its own folder.
class Form1 : public QMainWindow, public Ui::Form1
{
    Q_OBJECT
public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);

    // Positions 1 to 500; position 0 is never used.
    static constexpr int maxPositions = 500;

    // Round: the length, the counters and the colour codes (0: never written) at each position.
    int targetcount = 5;
    int showncount = 0;
    qint16 clickcount = 0;
    std::array<qint16, maxPositions + 1> shownseq{};
    std::array<qint16, maxPositions + 1> clickedseq{};

    // Timers: Timer1 ends each gap (750 ms, never changed), Timer2 each colour's display time,
    // Timer3 the pause between two trials of a span test (2 s).
    IntervalTimer* Timer1;
    IntervalTimer* Timer2;
    IntervalTimer* Timer3;

    // Settings: the speed's adjective and the status line shown in Label1.
    QString speedword;
    QString statusline;

    // Scores: lines counted by the qualification test and the viewer; the merge's copy of the
    // first 50 lines of the file, as shown (the file itself keeps them whole); the lines in List1.
    int linecount = 0;
    QStringList scorelines;
    int scorelinecount = 0;
    scores::ScoreList* listlines;

    // Start-up and round state (src/app, src/round)
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void hideshapes();

    // Presentation (src/round/presentation.cpp)
    void Timer1_Timer();
    void Timer2_Timer();
    void yourturn();

    // Tones (src/round/tones.cpp): whether this round's sound is open, whether the player was
    // told since the round began (or since the setting was ticked between rounds) that there is
    // none, and why, where that is still to be told.
    bool soundopen = false;
    bool soundtold = false;
    std::optional<Platform::SoundTrouble> untold;
    void sound(Platform::Sound what, int colour);
    // Ends the tone that sounds, even where the setting was unticked meanwhile.
    void silence();
    // The round needs no more sound; what the player was not told yet is told now.
    void endsound();
    // No sound, or no more: the setting is unticked, and the player told, once a round, at its
    // end.
    void soundtrouble(Platform::SoundTrouble trouble);

    // Judging and the result panel (src/round/judging.cpp)
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void showmistake();
    void showsuccess();
    void showprogress();
    void Command7_Click();

    // Span test (src/span): its trials so far, and whether one is under way. Each trial is a
    // round; between two, a line says what comes next and Timer3 starts the next by itself.
    span::Procedure spanprocedure;
    bool spantest = false;
    void startspan();
    void nexttrial();
    void trialended(bool right);
    void Timer3_Timer();
    void spanfinished();
    void Command12_Click();
    // Ends a test under way without a result: a cancelled test counts for nothing.
    void stopspan();
    QString historypath() const;

    // Settings (src/settings)
    void applysettings();
    // The options of the command line: "--farbnamen" checks the item "Farbnamen zeigen",
    // "--toene" the item "Töne spielen".
    void readoptions(const QStringList& arguments);
    void toene_Click();
    void uncheckcounts();
    void schnell_Click();
    void mittel_Click();
    void langsam_Click();
    void es5_Click();
    void es10_Click();
    void es20_Click();
    void es30_Click();
    void es40_Click();
    void es50_Click();
    void selbst_Click();
    void spanne_Click();

    // Help panel and quit (src/ui)
    void hilf_Click();
    void Command11_Click();
    void kl_Click();

    // Scores (src/scores)
    bool fileexists(const QString& datei) const;
    void qualificationtest();
    void offerentry();
    void Command9_Click();
    void Command10_Click();
    scores::SaveOutcome mergescore();
    void best_Click();
    void Command8_Click();

    // Spoken by a screen reader at once: each colour as it shows (assertive, so that a slow voice
    // never lags behind the flashes), the player's turn, the result and the name entry.
    void announce(QWidget* source, const QString& message, bool assertive = false);

    // Keys, focus and bursts of clicks (src/app/input.cpp)
    void settlefocus();
    // Escape: closes the help or the viewer, else cancels.
    void pressescape();
    // Whether an open panel lies over any part of the control.
    bool covered(const QWidget* control) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;

private:
    Platform& platform;

    void wire();
    void wireinput();
    // Each panel with the control that has the focus while it is the topmost one open.
    std::array<std::pair<Panel*, QWidget*>, 5> panelcontrols() const;
    // The control of the topmost open panel, or null when none is open.
    QWidget* panelfocus() const;
    void centre();
    void applyFonts();
    // The colour buttons in the order in which they are shown and hidden.
    std::array<QPushButton*, 4> colourbuttons() const;
    void judgeclick(qint16 colour);
    // Asks for the round's sound where the setting wants it, without waiting for it.
    bool soundready();
    void tellsound(Platform::SoundTrouble trouble);
    // A round is under way: shown, or waiting for the player's clicks.
    bool roundrunning() const;
    // How many positions the round in hand is judged on: the length, but never more than shown.
    int judgedlength() const;
    bool resultpending() const;
    void setspeed(QAction* item);
    void setfixedcount(QAction* item, int count);
    QString scorepath() const;
    void reportscorefile(const QString& problem);
    void reportunreadable(const QString& path, const QString& more = {});

    // Input: where the focus was before the first of the open panels opened, the control under
    // the first click of the last burst of clicks, when and where the last press came, and
    // whether the window was centred.
    QPointer<QWidget> keptfocus;
    QPointer<QWidget> pressed;
    std::optional<ulong> lastpress;
    QPoint lastpressat;
    bool centred = false;
};
