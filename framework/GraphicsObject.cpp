#include "framework/GraphicsObject.h"

#include "framework/ClassBuilder.h"

const TClass& TGraphicsObject::StaticClass()
{
    static const TClass cls = TClassBuilder<TGraphicsObject>("TGraphicsObject", &TPersistent::StaticClass()).Build();
    return cls;
}

void TGraphicsObject::Changed()
{
    OnChange(this);
}
