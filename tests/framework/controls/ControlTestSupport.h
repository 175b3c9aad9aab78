// Helpers shared by the control tests: a form that is freed at the end of a test, and
// Qt input events delivered to a control's widget as the person's input would be.
#pragma once

#include "framework/ControlsWidget.h"
#include "framework/Forms.h"

#include <QPoint>
#include <QString>
#include <QWidget>

// A plain form, freed with the guard.
class FormGuard {
public:
    FormGuard();
    ~FormGuard();
    FormGuard(const FormGuard&) = delete;
    FormGuard& operator=(const FormGuard&) = delete;
    TForm* operator->() const { return form_; }
    TForm* Get() const { return form_; }

private:
    TForm* form_;
};

void SendMouse(QWidget* widget, int type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons);
void Press(QWidget* widget, QPoint local);
void MoveHeld(QWidget* widget, QPoint local);
void Release(QWidget* widget, QPoint local);
void SendKey(QWidget* widget, int qtKey, const QString& text = {});
// Handles pending events until `done` or the bound elapses.
template <class Predicate>
bool WaitFor(Predicate done, int boundMs = 5000);

#include "tests/framework/controls/ControlTestSupport.inl"
