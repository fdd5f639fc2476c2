#include "app/form1.h"

#include "span/history.h"

#include <QFile>
#include <QLocale>
#include <QTimeZone>

#include <algorithm>

namespace
{

QString colours(int count)
{
    if (count < span::firstLength)
        return QStringLiteral("weniger als %1 Farben").arg(span::firstLength);
    return QStringLiteral("%1 Farben").arg(count);
}

QString dateText(const span::When& when)
{
    return QDateTime::fromSecsSinceEpoch(when.utcMinutes * 60, QTimeZone(when.offsetMinutes * 60))
        .toString(QStringLiteral("dd.MM.yyyy"));
}

// The best span and the mean of the last five at the test's speed, in words.
QString figures(const span::Course& course, span::Speed speed)
{
    std::vector<int> spans;
    for (const span::Test& test : course.tests) {
        if (test.speed == speed)
            spans.push_back(test.span);
    }
    if (spans.size() <= 1)
        return QStringLiteral("Ihr erster Test bei dieser Geschwindigkeit.");
    const int best = *std::max_element(spans.begin(), spans.end());
    const std::size_t recent = std::min<std::size_t>(5, spans.size());
    double sum = 0;
    for (std::size_t i = spans.size() - recent; i < spans.size(); ++i)
        sum += spans[i];
    return QStringLiteral("Ihre beste Spanne bei dieser Geschwindigkeit: %1%2. Mittel der "
                          "letzten %3 Tests: %4 Farben.")
        .arg(colours(best),
             course.more ? QStringLiteral(" (in den letzten %1 Tests)").arg(span::courseLength)
                         : QString())
        .arg(recent)
        .arg(QLocale(QLocale::German).toString(sum / double(recent), 'f', 1));
}

QString courseName(const span::Course& course)
{
    const std::size_t n = course.tests.size();
    if (n == 0)
        return QStringLiteral("Verlauf Ihrer Gedächtnisspanne: noch kein Test.");
    const QString shown =
        n == 1 ? QStringLiteral("1 Test am %1").arg(dateText(course.tests.front().when))
               : QStringLiteral("%1 Tests vom %2 bis %3")
                     .arg(n)
                     .arg(dateText(course.tests.front().when), dateText(course.tests.back().when));
    return QStringLiteral("Verlauf Ihrer Gedächtnisspanne: %1, zuletzt %2.")
        .arg(shown, colours(course.tests.back().span));
}

} // namespace

QString Form1::historypath() const
{
    return platform.dataDirectory() + QStringLiteral("/spanne.txt");
}

void Form1::startspan()
{
    spanprocedure = span::Procedure();
    spantest = true;
    // Speed and length are the test's own while it runs: its figure would mix two otherwise.
    egeschw->menuAction()->setEnabled(false);
    anz->menuAction()->setEnabled(false);
    targetcount = spanprocedure.length();
}

void Form1::stopspan()
{
    if (!spantest)
        return;
    spantest = false;
    Timer3->stop();
    Label7->hide();
    egeschw->menuAction()->setEnabled(true);
    anz->menuAction()->setEnabled(true);
}

void Form1::trialended(bool right)
{
    spanprocedure.record(right);
    for (QPushButton* button : colourbuttons())
        button->hide();
    Label4->hide();
    Label3->hide();
    if (spanprocedure.finished()) {
        spanfinished();
        return;
    }
    const int next = spanprocedure.length();
    Label7->setText(
        right ? QStringLiteral("Richtig! Nun %1 Farben.").arg(next)
              : QStringLiteral("Leider falsch. Noch ein Versuch mit %1 Farben.").arg(next));
    Label7->show();
    settlefocus();
    announce(Label7, Label7->text());
    Timer3->start();
}

void Form1::Timer3_Timer()
{
    Timer3->stop();
    Label7->hide();
    nexttrial();
}

void Form1::nexttrial()
{
    targetcount = spanprocedure.length();
    showncount = 0;
    clickcount = 0;
    Timer1->start();
}

void Form1::spanfinished()
{
    stopspan();
    Command2->hide();
    Command1->show();
    const QDateTime now = platform.now();
    span::Test test;
    test.when = {now.toSecsSinceEpoch() / 60, now.offsetFromUtc() / 60};
    test.speed = schnell->isChecked()   ? span::Speed::Fast
                 : langsam->isChecked() ? span::Speed::Slow
                                        : span::Speed::Medium;
    test.span = spanprocedure.span();
    test.trials = spanprocedure.trials();

    const QString path = historypath();
    const std::string file = QFile::encodeName(path).toStdString();
    const bestlist::SaveOutcome saved = span::addTest(file, test);
    span::Course course = span::readCourse(file);
    // Shown whatever became of the file.
    if (saved != bestlist::SaveOutcome::Saved) {
        course.tests.push_back(test);
        if (course.tests.size() > span::courseLength) {
            course.tests.erase(course.tests.begin());
            course.more = true;
        }
    }
    Label8->setText(QStringLiteral("Ihre Gedächtnisspanne: %1 bei %2 Geschwindigkeit")
                        .arg(colours(test.span), speedword));
    Label9->setText(figures(course, test.speed));
    Chart1->setTests(course.tests);
    Chart1->setAccessibleName(courseName(course));
    Chart1->setAccessibleDescription(Label9->text());
    Frame5->show();
    announce(Label8, Label8->text() + QStringLiteral(". ") + Label9->text());
    endsound();

    // Told once, while the result is shown; the file stays as it was.
    const QString kept =
        QStringLiteral("\n\nDieser Test wurde nicht gespeichert; die Datei bleibt, "
                       "wie sie war.");
    QString problem;
    switch (saved) {
    case bestlist::SaveOutcome::Saved:
        if (course.read != span::Course::Read::Ok)
            problem = QStringLiteral("Ihr Verlauf konnte nicht gelesen werden:\n") + path;
        break;
    case bestlist::SaveOutcome::Busy:
        problem = QStringLiteral("Ihr Verlauf wird gerade von einem anderen Spiel benutzt.") + kept;
        break;
    case bestlist::SaveOutcome::TooLarge:
        problem = QStringLiteral("Ihr Verlauf ist zu groß, um gelesen zu werden:\n") + path + kept;
        break;
    case bestlist::SaveOutcome::ReadFailed:
        problem = QStringLiteral("Ihr Verlauf konnte nicht gelesen werden:\n") + path + kept;
        break;
    case bestlist::SaveOutcome::WriteFailed:
        problem = QStringLiteral("Ihr Verlauf konnte nicht gespeichert werden:\n") + path + kept;
        break;
    }
    if (!problem.isEmpty())
        platform.messageBox(this, problem, QStringLiteral("Spanne messen"), Platform::Buttons::Ok,
                            Platform::Icon::Exclamation);
}

void Form1::Command12_Click()
{
    Frame5->hide();
}
