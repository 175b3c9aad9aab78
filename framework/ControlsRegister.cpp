// The framework's control classes, made known to layouts by name.
#include "framework/Controls.h"

#include "framework/ClassRegistry.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"

void RegisterControlClasses()
{
    static const bool registered = [] {
        RegisterClasses({&TControl::StaticClass(), &TWinControl::StaticClass(), &TGraphicControl::StaticClass(),
                         &TCustomControl::StaticClass(), &TCustomForm::StaticClass(), &TForm::StaticClass(),
                         &TButton::StaticClass(), &TCheckBox::StaticClass(), &TLabel::StaticClass(),
                         &TCustomEdit::StaticClass(), &TEdit::StaticClass(), &TScrollBar::StaticClass(),
                         &TSpinEdit::StaticClass(), &TCustomPanel::StaticClass(), &TPanel::StaticClass(),
                         &TShape::StaticClass(), &TPaintBox::StaticClass(), &TImage::StaticClass(),
                         &TTimer::StaticClass(), &TOpenDialog::StaticClass(), &TSaveDialog::StaticClass()});
        return true;
    }();
    (void)registered;
}
