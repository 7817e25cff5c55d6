// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kvarbon {

// The application's title, used by every message box.
QString ApplicationTitle();

// A plain message box: the text, shown as plain text (never markup, since it
// holds file names), an OK button only, no icon, the application's title.
void ShowMessage(QWidget* parent, const QString& text);

// Runs a handler; an exception it throws is shown in a message box and goes no
// further, so none crosses Qt's event loop. The process goes on.
void RunGuarded(QWidget* parent, const std::function<void()>& handler);

// Runs a handler that reports nothing: an exception it throws is dropped.
void RunIgnoringFailures(const std::function<void()>& handler) noexcept;

// Like RunGuarded, but a failure ends the process: the message is shown and
// printed on stderr, then `endProcess(1)` runs.
void RunGuardedOrEnd(QWidget* parent, const std::function<void()>& handler,
                     const std::function<void(int)>& endProcess);

// Ends the process with `status` by leaving the application's event loop.
void ExitApplication(int status);

// Text of the exception being handled (call inside a catch block).
QString CurrentExceptionText();

// Tells the user about the exception being handled, in a message box and on
// stderr (call inside a catch block).
void ReportCurrentException(QWidget* parent);

}  // namespace kvarbon
