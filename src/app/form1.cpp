#include "app/form1.h"

#include "app/appsetup.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLayout>
#include <QScreen>

#include <algorithm>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif

Form1::Form1(Platform& platform, QWidget* parent)
    : QMainWindow(parent), Timer1(new IntervalTimer(750, this)),
      Timer2(new IntervalTimer(1500, this)), Timer3(new IntervalTimer(2000, this)),
      listlines(new scores::ScoreList(this)), platform(platform)
{
    setupUi(this);
    List1->setModel(listlines);
    // A close box only: no minimise or maximise, and the size is fixed.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyFonts();
    wire();
    wireinput();
    Form_Load();
    adjustSize();
    if (const QScreen* where = screen())
        move(where->availableGeometry().center() - rect().center());
}

void Form1::applyFonts()
{
    // uic drops fractional point sizes, so the fonts are set here in pixels.
    setFont(app::gameFont(app::standardPx));
    for (QLabel* label : {Label2, Label3, Label4, Label7, Label8})
        label->setFont(app::gameFont(app::mediumPx, true));
    for (QWidget* text : std::initializer_list<QWidget*>{Label6, Label9})
        text->setFont(app::gameFont(app::mediumPx));
    Label1->setFont(app::gameFont(app::largePx));
    // The colours' names in the squares: as large as the widest of them fits in three quarters
    // of a square, in whichever face the window's font finds.
    QFont names = app::gameFont(app::namePx, true);
    for (; names.pixelSize() > app::standardPx; names.setPixelSize(names.pixelSize() - 1)) {
        const QFontMetrics metrics(names);
        int widest = 0;
        for (const QPushButton* button : colourbuttons())
            widest = std::max(widest, metrics.horizontalAdvance(button->text()));
        if (widest <= Shape1->width() * 3 / 4)
            break;
    }
    for (Square* square : {Shape1, Shape2, Shape3, Shape4})
        square->setFont(names);
}

void Form1::wire()
{
    connect(Timer1, &IntervalTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &IntervalTimer::timeout, this, &Form1::Timer2_Timer);
    connect(Timer3, &IntervalTimer::timeout, this, &Form1::Timer3_Timer);

    const std::pair<QPushButton*, void (Form1::*)()> buttons[] = {
        {Command1, &Form1::Command1_Click},   {Command2, &Form1::Command2_Click},
        {Command3, &Form1::Command3_Click},   {Command4, &Form1::Command4_Click},
        {Command5, &Form1::Command5_Click},   {Command6, &Form1::Command6_Click},
        {Command7, &Form1::Command7_Click},   {Command8, &Form1::Command8_Click},
        {Command9, &Form1::Command9_Click},   {Command10, &Form1::Command10_Click},
        {Command11, &Form1::Command11_Click}, {Command12, &Form1::Command12_Click}};
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handler);

    const std::pair<QAction*, void (Form1::*)()> items[] = {{schnell, &Form1::schnell_Click},
                                                            {mittel, &Form1::mittel_Click},
                                                            {langsam, &Form1::langsam_Click},
                                                            {es5, &Form1::es5_Click},
                                                            {es10, &Form1::es10_Click},
                                                            {es20, &Form1::es20_Click},
                                                            {es30, &Form1::es30_Click},
                                                            {es40, &Form1::es40_Click},
                                                            {es50, &Form1::es50_Click},
                                                            {selbst, &Form1::selbst_Click},
                                                            {spanne, &Form1::spanne_Click},
                                                            {toene, &Form1::toene_Click},
                                                            {hilf, &Form1::hilf_Click},
                                                            {best, &Form1::best_Click},
                                                            {kl, &Form1::kl_Click}};
    for (const auto& [item, handler] : items)
        connect(item, &QAction::triggered, this, handler);
}

void Form1::Form_Load()
{
    platform.seedRandom();
    targetcount = 5;
    applysettings();
}

void Form1::Command1_Click()
{
    // Start lies under an open result or name-entry panel, out of the mouse's reach but not the
    // keyboard's; a round started there would hand the wrong score to the list of best results.
    if (resultpending())
        return;
    if (spanne->isChecked())
        startspan();
    showncount = 0;
    clickcount = 0;
    // The first gap starts at the click, whatever the sound server does.
    Timer1->start();
    soundtold = false;
    soundready();
    Command1->hide();
    Command2->show();
    settlefocus();
}

void Form1::Command2_Click()
{
    Command1->show();
    Command2->hide();
    hideshapes();
    Timer2->stop();
    Timer1->stop();
    for (QPushButton* button : colourbuttons())
        button->hide();
    Label4->hide();
    silence();
    stopspan();
    endsound();
}

void Form1::announce(QWidget* source, const QString& message, bool assertive)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, message);
    event.setPoliteness(assertive ? QAccessible::AnnouncementPoliteness::Assertive
                                  : QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    // Older Qt has no announcement for a screen reader to speak; the README says so.
    Q_UNUSED(source)
    Q_UNUSED(message)
    Q_UNUSED(assertive)
#endif
}

std::array<QPushButton*, 4> Form1::colourbuttons() const
{
    return {Command5, Command6, Command3, Command4};
}

void Form1::hideshapes()
{
    for (QFrame* square : std::initializer_list<QFrame*>{Shape1, Shape2, Shape3, Shape4, Shape9})
        square->hide();
}

bool Form1::resultpending() const
{
    return !Frame1->isHidden() || !Frame3->isHidden() || !Frame5->isHidden();
}
