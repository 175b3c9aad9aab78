#include "videosource/FormReleaseHold.h"

#include "framework/Forms.h"
#include "framework/Messages.h"
#include "platform/user/WinUser.h"

#include <algorithm>

// One form's window procedure while the hold lasts: CM_RELEASE is kept, everything else goes
// to the procedure the form had.
class TFormReleaseHold::Hook final : public TComponent {
public:
    explicit Hook(TCustomForm& form) : TComponent(nullptr), form_(&form), previous_(form.WindowProc)
    {
        form.FreeNotification(this);
        form.WindowProc.Assign(this, &Hook::WindowProc);
    }

    // Gives the form its procedure back and posts the release it kept. False when a later
    // hook sits in front of ours: this one must then stay, passing everything on.
    bool End()
    {
        passThrough_ = true;
        if (form_ == nullptr)
            return true;
        if (!(form_->WindowProc == TWndMethod(this, &Hook::WindowProc))) {
            if (released_ && form_->HandleAllocated())
                PostMessageA(form_->Handle(), CM_RELEASE, 0, 0);
            released_ = false;
            return false;
        }
        form_->WindowProc = previous_;
        form_->RemoveFreeNotification(this);
        if (released_ && form_->HandleAllocated())
            PostMessageA(form_->Handle(), CM_RELEASE, 0, 0);
        form_ = nullptr;
        return true;
    }

    TCustomForm* Form() const noexcept { return form_; }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == form_)
            form_ = nullptr;
    }

private:
    void WindowProc(TMessage& message)
    {
        if (message.Msg == CM_RELEASE && !passThrough_) {
            released_ = true;
            message.Result = 0;
            return;
        }
        previous_(message);
    }

    TCustomForm* form_;
    TWndMethod previous_;
    bool released_ = false;
    bool passThrough_ = false;
};

TFormReleaseHold::TFormReleaseHold(TControl& control)
{
    std::vector<TCustomForm*> forms;
    const auto add = [&forms](TComponent* component) {
        if (auto* form = dynamic_cast<TCustomForm*>(component);
            form != nullptr && std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(form);
    };
    for (TControl* parent = control.Parent(); parent != nullptr; parent = parent->Parent())
        add(parent);
    for (TComponent* owner = control.Owner(); owner != nullptr; owner = owner->Owner())
        add(owner);
    for (TCustomForm* form : forms)
        hooks_.push_back(std::make_unique<Hook>(*form));
}

TFormReleaseHold::~TFormReleaseHold()
{
    for (auto it = hooks_.rbegin(); it != hooks_.rend(); ++it) {
        if (!(*it)->End())
            (void)it->release(); // the form still calls it; it passes everything on from now on
    }
}
