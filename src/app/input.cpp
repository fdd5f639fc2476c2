#include "app/form1.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QStyleHints>
#include <QWindow>

#include <algorithm>

void Form1::wireinput()
{
    // The colour buttons in their order on screen; the keypad's digits match too.
    // Through click(): a delayed animateClick could swallow a quick second press of the same key.
    // A focused name box takes digits as text before any of these sees them.
    const std::pair<QPushButton*, Qt::Key> keys[] = {
        {Command3, Qt::Key_1}, {Command4, Qt::Key_2}, {Command5, Qt::Key_3}, {Command6, Qt::Key_4}};
    for (const auto& [button, key] : keys) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKey(key);
        connect(shortcut, &QShortcut::activated, button, [button = button] {
            if (button->isVisible())
                button->click();
        });
    }
    auto* escape = new QShortcut(this);
    escape->setKey(Qt::Key_Escape);
    connect(escape, &QShortcut::activated, this, &Form1::pressescape);
    connect(Text1, &QLineEdit::returnPressed, Command9, &QPushButton::click);
    // The focus follows the panels as they open and close.
    for (Panel* panel : {Frame1, Frame2, Frame3, Frame4, Frame5})
        panel->installEventFilter(this);
}

std::array<std::pair<Panel*, QWidget*>, 5> Form1::panelcontrols() const
{
    return {{{Frame4, Command11},
             {Frame3, Text1},
             {Frame2, Command8},
             {Frame5, Command12},
             {Frame1, Command7}}};
}

QWidget* Form1::panelfocus() const
{
    for (const auto& [panel, control] : panelcontrols()) {
        if (!panel->isHidden())
            return control;
    }
    return nullptr;
}

bool Form1::covered(const QWidget* control) const
{
    // The panels stack above every control of the window and in the order of panelcontrols();
    // a control in a panel lies only under the panels above its own.
    const QRect area(control->mapTo(this, QPoint(0, 0)), control->size());
    for (const auto& [panel, focus] : panelcontrols()) {
        if (panel == control || panel->isAncestorOf(control))
            return false;
        if (!panel->isHidden() &&
            QRect(panel->mapTo(this, QPoint(0, 0)), panel->size()).intersects(area))
            return true;
    }
    return false;
}

bool Form1::focusNextPrevChild(bool next)
{
    QWidget* top = panelfocus();
    if (!top)
        return QMainWindow::focusNextPrevChild(next);
    // Tab goes round what the player sees, in the tab order, never to a control that a panel
    // covers; from anywhere else it goes to the topmost panel first.
    QList<QWidget*> ring;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(this) &&
            !covered(w))
            ring.append(w);
    }
    const qsizetype at = ring.indexOf(focusWidget());
    const qsizetype count = ring.size();
    QWidget* target = at < 0 ? top : next ? ring[(at + 1) % count] : ring[(at + count - 1) % count];
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void Form1::pressescape()
{
    // The help and the viewer close as their own buttons close them, the topmost first; the
    // name entry and the result keep Escape for cancel, so that no key throws a result away.
    for (const auto& [panel, button] :
         {std::pair<Panel*, QPushButton*>{Frame4, Command11}, {Frame2, Command8}}) {
        if (!panel->isHidden()) {
            if (!covered(button))
                button->click();
            return;
        }
    }
    if (Command2->isVisible())
        Command2->click();
}

void Form1::settlefocus()
{
    // Space must act on a control the player can see: the topmost panel's, else where the player
    // was before the panels opened, else Start or, during a round, cancel.
    QWidget* next = panelfocus();
    if (!next)
        next = keptfocus && !keptfocus->isHidden() ? keptfocus.data()
               : Command1->isHidden()              ? Command2
                                                   : Command1;
    next->setFocus();
}

void Form1::showEvent(QShowEvent* event)
{
    // The platform window exists from the first show on; its events come before any widget's.
    if (QWindow* handle = windowHandle())
        handle->installEventFilter(this);
    QMainWindow::showEvent(event);
}

void Form1::centre()
{
    // Centred with its frame, which is known only once the window manager has framed it.
    if (const QScreen* where = screen())
        move(pos() + where->availableGeometry().center() - frameGeometry().center());
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (qobject_cast<Panel*>(watched) &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const auto controls = panelcontrols();
        const auto open = std::count_if(controls.begin(), controls.end(),
                                        [](const auto& pair) { return !pair.first->isHidden(); });
        // The first panel to open remembers where the player was.
        if (event->type() == QEvent::Show && open == 1)
            keptfocus = focusWidget();
        settlefocus();
        return false;
    }
    if (watched != windowHandle())
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Expose:
        if (!centred && windowHandle()->isExposed()) {
            centred = true;
            centre();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        if (event->type() == QEvent::MouseButtonPress) {
            // A press soon after the last one and near it goes on a burst of clicks.
            const QStyleHints* hints = QGuiApplication::styleHints();
            const bool burst =
                lastpress &&
                mouse->timestamp() - *lastpress <= ulong(hints->mouseDoubleClickInterval()) &&
                (at - lastpressat).manhattanLength() <= hints->mouseDoubleClickDistance();
            lastpress = mouse->timestamp();
            lastpressat = at;
            if (!burst) {
                pressed = childAt(at);
                return false;
            }
            // The press that completes a double-click reaches no widget: its double-click
            // event does.
            if (mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick))
                return false;
        }
        // Every later click of a burst belongs to the control that took its first one, or to
        // none when that one is gone; whatever appeared or was uncovered under the pointer
        // since then never gets it.
        return childAt(at) != pressed;
    }
    default:
        break;
    }
    return false;
}
