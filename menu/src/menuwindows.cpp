#include "menu/menuwindows.h"

#include "menu/qv_videodvdsetupdvdmenuform.h"
#include "menu/qv_videodvdtextpropertyform.h"

#include "shell/projectdata.h"
#include "shell/startup.h"
#include "shell/taskwindows.h"
#include "vcl/application.h"

void RegisterMenuWindows()
{
    SetStartupWindowCreator("QV_Video_DVD_Text_Property_Form",
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Text_Property_Form); });
    SetStartupWindowCreator(kMenuDesignerWindowName,
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Setup_DVD_Menu_Form); });
}
