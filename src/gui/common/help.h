#pragma once

// Help from every window: each window carries its help topic (a number of the help files), shows
// a "Help" button beside its closing button, and answers F1 with its topic. The main window
// installs the one handler that opens the help viewer.

#include <functional>

#include <QString>

class QObject;
class QPushButton;
class QWidget;

namespace kavrel {

// The window's topic, also later when the window changes page.
void SetHelpTopic(QWidget* window, int topic);
// The topic of the window or of the nearest window above it that has one; 0 when none has.
int HelpTopicOf(const QWidget* widget);

// Gives the window its topic and a "Help" button beside its closing button ("&Close", "Close",
// "E&xit", "&Cancel", "Cancel" or "OK"), or at the end of its main layout when it has none.
QPushButton* AddHelp(QWidget* window, int topic);

// The handler that opens a topic, asked from a window (the main window's).
using HelpHandler = std::function<void(QWidget* from, int topic)>;
void SetHelpHandler(HelpHandler handler);
// Opens the help of the window (its topic at this moment).
void ShowHelpFor(QWidget* window);

// A confirmation on the main window's status line ("Result of Asthma, Males, saved"); nothing
// when no main window listens.
void SetStatusHandler(std::function<void(const QString&)> handler);
void ShowStatus(const QString& text);

// Catches F1 anywhere in the program and opens the help of the window that has the keyboard.
QObject* NewHelpKeyFilter(QObject* parent);

}  // namespace kavrel
