#include "pipeline/pipelinewindows.h"

#include "pipeline/qv_videodvdconvertprocessform.h"
#include "pipeline/qv_videodvddiscbuilderform.h"
#include "pipeline/qv_videodvddiscburningprocessform.h"
#include "pipeline/qv_videodvdsetupdiscburnerform.h"

#include "shell/projectdata.h"
#include "shell/startup.h"
#include "shell/taskwindows.h"
#include "vcl/application.h"

void RegisterPipelineWindows()
{
    SetStartupWindowCreator(kConvertProcessWindowName,
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Convert_Process_Form); });
    SetStartupWindowCreator(kDiscBuilderWindowName,
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Disc_Builder_Form); });
    SetStartupWindowCreator(kDiscBurnerSetupWindowName,
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Setup_Disc_Burner_Form); });
    SetStartupWindowCreator(kBurningProcessWindowName,
                            [](TApplication& app) { app.CreateForm(QV_Video_DVD_Disc_Burning_Process_Form); });
}
