// The player window: its class description, layout and the one handler.
#include "app/Unit2.h"

#include "framework/ClassBuilder.h"
#include "framework/LayoutResource.h"

QUELLON_LAYOUT_RESOURCE(Unit2);

TForm2* Form2 = nullptr;

const TClass& TForm2::StaticClass()
{
    static const TClass cls = TClassBuilder<TForm2>("TForm2", &TForm::StaticClass())
        .Handler("Button1Click", &TForm2::Button1Click)
        .Field("Edit1", &TForm2::Edit1)
        .Field("Button1", &TForm2::Button1)
        .Field("Button2", &TForm2::Button2)
        .Field("Button3", &TForm2::Button3)
        .Field("Shape1", &TForm2::Shape1)
        .Field("PaintBox1", &TForm2::PaintBox1)
        .Field("Label1", &TForm2::Label1)
        .Field("OpenDialog1", &TForm2::OpenDialog1)
        .Build();
    return cls;
}

TForm2::TForm2(TComponent* owner) : TForm(owner)
{
    RegisterControlClasses();
    InitializeLayout(LayoutResource_Unit2(), "Unit2.layout");
}

void TForm2::Button1Click(TObject* Sender)
{
    // The name is only shown: the file is neither opened nor read.
    if (!OpenDialog1->Execute())
        return;
    Button1->SetEnabled(true);
    Button2->SetEnabled(true);
    Edit1->SetTextProp(OpenDialog1->FileName);
}

void TForm2::ChooseMovie(const std::string& path)
{
    Button2->SetEnabled(true);
    Edit1->SetTextProp(path);
}
