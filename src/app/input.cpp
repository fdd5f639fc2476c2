#include "app/form1.h"

#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include <algorithm>

void Form1::wireinput()
{
    // The colour buttons in their order on screen, and cancel; the keypad's digits match too.
    // Through click(): a delayed animateClick could swallow a quick second press of the same key.
    // A focused name box takes digits as text before any of these sees them.
    const std::pair<QPushButton*, Qt::Key> keys[] = {{Command3, Qt::Key_1},
                                                     {Command4, Qt::Key_2},
                                                     {Command5, Qt::Key_3},
                                                     {Command6, Qt::Key_4},
                                                     {Command2, Qt::Key_Escape}};
    for (const auto& [button, key] : keys) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKey(key);
        connect(shortcut, &QShortcut::activated, button, [button = button] {
            if (button->isVisible())
                button->click();
        });
    }
    connect(Text1, &QLineEdit::returnPressed, Command9, &QPushButton::click);
    // The focus follows the panels as they open and close.
    for (Panel* panel : {Frame1, Frame2, Frame3, Frame4})
        panel->installEventFilter(this);
}

std::array<std::pair<Panel*, QWidget*>, 4> Form1::panelcontrols() const
{
    return {{{Frame4, Command11}, {Frame3, Text1}, {Frame2, Command8}, {Frame1, Command7}}};
}

QWidget* Form1::panelfocus() const
{
    for (const auto& [panel, control] : panelcontrols()) {
        if (!panel->isHidden())
            return control;
    }
    return nullptr;
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
    case QEvent::MouseButtonPress: {
        // The press that completes a double-click reaches no widget: its double-click event does.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!mouse->flags().testFlag(Qt::MouseEventCreatedDoubleClick))
            pressed = childAt(mouse->position().toPoint());
        break;
    }
    case QEvent::MouseButtonDblClick:
        // The second click of a double-click belongs to the control that took the first one;
        // whatever appeared or was uncovered under the pointer since then never gets it.
        return childAt(static_cast<QMouseEvent*>(event)->position().toPoint()) != pressed;
    default:
        break;
    }
    return false;
}
