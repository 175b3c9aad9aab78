#include "app/PictureMenu.h"

#include "framework/Menus.h"

#include <string>

namespace {

constexpr int kDitherGroup = 1;
constexpr int kGammaGroup = 2;
// Gamma values offered, in tenths.
constexpr int kGammaTenths[] = {5, 6, 7, 8, 9, 10, 12, 14, 16, 18, 20, 22, 25};

TMenuItem* AddItem(TComponent* owner, TMenuItem& parent, const std::string& caption, int group, int tag,
                   const TNotifyEvent& onChoice)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetRadioItem(true);
    item->SetGroupIndex(group);
    item->SetTag(tag);
    item->OnClick = onChoice;
    parent.Add(item);
    return item;
}

std::string GammaText(int tenths)
{
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

} // namespace

TPopupMenu* MakePictureMenu(TComponent* owner, const TNotifyEvent& onChoice)
{
    auto* menu = new TPopupMenu(owner);
    TMenuItem& root = *menu->Items();
    AddItem(owner, root, NoDitheringCaption, kDitherGroup, static_cast<int>(TDithering::None), onChoice)
        ->SetChecked(true);
    AddItem(owner, root, OrderedCaption, kDitherGroup, static_cast<int>(TDithering::Ordered), onChoice);
    AddItem(owner, root, DiffusionCaption, kDitherGroup, static_cast<int>(TDithering::Diffusion), onChoice);
    auto* line = new TMenuItem(owner);
    line->SetCaption("-");
    root.Add(line);
    auto* gamma = new TMenuItem(owner);
    gamma->SetCaption(GammaCaption);
    root.Add(gamma);
    for (int tenths : kGammaTenths)
        AddItem(owner, *gamma, GammaText(tenths), kGammaGroup, tenths, onChoice)->SetChecked(tenths == 10);
    return menu;
}

TPictureOptions PictureMenuOptions(const TPopupMenu& menu)
{
    TPictureOptions options;
    const TMenuItem& root = *menu.Items();
    for (int i = 0; i < root.Count(); ++i) {
        const TMenuItem& item = *root.Items(i);
        if (item.RadioItem() && item.GroupIndex() == kDitherGroup && item.Checked())
            options.dithering = static_cast<TDithering>(item.Tag());
        for (int j = 0; j < item.Count(); ++j)
            if (item.Items(j)->GroupIndex() == kGammaGroup && item.Items(j)->Checked())
                options.gamma = item.Items(j)->Tag() / 10.0;
    }
    return options;
}
